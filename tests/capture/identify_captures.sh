#!/usr/bin/env bash
# Runs the capture-saving test with its PNG, JPEG and GIF kept, then asks
# ImageMagick what they are: a PNG with alpha, a JPEG without, a palette GIF.
#   identify_captures.sh COMMAND...   (the test's usual command line)
set -uo pipefail
keep="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-captures.XXXXXX")"
trap 'rm -rf "$keep"' EXIT
export LIFTORN_KEEP_CAPTURES="Z:${keep//\//\\}"
"$@" || exit $?

status=0
expect() {
  local got
  got="$(identify -format "$2" "$keep/$1" 2>&1)"
  if [ "$got" != "$3" ]; then
    echo "identify $1: wanted '$3', got '$got'" >&2
    status=1
  fi
}
expect shot.png '%m %[channels]' 'PNG srgba'
expect shot.jpg '%m %[channels]' 'JPEG srgb'
expect shot.gif '%m %[type] %wx%h' 'GIF Palette 40x30'
exit "$status"
