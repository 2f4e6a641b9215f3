#!/bin/bash
# Creates (once) and prepares the Wine prefix the program and its tests run in.
set -eu
: "${WINEPREFIX:?set WINEPREFIX}"
export WINEPREFIX WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  mkdir -p "$WINEPREFIX"
  # "failed to open syswow64\rundll32.exe" is harmless: this is a 64-bit-only Wine
  DISPLAY= wineboot -i >/dev/null 2>&1 || true
  wineserver -w
fi
[ -f "$WINEPREFIX/.kqm-prepared-2" ] && exit 0
# Debian's Wine does not look in /usr/share/wine/fonts: copy its fonts into the prefix
mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# No window manager under Xvfb: unmanaged windows close at once instead of waiting 2 s for one
wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1
# A crashing program must not open the debugger's dialog (it would block forever)
wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
# A new prefix opens .txt files with nothing; give them the text-file class as Windows does (Notepad)
wine reg add 'HKCR\.txt' /ve /t REG_SZ /d txtfile /f >/dev/null 2>&1
# No `wineserver -w` here: a persistent server (cmake/wine-run.sh --start) would make it wait forever.
touch "$WINEPREFIX/.kqm-prepared-2"
