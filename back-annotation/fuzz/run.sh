#!/usr/bin/env bash
# Runs the item-format reader's fuzz target (built by CMake with clang, libFuzzer, AddressSanitizer and
# UBSan: scripts/fuzz) for a bounded time (FUZZ_SECONDS, 60 by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
build=${KORVANE_FUZZ_DIR:-$root/build-fuzz}
target=$build/fuzz/itemformat_reader_fuzz
if [ ! -x "$target" ]; then
  echo "$0: $target is not built; scripts/fuzz builds and runs every fuzz target" >&2
  exit 2
fi
out=$build/fuzz-runs/itemformat
mkdir -p "$out/corpus"
# Seeds: a few well-formed files of every kind.
cp "$root"/back-annotation/fuzz/seeds/* "$out/corpus/" 2>/dev/null || true
"$target" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 -timeout=10 \
  -artifact_prefix="$out/" "$out/corpus"
