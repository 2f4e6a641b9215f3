#!/bin/bash
# The main window at 96, 144 and 192 dots per inch (Wine's LogPixels setting): the list and the header start
# where the bar ends and fill the rest of the window. Keeps a screenshot of each. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

desktop='HKCU\Control Panel\Desktop'
restore() {
  wine reg delete "$desktop" /v LogPixels /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap restore EXIT
field() { awk -v k="$1" -v n="$2" '{ sub(/\r$/, "") } $1 == k {print $(n + 1)}' "$layout"; }
for dpi in 96 144 192; do
  wine reg add "$desktop" /v LogPixels /t REG_DWORD /d "$dpi" /f >"$out/dpi-add.log" 2>&1
  wineserver -k 2>/dev/null; wineserver -w   # the setting is read when Wine starts
  launch_with_layout "$out/wine-dpi-$dpi.log"
  check "$dpi dpi: window appears" test -n "$wid"
  [ -n "$wid" ] && [ -s "$layout" ] || continue
  bar_right=$(( $(field bar 1) + $(field bar 3) ))
  client_right=$(( $(field client 1) + $(field clientsize 1) ))
  check "$dpi dpi: the list starts where the bar ends" test "$(field list 1)" -eq "$bar_right"
  check "$dpi dpi: the header starts where the bar ends" test "$(field header 1)" -eq "$bar_right"
  check "$dpi dpi: the details strip starts where the bar ends, under the list" \
    test "$(field details 1)" -eq "$bar_right" -a "$(field details 2)" -ge $(( $(field list 2) + $(field list 4) ))
  check "$dpi dpi: the list reaches the window's right edge" \
    test $(( $(field list 1) + $(field list 3) )) -ge $(( client_right - 1 ))
  import -window root "$out/dpi-$dpi.png"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
  expect_exit
done
finish
