#!/bin/bash
# The command line for scripts, through the real program under Wine: /list /json, /disable and /enable with
# their exit codes (compared by reg export before and after), bad arguments, and the window's start without a
# display ending with a message instead of a crash. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
name="kqm-cli$$"
cleanup() {
  wine reg delete "$run_key" /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  wine reg delete 'HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R' /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap cleanup EXIT
export_run() {
  rm -f "$1"
  wine reg export "$run_key" "$(winepath -w "$1" 2>/dev/null)" /y >>"$out/cli-export.log" 2>&1
}
cli() {  # cli <args...>: runs the program's command line; stdout, stderr and the exit code into $out/cli.*
  wine "$exe" "$@" >"$out/cli.out" 2>"$out/cli.err"
  echo $? >"$out/cli.code"
}
code_is() { [ "$(cat "$out/cli.code")" = "$1" ]; }

wine reg add "$run_key" /v "$name" /t REG_EXPAND_SZ /d '%SystemRoot%\system32\notepad.exe /kqm-never' /f \
  >"$out/cli-add.log" 2>&1
export_run "$out/cli-before.reg"
cli /list HKCUR /json
check "/list /json exits 0" code_is 0
check "/list /json names the entry, its type and its existing program" \
  grep -qF "{\"location\":\"HKCUR\",\"name\":\"$name\",\"command\":\"C:\\\\windows\\\\system32\\\\notepad.exe /kqm-never\",\"on\":true,\"offByWindows\":false,\"view\":\"native\",\"type\":\"REG_EXPAND_SZ\",\"program\":\"C:\\\\windows\\\\system32\\\\notepad.exe\",\"exists\":true,\"trust\":\"recorded\",\"sharedStore\":false}" "$out/cli.out"
cli /disable HKCUR "$name"
check "/disable exits 0" code_is 0
check "and the entry is in the store" has_value 'HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R' "$name"
cli /disable HKCUR "$name"
check "disabling it again exits 1 with the reason" bash -c "[ \"\$(cat '$out/cli.code')\" = 1 ] && grep -q 'that is on' '$out/cli.err'"
cli /enable HKCUR "$name"
check "/enable exits 0" code_is 0
export_run "$out/cli-after.reg"
check "the Run key exports the same before and after" cmp -s "$out/cli-before.reg" "$out/cli-after.reg"
cli /list NOWHERE
check "a bad location exits 2 with the usage" bash -c "[ \"\$(cat '$out/cli.code')\" = 2 ] && grep -q Usage '$out/cli.err'"
(unset DISPLAY; timeout 60 wine "$exe" >"$out/nodisplay.out" 2>"$out/nodisplay.err"; echo $? >"$out/nodisplay.code")
check "without a display the window's start ends with a message and exit code 1" \
  bash -c "[ \"\$(cat '$out/nodisplay.code')\" = 1 ] && grep -q 'could not open its window' '$out/nodisplay.err'"
finish
