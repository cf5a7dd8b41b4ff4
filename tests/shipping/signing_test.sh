#!/usr/bin/env bash
# Authenticode signatures, with the throw-away certificate the build made:
# - every executable of the signed test package passes `osslsigncode verify`:
#   the staged files, those in the portable zip, the installer, and the
#   uninstaller the installer writes (installed silently in a Wine prefix of
#   this test's own); one changed byte makes it fail;
# - `make dist` refuses a release without a certificate (before building
#   anything) unless SIGNING_CERT=none, and a certificate it cannot read.
#   signing_test.sh PACKAGE_DIR CERT_PEM PREFIX VERSION
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ "$#" -eq 4 ] || { echo "usage: signing_test.sh PACKAGE_DIR CERT_PEM PREFIX VERSION" >&2; exit 2; }
package="$1" cert="$2" prefix="$3" version="$4"
source "$(dirname "${BASH_SOURCE[0]}")/prefix_lib.sh"

verify() { osslsigncode verify -CAfile "$cert" -in "$1" >"$work/verify.log" 2>&1; }
expect_signed() { verify "$1" || fail "$2 does not verify: $(tail -n 2 "$work/verify.log" | tr '\n' ' ')"; }
programs=(liftorn.exe iupdater.exe vlt-helper.exe)
setup="$package/vantorel-liftorn-$version-setup.exe"

for program in "${programs[@]}"; do expect_signed "$package/stage/$program" "the staged $program"; done
expect_signed "$setup" "the installer"
unzip -q "$package/vantorel-liftorn-$version-portable.zip" -d "$work/zip" || fail "cannot unpack the portable zip"
for program in "${programs[@]}"; do expect_signed "$work/zip/vantorel liftorn/$program" "the zip's $program"; done

make_fresh_prefix "$prefix"
wine "$setup" /S || fail "the signed installer failed"
expect_signed "$(installed_folder)/uninstall.exe" "the uninstaller"
expect_signed "$(installed_folder)/liftorn.exe" "the installed liftorn.exe"

# One changed byte in the middle of a signed file.
for file in "$setup" "$package/stage/liftorn.exe"; do
  copy="$work/tampered-$(basename "$file")"
  cp "$file" "$copy"
  middle=$(( $(stat -c %s "$copy") / 2 ))
  byte="$(od -An -tx1 -j "$middle" -N1 "$copy" | tr -d ' ')"
  printf "\\x$(printf '%02x' $(( 0x$byte ^ 0x01 )))" | dd of="$copy" bs=1 seek="$middle" conv=notrunc status=none
  cmp -s "$file" "$copy" && fail "the copy of $(basename "$file") did not change"
  verify "$copy" && fail "$(basename "$file") with a changed byte still verifies"
done

# make dist's rules for the certificate, checked before any build starts.
openssl genpkey -algorithm ed25519 -out "$work/release.pem" 2>/dev/null
out="$(SIGNING_CERT= "$root/scripts/dist.sh" "$work/release.pem" 2>&1)" \
  && fail "a release without a certificate was not refused"
grep -q "SIGNING_CERT=none" <<<"$out" || fail "the refusal does not say how to ship unsigned files: $out"
out="$(SIGNING_CERT="$work/missing.pfx" "$root/scripts/dist.sh" dev 2>&1)" \
  && fail "an unreadable certificate was not refused"
grep -q "cannot read the signing certificate" <<<"$out" || fail "the refusal does not name the certificate: $out"

finish signing_test
