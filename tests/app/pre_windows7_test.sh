#!/usr/bin/env bash
# The real program on a system before Windows 7, in a Wine prefix of this
# test's own that reports Windows XP: a second start hands it a file, the
# upload is recorded in history.db but no "urls" folder or shortcut file
# appears, the notification-area icon exists while it runs and follows the
# settings page's switch, and Exit ends it with code 0 after saving the
# configuration.
#   pre_windows7_test.sh LIFTORN_EXE PROBE_EXE PREFIX_DIR
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ "$#" -eq 3 ] || { echo "usage: pre_windows7_test.sh LIFTORN_EXE PROBE_EXE PREFIX_DIR" >&2; exit 2; }
liftorn="$1" probe="$2" prefix="$3"

# With no service yet, run ourselves next to one.
if [ -z "${LIFTORN_DEVSERVICE_URL:-}" ]; then
  exec "$root/scripts/with-devservice.sh" "$0" "$@"
fi
[ -n "${DISPLAY:-}" ] || { echo "pre_windows7_test: needs DISPLAY (run under scripts/with-display.sh)" >&2; exit 1; }

export WINEPREFIX="$prefix"
name=prewin7
source "$root/tests/app/instance_test_lib.sh"

# The prefix is made once (a copy of the build's pristine one) and stamped;
# a half-made one is made again.
if [ ! -e "$prefix/.liftorn-winxp" ]; then
  rm -rf "$prefix"
  "$root/scripts/wine-prefix.sh" || { echo "FAIL: cannot make the prefix $prefix" >&2; exit 1; }
  wine winecfg -v winxp64 >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.liftorn-winxp"
fi
wineserver -p >/dev/null 2>&1

version="$(wine "$probe" version | tr -d '\r')"
[ "$version" = "5.2" ] || { echo "FAIL: the prefix reports Windows $version, not XP (5.2)" >&2; exit 1; }

# Each start gets a data folder of its own under $work/NAME, with a
# configuration pointing at the service plus the given lines.
# Wine sets APPDATA for the first process from its profile: set it inside.
start_instance() {
  local name="$1" extra="$2"
  appdata="$work/$name"
  data="$appdata/vantorel liftorn"
  mkdir -p "$data"
  local base="$LIFTORN_DEVSERVICE_URL"
  # A recent update check keeps the daily check quiet.
  printf 'adv_api_upload_uri %s/api/json\r\nadv_api_verify_uri %s/api/json\r\nadv_main_uri %s\r\nLastUpdateCheck %s\r\n%s' \
    "$base" "$base" "$base" "$(date +%s)" "$extra" >"$data/vantorel.conf"
  launcher="$work/$name.cmd"
  printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$(winpath "$appdata")" "$(winpath "$liftorn")" >"$launcher"
  wine cmd /c "$(winpath "$launcher")" >"$work/$name.log" 2>&1 &
  instance_pid=$!
  wine "$probe" wait-window || { echo "FAIL: the instance ($name) published no window" >&2; exit 1; }
}

quit_instance() {
  local code
  code="$(wine "$probe" quit | tr -d '\r')"
  [ "$code" = "0" ] || fail "Exit did not end the instance ($1) with code 0 (probe said '$code')"
  wait "$instance_pid" 2>/dev/null
  instance_pid=""
}

# With the icon switched off in the settings, none is added.
start_instance no-tray $'ShowTrayIcon false\r\n'
wine "$probe" tray 1
[ $? -eq 1 ] || fail "a notification-area icon was added although ShowTrayIcon is false"
quit_instance no-tray
grep -qi '^AlwaysOnTop ' "$data/vantorel.conf" || fail "the configuration (no-tray) was not saved at exit"
grep -qi '^ShowTrayIcon false' "$data/vantorel.conf" || fail "the saved configuration lost ShowTrayIcon false"

start_instance main ""
wine "$probe" tray 1
case $? in
  0) ;;
  1) fail "no notification-area icon for the instance's window" ;;
  *) fail "the instance's window vanished before the tray check" ;;
esac
# The shell must tell icons apart for that to mean anything.
wine "$probe" tray 2
[ $? -eq 1 ] || fail "the shell claims an icon 2 that was never added: the tray check proves nothing"
# Explorer restarts: the icon comes back.
wine "$probe" restart-shell || fail "could not stage an Explorer restart"
wine "$probe" tray 1
[ $? -eq 0 ] || fail "the tray icon did not come back after TaskbarCreated"
# The settings page's switch takes the icon away and brings it back at once.
wine "$probe" click 127 465   # the settings button of the 530-pixel window
wine "$probe" click 61 292    # the tray switch
wine "$probe" tray 1
[ $? -eq 1 ] || fail "switching the tray icon off on the settings page left the icon"
wine "$probe" click 61 292
wine "$probe" tray 1 || fail "switching the tray icon on again on the settings page did not add it"
upload="$work/old system.txt"
printf 'uploaded from an old system\r\n' >"$upload"

wine cmd /c "$(winpath "$launcher")" "$(winpath "$upload")" || fail "the second start did not exit with 0"

# Wait for the upload to be recorded.
history_rows() {
  python3 - "$data/history.db" <<'PY'
import sqlite3, sys
try:
    db = sqlite3.connect("file:" + sys.argv[1] + "?mode=ro", uri=True)
    for filename, url, url_file in db.execute("SELECT filename, url, url_file FROM history ORDER BY rowid"):
        print(f"{filename}|{url}|{url_file or ''}")
except sqlite3.Error:
    pass
PY
}
rows=""
for _ in $(seq 150); do
  rows="$(history_rows)"
  [ -n "$rows" ] && break
  sleep 0.2
done
if [ "$(printf '%s\n' "$rows" | grep -c .)" != 1 ]; then
  fail "expected one history row, got: '$rows'"
else
  case "$rows" in
    # The row names the shortcut all the same; only the file is not written.
    "old system.txt|http://127.0.0.1:"*"/old%20system.txt|"*"_old system.txt.url") ;;
    *) fail "unexpected history row (want the file's name, its URL, the shortcut's name): '$rows'" ;;
  esac
fi

quit_instance main

[ -d "$data/thumbs" ] || fail "no thumbs folder"
[ ! -e "$data/urls" ] || fail "a urls folder was made before Windows 7"
found="$(find "$appdata" -name '*.url' | head -n 5)"
[ -z "$found" ] || fail "shortcut files written before Windows 7: $found"
# The configuration is saved at exit, with every setting, not only ours.
grep -q '^adv_main_uri ' "$data/vantorel.conf" || fail "the saved configuration lost adv_main_uri"
grep -qi '^AlwaysOnTop ' "$data/vantorel.conf" || fail "the configuration (main) was not saved at exit"
grep -qi '^ShowTrayIcon true' "$data/vantorel.conf" || fail "the saved configuration lost ShowTrayIcon true"

if [ "$failures" -ne 0 ]; then
  for log in "$work"/*.log; do echo "--- $(basename "$log")" >&2; cat "$log" >&2; done
  exit 1
fi
echo "pre_windows7_test: passed"
