#!/usr/bin/env bash
# Upload throughput: the program's upload worker (under Wine) against the curl
# command line, the same 50 MB file to the same development service in the
# same run, runs alternating. Prints both throughputs and their ratio; not a
# test.
#   tools/bench-upload.sh [RUNS]            (needs a built build/win)
# LIFTORN_BENCH_WINDOWS_CURL=/path/curl.exe adds a Windows build of the curl
# command line run under the same Wine, the like-for-like comparison.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
runs="${1:-5}"
bench="$LIFTORN_BUILD_DIR/win/upload_bench.exe"
[ -f "$bench" ] || { echo "bench-upload: $bench is missing; run scripts/build.sh win" >&2; exit 1; }
command -v curl >/dev/null || { echo "bench-upload: the curl command line is missing" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT
file="$work/bench-50MB.bin"
head -c 52428800 /dev/urandom >"$file"
export BENCH_FILE="$file" BENCH_RUNS="$runs" BENCH_EXE="$bench"
export BENCH_WINCURL="${LIFTORN_BENCH_WINDOWS_CURL:-}"

"$root/scripts/with-devservice.sh" "$root/scripts/with-display.sh" --virtual bash -c '
  set -euo pipefail
  url="$LIFTORN_DEVSERVICE_URL/api/json"
  winfile="Z:$(printf "%s" "$BENCH_FILE" | tr / "\\\\")"
  worker=(); host=(); wincurl=()
  for run in $(seq "$BENCH_RUNS"); do
    worker+=("$(wine "$BENCH_EXE" "$url" "$winfile" 1 | awk "/worker_seconds/ {print \$2}")")
    host+=("$(curl -s -o /dev/null -H "Expect:" -F "Filedata=@$BENCH_FILE" -w "%{time_total}" "$url")")
    line="run $run: worker ${worker[-1]} s, curl ${host[-1]} s"
    if [ -n "$BENCH_WINCURL" ]; then
      wincurl+=("$(wine "$BENCH_WINCURL" -s -o NUL -H "Expect:" -F "Filedata=@$winfile" -w "%{time_total}" "$url")")
      line="$line, curl.exe under Wine ${wincurl[-1]} s"
    fi
    echo "$line"
  done
  median() { printf "%s\n" "$@" | sort -g | awk "{v[NR] = \$1} END {print v[int((NR + 1) / 2)]}"; }
  report() {  # name seconds
    awk -v n="$1" -v s="$2" "BEGIN {printf \"%-22s %7.1f MB/s (median %.3f s)\n\", n, 50 / s, s}"
  }
  w=$(median "${worker[@]}"); c=$(median "${host[@]}")
  report "worker (Wine):" "$w"
  report "curl command line:" "$c"
  awk -v w="$w" -v c="$c" "BEGIN {printf \"ratio worker/curl: %.2f (goal >= 0.9)\n\", c / w}"
  if [ -n "$BENCH_WINCURL" ]; then
    x=$(median "${wincurl[@]}")
    report "curl.exe (Wine):" "$x"
    awk -v w="$w" -v x="$x" "BEGIN {printf \"ratio worker/curl.exe under Wine: %.2f\n\", x / w}"
  fi
'
