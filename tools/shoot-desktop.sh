# Sourced by the screenshot scripts (tools/shoot-*.sh): a private virtual
# display of 1280 x 1024 with a compositor over a light backdrop, so that
# per-pixel alpha really blends. Sets `work` (a scratch folder) and `pids`,
# and on exit ends this run's Wine processes and the display.
work="$(mktemp -d "${TMPDIR:-/tmp}/liftorn-shoot.XXXXXX")"
pids=()
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  for pid in "${pids[@]}"; do kill "$pid" >/dev/null 2>&1 || true; done
  rm -rf "$work"
}
trap cleanup EXIT

for n in $(seq 200 249); do
  [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] || break
done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
convert -size 1280x1024 gradient:'#c9d0d8-#8f9aa6' "$work/backdrop.png"
xcompmgr >/dev/null 2>&1 &
pids+=($!)
display -immutable -geometry +0+0 "$work/backdrop.png" >/dev/null 2>&1 &
pids+=($!)
sleep 1
mkdir -p "$WINEPREFIX"
