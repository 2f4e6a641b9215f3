# Shared by the end-to-end scripts (source it): arguments <exe> <output folder>, the Wine environment and a
# virtual display, `check`, `launch`, `expect_exit` and `finish`.
set -uo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
exe=${1:-$root/build/mingw/QuorvelManager.exe}
out=${2:-$root/build/e2e}
# The version is set once, in CMakeLists.txt's project(); the caption reads "<major>.<minor> Build <patch>".
read -r v_major v_minor v_build < <(sed -nE 's/^project\(QuorvelManager VERSION ([0-9]+)\.([0-9]+)\.([0-9]+).*/\1 \2 \3/p' \
                                    "$root/CMakeLists.txt")
version="$v_major.$v_minor.$v_build"
title="Kestrum Quorvel Manager $v_major.$v_minor Build $v_build"
mkdir -p "$out"
# Wine starts winemenubuilder for every shortcut saved under the Start menu (the StartUp folders): off, it
# writes no menu entries on the host and takes no CPU from what is being timed or tested.
export LANG=C.UTF-8 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
: "${WINEPREFIX:=$root/build/wineprefix}"
export WINEPREFIX
"$root/ci/wine-prefix.sh"
. "$root/ci/xvfb.sh"
xvfb_start || { echo "0 passed, 1 failed"; exit 1; }
e2e_teardown() { wineserver -k 2>/dev/null; wineserver -w; xvfb_stop; }
trap e2e_teardown EXIT

passed=0 failed=0
check() {  # check <name> <command...>
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "PASS $what"; else failed=$((failed + 1)); echo "FAIL $what"; fi
}
launch() {  # launch <log file>: starts the program in the background; sets pid and wid (its window, or empty)
  wine "$exe" >"$1" 2>&1 &
  pid=$!
  wid=$(timeout 60 xdotool search --sync --name "^${title}\$" | head -1)
}
expect_exit() {  # after Alt+F4: the process must end within 10 s with exit code 0
  local ended=0 code
  for _ in $(seq 100); do kill -0 "$pid" 2>/dev/null || { ended=1; break; }; sleep 0.1; done
  check "closing the window ends the process" test "$ended" -eq 1
  if [ "$ended" -eq 1 ]; then
    wait "$pid"; code=$?
    check "exit code is 0" test "$code" -eq 0
  else
    kill "$pid" 2>/dev/null
  fi
}
has_value() {  # has_value <key> <name>: the key holds the value (read from an export, so any name compares exactly)
  local f="$out/reg-probe.reg"
  rm -f "$f"
  wine reg export "$1" "$(winepath -w "$f" 2>/dev/null)" /y >"$out/reg-probe.log" 2>&1 || return 1
  iconv -f UTF-16 -t UTF-8 "$f" 2>/dev/null | grep -qF -- "\"$2\"="
}
lacks_value() { ! has_value "$@"; }
eventually() {  # eventually <command...>: true once the command succeeds within about 10 s
  for _ in $(seq 50); do "$@" && return 0; sleep 0.2; done
  return 1
}
click_item() {  # click_item <navigation key>: clicks the bar item where the program says it is (needs $layout)
  local x y
  read -r x y < <(awk -v k="$1" '{ sub(/\r$/, "") } $1 == "item" && $2 == k {print $3, $4}' "$layout")
  [ -n "$x" ] && xdotool mousemove "$x" "$y" click 1
}
select_row() {  # select_row <text>: focuses the list on its empty part and selects a row by typing its start
  local lx ly lw lh
  read -r lx ly lw lh < <(awk '{ sub(/\r$/, "") } $1 == "list" {print $2, $3, $4, $5}' "$layout")
  xdotool mousemove $((lx + lw / 2)) $((ly + lh - 12)) click 1
  sleep 0.5
  xdotool type --delay 40 "$1"
  sleep 1.5
}
launch_with_layout() {  # launch_with_layout <log file>: launch, and have the program write where its controls are
  layout="$out/layout.txt"
  rm -f "$layout"
  KQM_UI_LAYOUT_LOG="Z:${layout//\//\\}" launch "$1"
  [ -n "$wid" ] && eventually test -s "$layout"
}
finish() {  # prints the tally and exits non-zero on a failure
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
