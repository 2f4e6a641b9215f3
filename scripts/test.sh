#!/bin/bash
# Runs every test: installs what is missing, builds what is stale, then runs the native suites (substitutes),
# the Windows suites under Wine (real registry, file system and shell), the fuzzers' short runs, and the
# end-to-end check of the real program on a virtual display. Ends with each runner's summary and a total per backend.
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
export LANG=C.UTF-8
scripts/setup.sh || exit 1
# Wine starts winemenubuilder for every shortcut saved under the Start menu (the StartUp folders): off, it
# writes no menu entries on the host and takes no CPU from what is being timed or tested.
# The tests always use the project's own prefix, never the user's.
export WINEPREFIX="$root/build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
logs="$root/build/test-logs"
mkdir -p "$logs"
status=0
declare -A summary count

run_ctest() {  # run_ctest <preset>
  local preset=$1 log="$logs/$1.log"
  { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; } >"$logs/$preset-build.log" 2>&1 || {
    tail -n 40 "$logs/$preset-build.log"; summary[$preset]="build failed (see build/test-logs/$preset-build.log)"
    count[$preset]=0; status=1; return; }
  if [ "$preset" = mingw ]; then
    cmake/wine-run.sh --start   # warm the server before ctest lists the tests (and create the prefix)
  fi
  local extra=()
  # Under Wine a test that fails is run once more: Wine's GDI has shown rare run-to-run differences. A test that
  # fails twice fails the run.
  [ "$preset" = mingw ] && extra=(--repeat until-pass:2)
  ctest --preset "$preset" "${extra[@]}" >"$log" 2>&1 || status=1
  grep -E '(\*\*\*|Not Run|tests passed|tests failed|Total Test time|^\s+[0-9]+ - )' "$log"
  summary[$preset]=$(grep -E 'tests passed' "$log" | tail -1)
  grep -q 'No tests were found' "$log" && summary[$preset]="no tests in this build"
  count[$preset]=$(echo "${summary[$preset]}" | sed -nE 's/.*out of ([0-9]+).*/\1/p')
  [ "$preset" = mingw ] && cmake/wine-run.sh --stop
}

start=$(date +%s)
echo "== native build, substitutes =="; run_ctest native
echo "== Windows build under Wine, real Win32 =="; run_ctest mingw
echo "== fuzzers (clang, AddressSanitizer) =="; run_ctest fuzz
echo "== end to end: the real program under Wine on a virtual display =="
e2e_log="$logs/e2e.log"
: >"$e2e_log"
for script in tests/e2e/gui_smoke.sh tests/e2e/main_window_e2e.sh tests/e2e/round_trip_e2e.sh tests/e2e/views_e2e.sh tests/e2e/command_line_e2e.sh tests/e2e/dpi_e2e.sh tests/e2e/refresh_e2e.sh tests/e2e/list_details_e2e.sh tests/e2e/accessibility_e2e.sh tests/e2e/dll_planting_e2e.sh tests/e2e/interrupted_moves_e2e.sh tests/e2e/trust_boundary_e2e.sh tests/e2e/desired_state_e2e.sh tests/e2e/keep_off_e2e.sh tests/e2e/history_e2e.sh; do
  "$script" "$root/build/mingw/QuorvelManager.exe" "$root/build/e2e" 2>&1 | tee -a "$e2e_log"
  [ "${PIPESTATUS[0]}" -eq 0 ] || status=1
done
read -r e2e_pass e2e_fail < <(grep -E '^[0-9]+ passed, [0-9]+ failed$' "$e2e_log" |
                               awk '{p += $1; f += $3} END {print p + 0, f + 0}')
summary[e2e]="$e2e_pass passed, $e2e_fail failed (all end-to-end scripts)"
count[e2e]=$((e2e_pass + e2e_fail))

echo
echo "== figures =="
if [ -x build/native/tests/engine/engine_tests ]; then
  build/native/tests/engine/engine_tests --gtest_filter='*Fault*' 2>&1 | grep -E 'fault cases' || true
fi
for f in build/fuzz/fuzz-work/*/log.txt; do
  [ -f "$f" ] || continue
  echo "$(basename "$(dirname "$f")"): $(grep -oE 'stat::number_of_executed_units: *[0-9]+' "$f" | grep -oE '[0-9]+$') executions"
done

echo
echo "== summary ($(( $(date +%s) - start )) s) =="
printf '%-34s %s\n' "native (substitutes):" "${summary[native]:-not run}"
printf '%-34s %s\n' "wine (real Win32 backends):" "${summary[mingw]:-not run}"
printf '%-34s %s\n' "fuzz (short runs):" "${summary[fuzz]:-not run}"
printf '%-34s %s\n' "e2e (program under Wine + Xvfb):" "${summary[e2e]:-not run}"
echo "tests per backend: native ${count[native]:-0}, wine ${count[mingw]:-0}, fuzz ${count[fuzz]:-0}, e2e ${count[e2e]:-0}"
[ "$status" -eq 0 ] && echo "ALL PASSED" || echo "SOME TESTS FAILED"
exit "$status"
