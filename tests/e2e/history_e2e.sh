#!/bin/bash
# The history of changes through the real program under Wine: /disable, then /history /json names the change,
# /undo takes it back (exit 0) once and refuses a second time (exit 1 with the reason); then "History..." in the bar
# opens the History window, whose Undo button (Alt+U) takes the newest change back, and Esc closes it. Keeps a
# screenshot of the window. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
store_key='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
name="kqm-history$$"
cleanup() {
  wine reg delete "$run_key" /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  wine reg delete "$store_key" /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap cleanup EXIT
cli() {  # cli <args...>: runs the program's command line; stdout, stderr and the exit code into $out/history-cli.*
  wine "$exe" "$@" >"$out/history-cli.out" 2>"$out/history-cli.err"
  echo $? >"$out/history-cli.code"
}
code_is() { [ "$(cat "$out/history-cli.code")" = "$1" ]; }
switched_off() { has_value "$store_key" "$name" && lacks_value "$run_key" "$name"; }
switched_on() { has_value "$run_key" "$name" && lacks_value "$store_key" "$name"; }

wine reg add "$run_key" /v "$name" /d 'C:\kqm-never\history.exe /x' /f >"$out/history-add.log" 2>&1
cli /disable HKCUR "$name"
check "/disable exits 0" code_is 0
cli /history /json
check "/history /json exits 0" code_is 0
line=$(head -1 "$out/history-cli.out")
newest_is_the_change() {
  grep -qE "^\{\"id\":[0-9]+,\"time\":\"[0-9]{4}-[0-9]{2}-[0-9]{2}T[0-9:]{8}Z\",\"user\":\"[^\"]+\",\"source\":\"command line\",\"action\":\"disable\",\"location\":\"HKCUR\",\"name\":\"$name\",\"view\":\"native\",\"result\":\"done\"\}\$" <<<"$line"
}
check "its newest line is the change, with who, where and how" newest_is_the_change
id=$(sed -nE 's/^\{"id":([0-9]+),.*/\1/p' <<<"$line")
cli /undo "$id"
check "/undo exits 0" code_is 0
check "and the entry is on again" switched_on
cli /undo "$id"
check "a second /undo exits 1 with the reason" bash -c "[ \"\$(cat '$out/history-cli.code')\" = 1 ] && grep -q 'no longer in' '$out/history-cli.err'"

launch_with_layout "$out/wine-history.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  click_item HKCUR
  sleep 1
  click_item HISTORY
  hid=$(timeout 20 xdotool search --sync --name '^History$' | head -1)
  check "\"History...\" opens the History window" test -n "$hid"
  if [ -n "$hid" ]; then
    sleep 1
    import -window "$hid" "$out/history-window.png"
    check "screenshot saved" test -s "$out/history-window.png"
    # The newest change (the undo) is selected: Alt+U takes it back, which switches the entry off again.
    xdotool key alt+u
    check "its Undo button takes the newest change back" eventually switched_off
    xdotool key Escape
    gone() { ! xdotool search --name '^History$' >/dev/null 2>&1; }
    check "Esc closes it" eventually gone
  fi
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
