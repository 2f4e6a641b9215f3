#include "platform/win32/win32_system_colors.h"

#include <windows.h>

namespace kqm {

ColorRef Win32SystemColors::SysColor(std::int32_t index) const {
  if (index < 0 || index > COLOR_MENUBAR) return 0;
  return GetSysColor(index) & 0xFFFFFFu;
}

bool Win32SystemColors::HighContrast() const {
  HIGHCONTRASTW contrast{};
  contrast.cbSize = sizeof contrast;
  return SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
         (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

}  // namespace kqm
