#pragma once
#include "platform/clipboard.h"

struct HWND__;

namespace kqm {

// The system clipboard through user32: text goes on it as CF_UNICODETEXT, owned by `owner` (may be null).
class Win32Clipboard final : public Clipboard {
 public:
  explicit Win32Clipboard(HWND__* owner = nullptr) : owner_(owner) {}
  void Owner(HWND__* owner) { owner_ = owner; }
  int32_t SetText(const std::string& text) override;

 private:
  HWND__* owner_;
};

}  // namespace kqm
