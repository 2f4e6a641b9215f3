#!/bin/bash
# Moves the real program is stopped in the middle of, and two copies racing, through the command line under Wine:
# /disable and /enable are killed (kill -9) at spread-out moments, then a fresh start (/list) settles what they
# left; two processes switch one entry off and on against each other. Each time the entry must end in exactly one
# place with its data unchanged. Also: output that cannot be written (/dev/full) ends with exit code 1.
# Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
store_key='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
name="kqm-kill$$"
data='C:\windows\system32\rundll32.exe /kqm-never'
cleanup() {
  wine reg delete "$run_key" /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  wine reg delete "$store_key" /v "$name" /f >>"$out/reg-cleanup.log" 2>&1
  e2e_teardown
}
trap cleanup EXIT

# The value's data in a key, or nothing when it is not there.
value_in() { wine reg query "$1" /v "$name" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$name +REG_SZ +//p"; }
in_one_place_unchanged() {
  local live stored
  live=$(value_in "$run_key")
  stored=$(value_in "$store_key")
  { [ -n "$live" ] && [ -z "$stored" ] && [ "$live" = "$data" ]; } ||
    { [ -z "$live" ] && [ -n "$stored" ] && [ "$stored" = "$data" ]; }
}

wine reg add "$run_key" /v "$name" /t REG_SZ /d "$data" /f >"$out/kill-add.log" 2>&1
killed_ok=0
for delay in 0.05 0.1 0.15 0.2 0.25 0.3 0.35 0.4 0.5 0.6 0.8 1.0; do
  verb=/disable
  [ -z "$(value_in "$run_key")" ] && verb=/enable
  wine "$exe" "$verb" HKCUR "$name" >>"$out/kill-moves.log" 2>&1 &
  mover=$!
  sleep "$delay"
  pkill -9 -f "QuorvelManager.exe $verb HKCUR $name" 2>/dev/null
  wait "$mover" 2>/dev/null
  wine "$exe" /list HKCUR >"$out/kill-list.out" 2>>"$out/kill-recovery.err"
  if in_one_place_unchanged; then killed_ok=$((killed_ok + 1)); else
    echo "after $verb killed at ${delay}s: live '$(value_in "$run_key")' stored '$(value_in "$store_key")'" >>"$out/kill-moves.log"
  fi
done
check "12 moves killed at moments from 50 ms to 1 s: each time, after the next start, in exactly one place" \
  test "$killed_ok" = 12
check "and the ledger holds no unfinished move" \
  bash -c "! wine reg query 'HKCU\\Software\\Kestrum\\QuorvelManager\\Ledger\\Moves' 2>/dev/null | grep -q REG_SZ"

# Two processes, one switching the entry off and the other on, again and again at the same time.
race() {  # race <verb>
  for _ in 1 2 3 4 5 6; do wine "$exe" "$1" HKCUR "$name" >>"$out/race-${1#/}.log" 2>&1; done
}
race /disable &
first=$!
race /enable &
wait "$first" $!
check "two processes racing over one entry leave it in exactly one place, unchanged" in_one_place_unchanged

wine "$exe" /list HKCUR /json >/dev/full 2>"$out/full.err"
echo $? >"$out/full.code"
check "output that cannot be written (a full disk) ends with exit code 1" \
  bash -c "[ \"\$(cat '$out/full.code')\" = 1 ]"
finish
