#!/usr/bin/env bash
# Runs the change log reader's fuzz target (built by CMake with clang, libFuzzer, AddressSanitizer and
# UBSan: scripts/fuzz) for a bounded time (FUZZ_SECONDS, 30 by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=${KORVANE_FUZZ_DIR:-$root/build-fuzz}
target=$build/fuzz/vostrel5_change_log_fuzz
if [ ! -x "$target" ]; then
  echo "$0: $target is not built; scripts/fuzz builds and runs every fuzz target" >&2
  exit 2
fi
out=$build/fuzz-runs/vostrel5
mkdir -p "$out/corpus"
printf 'vostrel5-change-log 1\n14\tR1\t\tR5\n!1\tR9\n# c\n8\tGND\tU1\t7\\t\\n\n' > "$out/corpus/log"
printf 'COMPONENT_RENUMBER R1 "" R5\n!NET_ADD_PIN "G N D" U1 7\n# c\n0 x\n' > "$out/corpus/description"
"$target" -max_total_time="${FUZZ_SECONDS:-30}" -max_len=2048 -timeout=10 \
  -artifact_prefix="$out/" "$out/corpus"
