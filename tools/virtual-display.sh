# Sourced by the screenshot and benchmark scripts: a private virtual display
# of 1280 x 1024 on the first free number from ${display_from:-200}. Sets
# `work` (a scratch folder) and `pids`, and on exit ends this run's Wine
# processes and the display.
work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-shoot.XXXXXX")"
pids=()
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq "${display_from:-200}" $(( ${display_from:-200} + 49 ))); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
mkdir -p "$WINEPREFIX"
