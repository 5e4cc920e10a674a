#!/usr/bin/env bash
# Builds the aperture file reader's fuzz target with clang and libFuzzer and runs it for about a minute.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$root/build-fuzz/aperture-reader"
mkdir -p "$out/corpus"
seconds="${FUZZ_SECONDS:-60}"

clang++ -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I "$root/aperture-editor/core" -I "$root/platform/include" \
  "$here/reader_fuzz.cpp" \
  "$root/aperture-editor/core/aperture.cpp" \
  "$root/aperture-editor/core/aperture_file.cpp" \
  "$root/platform/src/format.cpp" \
  -o "$out/reader_fuzz"

# Seeds: small valid and broken files.
printf '$CustomApertureData\npad 3e030 3e030\n4\n14 1 64 0 0 0\n1e 1 a fffe7960 0 186a0 fffffff0 0\n28 1 3 100\nfffffff6 fffffff6\na fffffff6\n0 a\nfffffff6 fffffff6\n32 0 0 e10 64 a 0 0 64 0 64 0 0\nsecond 0 0\n0\n$End\n' > "$out/corpus/seed-valid"
printf '$customaperturedata\n# note\np 0 0\n2147483647\n14 1\n' > "$out/corpus/seed-broken"

"$out/reader_fuzz" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -print_final_stats=1 "$out/corpus" 2>&1 | tail -n 15
