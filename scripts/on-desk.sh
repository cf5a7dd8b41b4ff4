#!/usr/bin/env bash
# Runs a test's command on the desk ctest gave it (scripts/with-display.sh
# --desks): that desk's display and Wine prefix. Without a desk the command
# runs on the first one, where tests that need none run.
#   on-desk.sh COMMAND...
set -uo pipefail
if [ -n "${CTEST_RESOURCE_GROUP_0_DESKS:-}" ] && [ -n "${LIFTORN_DESK_DISPLAYS:-}" ]; then
  # "id:1,slots:1"
  desk="${CTEST_RESOURCE_GROUP_0_DESKS#id:}"
  desk="${desk%%,*}"
  read -r -a displays <<<"$LIFTORN_DESK_DISPLAYS"
  case "$desk" in
    [0-9]) ;;
    *) echo "on-desk: no such desk: $CTEST_RESOURCE_GROUP_0_DESKS" >&2; exit 2 ;;
  esac
  [ "$desk" -lt "${#displays[@]}" ] || { echo "on-desk: no display for desk $desk" >&2; exit 2; }
  export DISPLAY="${displays[$desk]}"
  [ "$desk" = 0 ] || export WINEPREFIX="$WINEPREFIX-desk$desk"
fi
exec "$@"
