#!/usr/bin/env bash
# Screenshots of captures for docs/: the dimmed overlay with a selection and
# its corner marks, a window outlined for a grab, the capture prompt without
# and with the command toggle, and a transparent window grab laid over a
# checkerboard. Runs the real program on a private virtual display with a
# compositor and drives it with xdotool. Not a test.
#   tools/shoot-captures.sh [OUT_DIR]     (default docs/)
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${SHOOT_WINEPREFIX:-/tmp/liftorn-shoot-wine}"
source "$root/scripts/wine-env.sh"
out="$(realpath -m "${1:-$root/docs}")"
build="$LIFTORN_BUILD_DIR/win"
for exe in liftorn.exe capture_target.exe; do
  [ -f "$build/$exe" ] || { echo "shoot-captures: $build/$exe is missing; run scripts/build.sh win" >&2; exit 1; }
done

mkdir -p "$out"
source "$root/tools/shoot-desktop.sh"

data="$work/appdata/vantorel liftorn"
mkdir -p "$data"
appdata="Z:${work//\//\\}\\appdata"
shot() { import -window root "$work/screen.png"; convert "$work/screen.png" -crop "$2" +repage "$out/$1"; echo "wrote $out/$1"; }
wait_for() {  # NAME: a visible window of that title
  for _ in $(seq 150); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "shoot-captures: no window \"$1\"" >&2; return 1
}
# Wine gives the first process it starts its own APPDATA: the variable is
# set inside Wine by a command script, which then starts the program.
launcher="$work/liftorn.cmd"
printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$appdata" "Z:${build//\//\\}\\liftorn.exe" >"$launcher"
liftorn() { wine cmd /c "Z:${launcher//\//\\}" "$@" >/dev/null 2>&1; }

start_program() {  # extra configuration lines, one argument each
  printf '%s\r\n' "understoodscreenshot true" "showtoastalerts false" \
    "adv_api_upload_uri http://127.0.0.1:9/api/json" "positionx 40" "positiony 60" "$@" \
    >"$data/vantorel.conf"
  # Windows to capture: a pattern window and a layered one with a soft shadow.
  wine "$build/capture_target.exe" pattern 520 300 360 260 "Pattern" >/dev/null 2>&1 &
  wine "$build/capture_target.exe" shadow 940 380 260 200 "Glass window" >/dev/null 2>&1 &
  liftorn &
  wait_for "vantorel liftorn"
  sleep 2
}
command() { liftorn "$1"; }
# Everything in this run's own prefix ends, the capture windows too.
quit() { wineserver -k >/dev/null 2>&1 || true; sleep 1; }

# Region: the dimmed screen, a selection with its corner marks, the button.
start_program
command /screenshot
wait_for SnippingWindow
sleep 1
xdotool mousemove 580 340 mousedown 1 mousemove 700 420 mousemove 820 500 mouseup 1
sleep 1
xdotool mousemove 700 420
sleep 0.5
shot capture-region.png 1000x620+0+0
# The prompt (no command configured: no toggle).
xdotool key Return
wait_for "vantorel liftorn"
sleep 2
xdotool mousemove 150 110
shot capture-prompt.png 340x195+28+50
xdotool key Escape
sleep 1
quit

# A window grab: the outline, then the prompt with the command toggle; the
# command keeps a copy of the PNG for the checkerboard picture.
start_program 'adv_screenshot_cmd C:\windows\system32\cmd.exe' \
  "adv_screenshot_cmd_args /c copy \"%1\" \"Z:${work//\//\\}\\grab.png\""
command /windowgrab
wait_for SnippingWindow
sleep 1
xdotool mousemove 1060 470
sleep 0.3
xdotool mousemove 1070 480
sleep 1
shot capture-window-grab.png 560x420+720+280
xdotool click 1
sleep 3
xdotool mousemove 150 110
sleep 2
shot capture-prompt-command.png 340x195+28+50
xdotool key Return
for _ in $(seq 100); do [ -s "$work/grab.png" ] && break; sleep 0.1; done
quit

# The grab over a checkerboard: its shadow really is half transparent.
size="$(identify -format '%wx%h' "$work/grab.png")"
convert -size "$size" pattern:checkerboard "$work/grab.png" -composite "$out/capture-transparent-grab.png"
echo "wrote $out/capture-transparent-grab.png ($size)"
