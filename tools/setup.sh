# Shared set-up of run.sh and test.sh: installs the Debian packages that are
# missing, then configures and builds. Sourced, not run; expects BUILD_DIR
# and CMAKE_ARGS to be set by the caller; BUILD_TARGETS, when set, builds
# only those targets (and what they need).

PACKAGES=(qt6-base-dev libsqlite3-dev libgtest-dev libbenchmark-dev cmake make g++ fonts-dejavu-core poppler-utils)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "Installing missing packages: ${missing[*]}"
  SUDO=()
  if [ "$(id -u)" -ne 0 ]; then SUDO=(sudo); fi
  "${SUDO[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

JOBS="$(nproc 2>/dev/null || echo 2)"
# Optimised, with line tables and function names only (-g1): enough for a
# backtrace and a profile, at a fraction of the compile and link time of
# full debug info. A build for a debugger is configured by hand with
# -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g -DNDEBUG".
cmake -S . -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=RelWithDebInfo "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O2 -g1 -DNDEBUG" \
  ${CMAKE_ARGS[@]+"${CMAKE_ARGS[@]}"} >/dev/null
TARGET_ARGS=()
for t in ${BUILD_TARGETS[@]+"${BUILD_TARGETS[@]}"}; do TARGET_ARGS+=(--target "$t"); done
cmake --build "$BUILD_DIR" --parallel "$JOBS" ${TARGET_ARGS[@]+"${TARGET_ARGS[@]}"}
