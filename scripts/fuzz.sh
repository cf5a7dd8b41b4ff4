#!/usr/bin/env bash
# Builds the libFuzzer targets (build/fuzz) and fuzzes each in turn for a
# bounded time, starting from its seed corpus in tests/fuzz/corpus/<target>;
# what a run adds is kept in build/fuzz/corpus/<target>, and inputs that
# crash or hang in build/fuzz/fuzz-artifacts. Prints the runs and coverage
# of each; non-zero when any target failed.
#   fuzz.sh [seconds per target, default 60] [target ...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
seconds="${1:-60}"
shift || true
"$root/scripts/build.sh" fuzz
out="$LIFTORN_BUILD_DIR/fuzz"
if [ $# -gt 0 ]; then targets=("$@"); else mapfile -t targets < "$out/fuzz-targets.txt"; fi

mkdir -p "$out/logs" "$out/fuzz-artifacts"
summary=()
failed=0
for target in "${targets[@]}"; do
  [ -n "$target" ] || continue
  mkdir -p "$out/corpus/$target"
  log="$out/logs/$target.log"
  echo "== $target for ${seconds}s (log: $log)"
  status=0
  "$out/${target}_fuzz" -max_total_time="$seconds" -max_len=65536 -timeout=10 -print_final_stats=1 \
      -artifact_prefix="$out/fuzz-artifacts/$target-" \
      "$out/corpus/$target" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  coverage="$(grep -Eo 'cov: [0-9]+ ft: [0-9]+ corp: [0-9]+' "$log" | tail -n 1)"
  if [ "$status" -eq 0 ]; then
    result=passed
  else
    result="FAILED ($status): $(grep -m1 -E 'ERROR|property does not hold|Test unit written' "$log" || true)"
    failed=1
  fi
  line="$(printf '%-10s runs %-10s %-32s %s' "$target" "${runs:-?}" "${coverage:-cov: ?}" "$result")"
  echo "$line"
  summary+=("$line")
done

echo "== fuzzing summary (${seconds}s each)"
printf '%s\n' "${summary[@]}"
exit "$failed"
