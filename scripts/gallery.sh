#!/bin/bash
# Builds the button gallery for Windows, runs it under Wine on a virtual display of its own and writes
# build/gallery.png: every button type in every look (up, hover, down, disabled, toggled) and colour scheme, with
# and without a picture and with each caption effect, as real skinned button windows captured from the screen.
#   KQM_GALLERY_BUILD  build folder (default build/gallery-mingw)
#   WINEPREFIX         Wine prefix (default build/wineprefix)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export LANG=C.UTF-8
build=${KQM_GALLERY_BUILD:-$root/build/gallery-mingw}
export WINEPREFIX=${WINEPREFIX:-$root/build/wineprefix} WINEDEBUG=${WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target skin_button_gallery -j2 >/dev/null
exe=$(find "$build" -name skin_button_gallery.exe | head -1)
ci/wine-prefix.sh
# shellcheck source=../ci/xvfb.sh
. ci/xvfb.sh
# A fresh Wine server on the virtual display (one already running may have started without any display).
wineserver -k 2>/dev/null || true
wineserver -w
xvfb_start
finish() { wineserver -k 2>/dev/null || true; wineserver -w; xvfb_stop; }
trap finish EXIT
bmp="$root/build/gallery.bmp"
rm -f "$bmp"
# Wine's helper processes inherit stdout: keep them off the caller's pipes.
wine "$exe" 'Z:'"${bmp//\//\\}" </dev/null >"$root/build/gallery.log" 2>&1 || { cat "$root/build/gallery.log"; exit 1; }
convert "$bmp" -define png:exclude-chunk=date,time "$root/build/gallery.png"
rm -f "$bmp"
grep -a 'buttons shown' "$root/build/gallery.log" || true
echo "Gallery written to build/gallery.png"
