#!/usr/bin/env bash
# Signs Windows executables in place with an Authenticode signature (SHA-256
# digests) from a PKCS#12 certificate:
#   sign-file.sh CERT.pfx FILE...
# SIGNING_CERT_PASSWORD (environment) unlocks the certificate; it never
# appears on a command line. SIGNING_TIMESTAMP_URL, when set, has every
# signature time-stamped there (RFC 3161), for releases made with network
# access.
set -euo pipefail
[ "$#" -ge 2 ] || { echo "usage: sign-file.sh CERT.pfx FILE..." >&2; exit 2; }
cert="$1"
shift
[ -r "$cert" ] || { echo "sign-file: cannot read the certificate $cert" >&2; exit 1; }
command -v osslsigncode >/dev/null || { echo "sign-file: osslsigncode is missing (scripts/install-packages.sh)" >&2; exit 1; }

secret="$(mktemp)"
trap 'rm -f "$secret" "${signed:-}"' EXIT
chmod 600 "$secret"
printf '%s' "${SIGNING_CERT_PASSWORD-}" >"$secret"
stamp=()
[ -z "${SIGNING_TIMESTAMP_URL:-}" ] || stamp=(-ts "$SIGNING_TIMESTAMP_URL")

for file in "$@"; do
  signed="$file.signing"
  osslsigncode sign -pkcs12 "$cert" -readpass "$secret" -h sha256 \
    -n "vantorel liftorn" -i "https://www.vantorel.example/liftorn/" "${stamp[@]}" \
    -in "$file" -out "$signed" >/dev/null \
    || { echo "sign-file: signing $file failed" >&2; exit 1; }
  mv -f "$signed" "$file"
done
