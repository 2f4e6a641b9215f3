#!/bin/bash
# What a screen reader is told about the real window (read back through oleacc by tests/e2e/kqm_probe.exe from
# another process), and the window in high contrast (started through tests/e2e/contrast_window.exe, since Wine
# always reports high contrast off): the bar, the header strip and the list are drawn in the system colours
# instead of the program's blues. Keeps the read-back as a11y-names.txt and a screenshot of each look.
# Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

helpers="$(dirname "$exe")/tests/e2e"
names="$out/a11y-names.txt"
told() { grep -qF -- "$1" "$names"; }
# The colour of one screen pixel in a screenshot, as "r,g,b".
pixel() { convert "$1" -crop "1x1+$2+$3" -depth 8 txt:- | sed -nE 's/^0,0: \(([0-9]+),([0-9]+),([0-9]+)[,)].*/\1,\2,\3/p'; }
field() { awk -v k="$1" -v n="$2" '{ sub(/\r$/, "") } $1 == k {print $(n + 1)}' "$layout"; }

launch_with_layout "$out/wine-a11y.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ]; then
  # The About page is made when it is first shown: open it once, then go back to the list.
  click_item HELP
  sleep 0.5
  click_item HKLMR
  sleep 0.5
  rm -f "$names"
  wine "$helpers/kqm_probe.exe" names "$title" "$(winepath -w "$names" 2>/dev/null)" >"$out/probe.log" 2>&1
  check "the accessible objects are read back" test -s "$names"
  check "the bar is an outline named Navigation" told 'outline "Navigation"'
  check "its groups are groupings named as shown" told 'grouping "Help & About"'
  check "its items are links whose action is the click" told 'link "HKCU\Run" (focusable, linked); action Click'
  check "the list is named" told '"Startup entries"'
  check "the header strip is named" told '"Application, Path"'
  check "the details strip is named" told '[Edit] text "Details"'
  check "the About page is named" told 'client "About"'
  check "the Website button is a push button pressed by its action" told 'push button "Website"'
  check "the Readme.txt button is a push button" told 'push button "Readme.txt"'
  check "the buttons' default action is Press" grep -qE 'push button "Readme.txt" .*; action Press' "$names"
  import -window "$wid" "$out/look-normal.png"
  normal_bar=$(pixel "$out/look-normal.png" $(( $(field bar 1) - $(field client 1) + 2 )) \
                $(( $(field bar 2) - $(field client 2) + $(field bar 4) - 3 )))
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
  expect_exit
fi

exe="$helpers/contrast_window.exe"
launch_with_layout "$out/wine-contrast.log"
check "the window appears in high contrast" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  sleep 1
  import -window "$wid" "$out/look-high-contrast.png"
  wx=$(field client 1) wy=$(field client 2)
  hx=$(( $(field header 1) - wx + 2 )) hy=$(( $(field header 2) - wy + 1 ))
  lx=$(( $(field list 1) - wx + $(field list 3) - 8 )) ly=$(( $(field list 2) - wy + $(field list 4) - 8 ))
  bx=$(( $(field bar 1) - wx + 2 )) by=$(( $(field bar 2) - wy + $(field bar 4) - 3 ))
  check "high contrast: the bar's ground is the window colour, not the blue ($normal_bar)" \
    test "$(pixel "$out/look-high-contrast.png" $bx $by)" = "0,0,0"
  check "high contrast: the header strip is the button face colour" \
    test "$(pixel "$out/look-high-contrast.png" $hx $hy)" = "0,0,0"
  check "high contrast: the list shows the window colour with no picture" \
    test "$(pixel "$out/look-high-contrast.png" $lx $ly)" = "0,0,0"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
  expect_exit
fi
finish
