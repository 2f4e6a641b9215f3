#pragma once
#include <cstdint>
#include <string>

namespace kqm {

// The system clipboard.
class Clipboard {
 public:
  virtual ~Clipboard() = default;
  // Puts `text` (UTF-8) on the clipboard as Unicode text, replacing what was there; 0 on success, else the
  // platform's error code.
  virtual int32_t SetText(const std::string& text) = 0;
};

}  // namespace kqm
