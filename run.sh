#!/usr/bin/env bash
# Sets up what is missing, builds, and starts the editor on the demo design.
set -euo pipefail
cd "$(dirname "$0")"
BUILD_DIR=build
CMAKE_ARGS=()
# Only what the editor needs to start: the host with the libraries it
# loads and the shipped data. ./test.sh builds the tests, ./bench.sh the
# benchmarks.
BUILD_TARGETS=(norvo32 Corvex NVOSPLC32 NVOLOCAL32 shipped_data shipped_libraries demo_design tool_pictures)
source tools/setup.sh

if [ -z "${QT_QPA_PLATFORM:-}" ] && [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "run.sh: no display found; run it under a virtual display instead: xvfb-run ./run.sh (Debian package xvfb)" >&2
  exit 1
fi
# The demo design as the build compiled it from data/demo/demo.txt.
DEMO="$BUILD_DIR/data/demo/demo.nvd"
if [ -f "$DEMO" ]; then
  exec "$BUILD_DIR/bin/norvo32" "$DEMO"
fi
exec "$BUILD_DIR/bin/norvo32"
