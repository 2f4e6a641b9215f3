#!/bin/bash
# What someone without the administrator's rights can write, tried against the real program under Wine through its
# command line, run from a folder of its own (as from a tools folder every user can write to):
# - a file put into "Disabled\All Users" is listed as not switched off by this program and never moved into the
#   common StartUp folder; one the program switched off and someone then changed is refused the same way;
# - the user's Disabled folder made a link to the StartUp folder itself, and a Disabled file that is a link to the
#   StartUp file: the only copy is never removed as "already there";
# - a user's Run entry goes to his own store below HKCU even when the machine's shared store holds a value of the
#   same name, which is left as it was;
# - a Run value of 40,000 characters with 20,000 blanks is listed without stalling (the time is printed, beside
#   that of a plain list).
# Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

scratch="$out/trust-boundary"
user_startup="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp"
common_startup="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/StartUp"
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
user_store='HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
shared_store='HKLM\Software\Kestrum\QuorvelManager\Disabled\HKCU\R'
tag="kqm-trust$$"
cleanup() {
  rm -f "$user_startup/$tag"* "$common_startup/$tag"*
  for key in "$run_key" "$user_store" "$shared_store"; do
    for v in "$tag" "$tag-long"; do wine reg delete "$key" /v "$v" /f >>"$out/reg-cleanup.log" 2>&1; done
  done
  e2e_teardown
}
trap cleanup EXIT

rm -rf "$scratch"
mkdir -p "$scratch" "$user_startup" "$common_startup"
cp "$exe" "$scratch/QuorvelManager.exe"
exe="$scratch/QuorvelManager.exe"
kqm() { wine "$exe" "$@" 2>"$out/trust-last.err"; }
exit_code_is() { [ "$1" = "$2" ]; }

# 1. A file planted in the common Disabled folder.
mkdir -p "$scratch/Disabled/All Users"
printf '@echo planted\r\n' >"$scratch/Disabled/All Users/$tag-planted.bat"
kqm /list ALLUSERS >"$out/trust-list-all.out"
check "a planted file is listed as not switched off by this program" \
  grep -qF "$tag-planted.bat"$'\t'"$(winepath -w "$scratch/Disabled/All Users/$tag-planted.bat" 2>/dev/null)"$'\tnot switched off by this program' \
  "$out/trust-list-all.out"
kqm /enable ALLUSERS "$tag-planted.bat" >>"$out/trust-moves.out"
code=$?
check "/enable of the planted file exits 1" exit_code_is "$code" 1
check "and says why" grep -qF "not switched off by this program" "$out/trust-last.err"
check "and the common StartUp folder does not get it" test ! -e "$common_startup/$tag-planted.bat"

# 2. A file the program switched off, changed afterwards.
printf '@echo mine\r\n' >"$user_startup/$tag-keep.bat"
kqm /disable USER "$tag-keep.bat" >>"$out/trust-moves.out"
check "/disable of a user's StartUp file exits 0" exit_code_is "$?" 0
user_disabled=$(find "$scratch/Disabled" -mindepth 1 -maxdepth 1 -type d ! -name 'All Users' | head -1)
check "the file is in the user's Disabled folder" test -f "$user_disabled/$tag-keep.bat"
printf '@echo changed\r\n' >>"$user_disabled/$tag-keep.bat"
kqm /list USER >"$out/trust-list-user.out"
check "a switched-off file changed since is listed as such" \
  grep -qF $'\tchanged since it was switched off' "$out/trust-list-user.out"
kqm /enable USER "$tag-keep.bat" >>"$out/trust-moves.out"
code=$?
check "/enable of the changed file exits 1" exit_code_is "$code" 1
check "and the StartUp folder does not get it" test ! -e "$user_startup/$tag-keep.bat"
printf '@echo mine\r\n' >"$user_disabled/$tag-keep.bat"
kqm /enable USER "$tag-keep.bat" >>"$out/trust-moves.out"
check "once it is as it was switched off, /enable moves it back" test -f "$user_startup/$tag-keep.bat"

