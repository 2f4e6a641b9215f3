#!/bin/sh
# Times the startup-item engine's loads under Wine against the real registry and file system and prints each as a
# ratio to its floor (raw enumeration, raw folder listing) measured in the same run, plus the whole process's time.
#   scripts/bench-engine.sh [mingw build folder]     (default build/mingw; WINEPREFIX default build/wineprefix)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/mingw}
export LANG=C.UTF-8
export WINEPREFIX="${WINEPREFIX:-$root/build/wineprefix}"
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$build.configure.log" 2>&1
fi
cmake --build "$build" --target engine_timing -j2 >"$build/bench-engine.build.log" 2>&1 ||
  { cat "$build/bench-engine.build.log"; exit 1; }
"$root/cmake/wine-run.sh" --start
out="$build/bench-engine.out"
start=$(date +%s%N)
status=0
"$root/cmake/wine-run.sh" "$build/tests/engine/engine_timing.exe" >"$out" 2>&1 || status=$?
end=$(date +%s%N)
grep -v -e '^[0-9a-f]*:err:' -e 'Read access denied' "$out" || true
echo "whole process under Wine: $(( (end - start) / 1000000 )) ms, exit status $status"
exit "$status"
