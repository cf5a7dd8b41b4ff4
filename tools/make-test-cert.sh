#!/usr/bin/env bash
# A throw-away self-signed code-signing certificate for the tests:
#   make-test-cert.sh OUT_BASE PASSWORD
# writes OUT_BASE.pfx (PKCS#12, the key and the certificate, locked with
# PASSWORD) and OUT_BASE.pem (the certificate alone, to verify against).
set -euo pipefail
base="$1" password="$2"
mkdir -p "$(dirname "$base")"
key="$(mktemp)"
trap 'rm -f "$key"' EXIT
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$key" -out "$base.pem" -days 30 \
  -subj "/CN=vantorel liftorn test signing" -addext "extendedKeyUsage=codeSigning" 2>/dev/null
openssl pkcs12 -export -inkey "$key" -in "$base.pem" -out "$base.pfx" -passout "pass:$password"
