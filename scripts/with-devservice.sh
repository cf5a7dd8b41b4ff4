#!/usr/bin/env bash
# Runs a command next to a private development service, then stops it.
#   with-devservice.sh COMMAND...
# The service listens on a free port of 127.0.0.1 and keeps its data in a
# fresh folder; the command sees
#   LIFTORN_DEVSERVICE_URL=http://127.0.0.1:PORT
#   LIFTORN_DEVSERVICE_DATA=<the data folder>
# The exit code is the command's (or 1 if the service did not start).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

[ "$#" -gt 0 ] || { echo "usage: with-devservice.sh COMMAND..." >&2; exit 2; }

work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-devservice.XXXXXX")"
service_pid=""
stop_service() {
  if [ -n "$service_pid" ]; then
    kill -TERM "$service_pid" 2>/dev/null
    for _ in $(seq 50); do kill -0 "$service_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$service_pid" 2>/dev/null
    wait "$service_pid" 2>/dev/null
    service_pid=""
  fi
  rm -rf "$work"
}
trap stop_service EXIT
trap 'exit 130' INT TERM

python3 "$root/tools/devservice.py" --port 0 --data-dir "$work/data" \
  --port-file "$work/port" >"$work/service.log" 2>&1 &
service_pid=$!

for _ in $(seq 100); do
  [ -s "$work/port" ] && break
  kill -0 "$service_pid" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$work/port" ]; then
  echo "with-devservice: the development service did not start" >&2
  cat "$work/service.log" >&2
  exit 1
fi

export LIFTORN_DEVSERVICE_URL="http://127.0.0.1:$(tr -d '[:space:]' <"$work/port")"
export LIFTORN_DEVSERVICE_DATA="$work/data"
"$@"
status=$?
exit "$status"
