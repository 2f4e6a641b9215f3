#!/bin/bash
# Drives the real QuorvelManager.exe under Wine on a virtual display: a value put in HKCU's Run key shows in the
# "HKCU\Run" list; unticking its row (Space) moves it into the program's Disabled area below HKCU, and "Enable
# StartUp Item" moves it back. Checks the registry with `wine reg query`, keeps screenshots, closes the window with
# Alt+F4 and checks the exit code. Prints "N passed, M failed"; exits non-zero on a failure.
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
store_key='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
name="kqm-e2e-$$-$RANDOM"
command='C:\kqm-e2e\never-run.exe /quiet'
cleanup() {
  wine reg delete "$run_key" /v "$name" /f >"$out/reg-cleanup.log" 2>&1
  wine reg delete "$store_key" /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap cleanup EXIT

moved_to_store() { has_value "$store_key" "$name" && lacks_value "$run_key" "$name"; }
moved_back() { has_value "$run_key" "$name" && lacks_value "$store_key" "$name"; }

wine reg add "$run_key" /v "$name" /t REG_SZ /d "$command" /f >"$out/reg-add.log" 2>&1
check "test value written to HKCU Run" has_value "$run_key" "$name"

launch_with_layout "$out/wine-main-window.log"
check "window appears" test -n "$wid"
check "the program reports where its controls are" grep -q '^item HKCUR ' "$layout"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  click_item HKCUR
  sleep 1
  # Select our row by typing its name, then untick it with Space.
  select_row "$name"
  import -window root "$out/main-window-list.png"
  xdotool key space
  check "unticking the row moves the value to the Disabled area" eventually moved_to_store
  import -window root "$out/main-window-unticked.png"
  check "screenshot saved" test -s "$out/main-window-unticked.png"
  sleep 0.5
  click_item ENABLE
  check "Enable StartUp Item moves it back to HKCU Run" eventually moved_back
  # Keyboard only: reload the list from the bar, Tab into the list, select the row by name, untick with Space.
  click_item HKCUR
  sleep 1
  xdotool key Tab
  sleep 0.3
  xdotool type --delay 40 "$name"
  sleep 1.5
  xdotool key space
  check "Tab from the bar to the list, then Space, disables it again" eventually moved_to_store
  click_item ENABLE
  check "and Enable StartUp Item brings it back again" eventually moved_back
  click_item HELP
  sleep 0.5
  import -window root "$out/main-window-about.png"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
