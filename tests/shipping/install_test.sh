#!/usr/bin/env bash
# The packages in a Wine prefix of this test's own, made fresh on every run:
# - the silent install: files, Start-menu shortcut, uninstall entry, ProgID;
#   the installed program starts and shows its window; the installer will
#   not replace a running program;
# - an upgrade to the next version keeps history.db and vantorel.conf;
# - the uninstaller removes what was installed and keeps the data folder,
#   or removes it too when its box is ticked (or with /RemoveData, silent);
#   installed into an existing folder, it keeps the user's own files there;
# - the portable zip, unpacked into a folder whose path is not ASCII, starts,
#   uploads to the development service and writes nothing beside itself; the
#   installer's /PORTABLE switch (the updater's, for such a copy) refreshes its
#   files and registers nothing.
#   install_test.sh PROBE SETUP NEXT_SETUP PORTABLE_ZIP STAGE_DIR PREFIX VERSION NEXT_VERSION
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ "$#" -eq 8 ] || { echo "usage: install_test.sh PROBE SETUP NEXT_SETUP PORTABLE_ZIP STAGE PREFIX VERSION NEXT_VERSION" >&2; exit 2; }
probe="$1" setup="$2" next_setup="$3" portable_zip="$4" stage="$5" prefix="$6" version="$7" next_version="$8"

if [ -z "${LIFTORN_DEVSERVICE_URL:-}" ]; then
  exec "$root/scripts/with-devservice.sh" "$0" "$@"
fi
source "$(dirname "${BASH_SOURCE[0]}")/prefix_lib.sh"

make_fresh_prefix "$prefix"
program_dir="$(installed_folder)"
data_dir="$(data_folder)"
shortcut="$(start_menu)/vantorel liftorn.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\vantorel liftorn'
progid_key='HKCU\Software\Classes\Korvane.vantorel-liftorn'

# ----------------------------------------------------------- silent install
wine "$setup" /S
code=$?
[ "$code" = 0 ] || fail "the silent install ended with code $code"
[ -f "$program_dir/uninstall.exe" ] || fail "no uninstaller in $program_dir"
# Every staged file, byte for byte.
(cd "$stage" && find . -type f) | while read -r file; do
  cmp -s "$stage/$file" "$program_dir/$file" || echo "$file"
done >"$work/differs"
[ ! -s "$work/differs" ] || fail "installed files missing or different: $(tr '\n' ' ' <"$work/differs")"
[ "$(probe version "$(winpath "$program_dir/liftorn.exe")")" = "$version" ] || fail "the installed program is not $version"

[ -f "$shortcut" ] || fail "no Start-menu shortcut"
mapfile -t link < <(probe shortcut "$(winpath "$shortcut")")
[ "${link[0]:-}" = "$(winpath "$program_dir/liftorn.exe")" ] || fail "the shortcut points at '${link[0]:-}'"

[ "$(reg_value "$uninstall_key" DisplayName)" = "vantorel liftorn" ] || fail "uninstall entry: DisplayName"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ] || fail "uninstall entry: DisplayVersion"
[ "$(reg_value "$uninstall_key" Publisher)" = "vantorel" ] || fail "uninstall entry: Publisher"
[ "$(reg_value "$uninstall_key" DisplayIcon)" = "$(winpath "$program_dir/liftorn.exe"),0" ] || fail "uninstall entry: DisplayIcon"
[ "$(reg_value "$uninstall_key" UninstallString)" = "\"$(winpath "$program_dir/uninstall.exe")\"" ] || fail "uninstall entry: UninstallString"
size="$(reg_value "$uninstall_key" EstimatedSize)"
[ $((size)) -gt 1000 ] 2>/dev/null || fail "uninstall entry: EstimatedSize '$size' (KB) is too small"
[ "$(reg_value "$progid_key\\shell\\Open\\Command" '')" = "\"$(winpath "$program_dir/liftorn.exe")\" /uri \"%1\"" ] \
  || fail "the ProgID's Open command is not the program's path in quotes"
reg_has 'HKCU\Software\Classes\.URL\OpenWithProgids' Korvane.vantorel-liftorn || fail "no OpenWithProgids entry"

# The installed program starts and shows its window; its data folder fills.
quiet_configuration "$data_dir"
start_program "$(winpath "$program_dir/liftorn.exe")"
probe wait-window || fail "the installed program showed no window"
# A running program is never overwritten: the installer refuses (code 2).
wine "$next_setup" /S
code=$?
[ "$code" = 2 ] || fail "the installer ran over a running program (code $code)"
[ "$(probe version "$(winpath "$program_dir/liftorn.exe")")" = "$version" ] || fail "a running program was replaced"
probe quit || fail "the installed program did not quit"
wait_program
[ -s "$data_dir/history.db" ] && [ -s "$data_dir/vantorel.conf" ] || fail "the program left no history.db and vantorel.conf"
kept="$(cd "$data_dir" && sha256sum history.db vantorel.conf)"

# ------------------------------------------------------------------ upgrade
wine "$next_setup" /S
code=$?
[ "$code" = 0 ] || fail "the upgrade ended with code $code"
[ "$(probe version "$(winpath "$program_dir/liftorn.exe")")" = "$next_version" ] || fail "the upgrade did not install $next_version"
[ "$(reg_value "$uninstall_key" DisplayVersion)" = "$next_version" ] || fail "the uninstall entry still says $(reg_value "$uninstall_key" DisplayVersion)"
[ "$(cd "$data_dir" && sha256sum history.db vantorel.conf)" = "$kept" ] || fail "the upgrade changed history.db or vantorel.conf"

