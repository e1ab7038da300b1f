#!/usr/bin/env bash
# Sets up what is missing and builds the benchmarks and the fuzz targets,
# which the test run does not build:
#   ./bench.sh              the benchmarks in build/bin (*_bench) and the
#                           fuzz targets in fuzz/*/out
#   ./bench.sh NAME [ARGS]  the same, then runs build/bin/NAME with ARGS
#                           (e.g. ./bench.sh kernel_bench --benchmark_filter=Walk)
# Benchmarks measure an optimised build: they share build/ with run.sh and
# test.sh, configured with the benchmarks on.
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=build
CMAKE_ARGS=(-DSANITIZE=OFF -DPALVANE_BENCH=ON)
source tools/setup.sh
fuzz/block/build.sh
fuzz/complist/build.sh
fuzz/build.sh
if (($#)); then
  name="$1"; shift
  export QT_QPA_PLATFORM="${QT_QPA_PLATFORM:-offscreen}"
  exec "$BUILD_DIR/bin/$name" "$@"
fi
