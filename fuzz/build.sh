#!/usr/bin/env bash
# Builds the libFuzzer targets that reach the kernel and the editor - the
# design loader (design_fuzz), the settings file (settings_fuzz), the menu
# profile (menu_fuzz) - into build-fuzz/bin with clang 16, every library
# instrumented for coverage and checked by AddressSanitizer and
# UndefinedBehaviorSanitizer; and with "run", fuzzes each for a while from
# its seed corpus:
#   fuzz/build.sh            build the three targets
#   fuzz/build.sh run [N]    build, then fuzz each N seconds (default 180)
# Installs clang 16 and its fuzzer runtime when missing. Not part of ctest:
# the normal test run replays each seed corpus through the same checks.
set -euo pipefail
HERE="$(cd "$(dirname "$0")" && pwd)"
ROOT="$(cd "$HERE/.." && pwd)"
source "$HERE/packages.sh"
install_missing clang-16 libclang-rt-16-dev qt6-base-dev libsqlite3-dev cmake make
TARGETS=(design_fuzz settings_fuzz menu_fuzz)
CC=clang-16 CXX=clang++-16 cmake -S "$ROOT" -B "$ROOT/build-fuzz" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1" -DPALVANE_FUZZ=ON -DPALVANE_TESTS=OFF -DPALVANE_BENCH=OFF >/dev/null
cmake --build "$ROOT/build-fuzz" --parallel "$(nproc)" $(printf -- '--target %s ' "${TARGETS[@]}")
echo "built ${TARGETS[*]} in $ROOT/build-fuzz/bin"
if [ "${1:-}" = "run" ]; then
  export QT_QPA_PLATFORM=offscreen
  # Memory the system libraries keep for the life of the process is not a
  # leak of ours.
  export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$ROOT/tools/lsan.supp:print_suppressions=0}"
  for t in "${TARGETS[@]}"; do
    name="${t%_fuzz}"
    mkdir -p "$ROOT/build-fuzz/corpus/$name" "$ROOT/build-fuzz/findings/$name"
    # Inputs that crash, leak or hang are written beside the build, not
    # into the folder the script was started from.
    "$ROOT/build-fuzz/bin/$t" -max_total_time="${2:-180}" -max_len=4096 \
      -artifact_prefix="$ROOT/build-fuzz/findings/$name/" \
      "$ROOT/build-fuzz/corpus/$name" "$HERE/$name/corpus"
  done
fi
