#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need.
# Quiet and quick when everything is already there.
set -euo pipefail

PACKAGES=(
  # cross compiler (POSIX threads flavour)
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-x86-64-dev
  # running and looking at the program
  wine wine64 xvfb xauth xdotool x11-utils x11-apps imagemagick xcompmgr
  libxrender1 libxi6 libxrandr2 libxcomposite1 libxcursor1 libxfixes3 libxinerama1
  fonts-crosextra-carlito
  # build tools
  cmake ninja-build make pkg-config tcl dpkg-dev googletest xz-utils
  # native sanitizer and fuzz builds of the platform-free code
  clang libclang-rt-14-dev g++
  # what the portable code calls, natively (the Windows build makes its own)
  libsodium-dev
  # tests and benchmarks of the upload road
  python3 curl zip unzip
  # the installer, signing the update manifest and the executables
  nsis openssl osslsigncode
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq || { echo "install-packages: apt-get update failed" >&2; exit 1; }
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null \
  || { echo "install-packages: apt-get install failed for: ${missing[*]}" >&2; exit 1; }
