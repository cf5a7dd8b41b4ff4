#!/usr/bin/env bash
# Runs a GoogleTest executable and passes only when it exited 0 AND printed its
# closing summary without failures, so a run cut short (a killed Wine
# process can still exit 0) never counts as passed.
#   check-gtest.sh COMMAND...
set -uo pipefail
log="$(mktemp "${TMPDIR:-/tmp}/liftorn-gtest.XXXXXX")"
trap 'rm -f "$log"' EXIT
"$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
# On a loaded machine Wine now and then fails to start a process at all: no
# line of output, a failing status. Such a run proves nothing either way, so
# it is tried once more; a test that fails before printing fails twice.
if [ "$status" -ne 0 ] && [ ! -s "$log" ]; then
  echo "check-gtest: the program did not start (status $status); once more" >&2
  "$@" 2>&1 | tee "$log"
  status=${PIPESTATUS[0]}
fi
if [ "$status" -ne 0 ]; then exit "$status"; fi
if ! grep -q '^\[  PASSED  \] [0-9]* test' "$log"; then
  echo "check-gtest: the run ended without its summary" >&2
  exit 1
fi
if grep -q '^\[  FAILED  \]' "$log"; then
  echo "check-gtest: failures reported despite exit code 0" >&2
  exit 1
fi
exit 0
