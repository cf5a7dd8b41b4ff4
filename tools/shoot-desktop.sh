# Sourced by the screenshot scripts (tools/shoot-*.sh): the private virtual
# display of tools/virtual-display.sh with a compositor over a light
# backdrop, so that per-pixel alpha really blends.
source "$(dirname "${BASH_SOURCE[0]}")/virtual-display.sh"
convert -size 1280x1024 gradient:'#c9d0d8-#8f9aa6' "$work/backdrop.png"
xcompmgr >/dev/null 2>&1 &
pids+=($!)
display -immutable -geometry +0+0 "$work/backdrop.png" >/dev/null 2>&1 &
pids+=($!)
sleep 1
