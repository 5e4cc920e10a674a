#!/usr/bin/env bash
# Runs the change log reader's fuzz target (built by CMake with clang, libFuzzer, AddressSanitizer and
# UBSan: scripts/fuzz) for a bounded time (FUZZ_SECONDS, 30 by default).
#
# The checked-in seeds (fuzz/corpus/) hold long parameters, multi-byte UTF-8, Latin-1 and NUL bytes and
# lines at the 64 KiB line cap; -max_len lets inputs grow past that cap. New inputs go to the run's own
# corpus folder, the seeds stay as they are.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../../.." && pwd)
build=${KORVANE_FUZZ_DIR:-$root/build-fuzz}
target=$build/fuzz/vostrel5_change_log_fuzz
if [ ! -x "$target" ]; then
  echo "$0: $target is not built; scripts/fuzz builds and runs every fuzz target" >&2
  exit 2
fi
out=$build/fuzz-runs/vostrel5
mkdir -p "$out/corpus"
"$target" -max_total_time="${FUZZ_SECONDS:-30}" -max_len=81920 -len_control=0 -timeout=10 \
  -artifact_prefix="$out/" "$out/corpus" "$here/corpus"
