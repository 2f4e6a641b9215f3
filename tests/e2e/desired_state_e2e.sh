#!/bin/bash
# Desired startup states through the real program under Wine, as an administrator's engine drives it: /export, a
# state made from it that switches three entries off, /check (exit 3), /apply /whatif (the registry and the folders
# byte-identical before and after), /apply, /check (exit 0), /apply again ("changed": 0), and the DSC operations fed
# JSON on standard input. Every JSON output is validated against the repo's schemas. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

# The schemas are checked with python3-jsonschema, which the setup installs.
python3 -c 'import jsonschema' 2>/dev/null || "$root/scripts/setup.sh" >/dev/null || { echo "0 passed, 1 failed"; exit 1; }

run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
tag="kqm-ds$$"
one="$tag-one" two="$tag-zwei-ü" keep="$tag-keep" file="$tag.cmd"
startup="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp"
disabled="$(cd "$(dirname "$exe")" && pwd)/Disabled"
schemas="$root/schemas"
d="$out/desired"
mkdir -p "$d" "$startup"
cleanup() {
  for n in "$one" "$two" "$keep"; do
    wine reg delete "$run_key" /v "$n" /f
    wine reg delete 'HKCU\Software\Kestrum\QuorvelManager\Disabled\HKCU\R' /v "$n" /f
  done >>"$d/cleanup.log" 2>&1
  rm -f "$startup/$file" "$disabled/$(id -un)/$file"
  e2e_teardown
}
trap cleanup EXIT

run() {  # run <args...>: the program's command line; stdout, stderr and the exit code into $d/run.*
  wine "$exe" "$@" >"$d/run.out" 2>"$d/run.err"
  echo $? >"$d/run.code"
}
dsc() {  # dsc <operation> <instance>: the instance on standard input
  printf '%s' "$2" | wine "$exe" /dsc "$1" >"$d/run.out" 2>"$d/run.err"
  echo $? >"$d/run.code"
}
code_is() { [ "$(cat "$d/run.code")" = "$1" ]; }
last_line_is() { [ "$(tail -n 1 "$d/run.out" | tr -d '\r')" = "$1" ]; }
quiet() { [ ! -s "$d/run.err" ]; }
valid() {  # valid <schema> [--lines]: the last output validates
  python3 -W ignore "$root/tests/e2e/validate_json.py" "$schemas/$1" "$d/run.out" "${@:2}" >>"$d/validate.log" 2>&1
}
snapshot() {  # snapshot <file>: the program's keys and the Run key as exported, every path and file hash below the
              # StartUp and Disabled folders
  : >"$1"
  for key in "$run_key" 'HKCU\Software\Kestrum' 'HKLM\Software\Kestrum'; do
    rm -f "$d/snap.reg"
    wine reg export "$key" "$(winepath -w "$d/snap.reg" 2>/dev/null)" /y >/dev/null 2>&1 && cat "$d/snap.reg" >>"$1"
    echo "-- $key" >>"$1"
  done
  for folder in "$startup" "$disabled"; do
    [ -d "$folder" ] && (cd "$folder" && find . | sort && find . -type f -exec sha256sum {} + | sort) >>"$1"
    echo "-- $folder" >>"$1"
  done
}
instance() { printf '{"location":"HKCUR","name":"%s"%s}' "$one" "${1:+,\"state\":\"$1\"}"; }

wine reg add "$run_key" /v "$one" /t REG_SZ /d 'C:\windows\system32\notepad.exe /kqm-never' /f >"$d/seed.log" 2>&1
wine reg add "$run_key" /v "$two" /t REG_EXPAND_SZ /d '%SystemRoot%\system32\notepad.exe /kqm-never' /f >>"$d/seed.log" 2>&1
wine reg add "$run_key" /v "$keep" /t REG_SZ /d 'C:\windows\system32\notepad.exe /kqm-keep' /f >>"$d/seed.log" 2>&1
printf '@rem started by nothing\r\n' >"$startup/$file"

run /export
check "/export exits 0 and writes nothing on standard error" bash -c "[ \"\$(cat '$d/run.code')\" = 0 ] && [ ! -s '$d/run.err' ]"
check "/export validates against startup-state.schema.json" valid startup-state.schema.json
cp "$d/run.out" "$d/export.json"
# The desired state: the export trimmed to four entries, three of them wanted off.
python3 - "$d/export.json" "$d/desired.json" "$one" "$two" "$file" "$keep" >"$d/desired.log" 2>&1 <<'PY'
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
names = sys.argv[3:]
doc["entries"] = [dict(e, state="on" if e["name"] == names[3] else "off") for e in doc["entries"] if e["name"] in names]
assert len(doc["entries"]) == 4, doc["entries"]
assert all(e["location"] in ("HKCUR", "USER") for e in doc["entries"])
json.dump(doc, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False)
PY
check "the export holds the four entries, and a state trimmed from it is made" test -s "$d/desired.json"
desired=$(winepath -w "$d/desired.json" 2>/dev/null)
check "the export shows REG_EXPAND_SZ data as stored and a file by its content's hash" grep -qF \
  -e "\"name\":\"$two\",\"state\":\"on\",\"type\":\"REG_EXPAND_SZ\",\"data\":\"%SystemRoot%\\\\system32\\\\notepad.exe /kqm-never\"" \
  "$d/export.json"
