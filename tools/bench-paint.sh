#!/usr/bin/env bash
# Paint speed of the skinned window (paint_bench.exe under Wine on a private
# virtual display): the median of a full recomposition of the 316 x 530
# window and of one progress-bar tick, over many paints; then the program's
# main window recomposed at 100 %, 150 % and 200 %. Not a test.
#   tools/bench-paint.sh [PAINTS]     (needs a built build/win, or PAINT_BENCH_EXE)
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${PAINT_BENCH_WINEPREFIX:-/tmp/liftorn-paint-bench-wine}"
source "$root/scripts/wine-env.sh"
paints="${1:-500}"
bench="${PAINT_BENCH_EXE:-$LIFTORN_BUILD_DIR/win/paint_bench.exe}"
[ -f "$bench" ] || { echo "bench-paint: $bench is missing; run scripts/build.sh win" >&2; exit 1; }
# The skin is copied beside the programs when the showcase is built.
[ -d "$(dirname "$bench")/skin" ] || { echo "bench-paint: no skin beside $bench" >&2; exit 1; }
"$root/scripts/with-display.sh" --virtual sh -c '
bench="$1"; paints="$2"
wine "$bench" "$paints" || exit 1
for dpi in 96 144 192; do wine "$bench" --dpi "$dpi" "$paints" || exit 1; done' bench-paint "$bench" "$paints"
