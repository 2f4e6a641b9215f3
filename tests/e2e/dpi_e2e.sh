#!/bin/bash
# The main window at 96, 144 and 192 dots per inch (Wine's LogPixels setting): the list and the header start
# where the bar ends and fill the rest of the window. Then the window opened at 96 is told its monitor changed
# to 192 and back (WM_DPICHANGED, sent by tests/e2e/kqm_probe.exe): it grows to twice its size and lays out
# again without a child over the bar. Keeps a screenshot of each. Prints "N passed, M failed".
# A screen large enough for the window at twice its size (the system keeps a window within the screen).
export XVFB_SCREEN=2400x1800x24
. "$(dirname "$0")/e2e_lib.sh"

desktop='HKCU\Control Panel\Desktop'
restore() {
  wine reg delete "$desktop" /v LogPixels /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap restore EXIT
probe="$(dirname "$exe")/tests/e2e/kqm_probe.exe"
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
  import -window "$wid" "$out/dpi-$dpi.png"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
  expect_exit
done

wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 96 /f >"$out/dpi-add.log" 2>&1
wineserver -k 2>/dev/null; wineserver -w
launch_with_layout "$out/wine-dpi-change.log"
check "window appears at 96 dpi" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  bar_before=$(field bar 3) client_before=$(field clientsize 1)
  for dpi in 192 96; do
    rm -f "$layout"
    wine "$probe" dpi "$title" "$dpi" >"$out/probe.log" 2>&1
    check "moved to $dpi dpi: the window lays itself out again" eventually grep -q '^clientsize' "$layout"
    [ -s "$layout" ] || continue
    factor=$((dpi / 96))
    bar_right=$(( $(field bar 1) + $(field bar 3) ))
    client_right=$(( $(field client 1) + $(field clientsize 1) ))
    check "moved to $dpi dpi: the bar is $factor times as wide" \
      test $(( $(field bar 3) - bar_before * factor )) -ge -2 -a $(( $(field bar 3) - bar_before * factor )) -le 2
    check "moved to $dpi dpi: the client area is $factor times as wide" \
      test $(( $(field clientsize 1) - client_before * factor )) -ge -2 -a \
           $(( $(field clientsize 1) - client_before * factor )) -le 2
    check "moved to $dpi dpi: the list starts where the bar ends" test "$(field list 1)" -eq "$bar_right"
    check "moved to $dpi dpi: the header starts where the bar ends" test "$(field header 1)" -eq "$bar_right"
    check "moved to $dpi dpi: the list reaches the window's right edge" \
      test $(( $(field list 1) + $(field list 3) )) -ge $(( client_right - 1 ))
    import -window "$wid" "$out/dpi-changed-$dpi.png"
  done
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
  expect_exit
fi
finish
