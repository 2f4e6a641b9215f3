#pragma once
#include <array>
#include <cstddef>

#include "platform/system_colors.h"

namespace kqm {

// The system colours of a freshly made Wine prefix, as a fixed table; entries can be overridden.
class FixedSystemColors : public SystemColors {
 public:
  FixedSystemColors();
  ColorRef SysColor(std::int32_t index) const override;
  // Replaces one entry (index 0..30); other indices are ignored.
  void Set(std::int32_t index, ColorRef colour);
  bool HighContrast() const override { return highContrast_; }
  void HighContrast(bool on) { highContrast_ = on; }

 private:
  std::array<ColorRef, 31> table_{};
  bool highContrast_ = false;
};

}  // namespace kqm
