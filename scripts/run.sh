#!/usr/bin/env bash
# Builds what is missing and starts the program under Wine with a data folder
# of its own under the build folder (APPDATA=build/run/appdata).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
"$root/scripts/build.sh" win

appdata="$LIFTORN_BUILD_DIR/run/appdata"
mkdir -p "$appdata"
export APPDATA="$(winepath -w "$appdata" 2>/dev/null || echo "Z:${appdata//\//\\}")"
echo "run: data folder $appdata/vantorel liftorn" >&2
exec "$root/scripts/with-display.sh" wine "$LIFTORN_BUILD_DIR/win/liftorn.exe" "$@"
