#include "platform/system_colors.h"

namespace kqm {

ColorRef TranslateColor(std::uint32_t oleColor, const SystemColors& system) {
  switch (oleColor >> 24) {
    case 0x80:
      return system.SysColor(static_cast<std::int32_t>(oleColor & 0xFFFF)) & 0xFFFFFFu;
    case 0x00:
    case 0x02:
      return oleColor & 0xFFFFFFu;
    default:
      return 0;
  }
}

}  // namespace kqm
