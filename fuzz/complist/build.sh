#!/usr/bin/env bash
# Builds the libFuzzer target over the component list scanner and, with
# "run", fuzzes for a while from the seed corpus:
#   fuzz/complist/build.sh          build fuzz/complist/out/complist_fuzz
#   fuzz/complist/build.sh run [N]  build, then fuzz N seconds (default 60)
# The scanner and the target are built with clang 16 and the fuzzer,
# address and undefined-behaviour sanitizers; the rest of the editor comes
# from libPalvane in build/ (built here when missing). Not part of ctest:
# the normal test run replays the seed corpus through the same check.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/../.." && pwd)"
source "$HERE/../packages.sh"
install_missing clang-16 libclang-rt-16-dev
if [ ! -e "$ROOT/build/lib/libPalvane.so" ]; then
  cmake -S "$ROOT" -B "$ROOT/build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build "$ROOT/build" --target Palvane --parallel "$(nproc)"
fi
mkdir -p "$HERE/out"
clang++-16 -std=c++20 -g -O1 -fsanitize=fuzzer,address,undefined -I"$ROOT" \
  "$ROOT/editor/dialogs/complist_scan.cpp" "$HERE/complist_fuzz.cpp" \
  -L"$ROOT/build/lib" -lPalvane -Wl,-rpath,"$ROOT/build/lib" \
  -o "$HERE/out/complist_fuzz"
echo "built $HERE/out/complist_fuzz"
if [ "${1:-}" = "run" ]; then
  mkdir -p "$HERE/out/corpus"
  "$HERE/out/complist_fuzz" -max_total_time="${2:-60}" -max_len=4096 "$HERE/out/corpus" "$HERE/corpus"
fi
