#!/usr/bin/env bash
# Runs the aperture file reader's fuzz target (built by CMake: scripts/fuzz) for about a minute.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
build="${KORVANE_FUZZ_DIR:-$root/build-fuzz}"
target="$build/fuzz/aperture_reader_fuzz"
if [ ! -x "$target" ]; then
  echo "$0: $target is not built; scripts/fuzz builds and runs every fuzz target" >&2
  exit 2
fi
out="$build/fuzz-runs/aperture-reader"
mkdir -p "$out/corpus"
seconds="${FUZZ_SECONDS:-60}"

# Seeds: small valid and broken files.
printf '$CustomApertureData\npad 3e030 3e030\n4\n14 1 64 0 0 0\n1e 1 a fffe7960 0 186a0 fffffff0 0\n28 1 3 100\nfffffff6 fffffff6\na fffffff6\n0 a\nfffffff6 fffffff6\n32 0 0 e10 64 a 0 0 64 0 64 0 0\nsecond 0 0\n0\n$End\n' > "$out/corpus/seed-valid"
printf '$customaperturedata\n# note\np 0 0\n2147483647\n14 1\n' > "$out/corpus/seed-broken"

"$target" -max_total_time="$seconds" -max_len=4096 -rss_limit_mb=1024 -print_final_stats=1 \
  -artifact_prefix="$out/" "$out/corpus" 2>&1 | tail -n 15
