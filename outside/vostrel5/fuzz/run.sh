#!/usr/bin/env bash
# Builds the change log reader's fuzz target with clang (libFuzzer + AddressSanitizer + UBSan) into
# build-fuzz/vostrel5/ and runs it for a bounded time (FUZZ_SECONDS, 30 by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
out=$root/build-fuzz/vostrel5
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/outside/vostrel5/include" -I"$root/platform/include" \
  "$root/outside/vostrel5/fuzz/fuzz_change_log.cpp" \
  "$root/outside/vostrel5/src/back_annotation.cpp" \
  "$root/outside/vostrel5/src/change_log.cpp" \
  "$root/platform/src/cstring.cpp" "$root/platform/src/format.cpp" \
  -o "$out/fuzz_change_log"
printf 'vostrel5-change-log 1\n14\tR1\t\tR5\n!1\tR9\n# c\n8\tGND\tU1\t7\\t\\n\n' > "$out/corpus/log"
printf 'COMPONENT_RENUMBER R1 "" R5\n!NET_ADD_PIN "G N D" U1 7\n# c\n0 x\n' > "$out/corpus/description"
"$out/fuzz_change_log" -max_total_time="${FUZZ_SECONDS:-30}" -max_len=2048 -timeout=10 \
  -artifact_prefix="$out/" "$out/corpus"
