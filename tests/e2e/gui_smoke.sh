#!/bin/bash
# Starts the real QuorvelManager.exe under Wine on a virtual display, checks its window, closes it with
# Alt+F4 and checks that the process ends. Prints "N passed, M failed"; exits non-zero on a failure.
. "$(dirname "$0")/e2e_lib.sh"

# The executable carries its version resource and its manifest (common controls 6, highestAvailable).
check "version resource names the program and $version" \
  bash -c "strings -el '$exe' | grep -q 'Kestrum Quorvel Manager' && strings -el '$exe' | grep -qx '$version'"
check "manifest asks for common controls 6 and highestAvailable" \
  bash -c "grep -aq 'Microsoft.Windows.Common-Controls' '$exe' && grep -aq 'highestAvailable' '$exe'"

launch "$out/wine.log"
check "window titled '$title' appears" test -n "$wid"
if [ -n "$wid" ]; then
  read -r w h < <(xwininfo -id "$wid" | awk '/Width:/{w=$2} /Height:/{h=$2} END{print w, h}')
  # Client area 575 x 418 pixels at 96 dpi plus the frame Wine draws for an unmanaged window.
  check "window is at least 575 x 418" test "$w" -ge 575 -a "$h" -ge 418
  # Wine hands the window's icons to the X server: 16 and 32 pixel images holding our switch's green knob
  # (0xFF21A838 as the property's ARGB numbers).
  xprop -id "$wid" -notype -f _NET_WM_ICON 32c ' = $0+\n' _NET_WM_ICON | tr ',' '\n' >"$out/icon.txt" 2>&1
  check "the window shows the program's own icon, small and big" \
    bash -c "grep -qx ' 16' '$out/icon.txt' && grep -qx ' 32' '$out/icon.txt' && grep -qx ' 4280395832' '$out/icon.txt'"
  import -window root "$out/main-window.png"
  check "screenshot saved" test -s "$out/main-window.png"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
