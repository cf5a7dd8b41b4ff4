#!/usr/bin/env bash
# Runs a command with a display and one long-lived wineserver, then cleans up.
#   with-display.sh [--virtual] [--desks N] COMMAND...
# --virtual always starts a private Xvfb; otherwise $DISPLAY is used when set.
# --desks N (implies --virtual) sets up N desks, each a private display with a
# Wine prefix of its own: desk 0 is $WINEPREFIX, desk k is $WINEPREFIX-desk<k>.
# The command sees desk 0 as DISPLAY and WINEPREFIX, all displays in
# LIFTORN_DESK_DISPLAYS, and in LIFTORN_DESK_RESOURCES a ctest resource file that
# offers the desks as the resource "desks" (scripts/on-desk.sh moves a test
# onto the one it was given).
set -uo pipefail
source "$(dirname "${BASH_SOURCE[0]}")/wine-env.sh"
scripts="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"

virtual=0
desks=1
while [ "$#" -gt 0 ]; do
  case "$1" in
    --virtual) virtual=1; shift ;;
    --desks) desks="$2"; virtual=1; shift 2 ;;
    *) break ;;
  esac
done
[ -n "${DISPLAY:-}" ] || virtual=1
case "$desks" in [1-9]) ;; *) echo "with-display: --desks takes 1 to 9" >&2; exit 2 ;; esac

base_prefix="$WINEPREFIX"
prefixes=()
xvfb_pids=()
desk_file=""
cleanup() {
  for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1; done
  for pid in "${xvfb_pids[@]}"; do kill "$pid" >/dev/null 2>&1; done
  [ -n "$desk_file" ] && rm -f "$desk_file"
  wait 2>/dev/null
}
trap cleanup EXIT
trap 'exit 130' INT TERM

source "$scripts/xvfb-lib.sh"

# The prefix of the desk on the current DISPLAY, made ready with its
# wineserver and Wine's background services running.
start_wine() {
  # A wineserver left over from another display would keep that display.
  wineserver -k >/dev/null 2>&1; wineserver -w >/dev/null 2>&1
  "$scripts/wine-prefix.sh" || return 1
  wineserver -p >/dev/null 2>&1
  # Start Wine's background services now, detached from our output: started
  # by the first test instead, they would hold its output pipe open and make
  # it look as if that test ran for minutes.
  wine cmd /c exit >/dev/null 2>&1 </dev/null || true
}

displays=()
for ((desk = 0; desk < desks; desk++)); do
  if [ "$virtual" = 1 ]; then
    start_xvfb
    [ -n "$display" ] || { echo "with-display: could not start Xvfb" >&2; exit 1; }
  else
    display="$DISPLAY"
  fi
  displays+=("$display")
  prefix="$base_prefix"
  [ "$desk" = 0 ] || prefix="$base_prefix-desk$desk"
  prefixes+=("$prefix")
done

# The desks' prefixes are made side by side: a new one takes a while.
pids=()
for ((desk = 0; desk < desks; desk++)); do
  DISPLAY="${displays[$desk]}" WINEPREFIX="${prefixes[$desk]}" start_wine &
  pids+=("$!")
done
for pid in "${pids[@]}"; do wait "$pid" || exit 1; done

export DISPLAY="${displays[0]}" WINEPREFIX="$base_prefix"
export LIFTORN_DESK_DISPLAYS="${displays[*]}"
desk_file="$(mktemp "${TMPDIR:-/tmp}/liftorn-desks.XXXXXX")"
{
  printf '{"version": {"major": 1, "minor": 0}, "local": [{"desks": ['
  for ((desk = 0; desk < desks; desk++)); do
    [ "$desk" = 0 ] || printf ', '
    printf '{"id": "%d", "slots": 1}' "$desk"
  done
  printf ']}]}\n'
} >"$desk_file"
export LIFTORN_DESK_RESOURCES="$desk_file"
"$@"