check "... and the file's hash" grep -qF "\"data\":\"$(sha256sum "$startup/$file" | cut -c1-64)\"" "$d/export.json"

run /check "$desired"
check "/check exits 3 when entries differ" code_is 3
check "/check prints one line per difference, then \"3 of 4 entries differ\"" \
  bash -c "[ \$(wc -l <'$d/run.out') = 4 ] && [ \"\$(tail -n 1 '$d/run.out' | tr -d '\r')\" = '3 of 4 entries differ' ]"
check "/check writes nothing on standard error" quiet
run /check "$desired" /json
check "/check /json validates against state-report.schema.json" valid state-report.schema.json --lines

snapshot "$d/before.txt"
run /apply "$desired" /whatif
check "/apply /whatif exits 0 and tells what it would do" \
  bash -c "[ \"\$(cat '$d/run.code')\" = 0 ] && grep -q 'would switch off' '$d/run.out'"
run /apply "$desired" /whatif /json
check "/apply /whatif /json ends with 3 planned" last_line_is '{"changed":0,"failed":0,"planned":3}'
check "... and validates" valid state-report.schema.json --lines
snapshot "$d/after-whatif.txt"
check "the registry and the folders are byte-identical after /whatif" cmp -s "$d/before.txt" "$d/after-whatif.txt"

run /apply "$desired" /json
check "/apply exits 0" code_is 0
check "/apply /json ends with {\"changed\":3,\"failed\":0}" last_line_is '{"changed":3,"failed":0}'
check "... and validates" valid state-report.schema.json --lines
check "the entries are off: in the store and the Disabled folder" bash -c \
  "! grep -q '$one' <(wine reg query '$run_key' 2>/dev/null) && [ -f '$disabled/$(id -un)/$file' ] && [ ! -e '$startup/$file' ]"
check "the entry wanted on is still on" has_value "$run_key" "$keep"
run /check "$desired"
check "/check exits 0 after /apply" code_is 0
check "... with \"0 of 4 entries differ\"" last_line_is '0 of 4 entries differ'
run /apply "$desired" /json
check "/apply again changes nothing: {\"changed\":0,\"failed\":0}" last_line_is '{"changed":0,"failed":0}'
run /apply "$desired"
check "... and says so" last_line_is 'Nothing changed: all 4 entries are as wanted.'

dsc get "$(instance)"
check "/dsc get exits 0 with the entry off" bash -c "[ \"\$(cat '$d/run.code')\" = 0 ] && grep -q '\"state\":\"off\"' '$d/run.out'"
check "... and validates against startup-entry.schema.json" valid startup-entry.schema.json --lines
dsc test "$(instance on)"
check "/dsc test: not in the desired state" grep -q '"_inDesiredState":false' "$d/run.out"
check "... and validates" valid startup-entry.schema.json --lines
dsc set "$(instance on)"
check "/dsc set exits 0 and returns the entry on" bash -c "[ \"\$(cat '$d/run.code')\" = 0 ] && grep -q '\"state\":\"on\"' '$d/run.out'"
check "... and validates" valid startup-entry.schema.json --lines
check "... and the entry is back in the Run key" has_value "$run_key" "$one"
dsc test "$(instance on)"
check "/dsc test: now in the desired state" grep -q '"_inDesiredState":true' "$d/run.out"
dsc set '{"location":"HKCUR","name":"kqm-nowhere","state":"on"}'
check "/dsc set of an entry that exists nowhere exits 1 with the reason" \
  bash -c "[ \"\$(cat '$d/run.code')\" = 1 ] && grep -q 'never created' '$d/run.err'"
dsc export ''
check "/dsc export writes one line per entry of the export" bash -c \
  "[ \$(grep -c . '$d/run.out') = \$(grep -c '^{\"location\"' '$d/export.json') ]"
check "... each validating" valid startup-entry.schema.json --lines

# The manifest beside the program is the repo's, with the program's version, and embeds the instance schema.
python3 - "$(dirname "$exe")/QuorvelManager.dsc.resource.json" "$root/dsc/QuorvelManager.dsc.resource.json" \
  "$schemas/startup-entry.schema.json" "$version" >"$d/manifest.log" 2>&1 <<'PY'
import json, sys
beside, repo, schema = (json.load(open(p, encoding="utf-8")) for p in sys.argv[1:4])
assert beside["version"] == sys.argv[4], beside["version"]
assert dict(beside, version=None) == dict(repo, version=None)
assert beside["type"] == "Kestrum.QuorvelManager/StartupEntry"
assert beside["schema"]["embedded"] == schema
for op in ("get", "set", "test", "export"):
    assert beside[op]["executable"] == "QuorvelManager.exe" and beside[op]["args"] == ["/dsc", op], beside[op]
PY
check "the DSC manifest beside the program names its operations and embeds the instance schema" test $? -eq 0
finish
