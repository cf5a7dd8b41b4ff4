#!/usr/bin/env bash
# Builds what is missing and runs every test: the native sanitizer build, the
# fuzz targets over their seed corpora, then the Windows tests under Wine on a
# private virtual display. Non-zero on any failure. Extra arguments go to
# ctest (for example -R settings).
set -uo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/wine-env.sh"

"$root/scripts/build.sh" all || { echo "test: build failed" >&2; exit 1; }

status=0
echo "== native tests (AddressSanitizer, UndefinedBehaviorSanitizer)"
ctest --test-dir "$LIFTORN_BUILD_DIR/native" --output-on-failure -j "$(nproc)" "$@" || status=1

echo "== fuzz targets, once over their seed corpora"
ctest --test-dir "$LIFTORN_BUILD_DIR/fuzz" --output-on-failure -j "$(nproc)" "$@" || status=1

echo "== Windows tests under Wine"
"$root/scripts/with-display.sh" --virtual \
  ctest --test-dir "$LIFTORN_BUILD_DIR/win" --output-on-failure -j "$(nproc)" "$@" || status=1

if [ "$status" -ne 0 ]; then echo "test: FAILED" >&2; else echo "test: all passed"; fi
exit "$status"
