#!/usr/bin/env bash
# Screenshots of the main window at 100 %, 150 % and 200 % for docs/: the
# real program over a short made-up history, in a Wine prefix per scale whose
# desktop runs at that DPI (LogPixels), on a private virtual display with a
# compositor. Prints each window's size. Not a test.
#   tools/shoot-scales.sh [OUT_DIR]     (default docs/)
# The prefixes are its own (/tmp/liftorn-shoot-wine-DPI), so it cannot stop
# other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
out="$(realpath -m "${1:-$root/docs}")"
mkdir -p "$out"

for dpi in ${SHOOT_DPIS:-96 144 192}; do
  (
    export WINEPREFIX="${SHOOT_WINEPREFIX:-/tmp/liftorn-shoot-wine}-$dpi"
    source "$root/scripts/wine-env.sh"
    build="$LIFTORN_BUILD_DIR/win"
    [ -f "$build/liftorn.exe" ] || { echo "shoot-scales: $build/liftorn.exe is missing" >&2; exit 1; }
    source "$root/tools/shoot-desktop.sh"
    # The desktop's DPI, read by a DPI-aware program at its start.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' \
      /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
    wineserver -w

    data="$work/appdata/vantorel liftorn"
    mkdir -p "$data/thumbs"
    for i in 0 1 2; do
      convert -size 120x90 "plasma:#f472b6-#7c3aed" -resize '138x138^' -gravity center -extent 138x138 \
        "$data/thumbs/t$i.png" 2>/dev/null || convert -size 138x138 xc:'#475569' "$data/thumbs/t$i.png"
    done
    python3 - "$data" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1] + "/history.db")
db.execute("CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,`date` text "
           "NOT NULL, `size` text NOT NULL,`url` text NOT NULL, `url_file` text)")
for i, name in enumerate(["garden.jpg", "team photo.jpg", "slides-q3.pptx"]):
    db.execute("INSERT INTO history VALUES (?, ?, ?, '~48kb', ?, NULL)",
               ("t%d.png" % i, name, "Tues, 0%d/06/26 09:14" % (i + 2), "http://127.0.0.1/f/%s" % name))
db.commit()
PY
    # 420 at 96 DPI: the window at 200 % (840) still fits the display.
    printf '%s\r\n' "showtoastalerts false" "positionx 40" "positiony 40" "liftornheight 420" \
      >"$data/vantorel.conf"
    appdata="Z:${work//\//\\}\\appdata"
    launcher="$work/liftorn.cmd"
    printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$appdata" "Z:${build//\//\\}\\liftorn.exe" >"$launcher"
    wine cmd /c "Z:${launcher//\//\\}" >/dev/null 2>&1 &
    window=""
    for _ in $(seq 600); do
      window="$(xdotool search --onlyvisible --name '^vantorel liftorn$' 2>/dev/null | head -1)" && [ -n "$window" ] && break
      sleep 0.1
    done
    [ -n "$window" ] || { echo "shoot-scales: no window at $dpi DPI (run it again: a first start in a new prefix can be slow)" >&2; exit 1; }
    sleep 3
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "at $dpi DPI: window ${WIDTH} x ${HEIGHT}"
    percent=$(( (dpi * 100 + 48) / 96 ))
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((WIDTH + 48))x$((HEIGHT + 48))+$((X - 24))+$((Y - 24))" +repage \
      "$out/main-window-$percent.png"
    echo "wrote $out/main-window-$percent.png"
  )
done
