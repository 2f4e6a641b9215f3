#!/bin/bash
# The machine's Run list through the real window: entries of both registry views are listed (the 32-bit one
# marked), an entry Windows' own startup approval keeps off is unticked and marked, and ticking it writes the
# flag Windows writes for "on" without moving the entry. Keeps a screenshot. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Run'
approved='HKLM\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
tag="kqm-views$$"
native="$tag-a-native" wow="$tag-b-wow" off="$tag-c-off"
cleanup() {
  wine reg delete "$run_key" /v "$native" /f >>"$out/reg-cleanup.log" 2>&1
  wine reg delete "$run_key" /v "$wow" /reg:32 /f >>"$out/reg-cleanup.log" 2>&1
  wine reg delete "$run_key" /v "$off" /f >>"$out/reg-cleanup.log" 2>&1
  wine reg delete "$approved" /v "$off" /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap cleanup EXIT

{
  wine reg add "$run_key" /v "$native" /d 'C:\kqm-never\native.exe' /f
  wine reg add "$run_key" /v "$wow" /d 'C:\kqm-never\wow32.exe' /reg:32 /f
  wine reg add "$run_key" /v "$off" /d 'C:\kqm-never\off.exe' /f
  wine reg add "$approved" /v "$off" /t REG_BINARY /d 030000001020304050607001 /f
} >"$out/views-add.log" 2>&1
check "the 32-bit view's entry lies below WOW6432Node" \
  has_value 'HKLM\Software\WOW6432Node\Microsoft\Windows\CurrentVersion\Run' "$wow"

approved_on() {
  local f="$out/approved.reg"
  wine reg export "$approved" "$(winepath -w "$f" 2>/dev/null)" /y >"$out/reg-probe.log" 2>&1 &&
    iconv -f UTF-16 -t UTF-8 "$f" | grep -qF "\"$off\"=hex:02,00,00,00,00,00,00,00,00,00,00,00"
}
launch_with_layout "$out/wine-views.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  click_item HKLMR
  sleep 1.5
  import -window root "$out/both-views.png"
  check "screenshot saved" test -s "$out/both-views.png"
  select_row "$tag-c"
  xdotool key space
  check "ticking the entry Windows keeps off writes Windows' own 'on' flag" eventually approved_on
  check "and leaves the entry where it is" has_value "$run_key" "$off"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
