#!/bin/bash
# Builds QuorvelManager.exe if stale and runs it under Wine. Without a display it runs on a virtual one,
# saves a screenshot to build/screenshot.png and closes the program.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export LANG=C.UTF-8
scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target QuorvelManager >/dev/null
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
ci/wine-prefix.sh
exe="$root/build/mingw/QuorvelManager.exe"
# The caption carries the version set in CMakeLists.txt's project(): "<major>.<minor> Build <patch>".
title=$(sed -nE 's/^project\(QuorvelManager VERSION ([0-9]+)\.([0-9]+)\.([0-9]+).*/Kestrum Quorvel Manager \1.\2 Build \3/p' \
        CMakeLists.txt)
if [ -n "${DISPLAY:-}" ]; then
  echo "Running $exe (prefix $WINEPREFIX)"
  exec wine "$exe"
fi
. ci/xvfb.sh
xvfb_start
trap 'wineserver -k 2>/dev/null; wineserver -w; xvfb_stop' EXIT
wine "$exe" >"$root/build/run.log" 2>&1 &
pid=$!
wid=$(timeout 60 xdotool search --sync --name "^${title}\$" | head -1)
sleep 1
import -window root "$root/build/screenshot.png"
echo "No display: ran on a virtual one. Window \"$title\" shown; screenshot saved to build/screenshot.png"
xdotool windowactivate --sync "$wid" key --clearmodifiers alt+F4 2>/dev/null || xdotool key alt+F4
wait "$pid" && echo "Program closed."
