#!/usr/bin/env bash
# Screenshots of the history search for docs/: a search with its results and
# the keyboard's highlight, and one that finds nothing. Runs the real program
# over a made-up history on a private virtual display with a compositor and
# types with xdotool. Not a test.
#   tools/shoot-search.sh [OUT_DIR]     (default docs/)
# Runs in a Wine prefix of its own, so it cannot stop other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${SHOOT_WINEPREFIX:-/tmp/liftorn-shoot-wine}"
source "$root/scripts/wine-env.sh"
out="$(realpath -m "${1:-$root/docs}")"
build="$LIFTORN_BUILD_DIR/win"
[ -f "$build/liftorn.exe" ] || { echo "shoot-search: $build/liftorn.exe is missing; run scripts/build.sh win" >&2; exit 1; }

mkdir -p "$out"
source "$root/tools/shoot-desktop.sh"

# A history of forty uploads over a few months, with thumbnails.
data="$work/appdata/vantorel liftorn"
mkdir -p "$data/thumbs"
images=(rose: logo: wizard: granite: netscape: "gradient:#f59e0b-#b45309" "gradient:#38bdf8-#1e3a8a"
        "gradient:#a3e635-#166534" "plasma:#f472b6-#7c3aed" "gradient:#e2e8f0-#64748b")
for i in "${!images[@]}"; do
  convert -size 120x90 "${images[$i]}" -resize '69x69^' -gravity center -extent 69x69 \
    "$data/thumbs/t$i.png" 2>/dev/null || convert -size 69x69 xc:'#475569' "$data/thumbs/t$i.png"
done
python3 - "$data" <<'PY'
import datetime, sqlite3, sys
folder = sys.argv[1]
names = ["Beach volleyball.png", "invoice-0412.pdf", "beach-house plan.pdf", "garden.jpg",
         "Caf\u00e9 menu.pdf", "team photo.jpg", "sunset over the beach.jpg", "slides-q3.pptx",
         "receipt.png", "holiday map.png", "notes.txt", "logo-draft.svg"]
days = ("Sun", "Mon", "Tues", "Wed", "Thur", "Fri", "Sat")
db = sqlite3.connect(folder + "/history.db")
db.execute("CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,`date` text "
           "NOT NULL, `size` text NOT NULL,`url` text NOT NULL, `url_file` text)")
start = datetime.datetime(2026, 6, 2, 9, 14)
for i in range(40):
    name = names[i % len(names)] if i >= len(names) else names[i]
    if i >= len(names):
        name = name.replace(".", "-%d." % i, 1)
    when = start + datetime.timedelta(days=4 * i, minutes=37 * i)
    date = "%s, %02d/%02d/%02d %02d:%02d" % (days[(when.weekday() + 1) % 7], when.day, when.month,
                                            when.year % 100, when.hour, when.minute)
    db.execute("INSERT INTO history VALUES (?, ?, ?, '~48kb', ?, NULL)",
               ("t%d.png" % (i % 10), name, date, "http://127.0.0.1/f/%04d/%s" % (i, name)))
db.commit()
PY

appdata="Z:${work//\//\\}\\appdata"
launcher="$work/liftorn.cmd"
printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$appdata" "Z:${build//\//\\}\\liftorn.exe" >"$launcher"
printf '%s\r\n' "showtoastalerts false" "positionx 40" "positiony 60" >"$data/vantorel.conf"
wine cmd /c "Z:${launcher//\//\\}" >/dev/null 2>&1 &
for _ in $(seq 150); do
  xdotool search --onlyvisible --name '^vantorel liftorn$' >/dev/null 2>&1 && break
  sleep 0.1
done
sleep 3

shot() { import -window root "$work/screen.png"; convert "$work/screen.png" -crop 364x578+16+36 +repage "$out/$1"; echo "wrote $out/$1"; }
# Without a window manager the keyboard goes to the window under the
# pointer: it rests on an empty part of the window, clear of any button.
xdotool mousemove 190 180 click 1
sleep 0.5
xdotool mousemove 100 540
xdotool key ctrl+f
sleep 0.5
xdotool type --delay 120 'beach'
sleep 1
xdotool key Down
sleep 1
shot search-results.png
xdotool key ctrl+a
xdotool type --delay 120 'zebra crossing'
sleep 1
shot search-no-match.png
