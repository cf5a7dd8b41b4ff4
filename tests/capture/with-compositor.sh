#!/usr/bin/env bash
# Runs a command with a compositor on $DISPLAY, so layered windows really
# blend on screen (what transparent window grabs read), and stops it after.
#   with-compositor.sh COMMAND...
set -uo pipefail
xcompmgr >/dev/null 2>&1 &
compositor=$!
trap 'kill "$compositor" 2>/dev/null; wait "$compositor" 2>/dev/null' EXIT
sleep 0.5
"$@"
