#!/usr/bin/env bash
# Creates the build's Wine prefix once (needs DISPLAY set: the prefix keeps
# the display its first start saw) and gives it a font that Wine offers
# under the name "Calibri".
set -euo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
stamp="$WINEPREFIX/.liftorn-ready"
[ -f "$stamp" ] && exit 0
[ -n "${DISPLAY:-}" ] || { echo "wine-prefix: DISPLAY must be set" >&2; exit 1; }
echo "wine-prefix: creating $WINEPREFIX" >&2
mkdir -p "$WINEPREFIX"
wineboot -i >/dev/null 2>&1 || { echo "wine-prefix: wineboot failed" >&2; exit 1; }
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Calibri /t REG_SZ /d Carlito /f >/dev/null 2>&1 \
  || { echo "wine-prefix: setting the font replacement failed" >&2; exit 1; }
wineserver -w
touch "$stamp"
