#!/usr/bin/env bash
# Runs a command with a display and one long-lived wineserver, then cleans up.
#   with-display.sh [--virtual] COMMAND...
# --virtual always starts a private Xvfb; otherwise $DISPLAY is used when set.
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"

virtual=0
if [ "${1:-}" = "--virtual" ]; then virtual=1; shift; fi
[ -n "${DISPLAY:-}" ] || virtual=1

xvfb_pid=""
cleanup() {
  wineserver -k >/dev/null 2>&1
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" >/dev/null 2>&1
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ "$virtual" = 1 ]; then
  for n in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do
      xdpyinfo -display ":$n" >/dev/null 2>&1 && break
      kill -0 "$xvfb_pid" 2>/dev/null || break
      sleep 0.1
    done
    if xdpyinfo -display ":$n" >/dev/null 2>&1; then export DISPLAY=":$n"; break; fi
    kill "$xvfb_pid" 2>/dev/null; xvfb_pid=""
  done
  [ -n "$xvfb_pid" ] || { echo "with-display: could not start Xvfb" >&2; exit 1; }
fi

# A wineserver left over from another display would keep that display.
wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
"$(dirname "${BASH_SOURCE[0]}")/wine-prefix.sh" || exit 1
wineserver -p >/dev/null 2>&1
# Start Wine's background services now, detached from our output: started by
# the first test instead, they would hold its output pipe open and make it
# look as if that test ran for minutes.
wine cmd /c exit >/dev/null 2>&1 </dev/null
"$@"
