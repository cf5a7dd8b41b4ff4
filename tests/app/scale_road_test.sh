#!/usr/bin/env bash
# The real program on a desktop at 150 %, in a Wine prefix of this test's own
# whose display runs at 144 DPI: the main window is 474 x 795 with the
# pictures of the 150 % set on the screen as they are, a file handed over by
# a second start is uploaded (history row) and its toast is 144 pixels tall,
# a region capture of another program's window holds exactly its pixels,
# and the settings page shows the 150 % set's heading in the same window;
# then the same at 200 % but for the capture.
#   scale_road_test.sh LIFTORN_EXE PROBE_EXE TARGET_EXE PREFIX_DIR
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ "$#" -eq 4 ] || { echo "usage: scale_road_test.sh LIFTORN_EXE PROBE_EXE TARGET_EXE PREFIX_DIR" >&2; exit 2; }
liftorn="$1" probe="$2" target="$3" prefix="$4"

# With no service yet, run ourselves next to one.
if [ -z "${LIFTORN_DEVSERVICE_URL:-}" ]; then
  exec "$root/scripts/with-devservice.sh" "$0" "$@"
fi
[ -n "${DISPLAY:-}" ] || { echo "scale_road_test: needs DISPLAY (run under scripts/with-display.sh)" >&2; exit 1; }

export WINEPREFIX="$prefix-144"
name=scale
source "$root/tests/app/instance_test_lib.sh"

# A prefix per scale ($prefix-DPI) is made once (a copy of the build's
# pristine one, its desktop set to that DPI) and stamped; a half-made one is
# made again. Its server runs until the next one is used.
use_prefix() {  # DPI
  [ "$WINEPREFIX" = "$prefix-$1" ] || wineserver -k >/dev/null 2>&1
  export WINEPREFIX="$prefix-$1"
  if [ ! -e "$WINEPREFIX/.liftorn-dpi" ]; then
    rm -rf "$WINEPREFIX"
    "$root/scripts/wine-prefix.sh" || { echo "FAIL: cannot make the prefix $WINEPREFIX" >&2; exit 1; }
    for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
      wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 </dev/null \
        || { echo "FAIL: cannot set LogPixels in $key" >&2; exit 1; }
    done
    wineserver -w
    touch "$WINEPREFIX/.liftorn-dpi"
  fi
  wineserver -p >/dev/null 2>&1
}
use_prefix 144

appdata="$work/appdata"
data="$appdata/vantorel liftorn"
mkdir -p "$data"
base="$LIFTORN_DEVSERVICE_URL"
# A recent update check keeps the daily check quiet; 530 tall at 100 %.
printf 'adv_api_upload_uri %s/api/json\r\nadv_api_verify_uri %s/api/json\r\nadv_main_uri %s\r\nLastUpdateCheck %s\r\nUnderstoodScreenshot true\r\nPositionX 40\r\nPositionY 40\r\nLiftornHeight 530\r\nShowToastAlerts true\r\n' \
  "$base" "$base" "$base" "$(date +%s)" >"$data/vantorel.conf"
launcher="$work/liftorn.cmd"
printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$(winpath "$appdata")" "$(winpath "$liftorn")" >"$launcher"
wine cmd /c "$(winpath "$launcher")" >"$work/liftorn.log" 2>&1 &
instance_pid=$!
wine "$probe" wait-window || { echo "FAIL: the program published no window" >&2; exit 1; }

program_folder="$(winpath "$(dirname "$liftorn")/")"
expect_size() {  # "WIDTH HEIGHT" WHAT; the window may take a moment to size itself
  local size=""
  for _ in $(seq 50); do
    size="$(wine "$probe" size | tr -d '\r')"
    [ "$size" = "$1" ] && return 0
    sleep 0.1
  done
  fail "$2 is '$size', not $1"
}
expect_size "474 795" "the main window"
match() {  # NAME X Y WHAT
  local result=""
  for _ in $(seq 30); do
    result="$(wine "$probe" match "$program_folder" "$1" "$2" "$3" | tr -d '\r')" && return 0
    sleep 0.1
  done
  fail "$4 on the screen is not the picture $1 of the scale's set as it is (opaque, same: '$result')"
}
match DROP_NORMAL 63 48 "the drop area"

history_names() {
  python3 - "$data/history.db" <<'PY'
import sqlite3, sys
try:
    db = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
    for (filename,) in db.execute("SELECT filename FROM history ORDER BY rowid"):
        print(filename)
except sqlite3.Error:
    pass
PY
}
wait_history() {  # the names, one a line
  rows=""
  for _ in $(seq 150); do
    rows="$(history_names)"
    [ "$rows" = "$1" ] && return 0
    sleep 0.2
  done
  fail "expected the history '$1', got: '$rows'"
}

