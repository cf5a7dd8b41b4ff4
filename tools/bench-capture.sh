#!/usr/bin/env bash
# Capture figures (capture_bench.exe under Wine) on private virtual displays
# of 1280 x 1024 and 3840 x 2160: one pointer move during a region selection,
# redraw plus push, with a dirty rectangle and with the whole picture (median
# and 95th percentile); and Enter to a PNG on disk for the whole screen, next
# to ImageMagick's convert writing the same pixels to PNG. Not a test.
#   tools/bench-capture.sh [MOVES]     (default 300)
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${CAPTURE_BENCH_WINEPREFIX:-/tmp/liftorn-capture-bench-wine}"
source "$root/scripts/wine-env.sh"
bench="$LIFTORN_BUILD_DIR/win/capture_bench.exe"
[ -f "$bench" ] || { echo "bench-capture: $bench is missing; run scripts/build.sh win" >&2; exit 1; }
[ -d "$(dirname "$bench")/skin" ] || { echo "bench-capture: no skin beside $bench" >&2; exit 1; }
moves="${1:-300}"

work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-capture-bench.XXXXXX")"
xvfb=""
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "$xvfb" ] && kill "$xvfb" >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

free_display() {
  local n
  for n in $(seq 150 199); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || { echo "$n"; return; }
  done
  return 1
}

for size in 1280x1024 3840x2160; do
  echo "== $size"
  n="$(free_display)"
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=":$n"
  for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
  # The wineserver keeps the display it started with: a new one per size.
  wineserver -k >/dev/null 2>&1 || true
  mkdir -p "$WINEPREFIX"
  rgb="$work/screen-$size.rgb"
  wine "$bench" "$moves" "Z:${rgb//\//\\}" "Z:${work//\//\\}\\bench-$size.png"
  start=$(date +%s.%N)
  convert -size "$size" -depth 8 "rgb:$rgb" "$work/convert-$size.png"
  end=$(date +%s.%N)
  awk -v s="$start" -v e="$end" -v z="$size" \
    'BEGIN {printf "convert writing the same pixels to PNG (%s): %.1f ms\n", z, (e - s) * 1000}'
  ls -l "$work/bench-$size.png" "$work/convert-$size.png" | awk '{print "  " $5 " bytes  " $NF}'
  wineserver -k >/dev/null 2>&1 || true
  kill "$xvfb" >/dev/null 2>&1 || true
  wait "$xvfb" 2>/dev/null || true
  xvfb=""
done
