#!/usr/bin/env bash
# Builds what is missing and runs every test: the Windows tests under Wine on
# private virtual displays and, beside them, the native sanitizer build with
# its tests and the fuzz targets over their seed corpora. Non-zero on any
# failure. Extra arguments go to ctest (for example -R settings).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"

# LIFTORN_TEST_DESKS: how many desks the Windows tests share (1 to 9). Two
# take the Windows tests from about 9 minutes to 5 on two cores; more add
# load rather than speed there.
desks="${LIFTORN_TEST_DESKS:-2}"

# The desks' Wine prefixes are made while the program builds (Wine's first
# start in a new prefix is mostly waiting), once Wine and Xvfb are there.
"$root/scripts/install-packages.sh" || exit 1
prefix_log="$(mktemp "${TMPDIR:-/tmp}/liftorn-prefixes.XXXXXX")"
portable_log="$(mktemp "${TMPDIR:-/tmp}/liftorn-portable.XXXXXX")"
trap 'rm -f "$prefix_log" "$portable_log"' EXIT
"$root/scripts/with-display.sh" --virtual --desks "$desks" true >"$prefix_log" 2>&1 &
prefixes=$!

"$root/scripts/build.sh" win || { echo "test: build failed" >&2; exit 1; }
wait "$prefixes" || { cat "$prefix_log" >&2; echo "test: the desks' Wine prefixes could not be made" >&2; exit 1; }

# The Windows tests mostly wait (for windows, services, time limits), so the
# Win32-free builds and their tests run beside them, at a lower priority so
# that the tests' timing is not theirs to disturb. Their report follows.
(
  status=0
  if nice -n 10 "$root/scripts/build.sh" native; then
    echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
    nice -n 10 ctest --test-dir "$LIFTORN_BUILD_DIR/native" --output-on-failure -j "$(nproc)" "$@" || status=1
  else
    echo "test: the native build failed"; status=1
  fi
  if nice -n 10 "$root/scripts/build.sh" fuzz; then
    echo "== fuzz targets, once over their seed corpora"
    nice -n 10 ctest --test-dir "$LIFTORN_BUILD_DIR/fuzz" --output-on-failure -j "$(nproc)" "$@" || status=1
  else
    echo "test: the fuzz build failed"; status=1
  fi
  exit "$status"
) >"$portable_log" 2>&1 &
portable=$!

status=0
echo "== Windows tests under Wine, on $desks desks"
# Tests that move the pointer, fill the clipboard or start the program need a
# desk of their own, and most of them wait rather than compute: with several
# desks (a virtual display and a Wine prefix each) they run side by side,
# next to the tests that need none.
"$root/scripts/with-display.sh" --virtual --desks "$desks" bash -c \
  'ctest --test-dir "$1/win" --output-on-failure --resource-spec-file "$LIFTORN_DESK_RESOURCES" "${@:2}"' \
  desks "$LIFTORN_BUILD_DIR" -j "$((desks + $(nproc) - 1))" "$@" || status=1

wait "$portable" || status=1
echo "== the Win32-free builds, beside the Windows tests"
cat "$portable_log"

if [ "$status" -ne 0 ]; then echo "test: FAILED" >&2; else echo "test: all passed"; fi
exit "$status"
