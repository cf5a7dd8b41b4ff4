#!/usr/bin/env bash
# Start-up of the program with a large history: for each size N a data folder
# whose history.db holds N entries, each with a small thumbnail, then the
# program under Wine on a private virtual display, watched by startup_probe.exe:
#   visible  ms from CreateProcess until the published main window is visible
#   painted  ms until a pixel inside its rectangle differs from the screen
#            before the start (the layered picture has been pushed)
#   memory   working set and private bytes once the message loop is idle
#   windows  top-level windows of the process, and all their descendants
#   USER     GetGuiResources(GR_USEROBJECTS) (Wine may report 0)
#   GDI      GDI objects of the process (from its handle table under Wine)
#   quit     ms from posting the Exit command until the process ended
# Then, for SCROLL_BENCH_ROWS (default 10000) when it is among the sizes,
# scroll_bench.exe scrolls the main window's history list over the same data
# from the newest entry to the oldest by wheel, thumb drag and jumps, and
# prints the time per frame; and for SEARCH_BENCH_ROWS (default 100000)
# search_bench.exe types into the history search and prints the time from
# each keystroke to the painted answer and the memory the search takes.
# Not a test.
#   tools/bench-startup.sh [N...]          (default: 0 1000 10000 100000)
# STARTUP_BENCH_LIMIT_MB (default 8000) stops the program when its working set
# passes it before the window shows, so a large N cannot exhaust the machine.
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${STARTUP_BENCH_WINEPREFIX:-/tmp/liftorn-startup-bench-wine}"
source "$root/scripts/wine-env.sh"
program="$LIFTORN_BUILD_DIR/win/liftorn.exe"
probe="$LIFTORN_BUILD_DIR/win/startup_probe.exe"
scroller="$LIFTORN_BUILD_DIR/win/scroll_bench.exe"
searcher="$LIFTORN_BUILD_DIR/win/search_bench.exe"
scroll_rows="${SCROLL_BENCH_ROWS:-10000}"
search_rows="${SEARCH_BENCH_ROWS:-100000}"
for exe in "$program" "$probe" "$scroller" "$searcher"; do
  [ -f "$exe" ] || { echo "bench-startup: $exe is missing; run scripts/build.sh win" >&2; exit 1; }
