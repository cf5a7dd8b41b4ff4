#!/usr/bin/env bash
# Which key signs: `make dist` builds nothing without SIGNING_KEY (dev must be
# asked for by name), with a key it cannot read, or for a release without
# SIGNING_CERT (none must be said) or with one it cannot read; the build takes the
# development key only when asked (empty or dev), stopping when a named key
# has gone.
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-signing.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# A refusal comes before any building: a few seconds at most.
said="$(timeout 30 "$root/scripts/dist.sh" 2>&1)"
code=$?
[ "$code" = 2 ] || fail "dist without a key ended with code $code"
case "$said" in *"SIGNING_KEY=dev"*) ;; *) fail "dist without a key said: $said" ;; esac
timeout 30 "$root/scripts/dist.sh" "$work/gone.pem" >/dev/null 2>&1
code=$?
[ "$code" = 1 ] || fail "dist with a missing key ended with code $code"
# A release key without a word about the certificate, or with one that
# cannot be read, builds nothing either.
touch "$work/release.pem"
for cert in "" "$work/gone.pfx"; do
  said="$(SIGNING_CERT="$cert" timeout 30 "$root/scripts/dist.sh" "$work/release.pem" 2>&1)"
  code=$?
  [ "$code" = 1 ] || fail "a release with the certificate '$cert' ended with code $code"
  case "$said" in *SIGNING_CERT*|*"signing certificate"*) ;; *) fail "a release with the certificate '$cert' said: $said" ;; esac
done

cat >"$work/choose.cmake" <<CMAKE
include("$root/cmake/SigningKey.cmake")
liftorn_choose_release_key("\${SIGNING_KEY}" /keys chosen)
message(STATUS "chosen=\${chosen}")
CMAKE
choose() { cmake -DSIGNING_KEY="$1" -P "$work/choose.cmake" 2>&1; }
for case in "|/keys/development.pem" "dev|/keys/development.pem" "$work/release.pem|$work/release.pem"; do
  given="${case%%|*}" expected="${case#*|}"
  said="$(choose "$given")" || fail "the key '$given' stopped the build: $said"
  case "$said" in *"chosen=$expected"*) ;; *) fail "the key '$given' chose: $said" ;; esac
done
if said="$(choose "$work/gone.pem")"; then
  fail "a key that has gone let the build go on: $said"
fi

[ "$failures" -eq 0 ] || exit 1
echo "signing_key_test: passed"