# 3. Links: the user's Disabled folder a link to the StartUp folder itself, then a Disabled file that is a link to
# the StartUp file.
# A /disable through the link must fail and leave the StartUp file where it is, with its bytes.
refused_through_link() {  # refused_through_link <what the Disabled side is>
  kqm /disable USER "$tag-keep.bat" >>"$out/trust-moves.out"
  local code=$?
  check "/disable into $1 exits 1" exit_code_is "$code" 1
  check "and the StartUp file stays with its bytes" \
    bash -c "printf '@echo mine\r\n' | cmp -s - '$user_startup/$tag-keep.bat'"
}
mv "$user_disabled" "$scratch/user-folder-aside"
ln -s "$user_startup" "$user_disabled"
refused_through_link "a Disabled folder that is a link"
rm "$user_disabled"
mv "$scratch/user-folder-aside" "$user_disabled"
ln -s "$user_startup/$tag-keep.bat" "$user_disabled/$tag-keep.bat"
refused_through_link "a Disabled file that is a link to the entry itself"
rm -f "$user_disabled/$tag-keep.bat"

# 4. Per-user entries stay per-user, whatever the machine's shared store holds.
wine reg add "$shared_store" /v "$tag" /t REG_SZ /d 'C:\shared\other.exe' /f >"$out/trust-reg.log" 2>&1
wine reg add "$run_key" /v "$tag" /t REG_SZ /d 'C:\mine\own.exe /x' /f >>"$out/trust-reg.log" 2>&1
kqm /disable HKCUR "$tag" >>"$out/trust-moves.out"
check "/disable of a user's Run value exits 0 with a same-named value in the shared store" exit_code_is "$?" 0
stored_data() { wine reg query "$1" /v "$tag" 2>/dev/null | tr -d '\r' | sed -nE "s/^ +$tag +REG_SZ +//p"; }
check "the value is in the user's own store" test "$(stored_data "$user_store")" = 'C:\mine\own.exe /x'
check "and the shared store's value is as it was" test "$(stored_data "$shared_store")" = 'C:\shared\other.exe'
kqm /list HKCUR >"$out/trust-list-hkcu.out"
check "the shared store's value is listed marked as such" \
  grep -qF $'\tin the machine\'s shared store' "$out/trust-list-hkcu.out"

# 5. A Run value of 40,000 characters with 20,000 blanks: listed, and in time of the order of a plain list.
long=$(printf 'x %.0s' $(seq 20000))
{ printf 'Windows Registry Editor Version 5.00\r\n\r\n[%s]\r\n"%s"="%s"\r\n' \
    'HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Run' "$tag-long" "$long"; } |
  iconv -f UTF-8 -t UTF-16 >"$out/trust-long.reg"
wine regedit /s "$(winepath -w "$out/trust-long.reg" 2>/dev/null)" >"$out/trust-regedit.log" 2>&1
wine reg delete "$run_key" /v "$tag" /f >>"$out/trust-reg.log" 2>&1
timed_list() {  # prints the seconds /list HKCUR /json took, or "timeout"
  local t0 t1
  t0=$(date +%s.%N)
  timeout 60 wine "$exe" /list HKCUR /json >"$out/trust-long.out" 2>&1 || { echo timeout; return; }
  t1=$(date +%s.%N)
  awk -v a="$t0" -v b="$t1" 'BEGIN { printf "%.2f", b - a }'
}
with_long=$(timed_list)
check "the 40,000-character value is listed" grep -qF "\"name\":\"$tag-long\"" "$out/trust-long.out"
wine reg delete "$run_key" /v "$tag-long" /f >>"$out/trust-reg.log" 2>&1
plain=$(timed_list)
echo "figure: /list HKCUR /json with the 40,000-character value ${with_long}s, without it ${plain}s"
check "listing it did not stall (under 60 s)" test "$with_long" != timeout
finish
