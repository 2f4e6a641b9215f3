#!/bin/sh
# Runs a Windows program under Wine for ctest and the scripts.
#   wine-run.sh prog.exe args...   run a Windows program
#   wine-run.sh --start            start a persistent wineserver and Wine's helper processes,
#                                  detached from the caller's pipes (ctest waits for EOF on them)
#   wine-run.sh --stop             stop the wineserver of this prefix and wait until it is gone
#
# Starting the server never launches the prefix's startup programs. A plain `wineboot` would: it runs every
# HKLM and HKCU Run value and every StartUp-folder shortcut. The first program of a new server makes Wine boot
# the prefix itself with `wineboot --init`, which skips the Run keys and the StartUp folders (it still runs
# RunOnce, RunServices and RunServicesOnce, so tests and benchmarks seed those only with commands that do
# nothing and remove them again). That first program is `cmd /c exit`, which does nothing itself.
here=$(cd "$(dirname "$0")/.." && pwd)
: "${WINEPREFIX:=$here/build/wineprefix}"
: "${WINEDEBUG:=-all}"
: "${WINEDLLOVERRIDES:=mscoree,mshtml=;winemenubuilder.exe=d}"
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES
case "$1" in
  --start)
    "$here/ci/wine-prefix.sh" </dev/null >/dev/null 2>&1
    wineserver -p </dev/null >/dev/null 2>&1
    exec wine cmd /c exit </dev/null >/dev/null 2>&1 ;;
  --stop)
    wineserver -k 2>/dev/null; exec wineserver -w ;;
esac
exec wine "$@"
