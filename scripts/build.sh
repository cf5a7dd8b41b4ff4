#!/usr/bin/env bash
# Builds what is missing: packages, the dependency cache, the Windows program
# and its tests (build/win), the native sanitizer build (build/native) and the
# libFuzzer targets (build/fuzz, clang).
#   build.sh [run|win|native|fuzz|all]
# "run" builds only what running needs: liftorn.exe, the window-grab helper,
# the updater and the skin beside them (not the test executables).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
what="${1:-all}"
jobs="$(nproc)"

"$root/scripts/install-packages.sh"

if [ "$what" = run ] || [ "$what" = win ] || [ "$what" = all ]; then
  deps="$("$root/scripts/build-deps.sh" | tail -n 1)"
  [ -d "$deps" ] || { echo "build: dependency prefix missing: $deps" >&2; exit 1; }
  cmake -S "$root" -B "$LIFTORN_BUILD_DIR/win" -G Ninja \
        -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DLIFTORN_DEPS_PREFIX="$deps" >/dev/null
  if [ "$what" = run ]; then
    cmake --build "$LIFTORN_BUILD_DIR/win" -j "$jobs" --target liftorn iupdater
  else
    cmake --build "$LIFTORN_BUILD_DIR/win" -j "$jobs"
  fi
fi

if [ "$what" = native ] || [ "$what" = all ]; then
  cmake -S "$root" -B "$LIFTORN_BUILD_DIR/native" -G Ninja -DCMAKE_BUILD_TYPE=Debug >/dev/null
  cmake --build "$LIFTORN_BUILD_DIR/native" -j "$jobs"
fi

if [ "$what" = fuzz ] || [ "$what" = all ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$LIFTORN_BUILD_DIR/fuzz" -G Ninja \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLIFTORN_FUZZ=ON >/dev/null
  cmake --build "$LIFTORN_BUILD_DIR/fuzz" -j "$jobs"
fi
