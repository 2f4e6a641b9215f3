# Source this file: xvfb_start starts a virtual display on a free number and exports DISPLAY
# (1024x768 in 24-bit colour unless XVFB_SCREEN says otherwise).
xvfb_start() {
  local dir=${TMPDIR:-/tmp} fifo n
  fifo=$(mktemp -u "$dir/xvfb-fd.XXXXXX"); mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${XVFB_SCREEN:-1024x768x24}" -nolisten tcp -noreset 3>"$fifo" >"$dir/xvfb.$$.log" 2>&1 &
  XVFB_PID=$!
  read -r -t 10 n <"$fifo"; rm -f "$fifo"
  [ -n "$n" ] || { echo "Xvfb did not start" >&2; kill "$XVFB_PID"; return 1; }
  export DISPLAY=":$n" XVFB_PID
}
xvfb_stop() { [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" && wait "$XVFB_PID" 2>/dev/null; unset XVFB_PID; }
