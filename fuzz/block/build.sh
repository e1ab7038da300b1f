#!/usr/bin/env bash
# Builds the libFuzzer target over the block file parser and, with "run",
# fuzzes for a while from the seed corpus:
#   fuzz/block/build.sh          build fuzz/block/out/block_fuzz
#   fuzz/block/build.sh run [N]  build, then fuzz N seconds (default 60)
# The parser touches no kernel: it and the target are built alone with
# clang 16 and the fuzzer, address and undefined-behaviour sanitizers. Not
# part of ctest: the normal test run replays the seed corpus (files written
# by SaveBlock among them) through the same check.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
source "$HERE/../packages.sh"
install_missing clang-16 libclang-rt-16-dev
mkdir -p "$HERE/out"
clang++-16 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I"$ROOT" \
  "$ROOT/editor/documents/block_format.cpp" "$HERE/block_fuzz.cpp" \
  -o "$HERE/out/block_fuzz"
echo "built $HERE/out/block_fuzz"
if [ "${1:-}" = "run" ]; then
  mkdir -p "$HERE/out/corpus"
  "$HERE/out/block_fuzz" -max_total_time="${2:-60}" -max_len=8192 "$HERE/out/corpus" "$HERE/corpus"
fi
