#!/bin/bash
# An entry switched off and then added again by its program, through the real program under Wine: /disable writes
# Windows' own "off" flag, the value re-created with `reg add` is listed by /list /json as kept off by Windows and
# also switched off, and one added while the window showed another list is new. The window shows the re-added row
# unticked and marked, and ticking it asks which of the two to keep; the answer "added again" keeps that one, on.
# Keeps a screenshot. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
approved='HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\StartupApproved\Run'
store='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
tag="kqm-keep$$"
updater="$tag-Updater" newcomer="$tag-Newcomer"
cleanup() {
  for n in "$updater" "$newcomer"; do
    wine reg delete "$run_key" /v "$n" /f
    wine reg delete "$store" /v "$n" /f
    wine reg delete "$approved" /v "$n" /f
  done >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap cleanup EXIT
cli() {  # cli <args...>: runs the program's command line; stdout and the exit code into $out/keep-cli.*
  wine "$exe" "$@" >"$out/keep-cli.out" 2>"$out/keep-cli.err"
  echo $? >"$out/keep-cli.code"
}
flag_is() {  # flag_is <first four bytes>: the entry's approval flag is those and eight more
  local f="$out/keep-approved.reg"
  rm -f "$f"
  wine reg export "$approved" "$(winepath -w "$f" 2>/dev/null)" /y >"$out/reg-probe.log" 2>&1 &&
    iconv -f UTF-16 -t UTF-8 "$f" | grep -qE "^\"$updater\"=hex:$1(,[0-9a-f]{2}){8}\s*$"
}
json_has() {  # json_has <name> <command as JSON writes it> <pattern>: its /list /json line matches the pattern
  grep -F "\"name\":\"$1\",\"command\":\"$2\"" "$out/keep-cli.out" | grep -qE -- "$3"
}

# Programs that are never there, so Wine starts nothing should it ever log on.
wine reg add "$run_key" /v "$updater" /d 'C:\kqm-never\updater.exe' /f >"$out/keep-add.log" 2>&1
launch_with_layout "$out/wine-keep.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  click_item HKCUR
  sleep 1.5
  click_item HKCURO
  sleep 0.5

  cli /disable HKCUR "$updater"
  check "/disable exits 0" test "$(cat "$out/keep-cli.code")" = 0
  check "and writes Windows' own 'off' flag with the time" flag_is 03,00,00,00
  {
    wine reg add "$run_key" /v "$updater" /d 'C:\kqm-never\updater-2.exe' /f
    wine reg add "$run_key" /v "$newcomer" /d 'C:\kqm-never\newcomer.exe' /f
  } >>"$out/keep-add.log" 2>&1
  cli /list HKCUR /json
  check "/list /json shows the re-created entry off by Windows and also switched off" \
    json_has "$updater" 'C:\\kqm-never\\updater-2.exe' '"on":false,"offByWindows":true,.*"new":true,"alsoOff":true'
  check "and its switched-off copy beside it" \
    json_has "$updater" 'C:\\kqm-never\\updater.exe' '"on":false,"offByWindows":false,.*"new":false,"alsoOff":false'
  check "and the entry added since the window showed the list as new" \
    json_has "$newcomer" 'C:\\kqm-never\\newcomer.exe' '"on":true,.*"new":true,"alsoOff":false'

  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+space x  # maximised, wide enough for the row's mark in the screenshot
  sleep 1
  click_item HKCUR
  sleep 1.5
  select_row "$updater"
  import -window "$wid" "$out/re-added-entry.png"
  check "screenshot saved" test -s "$out/re-added-entry.png"
  xdotool key space
  question=$(timeout 20 xdotool search --sync --name "^Kestrum Quorvel Manager\$" | head -1)
  check "ticking it asks which of the two to keep" test -n "$question"
  if [ -n "$question" ]; then
    import -window root "$out/re-added-question.png"
    xdotool windowactivate --sync "$question" >/dev/null 2>&1
    xdotool key alt+a
    check "keeping the one added again switches it on where it is" eventually flag_is 02,00,00,00
    check "and removes the switched-off copy" eventually lacks_value "$store" "$updater"
    check "and leaves the one added again in the Run key" has_value "$run_key" "$updater"
  fi
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
finish
