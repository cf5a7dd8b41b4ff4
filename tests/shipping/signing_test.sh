#!/usr/bin/env bash
# Authenticode signatures, with the throw-away certificate the build made:
# - every executable of the signed test package passes `osslsigncode verify`:
#   the staged files, those in the portable zip, the installer, and the
#   uninstaller the installer writes (installed silently in a Wine prefix of
#   this test's own); one changed byte makes it fail;
# - a signature made with SIGNING_TIMESTAMP_URL carries a time stamp that
#   verifies, from a time-stamping authority of the test's own;
# - `make dist` refuses a release without a certificate (before building
#   anything) unless SIGNING_CERT=none, and a certificate it cannot read.
#   signing_test.sh PACKAGE_DIR CERT_PEM CERT_PFX PREFIX VERSION
# SIGNING_CERT_PASSWORD (environment) unlocks CERT_PFX.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
[ "$#" -eq 5 ] || { echo "usage: signing_test.sh PACKAGE_DIR CERT_PEM CERT_PFX PREFIX VERSION" >&2; exit 2; }
package="$1" cert="$2" pfx="$3" prefix="$4" version="$5"
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

# Time stamps, from a time-stamping authority of the test's own on
# 127.0.0.1: the signature then carries one that verifies against that
# authority's root, which a signature without one does not; an authority that
# fails fails the signing and leaves the file as it was.
tsa="$work/tsa"
mkdir -p "$tsa"
cat >"$tsa/tsa.cnf" <<'CONFIG'
[ req ]
distinguished_name = name
prompt = no
[ name ]
CN = test time-stamping authority
[ stamping ]
basicConstraints = critical, CA:false
keyUsage = critical, digitalSignature
extendedKeyUsage = critical, timeStamping
[ tsa ]
default_tsa = authority
[ authority ]
serial = ./serial
signer_cert = ./tsa.pem
signer_key = ./tsa.key
certs = ./root.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha1
accuracy = secs:1
ess_cert_id_alg = sha256
CONFIG
echo 01 >"$tsa/serial"
( cd "$tsa" &&
  openssl req -x509 -newkey rsa:2048 -nodes -keyout root.key -out root.pem -days 2 \
    -subj "/CN=test time-stamping root" -addext "basicConstraints=critical,CA:true" \
    -addext "keyUsage=critical,keyCertSign" &&
  openssl req -newkey rsa:2048 -nodes -keyout tsa.key -out tsa.csr -config tsa.cnf &&
  openssl x509 -req -in tsa.csr -CA root.pem -CAkey root.key -CAcreateserial -out tsa.pem -days 2 \
    -extfile tsa.cnf -extensions stamping ) >"$tsa/make.log" 2>&1 \
  || fail "cannot make the time-stamping authority: $(tail -n 3 "$tsa/make.log")"
python3 "$(dirname "${BASH_SOURCE[0]}")/time_stamp_server.py" "$tsa/tsa.cnf" "$tsa/port" &
tsa_pid=$!
for _ in $(seq 100); do [ -s "$tsa/port" ] && break; sleep 0.1; done
tsa_url="http://127.0.0.1:$(cat "$tsa/port" 2>/dev/null)"
stamped="$work/stamped.exe"
cp "$package/stage/liftorn.exe" "$stamped"
# The staged files were signed without a time stamp.
verify "$stamped"
grep -q "Timestamp Server Signature" "$work/verify.log" && fail "a signature without a time stamp shows one"
cp "$stamped" "$work/before-stamping.exe"
SIGNING_TIMESTAMP_URL="$tsa_url/broken/" "$root/scripts/sign-file.sh" "$pfx" "$stamped" >/dev/null 2>&1 \
  && fail "signing went on when the time-stamping authority failed"
cmp -s "$stamped" "$work/before-stamping.exe" || fail "a failed time stamp changed the file"
SIGNING_TIMESTAMP_URL="$tsa_url/" "$root/scripts/sign-file.sh" "$pfx" "$stamped" \
  || fail "signing with a time stamp failed"
osslsigncode verify -CAfile "$cert" -TSA-CAfile "$tsa/root.pem" -in "$stamped" >"$work/verify.log" 2>&1 \
  || fail "the time-stamped file does not verify: $(tail -n 2 "$work/verify.log" | tr '\n' ' ')"
grep -q "Timestamp Server Signature verification: ok" "$work/verify.log" \
  || fail "the time stamp was not verified: $(grep -i timestamp "$work/verify.log" | tr '\n' ' ')"
kill "$tsa_pid" 2>/dev/null

# make dist's rules for the certificate, checked before any build starts.
openssl genpkey -algorithm ed25519 -out "$work/release.pem" 2>/dev/null
out="$(SIGNING_CERT= "$root/scripts/dist.sh" "$work/release.pem" 2>&1)" \
  && fail "a release without a certificate was not refused"
grep -q "SIGNING_CERT=none" <<<"$out" || fail "the refusal does not say how to ship unsigned files: $out"
out="$(SIGNING_CERT="$work/missing.pfx" "$root/scripts/dist.sh" dev 2>&1)" \
  && fail "an unreadable certificate was not refused"
grep -q "cannot read the signing certificate" <<<"$out" || fail "the refusal does not name the certificate: $out"

finish signing_test
