#!/usr/bin/env bash
# Creates the build's Wine prefix once (needs DISPLAY set: the prefix keeps
# the display its first start saw) and sets it up for the program and tests:
# - a font that Wine offers under the name "Calibri" (Carlito);
# - unmanaged X windows: with no window manager on the virtual display, Wine
#   otherwise waits two seconds for each layered window it hides.
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
setup_version=2
stamp="$WINEPREFIX/.liftorn-ready"
[ "$(cat "$stamp" 2>/dev/null)" = "$setup_version" ] && exit 0
[ -n "${DISPLAY:-}" ] || { echo "wine-prefix: DISPLAY must be set" >&2; exit 1; }
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "wine-prefix: creating $WINEPREFIX" >&2
  mkdir -p "$WINEPREFIX"
  wineboot -i >/dev/null 2>&1 </dev/null || { echo "wine-prefix: wineboot failed" >&2; exit 1; }
fi
reg_add() {
  wine reg add "$1" /v "$2" /t REG_SZ /d "$3" /f >/dev/null 2>&1 </dev/null \
    || { echo "wine-prefix: setting $1\\$2 failed" >&2; exit 1; }
}
reg_add 'HKCU\Software\Wine\Fonts\Replacements' Calibri Carlito
reg_add 'HKCU\Software\Wine\X11 Driver' Managed N
wineserver -w
echo "$setup_version" >"$stamp"
