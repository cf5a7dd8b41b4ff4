#!/usr/bin/env bash
# Builds what is missing, starts the local development service on 127.0.0.1
# and runs the program against it under Wine, with a data folder of its own
# under the build folder (APPDATA=build/run/appdata). The service accepts the
# account "demo" with the password "demo".
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"
"$root/scripts/build.sh" run

run="$LIFTORN_BUILD_DIR/run"
appdata="$run/appdata"
data="$appdata/vantorel liftorn"
mkdir -p "$data" "$run/devservice"
rm -f "$run/devservice.port"

demo_hash="$(printf demo | sha1sum | cut -d' ' -f1)"
python3 "$root/tools/devservice.py" --port 0 --data-dir "$run/devservice" \
  --port-file "$run/devservice.port" --account "demo:$demo_hash" >"$run/devservice.log" 2>&1 &
service=$!
trap 'kill "$service" 2>/dev/null; wait "$service" 2>/dev/null' EXIT
for _ in $(seq 100); do [ -s "$run/devservice.port" ] && break; sleep 0.1; done
[ -s "$run/devservice.port" ] || { echo "run: the development service did not start" >&2; cat "$run/devservice.log" >&2; exit 1; }
url="http://127.0.0.1:$(tr -d '[:space:]' <"$run/devservice.port")"

# Point the service addresses of this run's configuration at the local service.
python3 - "$data/vantorel.conf" "$url" <<'PY'
import sys
path, url = sys.argv[1], sys.argv[2]
wanted = {"adv_api_upload_uri": url + "/api/json", "adv_api_verify_uri": url + "/api/json",
          "adv_main_uri": url}
try:
    lines = open(path, "rb").read().decode("latin-1").splitlines()
except FileNotFoundError:
    lines = []
kept = [l for l in lines if l.split(" ", 1)[0].lower() not in wanted]
kept += [f"{k} {v}" for k, v in wanted.items()]
open(path, "wb").write(("\r\n".join(kept) + "\r\n").encode("latin-1"))
PY

echo "run: development service at $url (log: $run/devservice.log)" >&2
echo "run: data folder $data" >&2
# Wine sets APPDATA for the first process it starts from its own profile, so
# the variable is set inside Wine, by a command script that then starts us.
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }
launcher="$run/liftorn.cmd"
printf '@set "APPDATA=%s"\r\n@"%s" %%*\r\n' "$(winpath "$appdata")" \
  "$(winpath "$LIFTORN_BUILD_DIR/win/liftorn.exe")" >"$launcher"
"$root/scripts/with-display.sh" wine cmd /c "$(winpath "$launcher")" "$@"