done
[ -d "$(dirname "$program")/skin" ] || { echo "bench-startup: no skin beside $program" >&2; exit 1; }
limit_mb="${STARTUP_BENCH_LIMIT_MB:-8000}"
sizes=("$@")
[ ${#sizes[@]} -gt 0 ] || sizes=(0 1000 10000 100000)

work="$(mktemp -d /tmp/liftorn-startup-bench.XXXXXX)"
trap 'rm -rf "$work"' EXIT

# One data folder per size: history.db written the way the program writes it,
# and a small PNG hard-linked under every entry's thumbnail name.
make_data() {
  python3 - "$1" "$2" <<'PY'
import datetime, os, sqlite3, struct, sys, zlib
folder, count = sys.argv[1], int(sys.argv[2])
thumbs = os.path.join(folder, "thumbs")
os.makedirs(thumbs, exist_ok=True)

def chunk(kind, data):
    return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))

size = 48

def png_file(index):
    """A small PNG; one file per 50,000 entries (a file takes at most 65,000
    hard links), each a little different."""
    rows = b"".join(b"\0" + b"".join(bytes((x * 5 % 256, y * 5 % 256, (160 + 40 * index) % 256, 255))
                                      for x in range(size))
                    for y in range(size))
    png = (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", size, size, 8, 6, 0, 0, 0)) +
           chunk(b"IDAT", zlib.compress(rows)) + chunk(b"IEND", b""))
    path = os.path.join(folder, f"thumb-master-{index}.png")
    open(path, "wb").write(png)
    return path

db = sqlite3.connect(os.path.join(folder, "history.db"))
db.execute("CREATE TABLE IF NOT EXISTS `history` (`thumb` text NOT NULL, `filename` text NOT "
           "NULL,`date` text NOT NULL, `size` text NOT NULL,`url` text NOT NULL)")
db.execute("ALTER TABLE `history` ADD COLUMN `url_file` text")
# Names from a few words (so that searches find some of them, not all or
# none), dated as the program dates them, one every 42 minutes from 2019 on.
words = ("beach holiday screenshot invoice family paris report sunset garden kitchen cabin tabby "
         "alphabet abacus lab crab fabric habitat crabcake design mockup draft budget receipt "
         "ticket selfie concert mountain river office meeting slides diagram chart logo banner "
         "poster menu map photo scan").split()
days = ("Sun", "Mon", "Tues", "Wed", "Thur", "Fri", "Sat")
start = datetime.datetime(2019, 1, 1, 8, 0)
entries = []
for i in range(count):
    thumb = f"t{i:06d}.png"
    if i % 50000 == 0:
        master = png_file(i // 50000)
    os.link(master, os.path.join(thumbs, thumb))
    name = f"{words[i * 7 % len(words)]}-{i:06d}.png"
    when = start + datetime.timedelta(minutes=42 * i)
    date = (f"{days[(when.weekday() + 1) % 7]}, {when.day:02d}/{when.month:02d}/{when.year % 100:02d} "
            f"{when.hour:02d}:{when.minute:02d}")
    entries.append((thumb, name, date, "~12kb", f"http://127.0.0.1/f/{i:06d}/{name}",
                    f"{i:06d}_{name}.url"))
db.executemany("INSERT INTO `history` (`thumb`,`filename`,`date`,`size`,`url`,`url_file`) "
               "VALUES (?, ?, ?, ?, ?, ?)", entries)
db.commit()
db.close()
PY
}

winpath() { local p="$1"; echo "Z:${p//\//\\}"; }

# Everything Wine runs goes in one script, so one display and one wineserver
# serve all sizes.
runner="$work/run-all.sh"
{
  echo 'set -u'
  # A crash ends the process with its backtrace on stderr instead of a
  # dialog that would wait for a click on the invisible display.
  echo "wine reg add 'HKCU\\Software\\Wine\\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1"
  for n in "${sizes[@]}"; do
    appdata="$work/appdata-$n"
    # Wine's debugger reports a crash on the same output as the probe.
    log="$work/log-$n"
    printf 'wine %q %q %q %q </dev/null >%q 2>&1\n' \
      "$probe" "$(winpath "$program")" "$(winpath "$appdata")" "$limit_mb" "$log"
    printf 'out="$(tr -d "\\r" <%q | grep -aoE "(ok|fail) .*" | tail -n 1)"; echo %q "${out:-fail the probe printed nothing}"\n' \
      "$log" "$n"
    if [ "$n" = "$scroll_rows" ]; then
      printf 'wine %q %q </dev/null >%q 2>&1\n' "$scroller" "$(winpath "$appdata/vantorel liftorn")" \
        "$work/scroll-$n"
    fi
    if [ "$n" = "$search_rows" ]; then
      printf 'wine %q %q </dev/null >%q 2>&1\n' "$searcher" "$(winpath "$appdata/vantorel liftorn")" \
        "$work/search-$n"
    fi
  done
} >"$runner"

for n in "${sizes[@]}"; do
  data="$work/appdata-$n/vantorel liftorn"
  mkdir -p "$data"
  make_data "$data" "$n"
done

results="$work/results"
"$root/scripts/with-display.sh" --virtual bash "$runner" >"$results"

printf '%8s %10s %10s %12s %12s %8s %9s %6s %6s %8s\n' N visible_ms painted_ms \
  working_kb private_kb top_wnd child_wnd USER GDI quit_ms
while read -r n status rest; do
  if [ "$status" = ok ]; then
    # shellcheck disable=SC2086
    set -- $rest
    printf '%8s %10s %10s %12s %12s %8s %9s %6s %6s %8s\n' "$n" "$1" "$2" "$3" "$4" "$5" "$6" "$7" "$8" "$9"
  else
    printf '%8s %s %s\n' "$n" "$status" "$rest"
    # What Wine's debugger said about a crash, if anything.
    tr -d '\r' <"$work/log-$n" 2>/dev/null | grep -a -m3 -E 'Assertion|Unhandled exception|err:' |
      sed 's/^/         | /' || true
  fi
done <"$results"
echo "(-1 painted: no change seen on the screen; -1 quit: did not end within 120 s, killed)"
if [ -f "$work/scroll-$scroll_rows" ]; then
  echo
  echo "Scrolling $scroll_rows rows, newest to oldest (a frame: the input and its paint):"
  tr -d '\r' <"$work/scroll-$scroll_rows" | grep -av '^wine: ' | sed 's/^/  /'
fi
if [ -f "$work/search-$search_rows" ]; then
  echo
  echo "Searching $search_rows rows (a keystroke: the character, the search thread's answer, the paint):"
  tr -d '\r' <"$work/search-$search_rows" | grep -av '^wine: ' | sed 's/^/  /'
fi
