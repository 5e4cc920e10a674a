#!/usr/bin/env bash
# Builds the item-format reader fuzz target with clang (libFuzzer + AddressSanitizer + UBSan) into
# build-fuzz/itemformat/ and runs it for a bounded time (FUZZ_SECONDS, 60 by default).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
out=$root/build-fuzz/itemformat
mkdir -p "$out/corpus"
clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
  -I"$root/back-annotation/item-format/include" -I"$root/platform/include" \
  "$root/back-annotation/fuzz/fuzz_item_reader.cpp" \
  "$root/back-annotation/item-format/src/io_items.cpp" \
  "$root/back-annotation/item-format/src/io_textstream.cpp" \
  "$root/platform/src/format.cpp" \
  -o "$out/fuzz_item_reader"
# Seeds: a few well-formed files of every kind.
cp "$root"/back-annotation/fuzz/seeds/* "$out/corpus/" 2>/dev/null || true
"$out/fuzz_item_reader" -max_total_time="${FUZZ_SECONDS:-60}" -max_len=4096 -timeout=10 \
  -artifact_prefix="$out/" "$out/corpus"
