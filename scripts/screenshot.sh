#!/usr/bin/env bash
# Takes a screenshot of a skinned window: runs the program under Wine on a
# private virtual display with a compositor (so per-pixel alpha really
# blends), over a light backdrop that shows the window's shadow, waits for it
# to draw and crops the screen to the window plus a border.
#   screenshot.sh OUT.png [EXE [ARGS...]]
# EXE defaults to the showcase (build/win/showcase.exe). Environment:
#   SHOT_TITLE   window title to find (default "liftorn toolkit showcase")
#   SHOT_WAIT    seconds to let it draw after the window appears (default 2)
#   SHOT_BORDER  pixels kept around the window (default 24)
#   WINEPREFIX   the Wine prefix (default /tmp/liftorn-screenshot-prefix, so
#                runs in the build's prefix are left alone)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

if [ "${1:-}" != "--on-display" ]; then
  [ $# -ge 1 ] || { echo "usage: screenshot.sh OUT.png [EXE [ARGS...]]" >&2; exit 2; }
  export WINEPREFIX="${WINEPREFIX:-/tmp/liftorn-screenshot-prefix}"
  out="$(realpath -m "$1")"; shift
  exec "$root/scripts/with-display.sh" --virtual "$0" --on-display "$out" "$@"
fi
shift
out="$1"; shift
source "$root/scripts/wine-env.sh"
if [ $# -ge 1 ]; then exe="$1"; shift; else exe="$LIFTORN_BUILD_DIR/win/showcase.exe"; fi
[ -f "$exe" ] || { echo "screenshot: $exe is missing; run scripts/build.sh win" >&2; exit 1; }
title="${SHOT_TITLE:-liftorn toolkit showcase}"
border="${SHOT_BORDER:-24}"

work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-shot.XXXXXX")"
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# A soft grey-blue backdrop, then the compositor.
convert -size 1280x1024 gradient:'#c9d0d8-#8f9aa6' "$work/backdrop.png"
xcompmgr >/dev/null 2>&1 &
pids+=($!)
# The compositor does not draw the root's own picture: show it in a window
# of its own (there is no window manager to frame it), under the program's.
display -display "$DISPLAY" -immutable -geometry +0+0 "$work/backdrop.png" >/dev/null 2>&1 &
pids+=($!)
sleep 0.5

wine "$exe" "$@" >/dev/null 2>&1 </dev/null &
pids+=($!)

# The window and its shadow window share the title; take the larger.
find_geometry() {
  geometry=""
  for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null || true); do
    found="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null || true)"
    [ -n "$found" ] || continue
    size=$(eval "$found"; echo $((WIDTH * HEIGHT)))
    best=$([ -n "$geometry" ] && (eval "$geometry"; echo $((WIDTH * HEIGHT))) || echo 0)
    if [ "$size" -gt "$best" ]; then geometry="$found"; fi
  done
  return 0
}
for _ in $(seq 100); do
  find_geometry
  [ -n "$geometry" ] && break
  sleep 0.1
done
sleep "${SHOT_WAIT:-2}"
# Windows that slide or resize have their final size only now.
if [ -n "$geometry" ]; then
  first="$geometry"
  find_geometry
  [ -n "$geometry" ] || geometry="$first"
fi
import -display "$DISPLAY" -window root "$work/screen.png"

if [ -n "$geometry" ]; then
  eval "$geometry"   # X, Y, WIDTH, HEIGHT
  echo "screenshot: window ${WIDTH}x${HEIGHT} at $X,$Y" >&2
  left=$((X > border ? X - border : 0))
  top=$((Y > border ? Y - border : 0))
  convert "$work/screen.png" -crop "$((WIDTH + 2 * border))x$((HEIGHT + 2 * border))+$left+$top" \
          +repage "$out"
else
  echo "screenshot: no window titled \"$title\" found; keeping the whole screen" >&2
  cp "$work/screen.png" "$out"
fi
wineserver -k >/dev/null 2>&1 || true
echo "screenshot: wrote $out"
