#!/usr/bin/env bash
# Folder archiving speed: the program's ZIP layer (zip_bench.exe under Wine)
# against Info-ZIP's `zip -r -6 -q`, on the same tree in the same run. Prints
# both times and their ratio; not a test.
#   tools/bench-zip.sh [RUNS]       (needs a built build/win, or ZIP_BENCH_EXE)
# The tree (about 320 MB: text, random data that does not compress, and
# 4000 small files) is generated from fixed seeds once and kept in
# ${ZIP_BENCH_DIR:-/tmp/liftorn-zip-bench}, with a Wine prefix of its own
# (test runs that stop the build prefix's wineserver cannot kill a run).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
base="${ZIP_BENCH_DIR:-/tmp/liftorn-zip-bench}"
export WINEPREFIX="${ZIP_BENCH_WINEPREFIX:-$base-wine}"
source "$root/scripts/wine-env.sh"
runs="${1:-3}"
bench="${ZIP_BENCH_EXE:-$LIFTORN_BUILD_DIR/win/zip_bench.exe}"
[ -f "$bench" ] || { echo "bench-zip: $bench is missing; run scripts/build.sh win" >&2; exit 1; }
command -v zip >/dev/null || { echo "bench-zip: Info-ZIP's zip is missing" >&2; exit 1; }

tree="$base/Benchmark Ordner"
generator_version=1
if [ "$(cat "$base/.generated" 2>/dev/null)" != "$generator_version" ]; then
  echo "bench-zip: generating the tree in $tree"
  rm -rf "$base"
  mkdir -p "$tree"
  python3 - "$tree" <<'PY'
import os, random, sys
tree = sys.argv[1]
rng = random.Random(20240601)
words = ["".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randint(2, 11)))
         for _ in range(5000)]

def text(size):
    out, n = [], 0
    while n < size:
        line = " ".join(rng.choices(words, k=rng.randint(4, 16))) + "\n"
        out.append(line)
        n += len(line)
    return "".join(out).encode()[:size]

def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)

# Text: 32 files of 5 MB in two levels (160 MB), from a shared 5 MB block
# shifted per file so the files differ.
block = text(5 * 1024 * 1024 + 65536)
for i in range(32):
    shift = i * 2039
    write(f"{tree}/texte/teil{i // 8}/dokument{i:02}.txt", (block[shift:] + block[:shift])[:5 << 20])
# Already compressed data: 12 files of 12 MB that do not compress (144 MB).
for i in range(12):
    write(f"{tree}/fotos/bild{i:02}.jpg", rng.randbytes(12 << 20))
# Many small files: 4000 of 200 B to 8 KB in 40 folders, half text, half random.
for i in range(4000):
    size = rng.randint(200, 8192)
    data = text(size) if i % 2 else rng.randbytes(size)
    write(f"{tree}/klein/ordner{i % 40:02}/datei{i:04}.dat", data)
PY
  echo "$generator_version" >"$base/.generated"
fi
size_mb=$(du -sm "$tree" | cut -f1)
files=$(find "$tree" -type f | wc -l)
echo "bench-zip: tree $tree: ${size_mb} MB in $files files"

out="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-zip-bench-out.XXXXXX")"
trap 'rm -rf "$out"; wineserver -k >/dev/null 2>&1 || true' EXIT
winpath() { printf 'Z:%s' "$1" | tr / '\\'; }
cat "$tree"/*/*/* "$tree"/*/*.jpg >/dev/null 2>&1 || true   # warm the page cache

# One wineserver for all runs (the prefix is ours), so no run pays for
# starting Wine's server.
wineserver -p >/dev/null 2>&1 || true
wine "$bench" >/dev/null 2>&1 || true

best() { awk -v a="$1" -v b="$2" 'BEGIN {print (b == "" || a < b) ? a : b}'; }
best_ours="" best_ours_wall="" best_zip=""
for run in $(seq "$runs"); do
  rm -f "$out/ours.zip" "$out/zip.zip"
  start=$(date +%s.%N)
  said=$(wine "$bench" "$(winpath "$tree")" "$(winpath "$out/ours.zip")" 2>&1) || true
  ours_wall=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN {printf "%.3f", e - s}')
  ours=$(printf '%s\n' "$said" | awk '/^result 0 seconds/ {print $4}')
  [ -n "$ours" ] || { printf 'bench-zip: zip_bench failed:\n%s\n' "$said" >&2; exit 1; }
  start=$(date +%s.%N)
  (cd "$base" && zip -r -6 -q "$out/zip.zip" "$(basename "$tree")")
  theirs=$(awk -v s="$start" -v e="$(date +%s.%N)" 'BEGIN {printf "%.3f", e - s}')
  echo "run $run: ours ${ours} s (${ours_wall} s with Wine's start), zip -r -6 ${theirs} s"
  best_ours=$(best "$ours" "$best_ours")
  best_ours_wall=$(best "$ours_wall" "$best_ours_wall")
  best_zip=$(best "$theirs" "$best_zip")
done
unzip -tq "$out/ours.zip" >/dev/null || { echo "bench-zip: our archive does not test clean" >&2; exit 1; }
awk -v o="$best_ours" -v w="$best_ours_wall" -v z="$best_zip" \
    -v os="$(stat -c %s "$out/ours.zip")" -v zs="$(stat -c %s "$out/zip.zip")" 'BEGIN {
  printf "ours:      %.3f s (%.3f s with Wine start), archive %.1f MB\n", o, w, os / 1048576
  printf "zip -r -6: %.3f s, archive %.1f MB\n", z, zs / 1048576
  printf "ratio zip/ours: %.2f (above 1: ours is faster; %.2f counting Wine start)\n", z / o, z / w
}'
