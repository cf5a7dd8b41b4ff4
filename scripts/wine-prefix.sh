#!/usr/bin/env bash
# Creates the build's Wine prefix once (needs DISPLAY set: the prefix keeps
# the display its first start saw) and sets it up for the program and tests:
# - a font that Wine offers under the name "Calibri" (Carlito);
# - unmanaged X windows: with no window manager on the virtual display, Wine
#   otherwise waits two seconds for each layered window it hides.
# A new prefix is a copy of a pristine one made once per build
# ($LIFTORN_BUILD_DIR/wine-pristine, never run in): copying takes seconds
# where Wine's first start takes a quarter of a minute or more, and the test
# desks and the package tests each want prefixes of their own.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
setup_version=2
stamp="$WINEPREFIX/.liftorn-ready"
[ "$(cat "$stamp" 2>/dev/null)" = "$setup_version" ] && exit 0
[ -n "${DISPLAY:-}" ] || { echo "wine-prefix: DISPLAY must be set" >&2; exit 1; }

# Sets up the prefix $WINEPREFIX in place, making it first when it is new.
set_up() {
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine-prefix: creating $WINEPREFIX" >&2
    mkdir -p "$WINEPREFIX"
    wineboot -i >/dev/null 2>&1 </dev/null || { echo "wine-prefix: wineboot failed" >&2; return 1; }
  fi
  reg_add 'HKCU\Software\Wine\Fonts\Replacements' Calibri Carlito
  reg_add 'HKCU\Software\Wine\X11 Driver' Managed N
  wineserver -w
  echo "$setup_version" >"$WINEPREFIX/.liftorn-ready"
}
reg_add() {
  wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1 </dev/null \
    || { echo "wine-prefix: setting $1\\$2 failed" >&2; return 1; }
}

# A prefix made by an older version of this script is brought up to date
# where it stands; a new one starts as a copy of the pristine prefix.
if [ -f "$WINEPREFIX/system.reg" ]; then
  set_up
  exit
fi
pristine="$LIFTORN_BUILD_DIR/wine-pristine"
mkdir -p "$LIFTORN_BUILD_DIR"
(
  # Desks and tests may ask at the same moment: one makes it, the others wait.
  flock 9
  if [ "$(cat "$pristine/.liftorn-ready" 2>/dev/null)" != "$setup_version" ]; then
    rm -rf "$pristine"
    WINEPREFIX="$pristine" set_up
  fi
) 9>"$pristine.lock"
mkdir -p "$WINEPREFIX"
cp -a "$pristine/." "$WINEPREFIX/"
