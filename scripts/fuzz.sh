#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
#   fuzz.sh [seconds per target, default 60]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
seconds="${1:-60}"
"$root/scripts/install-packages.sh"
out="$LIFTORN_BUILD_DIR/fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$out" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DLIFTORN_FUZZ=ON >/dev/null
cmake --build "$out" -j "$(nproc)"
for target in json_fuzz settings_fuzz pending_row_fuzz; do
  mkdir -p "$out/corpus/$target"
  echo "== $target for ${seconds}s"
  "$out/$target" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$out/corpus/$target"
done
