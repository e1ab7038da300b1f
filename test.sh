#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test headless.
#   ./test.sh             the normal build, in build/
#   ./test.sh --sanitize  with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=build
# The benchmarks are set explicitly either way, so that a build folder used
# for both flips back; sanitized benchmarks would measure the sanitizers.
CMAKE_ARGS=(-DSANITIZE=OFF -DPALVANE_BENCH=ON)
for arg in "$@"; do
  case "$arg" in
    --sanitize) BUILD_DIR=build-sanitize; CMAKE_ARGS=(-DSANITIZE=ON -DPALVANE_BENCH=OFF) ;;
    *) echo "usage: ./test.sh [--sanitize]" >&2; exit 2 ;;
  esac
done
source tools/setup.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
# Memory that system libraries (D-Bus, fontconfig ...) keep until exit.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}"
cd "$BUILD_DIR"
ctest --parallel "$JOBS" --timeout 300 --output-on-failure
