#!/bin/bash
# HKCU\Run through the real window with entries whose programs exist and one whose program is gone: the rows get
# their programs' icons and the gone one is greyed after the list is shown, and the details strip under the list
# (between the list and the window's bottom, right of the bar) shows the selected row. Keeps a screenshot.
# Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
tag="kqm-details$$"
names=("$tag-Gone" "$tag-Helper" "$tag-Manager" "$tag-Plugin" "$tag-Query")
store='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
cleanup() {
  for n in "${names[@]}"; do
    wine reg delete "$run_key" /v "$n" /f >>"$out/reg-cleanup.log" 2>&1
    wine reg delete "$store" /v "$n" /f >>"$out/reg-cleanup.log" 2>&1
  done
  e2e_teardown
}
trap cleanup EXIT
# Programs that do nothing visible should Wine ever start them: rundll32 without a DLL, this program's "/?",
# reg.exe's query, and files that are not there.
{
  wine reg add "$run_key" /v "${names[0]}" /d '"C:\Program Files\Gone Away\updater.exe" /background' /f
  wine reg add "$run_key" /v "${names[1]}" /d 'C:\windows\system32\rundll32.exe' /f
  wine reg add "$run_key" /v "${names[2]}" /d "\"$(winepath -w "$exe" 2>/dev/null)\" /?" /f
  wine reg add "$run_key" /v "${names[3]}" /d 'rundll32.exe kqm-never-there.dll,Start' /f
  wine reg add "$run_key" /v "${names[4]}" /t REG_EXPAND_SZ /d '%SystemRoot%\system32\reg.exe query HKCU\Kestrum' /f
} >"$out/details-add.log" 2>&1
field() { awk -v k="$1" -v n="$2" '{ sub(/\r$/, "") } $1 == k {print $(n + 1)}' "$layout"; }
launch_with_layout "$out/wine-details.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  bar_right=$(( $(field bar 1) + $(field bar 3) ))
  client_bottom=$(( $(field bar 2) + $(field clientsize 2) ))  # the bar starts at the client area's top
  check "the details strip starts where the bar ends" test "$(field details 1)" -eq "$bar_right"
  check "the details strip lies under the list" \
    test "$(field details 2)" -ge $(( $(field list 2) + $(field list 4) ))
  check "the details strip ends at the window's bottom" \
    test $(( $(field details 2) + $(field details 4) )) -le "$client_bottom"
  check "the details strip is as wide as the list" test "$(field details 3)" -eq "$(field list 3)"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  click_item HKCUR
  sleep 1.5
  select_row "$tag-G"
  sleep 1
  import -window root "$out/list-details.png"
  check "screenshot saved" test -s "$out/list-details.png"
  # The strip's pixels: its text (not its background alone) is drawn once a row is selected.
  read -r dx dy dw dh < <(awk '{ sub(/\r$/, "") } $1 == "details" {print $2, $3, $4, $5}' "$layout")
  colours=$(convert "$out/list-details.png" -crop "${dw}x${dh}+${dx}+${dy}" +repage -format %k info: 2>/dev/null)
  check "the details strip shows text for the selected row" test "${colours:-0}" -gt 2
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
