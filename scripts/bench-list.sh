#!/bin/bash
# Times the real program under Wine on a virtual display: list fill, tick change, page-down, StartUp folder and
# start-up, each beside its floor measured in the same run (min and median of the runs, ratios, per-row costs).
#   scripts/bench-list.sh [runs] [mingw build folder] [--start-up]     (default 5 runs, build/mingw; --start-up
#                                                                      times only the start-up)
# It uses a Wine prefix of its own (build/bench-wineprefix, or WINEPREFIX), so the values and shortcuts it seeds
# never meet the tests' prefix; whatever it seeded is removed again when it ends, also when it is interrupted.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
runs=${1:-5}
build=${2:-$root/build/mingw}
# Wine starts winemenubuilder for every shortcut saved under the Start menu (the StartUp folders): off, it
# writes no menu entries on the host and takes no CPU from what is being timed or tested.
export LANG=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export WINEPREFIX="${WINEPREFIX:-$root/build/bench-wineprefix}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1
fi
cmake --build "$build" --target list_timing -j2 >"$build/bench-list.build.log" 2>&1 ||
  { tail -n 40 "$build/bench-list.build.log"; exit 1; }
. "$root/ci/xvfb.sh"
xvfb_start
timing="$build/tests/bench/list_timing.exe"
finish() {
  wine "$timing" --clean </dev/null >/dev/null 2>&1 || true
  "$root/cmake/wine-run.sh" --stop
  xvfb_stop
}
trap finish EXIT
"$root/cmake/wine-run.sh" --start
out="$build/bench-list.out"
status=0
wine "$timing" "$runs" ${3:+"$3"} </dev/null >"$out" 2>&1 || status=$?
grep -v -e '^[0-9a-f]*:err:' -e 'Read access denied' "$out" || true
echo "exit status $status"
exit "$status"
