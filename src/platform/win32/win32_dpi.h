#pragma once

struct HWND__;

namespace kqm {

// The resolution in dots per inch a window is shown at: its monitor's where the platform tells it
// (GetDpiForWindow, Windows 10 1607 and later), else the screen's; the screen's for a null window.
int WindowDpi(HWND__* hwnd);

// `value` given at 96 dots per inch, at `dpi` (rounded to the nearest pixel).
int ScaleForDpi(int value, int dpi);

}  // namespace kqm