# A file handed over by a second start is uploaded; its toast is drawn at 150 %.
upload="$work/at 150 percent.txt"
printf 'uploaded at 150 %%\r\n' >"$upload"
wine cmd /c "$(winpath "$launcher")" "$(winpath "$upload")" || fail "the second start did not exit with 0"
toast="$(wine "$probe" toast | tr -d '\r')"
[ "$toast" = "144" ] || fail "the toast is '$toast' pixels tall, not 144"
wait_history "at 150 percent.txt"

# A region capture inside another program's window, which paints a pattern
# of its own at (600, 300): 200 x 100 pixels, each the pattern's. The
# overlay's upload button (8 to 88 from the corner at 150 %), then the
# prompt's OK button (161, 107 at 100 %).
wine "$target" pattern 600 300 320 240 Pattern >/dev/null 2>&1 &
wine "$probe" wait-title Pattern || fail "no pattern window"
wine cmd /c "$(winpath "$launcher")" /screenshot || fail "the /screenshot start did not exit with 0"
wine "$probe" wait-title SnippingWindow || fail "no capture overlay"
wine "$probe" drag 640 340 839 439
wine "$probe" press 48 48
wine "$probe" wait-title "vantorel liftorn" tool || fail "no capture prompt"
wine "$probe" click 284 176
wait_history $'at 150 percent.txt\ncapture.png'
captured="$(find "$LIFTORN_DEVSERVICE_DATA/files" -name capture.png | head -n 1)"
if [ -z "$captured" ]; then
  fail "the service has no capture.png"
else
  python3 - "$captured" <<'PY' || fail "the capture is not the pattern's pixels"
import subprocess, sys
path = sys.argv[1]
size = tuple(map(int, subprocess.run(["identify", "-format", "%w %h", path], capture_output=True, text=True,
                                     check=True).stdout.split()))
raw = subprocess.run(["convert", path, "-depth", "8", "rgb:-"], capture_output=True, check=True).stdout
if size != (200, 100):
    sys.exit(f"capture {size}, not 200 x 100")
def pattern(x, y):  # capture/capture_target_pattern.h
    return bytes(((x * 7 + 13) & 0xFF, (y * 5 + 31) & 0xFF, ((x ^ y) * 3) & 0xFF))
wrong = sum(1 for y in range(100) for x in range(200)
            if raw[(y * 200 + x) * 3:(y * 200 + x) * 3 + 3] != pattern(40 + x, 40 + y))
print(f"capture 200 x 100: {wrong} pixels not the pattern's")
sys.exit(1 if wrong else 0)
PY
fi

# The settings button (120, -72 at 100 %), then the page's heading (45, 30).
wine "$probe" click 190 698
match SETTINGS_HEADING 68 45 "the settings page's heading"
expect_size "474 795" "with the settings shown the window"

quit_program() {
  local code
  code="$(wine "$probe" quit | tr -d '\r')"
  [ "$code" = "0" ] || fail "Exit did not end the program with code 0 at $1 DPI (probe said '$code')"
  wait "$instance_pid" 2>/dev/null
  instance_pid=""
}
quit_program 144
grep -qi '^LiftornHeight 530' "$data/vantorel.conf" || fail "the height was not kept at 100 % (530)"

# At 200 %, on a display of its own tall enough for the whole window:
# 632 x 1060, the 200 % set's drop area at (84, 64), an upload with its toast
# 192 pixels tall, and the settings page's heading from the 200 % set.
source "$root/scripts/xvfb-lib.sh"
start_xvfb 1280x1200x24
[ -n "$display" ] || { echo "FAIL: no display for 200 %" >&2; exit 1; }
export DISPLAY="$display"
use_prefix 192
wine cmd /c "$(winpath "$launcher")" >"$work/liftorn-192.log" 2>&1 &
instance_pid=$!
wine "$probe" wait-window || fail "the program published no window at 192 DPI"
expect_size "632 1060" "at 192 DPI the main window"
match DROP_NORMAL 84 64 "the drop area at 200 %"
upload="$work/at 200 percent.txt"
printf 'uploaded at 200 %%\r\n' >"$upload"
wine cmd /c "$(winpath "$launcher")" "$(winpath "$upload")" || fail "the second start did not exit with 0 at 192 DPI"
toast="$(wine "$probe" toast | tr -d '\r')"
[ "$toast" = "192" ] || fail "at 192 DPI the toast is '$toast' pixels tall, not 192"
wait_history $'at 150 percent.txt\ncapture.png\nat 200 percent.txt'
wine "$probe" click 252 930
match SETTINGS_HEADING 90 60 "the settings page's heading at 200 %"
expect_size "632 1060" "with the settings shown at 192 DPI the window"
quit_program 192

if [ "$failures" -ne 0 ]; then
  for log in "$work"/*.log; do echo "--- $(basename "$log")" >&2; cat "$log" >&2; done
  exit 1
fi
echo "scale_road_test: passed"
