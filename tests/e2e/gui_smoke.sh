#!/bin/bash
# Starts the real QuorvelManager.exe under Wine on a virtual display, checks its window, closes it with
# Alt+F4 and checks that the process ends. Prints "N passed, M failed"; exits non-zero on a failure.
set -uo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
exe=${1:-$root/build/mingw/QuorvelManager.exe}
out=${2:-$root/build/e2e}
mkdir -p "$out"
export LANG=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
: "${WINEPREFIX:=$root/build/wineprefix}"
export WINEPREFIX
"$root/ci/wine-prefix.sh"
. "$root/ci/xvfb.sh"
xvfb_start || { echo "0 passed, 1 failed"; exit 1; }
trap 'wineserver -k 2>/dev/null; wineserver -w; xvfb_stop' EXIT

passed=0 failed=0
check() {  # check <name> <command...>
  local name=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "PASS $name"; else failed=$((failed + 1)); echo "FAIL $name"; fi
}

# The executable carries its version resource and its manifest (common controls 6, highestAvailable).
check "version resource names the program and 1.0.45" \
  bash -c "strings -el '$exe' | grep -q 'Kestrum Quorvel Manager' && strings -el '$exe' | grep -qx '1.0.45'"
check "manifest asks for common controls 6 and highestAvailable" \
  bash -c "grep -aq 'Microsoft.Windows.Common-Controls' '$exe' && grep -aq 'highestAvailable' '$exe'"

title='Kestrum Quorvel Manager 1.0 Build 45'
wine "$exe" >"$out/wine.log" 2>&1 &
pid=$!
wid=$(timeout 60 xdotool search --sync --name "^${title}\$" | head -1)
check "window titled '$title' appears" test -n "$wid"
if [ -n "$wid" ]; then
  read -r w h < <(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
  # Client area 575 x 418 pixels at 96 dpi plus the frame Wine draws for an unmanaged window.
  check "window is at least 575 x 418" test "$w" -ge 575 -a "$h" -ge 418
  import -window root "$out/main-window.png"
  check "screenshot saved" test -s "$out/main-window.png"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
ended=0
for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || { ended=1; break; }; sleep 0.1; done
check "closing the window ends the process" test "$ended" -eq 1
if [ "$ended" -eq 1 ]; then
  wait "$pid"; code=$?
  check "exit code is 0" test "$code" -eq 0
else
  kill "$pid" 2>/dev/null
fi
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
