#!/usr/bin/env bash
# How long the upload queue takes to write down a drop of many files before
# it is acknowledged (queue_bench.exe under Wine, a fresh history.db in a
# temporary folder): all at once in one transaction, and one by one for
# scale. Prints figures; not a test.
#   tools/bench-queue.sh [FILES]     (needs a built build/win, or QUEUE_BENCH_EXE)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${QUEUE_BENCH_WINEPREFIX:-/tmp/liftorn-queue-bench-wine}"
source "$root/scripts/wine-env.sh"
files="${1:-1000}"
bench="${QUEUE_BENCH_EXE:-$LIFTORN_BUILD_DIR/win/queue_bench.exe}"
[ -f "$bench" ] || { echo "bench-queue: $bench is missing; run scripts/build.sh win" >&2; exit 1; }
work="$(mktemp -d /tmp/liftorn-queue-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT
folder="Z:$(echo "$work" | tr / '\\')"
"$root/scripts/with-display.sh" --virtual wine "$bench" "$folder" "$files"
