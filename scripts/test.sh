#!/usr/bin/env bash
# Builds what is missing and runs every test: the native sanitizer build, the
# fuzz targets over their seed corpora, then the Windows tests under Wine on a
# private virtual display. Non-zero on any failure. Extra arguments go to
# ctest (for example -R settings).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"

"$root/scripts/build.sh" all || { echo "test: build failed" >&2; exit 1; }

# LIFTORN_TEST_DESKS: how many desks the Windows tests share (1 to 9).
desks="${LIFTORN_TEST_DESKS:-3}"

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir "$LIFTORN_BUILD_DIR/native" --output-on-failure -j "$(nproc)" "$@" || status=1

echo "== fuzz targets, once over their seed corpora"
ctest --test-dir "$LIFTORN_BUILD_DIR/fuzz" --output-on-failure -j "$(nproc)" "$@" || status=1

echo "== Windows tests under Wine, on $desks desks"
# Tests that move the pointer, fill the clipboard or start the program need a
# desk of their own, and most of them wait rather than compute: with several
# desks (a virtual display and a Wine prefix each) they run side by side,
# next to the tests that need none.
"$root/scripts/with-display.sh" --virtual --desks "$desks" bash -c \
  'ctest --test-dir "$1/win" --output-on-failure --resource-spec-file "$LIFTORN_DESK_SPEC" "${@:2}"' \
  desks "$LIFTORN_BUILD_DIR" -j "$((desks + $(nproc)))" "$@" || status=1

if [ "$status" -ne 0 ]; then echo "test: FAILED" >&2; else echo "test: all passed"; fi
exit "$status"
