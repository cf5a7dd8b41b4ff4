# Shared by the shell tests of the packages (sourced): a fresh Wine prefix of
# the test's own, the places of an installed program in it, the probe, the
# registry, and the development service's request log. Expects $root,
# $probe and LIFTORN_DEVSERVICE_URL / LIFTORN_DEVSERVICE_DATA.

[ -n "${DISPLAY:-}" ] || { echo "needs DISPLAY (run under scripts/with-display.sh)" >&2; exit 1; }
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-shipping.XXXXXX")"
program_pid=""
cleanup() {
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Windows path of a Linux path (Wine maps / to Z:), or of a path in drive_c.
winpath() {
  local path="$1" c_drive="$WINEPREFIX/drive_c"
  if [ "${path#"$c_drive"/}" != "$path" ]; then
    path="${path#"$c_drive"/}"
    echo "C:\\${path//\//\\}"
  else
    echo "Z:${path//\//\\}"
  fi
}

make_fresh_prefix() {
  export WINEPREFIX="$1" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  wineserver -k >/dev/null 2>&1
  rm -rf "$WINEPREFIX"
  "$root/scripts/wine-prefix.sh" || { echo "FAIL: cannot make the prefix $WINEPREFIX" >&2; exit 1; }
  wineserver -p >/dev/null 2>&1
}

probe() { wine "$probe" "$@" | tr -d '\r'; return "${PIPESTATUS[0]}"; }

drive_c() { echo "$WINEPREFIX/drive_c"; }
user_folder() {
  local user
  user="$(ls "$(drive_c)/users" | grep -v -x Public | head -n 1)"
  echo "$(drive_c)/users/$user"
}
installed_folder() { echo "$(user_folder)/AppData/Local/Programs/vantorel liftorn"; }
data_folder() { echo "$(user_folder)/AppData/Roaming/vantorel liftorn"; }
start_menu() { echo "$(user_folder)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs"; }

# The data of one registry value ('' for the default value), or nothing.
reg_value() {
  local key="$1" name="$2" line
  if [ -z "$name" ]; then
    line="$(wine reg query "$key" /ve 2>/dev/null | tr -d '\r' | grep -m1 'REG_')"
  else
    line="$(wine reg query "$key" /v "$name" 2>/dev/null | tr -d '\r' | grep -m1 "^ *$name ")"
  fi
  printf '%s' "$line" | sed -E 's/^ *(\(Default\)|[^ ]+) +REG_[A-Z_]+ *//'
}
reg_exists() { wine reg query "$1" >/dev/null 2>&1; }
reg_has() { wine reg query "$1" /v "$2" >/dev/null 2>&1; }

# A configuration that keeps the daily update check quiet; with the service
# addresses of the development service in the second form.
quiet_configuration() {
  mkdir -p "$1"
  printf 'LastUpdateCheck %s\r\n' "$(date +%s)" >"$1/vantorel.conf"
}
service_configuration() {
  local base="$LIFTORN_DEVSERVICE_URL" last="${2:-$(date +%s)}"
  mkdir -p "$1"
  printf 'adv_api_upload_uri %s/api/json\r\nadv_api_verify_uri %s/api/json\r\nadv_main_uri %s\r\nadv_latest_version_uri %s/latest_version\r\nLastUpdateCheck %s\r\n' \
    "$base" "$base" "$base" "$base" "$last" >"$1/vantorel.conf"
}

# Starts a program in the background (its output goes to the work folder).
start_program() {
  wine "$@" >>"$work/program.log" 2>&1 &
  program_pid=$!
}
wait_program() {
  [ -n "$program_pid" ] && wait "$program_pid" 2>/dev/null
  program_pid=""
}

# The service's request log as JSON lines.
requests() { cat "$LIFTORN_DEVSERVICE_DATA/requests.jsonl" 2>/dev/null; }

# Waits up to 30 s for an upload of exactly the file's bytes.
wait_for_upload() {
  local sum
  sum="$(sha256sum "$1" | cut -d' ' -f1)"
  for _ in $(seq 150); do
    requests | grep -q "\"sha256\": \"$sum\"" && return 0
    sleep 0.2
  done
  return 1
}

# The User-Agent of the last upload request.
last_upload_agent() {
  requests | python3 -c '
import json, sys
agent = ""
for line in sys.stdin:
    entry = json.loads(line)
    if entry["method"] == "POST" and entry["path"] == "/api/json":
        agent = next((v for k, v in entry["headers"] if k.lower() == "user-agent"), "")
print(agent)'
}

finish() {
  if [ "$failures" -ne 0 ]; then
    echo "--- program output" >&2
    cat "$work/program.log" >&2 2>/dev/null
    exit 1
  fi
  echo "$1: passed"
}
