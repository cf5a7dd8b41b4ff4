#!/usr/bin/env bash
# Builds what people download into build/dist/: the per-user installer, the
# portable zip, SHA256SUMS and the signed update manifest.
#   dist.sh SIGNING_KEY
# SIGNING_KEY is the Ed25519 private key (PEM, made with
# `openssl genpkey -algorithm ed25519`) whose public half the shipped
# updater trusts; keep it outside the repository. SIGNING_KEY=dev takes the
# build's own throw-away development key instead, which is fine for trying
# the road, never for a release: updaters built that way trust only that
# key. Without either, nothing is built.
#
# SIGNING_CERT (environment) is the Authenticode certificate, PKCS#12, that
# signs liftorn.exe, vlt-helper.exe, iupdater.exe, the uninstaller and the
# installer (scripts/sign-file.sh; SIGNING_CERT_PASSWORD unlocks it, and
# SIGNING_TIMESTAMP_URL has the signatures time-stamped). A release (a real
# SIGNING_KEY) is refused without one unless SIGNING_CERT=none says that
# unsigned files are meant; a development dist is unsigned unless given one.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
key="${1:-}"
cert="${SIGNING_CERT:-}"
case "$key" in
  "")
    echo "dist: no signing key. SIGNING_KEY=path/to/release-key.pem signs a release;" \
         "SIGNING_KEY=dev signs with this build's throw-away development key (never for a release)." >&2
    exit 2 ;;
  dev) release=no ;;
  *)
    [ -r "$key" ] || { echo "dist: cannot read the signing key $key" >&2; exit 1; }
    key="$(cd "$(dirname "$key")" && pwd)/$(basename "$key")"
    release=yes ;;
esac
case "$cert" in
  "")
    if [ "$release" = yes ]; then
      echo "dist: a release needs SIGNING_CERT=cert.pfx (SIGNING_CERT=none ships unsigned files)" >&2
      exit 1
    fi ;;
  none) cert="" ;;
  *)
    [ -r "$cert" ] || { echo "dist: cannot read the signing certificate $cert" >&2; exit 1; }
    cert="$(cd "$(dirname "$cert")" && pwd)/$(basename "$cert")" ;;
esac
source "$root/scripts/wine-env.sh"

"$root/scripts/build.sh" run
build="$LIFTORN_BUILD_DIR/win"
# The updater is built with the public half of the key that signs.
cmake -S "$root" -B "$build" -DLIFTORN_SIGNING_KEY:STRING="$key" -DLIFTORN_SIGNING_CERT="$cert" >/dev/null
built=0
cmake --build "$build" --target package iupdater -j "$(nproc)" || built=$?
# Later builds (the tests' packages) are not signed: the certificate's
# password need not stay around.
[ -z "$cert" ] || cmake -S "$root" -B "$build" -DLIFTORN_SIGNING_CERT= >/dev/null
[ "$built" -eq 0 ] || { echo "dist: the build failed" >&2; exit 1; }

version="$(head -n 1 "$root/VERSION")"
signing="$key"
[ "$key" = dev ] && signing="$build/keys/development.pem"
out="$LIFTORN_BUILD_DIR/dist"
rm -rf "$out"
python3 "$root/tools/release.py" dist --key "$signing" --version "$version" \
  --setup "$build/package/vantorel-liftorn-$version-setup.exe" \
  --zip "$build/package/vantorel-liftorn-$version-portable.zip" --out "$out" >/dev/null
ls -l "$out"
if [ -z "$cert" ]; then
  echo "dist: the executables and the installer are NOT signed (SIGNING_CERT=cert.pfx signs them)" >&2
fi
if [ "$key" = dev ]; then
  echo "dist: signed with this build's development key ($signing), as asked: not a release" >&2
fi
