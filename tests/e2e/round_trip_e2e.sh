#!/bin/bash
# Switching entries off and on through the real window gives back the very same values: seeds HKCU's Run key
# with an expandable command, a plain one holding "%" signs, binary data and a value with a non-ASCII name,
# unticks each row (Space) and ticks it again ("Enable StartUp Item"), and compares `reg export` of the key before
# and after. Prints "N passed, M failed"; exits non-zero on a failure.
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
store_key='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
tag="kqm-rt$$"
names=("$tag-expand" "$tag-percent" "$tag-binary" "$tag-u-$(printf '\xc3\xbc\xe2\x82\xac')")
cleanup() {
  for n in "${names[@]}"; do
    wine reg delete "$run_key" /v "$n" /f >>"$out/reg-cleanup.log" 2>&1
    wine reg delete "$store_key" /v "$n" /f >>"$out/reg-cleanup.log" 2>&1
  done
  e2e_teardown
}
trap cleanup EXIT

wine reg add "$run_key" /v "${names[0]}" /t REG_EXPAND_SZ /d '%SystemRoot%\system32\kqm-never.exe /x' /f >"$out/rt-add.log" 2>&1
wine reg add "$run_key" /v "${names[1]}" /t REG_SZ /d 'C:\kqm-never\app.exe --fmt %a%_%b%' /f >>"$out/rt-add.log" 2>&1
wine reg add "$run_key" /v "${names[2]}" /t REG_BINARY /d 0100ff80 /f >>"$out/rt-add.log" 2>&1
wine reg add "$run_key" /v "${names[3]}" /t REG_SZ /d 'C:\kqm-never\ü.exe' /f >>"$out/rt-add.log" 2>&1
in_store() { has_value "$store_key" "$n" && lacks_value "$run_key" "$n"; }
back_live() { has_value "$run_key" "$n" && lacks_value "$store_key" "$n"; }
export_key() {  # export_key <key> <file>: the key's values, as regedit writes them
  rm -f "$2"
  wine reg export "$1" "$(winepath -w "$2" 2>/dev/null)" /y >>"$out/rt-export.log" 2>&1
}
export_key "$run_key" "$out/run-before.reg"
seeded=0
for n in "${names[@]}"; do has_value "$run_key" "$n" && seeded=$((seeded + 1)); done
check "four test values written to HKCU Run" test "$seeded" -eq 4

launch_with_layout "$out/wine-round-trip.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ] && [ -s "$layout" ]; then
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  for i in "${!names[@]}"; do
    n=${names[$i]}
    click_item HKCUR
    sleep 1
    # The row is selected by typing the ASCII start of its name.
    case $i in 0) prefix="$tag-e" ;; 1) prefix="$tag-p" ;; 2) prefix="$tag-b" ;; *) prefix="$tag-u" ;; esac
    select_row "$prefix"
    xdotool key space
    check "$n: unticking moves it to the store" eventually in_store
    if [ "$i" -eq 0 ]; then
      export_key "$store_key" "$out/store.reg"
      check "$n: the store keeps it expandable" grep -qF "\"$n\"=hex(2):" <(iconv -f UTF-16 -t UTF-8 "$out/store.reg")
    fi
    click_item ENABLE
    check "$n: ticking moves it back" eventually back_live
  done
  import -window root "$out/round-trip.png"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
fi
expect_exit
export_key "$run_key" "$out/run-after.reg"
check "the Run key exports the same before and after" cmp -s "$out/run-before.reg" "$out/run-after.reg"
iconv -f UTF-16 -t UTF-8 "$out/run-after.reg" >"$out/run-after.txt" 2>/dev/null || cp "$out/run-after.reg" "$out/run-after.txt"
check "the export holds the expandable value as hex(2), not text" grep -q "\"${names[0]}\"=hex(2):" "$out/run-after.txt"
finish
