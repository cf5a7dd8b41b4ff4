# Shared by the shell tests that run the real program in a Wine prefix of
# their own (sourced after WINEPREFIX is set, if it is known yet): failures
# counted, Windows paths of Linux ones, a work folder, and on exit the
# instance, the prefix's server and the folder go. Expects $name.
export WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
winpath() { local p="$1"; echo "Z:${p//\//\\}"; }

work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-$name.XXXXXX")"
instance_pid=""
cleanup() {
  [ -n "$instance_pid" ] && kill "$instance_pid" 2>/dev/null
  [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
  # Displays of the test's own (scripts/xvfb-lib.sh).
  for pid in "${xvfb_pids[@]:-}"; do [ -n "$pid" ] && kill "$pid" 2>/dev/null; done
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
