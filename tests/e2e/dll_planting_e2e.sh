#!/bin/bash
# DLLs that whoever can write to the program's folder puts there are never loaded. A copy of the program runs from
# a folder of its own, beside it a DLL named like each the program (or the common controls for it) loads, built here
# from tests/e2e/marker_dll.c, which leaves "<name>.loaded" beside itself when loaded, and Wine is told to prefer
# such a DLL to its own. The program runs its command line (/list /json over a StartUp folder holding an
# installer's shortcut, which it reads through msi.dll) and its window (painted, and read by a screen reader through
# oleacc.dll); each of those DLLs must come from Windows' folders and none from the program's. Wine's trace of the
# loads (+loaddll) is kept as dll-planting-*.log. Prints "N passed, M failed".
. "$(dirname "$0")/e2e_lib.sh"

helpers="$(dirname "$exe")/tests/e2e"
scratch="$out/dll-planting"
# Not version.dll: Wine's own user32 imports it, so under Wine one beside any program is loaded before the program
# runs (on Windows user32 is a known DLL, whose imports come from System32). Program.ImportsOnlyKnownDllsAtStart
# checks that the program does not import it.
planted=(msimg32 oleacc msi comctl32 uxtheme)
startup="$WINEPREFIX/drive_c/users/$(id -un)/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/StartUp"
shortcut="$startup/kqm-installer$$.lnk"
cleanup() { rm -f "$shortcut"; e2e_teardown; }
trap cleanup EXIT

rm -rf "$scratch"
mkdir -p "$scratch" "$startup"
cp "$exe" "$scratch/QuorvelManager.exe"
exe="$scratch/QuorvelManager.exe"
x86_64-w64-mingw32-gcc -O2 -shared -nostdlib -Wl,--entry,DllMain -o "$out/marker.dll" "$root/tests/e2e/marker_dll.c" \
  -lkernel32 >"$out/marker-dll.log" 2>&1
check "the marking DLL is built" test -s "$out/marker.dll"
for dll in "${planted[@]}"; do cp "$out/marker.dll" "$scratch/$dll.dll"; done
overrides="$WINEDLLOVERRIDES;$(IFS=,; echo "${planted[*]}")=n,b"

# What an installer leaves in the StartUp folder: a shortcut whose path and icon are its cached icon file, and its
# descriptor of the program in the installer's extra block (0xA0000006).
perl -e '
  my ($icon, $descriptor) = @ARGV;
  my $wide = sub { join "", map { pack "v", ord } split //, $_[0] };
  my $header = pack("V", 0x4C) . pack("H*", "0114020000000000c000000000000046") . pack("V", 0x10C2);
  my $n = length $icon;
  print $header . "\0" x (0x4C - length $header),
        pack("V7", 0x1C + $n + 2, 0x1C, 1, 0, 0x1C, 0, 0x1C + $n + 1), $icon, "\0\0",
        pack("v", $n), $wide->($icon),
        pack("VV", 0x314, 0xA0000006), pack("a260", $descriptor), pack("a520", $wide->($descriptor)), pack("V", 0);
' 'C:\Windows\Installer\{6A3F0B52-0C1D-4E8F-9B27-3D5C71A9E410}\appicon.exe' \
  'Yq1]Nc!!!!!!!!!!FK8kMainFeature>8^hN@Ff?h=Vq,a%Wj4Lp' >"$shortcut"

WINEDEBUG=-all,+pid,+loaddll WINEDLLOVERRIDES="$overrides" wine "$exe" /list /json \
  >"$out/dll-planting-cli.out" 2>"$out/dll-planting-cli.log"
check "/list /json exits 0" test $? -eq 0
check "/list /json shows the installer's shortcut" grep -qF "kqm-installer$$" "$out/dll-planting-cli.out"

# The window runs without the msimg32.dll: Wine's own uxtheme, which the window's common controls use, loads msimg32
# at its first call by a way of its own that looks in the program's folder whatever the program has set (Windows
# keeps such loads to the folders the program has set). The command line above has checked the program's own part.
rm -f "$scratch/msimg32.dll"
WINEDEBUG=-all,+pid,+loaddll WINEDLLOVERRIDES="$overrides" launch "$out/dll-planting-window.log"
check "window appears" test -n "$wid"
if [ -n "$wid" ]; then
  rm -f "$out/dll-planting-a11y.txt"
  wine "$helpers/kqm_probe.exe" names "$title" "$(winepath -w "$out/dll-planting-a11y.txt" 2>/dev/null)" \
    >"$out/dll-planting-probe.log" 2>&1
  check "a screen reader reads the window" test -s "$out/dll-planting-a11y.txt"
  xdotool windowactivate --sync "$wid" >/dev/null 2>&1
  xdotool key alt+F4
  expect_exit
fi

# loaded_from_windows <dll>: in one of the two runs the program's own process loaded <dll> from C:\windows (System32,
# or the side-by-side folder the manifest names for the common controls).
loaded_from_windows() {
  local log pid
  for log in "$out/dll-planting-cli.log" "$out/dll-planting-window.log"; do
    pid=$(grep -m1 -iF '\QuorvelManager.exe" at' "$log" | cut -d: -f1)
    [ -n "$pid" ] || continue
    grep "^$pid:[0-9a-f]*:trace:loaddll:.* Loaded L\"" "$log" | grep -iF 'L"C:\\windows\\' |
      grep -iqF "\\$1.dll\" at" && return 0
  done
  return 1
}
not_loaded() { [ -z "$(find "$scratch" -maxdepth 1 -iname "$1.dll.loaded")" ]; }
for dll in "${planted[@]}"; do
  check "$dll.dll is loaded from Windows' folders" loaded_from_windows "$dll"
  check "the $dll.dll beside the program is never loaded" not_loaded "$dll"
done
finish
