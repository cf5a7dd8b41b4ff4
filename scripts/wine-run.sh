#!/usr/bin/env bash
# Runs a Windows executable under the build's Wine prefix; passes its exit
# code through. CTest uses it as the cross-compiling emulator.
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
exec wine "$@"
