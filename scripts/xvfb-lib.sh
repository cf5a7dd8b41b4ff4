# Sourced: start_xvfb [SCREEN] starts a private Xvfb (SCREEN as Xvfb takes it,
# 1280x1024x24 unless given) and sets `display` to it, empty when it did not
# start; its pid joins `xvfb_pids`, for the caller to stop. Xvfb picks a free
# number itself and writes it once it is ready, so runs side by side never
# share one.
xvfb_pids=()
start_xvfb() {
  local number_file number
  display=""
  number_file="$(mktemp "${TMPDIR:-/tmp}/liftorn-display.XXXXXX")"
  Xvfb -displayfd 3 -screen 0 "${1:-1280x1024x24}" -nolisten tcp 3>"$number_file" >/dev/null 2>&1 &
  xvfb_pids+=("$!")
  for _ in $(seq 100); do
    [ -s "$number_file" ] && break
    kill -0 "$!" 2>/dev/null || break
    sleep 0.1
  done
  number="$(tr -dc 0-9 <"$number_file")"
  rm -f "$number_file"
  [ -n "$number" ] && display=":$number"
}
