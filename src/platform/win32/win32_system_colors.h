#pragma once
#include "platform/system_colors.h"

namespace kqm {

// The system colours of the running session (GetSysColor).
class Win32SystemColors : public SystemColors {
 public:
  ColorRef SysColor(std::int32_t index) const override;
  // SystemParametersInfo(SPI_GETHIGHCONTRAST) reports HCF_HIGHCONTRASTON.
  bool HighContrast() const override;
};

}  // namespace kqm
