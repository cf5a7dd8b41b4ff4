#!/usr/bin/env bash
# Screenshots of the main window, a toast and the capture prompt at 100 %,
# 150 % and 200 % for docs/: the real program over a short made-up history
# and a development service of its own, in a Wine prefix per scale whose
# desktop runs at that DPI (LogPixels), on a private virtual display with a
# compositor. Prints each window's size. Not a test.
#   tools/shoot-scales.sh [OUT_DIR]     (default docs/)
# The prefixes are its own (/tmp/liftorn-shoot-wine-DPI), so it cannot stop
# other runs' wineservers.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${1:-}" != "--with-service" ]; then
  exec "$root/scripts/with-devservice.sh" "$0" --with-service "$(realpath -m "${1:-$root/docs}")"
fi
out="$2"
url="$LIFTORN_DEVSERVICE_URL"
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
    printf '%s\r\n' "understoodscreenshot true" "positionx 40" "positiony 40" "liftornheight 420" \
      "adv_api_upload_uri $url/api/json" "adv_api_verify_uri $url/api/json" "adv_main_uri $url" \
      "adv_latest_version_uri $url/latest_version" >"$data/vantorel.conf"
    appdata="Z:${work//\//\\}\\appdata"
    launcher="$work/liftorn.cmd"
    printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$appdata" "Z:${build//\//\\}\\liftorn.exe" >"$launcher"
    # The first shown X window named NAME within TENTHS tenths of a second.
    shown() {
      local found=""
      for _ in $(seq "$2"); do
        found="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -1)" && [ -n "$found" ] && break
        sleep 0.1
      done
      echo "$found"
    }
    wine cmd /c "Z:${launcher//\//\\}" >/dev/null 2>&1 &
    window="$(shown 'vantorel liftorn' 600)"
    [ -n "$window" ] || { echo "shoot-scales: no window at $dpi DPI (run it again: a first start in a new prefix can be slow)" >&2; exit 1; }
    sleep 3
    eval "$(xdotool getwindowgeometry --shell "$window")"
    echo "at $dpi DPI: window ${WIDTH} x ${HEIGHT}"
    percent=$(( (dpi * 100 + 48) / 96 ))
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((WIDTH + 48))x$((HEIGHT + 48))+$((X - 24))+$((Y - 24))" +repage \
      "$out/main-window-$percent.png"
    echo "wrote $out/main-window-$percent.png"

    # A toast: a picture uploaded from the command line, once it is fully out.
    convert -size 64x64 gradient:'#0c4a6e-#38bdf8' "$work/harbour.png"
    wine cmd /c "Z:${launcher//\//\\}" "Z:${work//\//\\}\\harbour.png" >/dev/null 2>&1 &
    toast="$(shown toast 300)"
    [ -n "$toast" ] || { echo "shoot-scales: no toast at $dpi DPI" >&2; exit 1; }
    sleep 1.5  # out in about 0.2 s, held for 3.5
    eval "$(xdotool getwindowgeometry --shell "$toast")"
    echo "at $dpi DPI: toast ${WIDTH} x ${HEIGHT}"
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((WIDTH + 48))x$((HEIGHT + 24))+$((X - 24))+$((Y - 24))" +repage \
      "$out/toast-$percent.png"
    echo "wrote $out/toast-$percent.png"
    sleep 4

    # The capture prompt, after a region is drawn.
    wine cmd /c "Z:${launcher//\//\\}" /screenshot >/dev/null 2>&1 &
    shown SnippingWindow 150 >/dev/null
    sleep 1
    xdotool mousemove 700 340 mousedown 1 mousemove 800 420 mousemove 900 500 mouseup 1
    sleep 1
    xdotool key Return
    sleep 2
    xdotool mousemove 1200 900
    width=$(( (316 * dpi + 48) / 96 )) height=$(( (175 * dpi + 48) / 96 ))
    echo "at $dpi DPI: prompt ${width} x ${height}"
    import -window root "$work/screen.png"
    convert "$work/screen.png" -crop "$((width + 48))x$((height + 48))+16+16" +repage \
      "$out/capture-prompt-$percent.png"
    echo "wrote $out/capture-prompt-$percent.png"
    xdotool key Escape
    wineserver -k >/dev/null 2>&1 || true
  )
done
