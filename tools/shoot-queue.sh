#!/usr/bin/env bash
# Screenshots of the durable upload queue, from the real program against a
# development service of its own: failed uploads at the top of the history
# (docs/history-failed.png) and the drop area while uploads wait
# (docs/main-window-waiting.png).
#   tools/shoot-queue.sh [OUTDIR]     (needs a built build/win)
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${1:-}" != "--with-service" ]; then
  exec "$root/scripts/with-devservice.sh" "$0" --with-service "$(realpath -m "${1:-$root/docs}")"
fi
out="$2"
source "$root/scripts/wine-env.sh"
exe="$LIFTORN_BUILD_DIR/win/liftorn.exe"
[ -f "$exe" ] || { echo "shoot-queue: $exe is missing; run scripts/build.sh win" >&2; exit 1; }
work="$(mktemp -d /tmp/liftorn-shoot-queue.XXXXXX)"
trap 'rm -rf "$work"' EXIT
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }
url="$LIFTORN_DEVSERVICE_URL"

# A data folder with three uploads in the history, two failed ones and,
# with "waiting", three files still to go.
prepare() {
  local appdata="$work/$1" data="$work/$1/vantorel liftorn"
  mkdir -p "$data/thumbs" "$data/captures" "$work/files"
  printf 'adv_api_upload_uri %s/api/json\r\nadv_api_verify_uri %s/api/json\r\nadv_main_uri %s\r\nadv_latest_version_uri %s/latest_version\r\nshowtoastalerts false\r\n' \
    "$url" "$url" "$url" "$url" >"$data/vantorel.conf"
  convert -size 69x69 gradient:'#0c4a6e-#38bdf8' "$data/thumbs/k1_harbour.png"
  convert -size 69x69 gradient:'#14532d-#86efac' "$data/thumbs/k2_garden.png"
  convert -size 69x69 gradient:'#7c2d12-#fdba74' "$data/thumbs/k3_sunset.png"
  for name in a b c; do head -c 3000000 /dev/urandom >"$work/files/$name.jpg"; done
  python3 - "$data" "$(winpath "$work/files")" "$2" <<'PY'
import sqlite3, sys
data, files, waiting = sys.argv[1], sys.argv[2], sys.argv[3] == "waiting"
db = sqlite3.connect(data + "/history.db")
db.execute("CREATE TABLE `history` (`thumb` text NOT NULL, `filename` text NOT NULL,`date` text NOT NULL, "
           "`size` text NOT NULL,`url` text NOT NULL, `url_file` text)")
for thumb, name, date in (("k1_harbour.png", "harbour.png", "Mon, 07/12/26 09:12"),
                          ("k2_garden.png", "garden.jpg", "Tues, 08/12/26 14:40"),
                          ("k3_sunset.png", "sunset.png", "Tues, 08/12/26 18:05")):
    db.execute("INSERT INTO history VALUES (?, ?, ?, '~80kb', ?, NULL)", (thumb, name, date, "http://x/" + name))
db.execute("CREATE TABLE IF NOT EXISTS `pending` (`id` INTEGER PRIMARY KEY AUTOINCREMENT, "
           "`kind` integer NOT NULL, `path` text NOT NULL, `name` text, `own` integer NOT NULL, "
           "`archive` text, `attempts` integer NOT NULL DEFAULT 0, `failure` integer NOT NULL DEFAULT 0, "
           "`status` integer NOT NULL DEFAULT 0)")
db.execute("INSERT INTO pending (kind, path, name, own, attempts, failure) VALUES "
           "(1, 'C:\\Users\\me\\Documents\\report.pdf', NULL, 0, 6, 1)")
db.execute("INSERT INTO pending (kind, path, name, own, attempts, failure, status) VALUES "
           "(3, 'capture-20261209-101500-1.png', 'whiteboard.png', 1, 1, 3, 413)")
if waiting:
    for name in "abc":
        db.execute("INSERT INTO pending (kind, path, own) VALUES (1, ?, 0)", (files + "\\" + name + ".jpg",))
db.commit()
PY
  convert -size 640x480 xc:'#f8fafc' "$data/captures/capture-20261209-101500-1.png"
  printf '@set "APPDATA=%s"\r\n@"%s"\r\n' "$(winpath "$appdata")" "$(winpath "$exe")" >"$work/$1.cmd"
}

# The uploads go slowly, so that they are still waiting when the picture is taken.
curl -fsS -X POST "$url/_control/fault" \
  -d '{"mode": "slow", "path": "/api/json", "read_chunk": 4096, "read_delay": 0.5}' >/dev/null

prepare failed idle
prepare waiting waiting
for shot in failed:history-failed waiting:main-window-waiting; do
  SHOT_TITLE="vantorel liftorn" SHOT_WAIT=4 "$root/scripts/screenshot.sh" "$out/${shot#*:}.png" \
    "$work/${shot%%:*}.cmd"
done
