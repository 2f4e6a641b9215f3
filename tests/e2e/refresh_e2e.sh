#!/bin/bash
# The shown list follows the registry, and a row's menu acts on its entry, through the real window: with
# "HKCU\Run" shown and one of its rows selected, `reg add` of another value makes its row appear with no input
# while the selection stays; Shift+F10 opens the row's menu, whose "Copy command line" puts the entry's command on
# the clipboard and whose "Disable" moves the entry into the store; F5 loads the list again. Rows and the clipboard
# are read from outside the program by the probe. Prints "N passed, M failed"; exits non-zero on a failure.
. "$(dirname "$0")/e2e_lib.sh"

probe="$(dirname "$exe")/tests/e2e/kqm_probe.exe"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
store_key='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
tag="kqm-live$$"
first="$tag-a" second="$tag-b"
first_command='"C:\kqm-never\first app.exe" /from "the e2e"'
cleanup() {
  for n in "$first" "$second"; do
    wine reg delete "$run_key" /v "$n" /f >>"$out/reg-cleanup.log" 2>&1
    wine reg delete "$store_key" /v "$n" /f >>"$out/reg-cleanup.log" 2>&1
  done
  e2e_teardown
}
trap cleanup EXIT

rows_file="$out/live-rows.txt"
read_rows() {  # the list's rows as the probe reads them, into $rows_file
  rm -f "$rows_file"
  wine "$probe" rows "$title" "$(winepath -w "$rows_file" 2>/dev/null)" >"$out/probe.log" 2>&1
}
row_state() {  # row_state <name> <ticked> <selected>: the list has that row in that state
  read_rows && grep -qxF -- "$(printf '%s %s %s' "$2" "$3" "$1")" <(cut -d' ' -f2- "$rows_file")
}
lacks_row() { read_rows && ! cut -d' ' -f4- "$rows_file" | grep -qxF -- "$1"; }
clipboard_is() {  # clipboard_is <text>
  local f="$out/live-clipboard.txt"
  rm -f "$f"
  wine "$probe" clipboard "$(winepath -w "$f" 2>/dev/null)" >"$out/probe.log" 2>&1 && [ "$(cat "$f")" = "$1" ]
}
in_store() { has_value "$store_key" "$first" && lacks_value "$run_key" "$first"; }

wine reg add "$run_key" /v "$first" /t REG_SZ /d "$first_command" /f >"$out/live-add.log" 2>&1
check "the probe is built" test -f "$probe"

launch_with_layout "$out/wine-refresh.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  click_item HKCUR
  sleep 1
  select_row "$first"
  check "the first entry's row is selected" eventually row_state "$first" 1 1
  wine reg add "$run_key" /v "$second" /t REG_SZ /d 'C:\kqm-never\second.exe' /f >>"$out/live-add.log" 2>&1
  check "a value added by another program appears in the list without any input" eventually row_state "$second" 1 0
  check "and the selected row stays selected" row_state "$first" 1 1
  import -window root "$out/refresh-added.png"
  xdotool key shift+F10
  sleep 1
  import -window root "$out/refresh-menu.png"
  xdotool key c
  check "the menu's Copy command line puts the whole command on the clipboard" eventually clipboard_is "$first_command"
  xdotool key shift+F10
  sleep 1
  xdotool key d
  check "the menu's Disable moves the entry into the store" eventually in_store
  check "its row shows it off and stays selected" eventually row_state "$first" 0 1
  wine reg delete "$run_key" /v "$second" /f >>"$out/live-add.log" 2>&1
  check "a value removed by another program leaves the list" eventually lacks_row "$second"
  xdotool key F5
  check "F5 loads the list again with the row still selected" eventually row_state "$first" 0 1
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