# ---------------------------------------------------------------- uninstall
uninstall() {
  wine "$(winpath "$program_dir/uninstall.exe")" /S "$@"
  # It runs from a copy in the temporary folder and returns at once.
  probe wait-gone Un.exe || fail "the uninstaller did not finish"
}
uninstall
[ ! -e "$program_dir" ] || fail "the program folder is still there: $(ls "$program_dir" | tr '\n' ' ')"
[ ! -e "$shortcut" ] || fail "the shortcut is still there"
reg_exists "$uninstall_key" && fail "the uninstall entry is still there"
reg_exists "$progid_key" && fail "the ProgID is still there"
reg_has 'HKCU\Software\Classes\.URL\OpenWithProgids' Korvane.vantorel-liftorn && fail "the OpenWithProgids entry is still there"
[ "$(cd "$data_dir" && sha256sum history.db vantorel.conf 2>/dev/null)" = "$kept" ] || fail "the uninstaller did not keep the data folder"

# The user's road: the tick box on the uninstaller's page.
wine "$setup" /S || fail "the second install failed"
wine "$(winpath "$program_dir/uninstall.exe")" &
probe click "vantorel liftorn Uninstall" "Also remove my history and settings" || fail "no tick box to remove the data"
probe click "vantorel liftorn Uninstall" "&Uninstall" || fail "no Uninstall button"
probe click "vantorel liftorn Uninstall" "&Close" || fail "the uninstaller did not finish"
probe wait-gone Un.exe || fail "the uninstaller did not end"
[ ! -e "$data_dir" ] || fail "the ticked box left the data folder"
[ ! -e "$program_dir" ] || fail "the second uninstall left the program folder"

quiet_configuration "$data_dir"
wine "$setup" /S || fail "the third install failed"
uninstall /RemoveData
[ ! -e "$data_dir" ] || fail "/RemoveData left the data folder"

# An existing folder with a skin folder of the user's own: the uninstaller
# takes only what the installer put there.
custom="$(drive_c)/My Tools"
mkdir -p "$custom/skin/toast"
printf 'mine\r\n' >"$custom/skin/mine.txt"
printf 'mine too\r\n' >"$custom/skin/toast/notes.txt"
probe run "\"$(winpath "$setup")\" /S /D=$(winpath "$custom")" || fail "the install into an existing folder failed"
[ -f "$custom/skin/toast/background.png" ] || fail "no skin installed into the existing folder"
wine "$(winpath "$custom/uninstall.exe")" /S
probe wait-gone Un.exe || fail "the uninstaller of the existing folder did not finish"
[ -f "$custom/skin/mine.txt" ] && [ -f "$custom/skin/toast/notes.txt" ] || fail "the uninstaller deleted the user's own skin files"
left="$(cd "$custom" && find . -type f | sort | tr '\n' ' ')"
[ "$left" = "./skin/mine.txt ./skin/toast/notes.txt " ] || fail "the uninstaller left more than the user's files: $left"
[ ! -e "$custom/skin/background" ] || fail "the uninstaller left an emptied skin folder"
reg_exists "$uninstall_key" && fail "the uninstall entry of the existing folder is still there"

# ----------------------------------------------------------------- portable
portable_root="$(drive_c)/Überträge/日本語 ünïcode"
mkdir -p "$portable_root"
(cd "$portable_root" && unzip -q "$portable_zip") || fail "cannot unpack the portable zip"
portable_dir="$portable_root/vantorel liftorn"
before="$(cd "$portable_dir" && find . | sort | sha256sum)"
service_configuration "$data_dir"
upload="$work/portable upload.txt"
printf 'sent from the portable copy %s\r\n' "$RANDOM$RANDOM" >"$upload"
start_program "$(winpath "$portable_dir/liftorn.exe")" "$(winpath "$upload")"
probe wait-window || fail "the portable program showed no window"
wait_for_upload "$upload" || fail "the portable program's upload did not reach the service"
agent="$(last_upload_agent)"
[ "$agent" = "vantorel liftorn v${version}i" ] || fail "the upload's user agent is '$agent'"
probe quit || fail "the portable program did not quit"
wait_program
[ "$(cd "$portable_dir" && find . | sort | sha256sum)" = "$before" ] || fail "the portable program wrote beside itself"
[ -s "$data_dir/history.db" ] || fail "the portable program kept no history in its data folder"

probe run "\"$(winpath "$next_setup")\" /S /PORTABLE /D=$(winpath "$portable_dir")"
code=$?
[ "$code" = 0 ] || fail "the portable refresh ended with code $code"
[ "$(probe version "$(winpath "$portable_dir/liftorn.exe")")" = "$next_version" ] || fail "the portable copy was not refreshed"
[ ! -e "$portable_dir/uninstall.exe" ] || fail "the portable refresh wrote an uninstaller"
[ ! -e "$shortcut" ] || fail "the portable refresh made a shortcut"
reg_exists "$uninstall_key" && fail "the portable refresh registered an uninstall entry"

finish install_test
