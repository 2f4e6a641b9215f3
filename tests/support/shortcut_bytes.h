#pragma once
#include <cstdint>
#include <string>

#include "platform/text.h"

namespace kqm::test {

// Little-endian building blocks for shortcut files made byte by byte in tests.
inline void U16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
inline void U32(std::string& s, uint32_t v) {
  U16(s, v & 0xFFFF);
  U16(s, v >> 16);
}
// The 76-byte file header with the given link flags.
inline std::string ShortcutHeader(uint32_t flags) {
  std::string h;
  U32(h, 0x4C);
  h += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  U32(h, flags);
  h.resize(0x4C, '\0');
  return h;
}
inline std::string Wide(const std::string& utf8) { return Utf16ToBytes(Utf8ToUtf16(utf8), true); }
// A link-info section holding only a code-page local path (the short header, no Unicode offsets).
inline std::string CodePageLinkInfo(const std::string& localPath) {
  std::string info;
  U32(info, 0x1C + static_cast<uint32_t>(localPath.size()) + 2);
  U32(info, 0x1C);
  U32(info, 1);                                                 // a local path
  U32(info, 0);                                                 // no volume id needed
  U32(info, 0x1C);                                              // the local path
  U32(info, 0);                                                 // no network path
  U32(info, 0x1C + static_cast<uint32_t>(localPath.size()) + 1);  // an empty suffix
  return info + localPath + '\0' + '\0';
}
// The extra-data block of an installer-advertised shortcut (its descriptor in both forms), then the terminal block.
inline std::string InstallerBlock(const std::string& descriptor) {
  std::string block;
  U32(block, 0x314);
  U32(block, 0xA0000006);
  std::string ansi = descriptor;
  ansi.resize(260, '\0');
  std::string wide = Wide(descriptor);
  wide.resize(520, '\0');
  return block + ansi + wide + std::string(4, '\0');
}

}  // namespace kqm::test
