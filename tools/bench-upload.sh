#!/usr/bin/env bash
# Upload throughput of the same 50 MB file to the same development service,
# runs interleaved: the program's upload worker under Wine against the curl
# command line built for Windows on the same libcurl (from the dependency
# cache) under the same Wine, the like-for-like comparison; and the native
# curl command line, the ceiling of this machine (it does not pay for Wine's
# sockets). Prints the median of each over RUNS runs and the ratios; not a
# test.
#   tools/bench-upload.sh [RUNS]            (needs a built build/win)
# LIFTORN_BENCH_WINDOWS_CURL=/path/curl.exe puts another Windows curl in.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
# Wine's sockets stall now and then (an upload of 50 MB takes 0.2 s or 10 s
# for no reason of its own), so it takes many runs for the medians to settle.
runs="${1:-25}"
bench="$LIFTORN_BUILD_DIR/win/upload_bench.exe"
[ -f "$bench" ] || { echo "bench-upload: $bench is missing; run scripts/build.sh win" >&2; exit 1; }
command -v curl >/dev/null || { echo "bench-upload: the curl command line is missing" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
file="$work/bench-50MB.bin"
head -c 52428800 /dev/urandom >"$file"
export BENCH_FILE="$file" BENCH_RUNS="$runs" BENCH_EXE="$bench"
wincurl="${LIFTORN_BENCH_WINDOWS_CURL:-$("$root/scripts/build-deps.sh" | tail -n 1)/tools/curl.exe}"
[ -f "$wincurl" ] || { echo "bench-upload: no Windows curl at $wincurl" >&2; exit 1; }
export BENCH_WINCURL="$wincurl"

"$root/scripts/with-devservice.sh" "$root/scripts/with-display.sh" --virtual bash -c '
  set -euo pipefail
  url="$LIFTORN_DEVSERVICE_URL/api/json"
  winfile="Z:$(printf "%s" "$BENCH_FILE" | tr / "\\\\")"
  worker=(); host=(); wincurl=()
  for run in $(seq "$BENCH_RUNS"); do
    worker+=("$(wine "$BENCH_EXE" "$url" "$winfile" 1 | awk "/worker_seconds/ {print \$2}")")
    wincurl+=("$(wine "$BENCH_WINCURL" -s -o NUL -H "Expect:" -F "Filedata=@$winfile" -w "%{time_total}" "$url")")
    host+=("$(curl -s -o /dev/null -H "Expect:" -F "Filedata=@$BENCH_FILE" -w "%{time_total}" "$url")")
    echo "run $run: worker ${worker[-1]} s, curl.exe under Wine ${wincurl[-1]} s, native curl ${host[-1]} s"
  done
  # quantile Q SECONDS...: the value Q of the way up the sorted list.
  quantile() { local q=$1; shift; printf "%s\n" "$@" | sort -g |
    awk -v q="$q" "{v[NR] = \$1} END {i = int(q * (NR - 1) + 1.5); print v[i]}"; }
  report() {  # name seconds...
    local name=$1; shift
    awk -v n="$name" -v m="$(quantile 0.5 "$@")" -v lo="$(quantile 0.25 "$@")" \
        -v hi="$(quantile 0.75 "$@")" \
        "BEGIN {printf \"%-18s %7.1f MB/s (median %.3f s, quartiles %.3f to %.3f s)\n\", n, 50 / m, m, lo, hi}"
  }
  w=$(quantile 0.5 "${worker[@]}"); x=$(quantile 0.5 "${wincurl[@]}"); c=$(quantile 0.5 "${host[@]}")
  report "worker (Wine):" "${worker[@]}"
  report "curl.exe (Wine):" "${wincurl[@]}"
  report "native curl:" "${host[@]}"
  awk -v w="$w" -v x="$x" "BEGIN {printf \"worker / curl.exe under Wine: %.2f (goal >= 1.0)\n\", x / w}"
  awk -v w="$w" -v c="$c" "BEGIN {printf \"worker / native curl (the ceiling): %.2f\n\", c / w}"
'
