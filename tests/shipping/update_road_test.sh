#!/usr/bin/env bash
# The update road end to end, in a Wine prefix of this test's own made fresh
# on every run. The installed program is started with a file to upload; the
# service offers the next version; the test answers Yes in the program's
# real message box; the updater (a copy started by the program) fetches the
# signed manifest, downloads and checks the installer, installs it silently
# and starts the program again with the same command line. The file's upload
# tells which version runs (its user agent).
#
# Four refusals come first: a wrong SHA-256, a bad signature, a manifest for
# an older version, a download cut short. Each shows the updater's message,
# leaves the installed program as it was, and the old program starts again
# and uploads. So does closing the updater's window during a download, without
# a message. Then the update itself; by then the updater copies of the
# earlier rounds are gone.
#   update_road_test.sh PROBE SETUP NEXT_SETUP TEST_KEY PREFIX VERSION NEXT_VERSION
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ "$#" -eq 7 ] || { echo "usage: update_road_test.sh PROBE SETUP NEXT_SETUP TEST_KEY PREFIX VERSION NEXT_VERSION" >&2; exit 2; }
probe="$1" setup="$2" next_setup="$3" key="$4" prefix="$5" version="$6" next_version="$7"

if [ -z "${LIFTORN_DEVSERVICE_URL:-}" ]; then
  exec "$root/scripts/with-devservice.sh" "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/prefix_lib.sh"

control() {
  curl -sf -m 10 -X POST -H 'Content-Type: application/json' --data "$2" \
    "$LIFTORN_DEVSERVICE_URL/_control/$1" >/dev/null
}
# Offers a release of the next version's installer: version, tamper mode.
offer() {
  control release "{\"version\": \"$1\", \"installer\": \"$next_setup\", \"key\": \"$key\", \"tamper\": $2}" \
    || { echo "FAIL: the service refused the release" >&2; exit 1; }
}
installer_name="$(basename "$next_setup")"

make_fresh_prefix "$prefix"
wine "$setup" /S || { echo "FAIL: the install failed" >&2; exit 1; }
program_dir="$(installed_folder)"
data_dir="$(data_folder)"
program="$(winpath "$program_dir/liftorn.exe")"
temp_dir="$(user_folder)/Temp"
installed_sum="$(sha256sum "$program_dir/liftorn.exe" | cut -d' ' -f1)"
control latest_version "{\"text\": \"$next_version\"}"

# One start of the installed program with a file to upload, the daily check
# due. Answers Yes to the update question; sets $upload.
start_and_accept() {
  service_configuration "$data_dir" 0
  upload="$work/upload $1.txt"
  printf 'uploaded in round %s %s\r\n' "$1" "$RANDOM$RANDOM" >"$upload"
  control clear '{}'
  start_program "$program" "$(winpath "$upload")"
  local question
  question="$(probe answer liftorn.exe "vantorel liftorn" yes)" || { fail "$1: no update question"; return 1; }
  case "$question" in
    "There is a new version of vantorel liftorn ($next_version)."*"download the new version now?") ;;
    *) fail "$1: the question said '$question'" ;;
  esac
}

# After the program (old or new) started again: its upload arrives with its
# version in the user agent; then it is asked to quit.
expect_running() {
  local round="$1" expected="$2"
  probe wait-window || { fail "$round: the program did not start again"; return; }
  if wait_for_upload "$upload"; then
    [ "$(last_upload_agent)" = "vantorel liftorn v${expected}i" ] \
      || fail "$round: the upload came from '$(last_upload_agent)', not $expected"
  else
    fail "$round: the restarted program did not upload the file it was started with"
  fi
  probe quit || fail "$round: the program did not quit"
  wait_program
  [ -z "$(ls -d "$temp_dir"/vantorel-liftorn-update-* 2>/dev/null)" ] || fail "$round: the updater left its files"
}

# A refused update: the updater's message names the reason and says the
# installed version is unchanged. `downloads` says whether the installer may
# have been fetched at all (never from a manifest that failed its checks).
refusal() {
  local round="$1" expected="$2" downloads="$3" message fetched=no
  start_and_accept "$round" || return
  message="$(probe answer 'updater*' "vantorel liftorn update" ok)" || { fail "$round: no message from the updater"; return; }
  case "$message" in
    *"$expected"*"vantorel liftorn $version is unchanged."*) ;;
    *) fail "$round: the updater said '$message'" ;;
  esac
  requests | grep -q "\"path\": \"/$installer_name\"" && fetched=yes
  [ "$fetched" = "$downloads" ] || fail "$round: installer fetched: $fetched, expected: $downloads"
  expect_running "$round" "$version"
  [ "$(sha256sum "$program_dir/liftorn.exe" | cut -d' ' -f1)" = "$installed_sum" ] || fail "$round: the program file changed"
}

# A version before ours.
IFS=. read -r major minor patch <<<"$version"
if [ "$patch" -gt 0 ]; then older="$major.$minor.$((patch - 1))"
elif [ "$minor" -gt 0 ]; then older="$major.$((minor - 1)).0"
else older="$((major - 1)).0.0"; fi

offer "$next_version" '"installer"'
refusal wrong-sha256 "its SHA-256 differs" yes
offer "$next_version" '"signature"'
refusal bad-signature "not signed by vantorel" no
offer "$older" null
refusal older-version "The version offered $older is not newer than the installed version $version" no
offer "$next_version" null
control fault "{\"mode\": \"close_early\", \"path\": \"/$installer_name\"}"
refusal cut-short "failed or was cut short" yes
control reset '{}'

# The user closes the window while the download hangs half way.
control fault "{\"mode\": \"stall\", \"path\": \"/$installer_name\", \"stall_seconds\": 60}"
if start_and_accept cancelled; then
  probe close "vantorel liftorn update" || fail "cancelled: no updater window"
  expect_running cancelled "$version"
  [ "$(sha256sum "$program_dir/liftorn.exe" | cut -d' ' -f1)" = "$installed_sum" ] || fail "cancelled: the program file changed"
fi
control reset '{}'

start_and_accept update
accepted=$SECONDS
expect_running update "$next_version"
echo "update_road_test: from Yes to the new version's upload and quit: $((SECONDS - accepted)) s"
[ "$(probe version "$program")" = "$next_version" ] || fail "the installed program is not $next_version"
[ "$(reg_value 'HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vantorel liftorn' DisplayVersion)" = "$next_version" ] \
  || fail "the uninstall entry does not say $next_version"
[ -f "$program_dir/uninstall.exe" ] || fail "the update lost the uninstaller"
# Each round's start removed the updater copies of the rounds before.
copies="$(ls -d "$temp_dir"/vantorel-liftorn-updater-* 2>/dev/null | wc -l)"
[ "$copies" -le 1 ] || fail "$copies updater copies are left in the temporary folder"

finish update_road_test
