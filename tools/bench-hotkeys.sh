#!/usr/bin/env bash
# How fast the capture overlay is on the screen: from a Print Screen key
# press (real input through the X server, xdotool) to the visible overlay,
# next to the same through the command line (liftorn.exe /screenshot, a
# second process handing the request over). Medians of 20 (and the slowest)
# on a private virtual display. Not a test.
#   tools/bench-hotkeys.sh [ROUNDS]     (default 20)
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${HOTKEY_BENCH_WINEPREFIX:-/tmp/liftorn-hotkey-bench-wine}"
source "$root/scripts/wine-env.sh"
build="$LIFTORN_BUILD_DIR/win"
for exe in liftorn.exe overlay_closer.exe; do
  [ -f "$build/$exe" ] || { echo "bench-hotkeys: $build/$exe is missing; run scripts/build.sh win" >&2; exit 1; }
done
rounds="${1:-20}"

# No compositor: the figures are the program's, not a compositor's.
display_from=150
source "$root/tools/virtual-display.sh"
"$root/scripts/wine-prefix.sh"

data="$work/appdata/vantorel liftorn"
mkdir -p "$data"
printf '%s\r\n' "understoodscreenshot true" "showtoastalerts false" \
  "adv_api_upload_uri http://127.0.0.1:9/api/json" "positionx 40" "positiony 60" >"$data/vantorel.conf"
launcher="$work/liftorn.cmd"
printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "Z:${work//\//\\}\\appdata" "Z:${build//\//\\}\\liftorn.exe" >"$launcher"
liftorn() { wine cmd /c "Z:${launcher//\//\\}" "$@" >/dev/null 2>&1; }

liftorn &
for _ in $(seq 300); do xdotool search --onlyvisible --name '^vantorel liftorn$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 3
now() { date +%s%N; }
overlay_shown() { xdotool search --onlyvisible --name '^SnippingWindow$' >/dev/null 2>&1; }
# Milliseconds from now until the overlay shows (or 10 s).
time_overlay() {
  local start="$1" i
  for i in $(seq 5000); do
    if overlay_shown; then echo $(( ($(now) - start) / 1000000 )); return 0; fi
  done
  echo 10000
}
close_overlay() {
  wine "$build/overlay_closer.exe" >/dev/null 2>&1 || true
  for _ in $(seq 100); do overlay_shown || break; sleep 0.05; done
  sleep 0.5  # the main window comes back
}
# The keys reach Wine through the window that has the X focus.
focus_program() {
  xdotool mousemove 150 200 click 1 >/dev/null 2>&1 || true
  sleep 0.3
}
median() { sort -n | awk '{a[NR]=$1} END {m = NR % 2 ? a[(NR+1)/2] : (a[NR/2] + a[NR/2+1]) / 2; printf "%d ms (slowest %d ms)", m, a[NR]}'; }

: >"$work/key.txt"
: >"$work/line.txt"
for round in $(seq "$rounds"); do
  focus_program
  start=$(now); xdotool key Print; time_overlay "$start" >>"$work/key.txt"; close_overlay
  start=$(now); liftorn /screenshot & time_overlay "$start" >>"$work/line.txt"; wait $! || true; close_overlay
done
echo "== capture overlay on screen, medians of $rounds"
echo "Print Screen key (xdotool) to visible overlay: $(median <"$work/key.txt")"
echo "liftorn.exe /screenshot (second process) to visible overlay: $(median <"$work/line.txt")"
