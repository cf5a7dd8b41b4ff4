#!/usr/bin/env bash
# Screenshots of the keyboard shortcuts for docs/: the shortcuts page with
# one key taken by another program (and Print Screen kept by Windows' own
# screen snipping), and the countdown of a delayed screenshot beside the
# notification area. Runs the real program on a private virtual display with
# a compositor and drives it with xdotool. Not a test.
#   tools/shoot-hotkeys.sh [OUT_DIR]     (default docs/)
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${SHOOT_WINEPREFIX:-/tmp/liftorn-shoot-wine}"
source "$root/scripts/wine-env.sh"
out="$(realpath -m "${1:-$root/docs}")"
build="$LIFTORN_BUILD_DIR/win"
for exe in liftorn.exe capture_target.exe; do
  [ -f "$build/$exe" ] || { echo "shoot-hotkeys: $build/$exe is missing; run scripts/build.sh win" >&2; exit 1; }
done

mkdir -p "$out"
source "$root/tools/shoot-desktop.sh"
"$root/scripts/wine-prefix.sh"  # the fonts the skin is drawn with

data="$work/appdata/vantorel liftorn"
mkdir -p "$data"
appdata="Z:${work//\//\\}\\appdata"
shot() { import -window root "$work/screen.png"; convert "$work/screen.png" -crop "$2" +repage "$out/$1"; echo "wrote $out/$1"; }
wait_for() {  # NAME: a visible window of that title
  for _ in $(seq 150); do xdotool search --onlyvisible --name "^$1\$" >/dev/null 2>&1 && return 0; sleep 0.1; done
  echo "shoot-hotkeys: no window \"$1\"" >&2; return 1
}
launcher="$work/liftorn.cmd"
printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$appdata" "Z:${build//\//\\}\\liftorn.exe" >"$launcher"
liftorn() { wine cmd /c "Z:${launcher//\//\\}" "$@" >/dev/null 2>&1; }

printf '%s\r\n' "understoodscreenshot true" "showtoastalerts false" \
  "adv_api_upload_uri http://127.0.0.1:9/api/json" "positionx 40" "positiony 60" >"$data/vantorel.conf"
# Windows' own snipping on Print Screen, and another program holding
# Alt+Print Screen (MOD_ALT 1, VK_SNAPSHOT 44), before the program starts.
snipping() {  # add|delete [value options]
  local what="$1"; shift
  wine reg "$what" 'HKCU\Control Panel\Keyboard' /v PrintScreenKeyForSnippingEnabled "$@" /f >/dev/null 2>&1 || true
}
snipping add /t REG_DWORD /d 1
wine "$build/capture_target.exe" hotkey 1 44 >/dev/null 2>&1 &
sleep 2
liftorn &
wait_for "vantorel liftorn"
sleep 3
# What could not be had is said once, in a balloon from the notification
# area (Wine shows it at the screen's top-left corner).
shot hotkey-balloon.png 640x140+0+0
sleep 20  # until it has gone

# Settings, then its "Keyboard shortcuts..." link beside the switches' title.
xdotool mousemove $((40 + 127)) $((60 + 530 - 72 + 7)) click 1
sleep 2
xdotool mousemove $((40 + 245)) $((60 + 220)) click 1
sleep 2
xdotool mousemove $((40 + 290)) $((60 + 300))
sleep 1
shot hotkey-page.png 364x578+16+36

# A screenshot in 3 seconds from the tray's menu has the same road as this
# hand-off; the countdown stands beside the notification area.
liftorn /screenshot /delay 10 &
for _ in $(seq 150); do xdotool search --onlyvisible --name '^countdown$' >/dev/null 2>&1 && break; sleep 0.1; done
sleep 2.5
shot countdown.png 260x110+1020+914
# The prefix is shared with the other screenshot scripts: Print Screen is
# theirs again.
snipping delete
