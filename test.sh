#!/usr/bin/env bash
# Sets up what is missing, builds, and runs every test headless.
#   ./test.sh             the normal build, in build/
#   ./test.sh --sanitize  with AddressSanitizer and UndefinedBehaviorSanitizer, in build-sanitize/
#   ./test.sh --sanitize-seams
#                         only the tests that run the host with the window
#                         system's real dialogs (closing with a window open,
#                         the host as the hub), the walk over every menu
#                         command and tool with its pass that accepts every
#                         dialog, and the sweeps that refuse each
#                         step of every edit, under both sanitizers, in
#                         build-seams/ (a smaller build: what those tests need)
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=build
# The benchmarks are not built for the tests (./bench.sh builds them); the
# option is set explicitly either way, so that a build folder used for both
# flips back.
CMAKE_ARGS=(-DSANITIZE=OFF -DPALVANE_BENCH=OFF)
CTEST_ARGS=()
for arg in "$@"; do
  case "$arg" in
    --sanitize) BUILD_DIR=build-sanitize; CMAKE_ARGS=(-DSANITIZE=ON -DPALVANE_BENCH=OFF) ;;
    --sanitize-seams)
      BUILD_DIR=build-seams
      # Light optimisation and line tables only keep this build short.
      CMAKE_ARGS=(-DSANITIZE=ON -DPALVANE_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_CXX_FLAGS_DEBUG=-O1 -g1")
      BUILD_TARGETS=(host_tests shell_walk_tests editing_sweep_tests documents_sweep_tests norvo32
                     Corvex NVOSPLC32 NVOLOCAL32 shipped_data shipped_libraries demo_design)
      CTEST_ARGS=(-R "CloseWithWindowOpen|^Hub[.]|^Menu(Accept)?Walk[.]|^AllOrNothing[.]|Sweep[.]") ;;
    *) echo "usage: ./test.sh [--sanitize | --sanitize-seams]" >&2; exit 2 ;;
  esac
done
source tools/setup.sh

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}"
# Memory that system libraries (D-Bus, fontconfig ...) keep until exit.
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$PWD/tools/lsan.supp:print_suppressions=0}"
cd "$BUILD_DIR"
ctest --parallel "$JOBS" --timeout 300 --output-on-failure ${CTEST_ARGS[@]+"${CTEST_ARGS[@]}"}
