#include "platform/lnk_reader.h"

#include <array>
#include <vector>

#include "platform/code_page.h"
#include "platform/text.h"

namespace kqm {

namespace {

constexpr uint32_t kHasTargetIdList = 0x01;
constexpr uint32_t kHasLinkInfo = 0x02;
constexpr uint32_t kHasName = 0x04;
constexpr uint32_t kHasRelativePath = 0x08;
constexpr uint32_t kHasWorkingDir = 0x10;
constexpr uint32_t kHasArguments = 0x20;
constexpr uint32_t kHasIconLocation = 0x40;
constexpr uint32_t kIsUnicode = 0x80;
constexpr uint32_t kEnvironmentBlock = 0xA0000001;
constexpr uint32_t kInstallerBlock = 0xA0000006;
constexpr size_t kMaxPathChars = 260;  // a longer relative path, working folder or icon location is of no use

constexpr std::array<uint8_t, 16> kLinkClsid = {0x01, 0x14, 0x02, 0x00, 0x00, 0x00, 0x00, 0x00,
                                                0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46};
constexpr std::array<uint8_t, 16> kMyComputer = {0xE0, 0x4F, 0xD0, 0x20, 0xEA, 0x3A, 0x69, 0x10,
                                                 0xA2, 0xD8, 0x08, 0x00, 0x2B, 0x30, 0x30, 0x9D};

// Bounds-checked little-endian reads over one byte range; every read outside it fails.
class Bytes {
 public:
  explicit Bytes(std::string_view data) : data_(data) {}
  size_t size() const { return data_.size(); }
  bool Has(size_t offset, size_t count) const { return offset <= data_.size() && count <= data_.size() - offset; }
  std::optional<uint8_t> U8(size_t at) const {
    if (!Has(at, 1)) return std::nullopt;
    return static_cast<uint8_t>(data_[at]);
  }
  std::optional<uint16_t> U16(size_t at) const {
    if (!Has(at, 2)) return std::nullopt;
    return static_cast<uint16_t>(Byte(at) | Byte(at + 1) << 8);
  }
  std::optional<uint32_t> U32(size_t at) const {
    if (!Has(at, 4)) return std::nullopt;
    return Byte(at) | Byte(at + 1) << 8 | Byte(at + 2) << 16 | static_cast<uint32_t>(Byte(at + 3)) << 24;
  }
  Bytes Slice(size_t at, size_t count) const {
    if (!Has(at, count)) return Bytes(std::string_view());
    return Bytes(data_.substr(at, count));
  }
  bool Equals(size_t at, const std::array<uint8_t, 16>& expected) const {
    if (!Has(at, expected.size())) return false;
    for (size_t i = 0; i < expected.size(); ++i)
      if (Byte(at + i) != expected[i]) return false;
    return true;
  }
  // Code-page text from `at` up to a NUL (or the end); nullopt when `at` lies outside.
  std::optional<std::string> AnsiZ(size_t at) const {
    if (at >= data_.size()) return std::nullopt;
    std::string out;
    for (size_t i = at; i < data_.size() && data_[i] != '\0'; ++i) out += data_[i];
    return out;
  }
  // UTF-16LE text from `at` up to a NUL character (or the end), as UTF-8.
  std::optional<std::string> Utf16Z(size_t at) const {
    if (at >= data_.size()) return std::nullopt;
    std::u16string out;
    for (size_t i = at; Has(i, 2); i += 2) {
      const char16_t c = static_cast<char16_t>(Byte(i) | Byte(i + 1) << 8);
      if (c == 0) break;
      out += c;
    }
    return Utf16ToUtf8(out);
  }
  std::string_view View(size_t at, size_t count) const { return Has(at, count) ? data_.substr(at, count) : ""; }

 private:
  uint32_t Byte(size_t at) const { return static_cast<uint8_t>(data_[at]); }
  std::string_view data_;
};

// Code-page text in the Windows-1252 code page as UTF-8 (the same on every platform).
std::string FromWestern(std::string_view text) {
  static constexpr char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                         0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD,
                                         0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                         0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
  std::u16string out;
  for (char ch : text) {
    const auto b = static_cast<uint8_t>(ch);
    out += b >= 0x80 && b < 0xA0 ? kHigh[b - 0x80] : static_cast<char16_t>(b);
  }
  return Utf16ToUtf8(out);
}

// A link's code-page (ANSI) text, written in the system's code page `codePage`, as UTF-8.
std::string FromCodePage(std::string_view text, uint32_t codePage) {
  bool ascii = true;
  for (char ch : text) ascii = ascii && static_cast<uint8_t>(ch) < 0x80;
  if (ascii) return std::string(text);
  if (codePage == 1252) return FromWestern(text);
  if (const auto decoded = DecodeCodePage(codePage, text)) return Utf16ToUtf8(*decoded);
  std::u16string out;
  for (char ch : text) out += static_cast<uint8_t>(ch) < 0x80 ? static_cast<char16_t>(ch) : u'\uFFFD';
  return Utf16ToUtf8(out);
}

bool IsPlainAscii(std::string_view text) {
  for (char ch : text)
    if (static_cast<uint8_t>(ch) >= 0x80 || ch == '?') return false;
  return true;
}

std::string JoinPath(const std::string& base, const std::string& suffix) {
  if (suffix.empty()) return base;
  if (!base.empty() && base.back() != '\\') return base + "\\" + suffix;
  return base + suffix;
}

// The long name of a file entry of an item-id list (`item` excludes the 2-byte size), else its short name.
std::optional<std::string> FileEntryName(const Bytes& item, uint8_t type, uint32_t codePage) {
  constexpr size_t kShortNameAt = 12;
  const bool unicodeShort = type & 0x04;
  size_t end = kShortNameAt;
  std::string shortName;
  if (unicodeShort) {
    const auto name = item.Utf16Z(kShortNameAt);
    if (!name) return std::nullopt;
    shortName = *name;
    while (item.Has(end, 2) && item.U16(end).value_or(0) != 0) end += 2;
    end += 2;
  } else {
    const auto name = item.AnsiZ(kShortNameAt);
    if (!name) return std::nullopt;
    shortName = FromCodePage(*name, codePage);
    end += name->size() + 1;
  }
  // The extension block starts at an even offset from the item's start; the item's last two bytes also give it.
  size_t blockAt = ((end + 2 + 1) & ~size_t{1}) - 2;
  if (const auto trailer = item.U16(item.size() - 2); trailer && *trailer >= 4 && *trailer - 2u + 8u <= item.size())
    blockAt = *trailer - 2u;
  const auto blockSize = item.U16(blockAt);
  const auto version = item.U16(blockAt + 2);
  const auto signature = item.U32(blockAt + 4);
  if (!blockSize || !version || !signature || *blockSize < 8 || !item.Has(blockAt, *blockSize)) return shortName;
  size_t nameAt = 20;
  if (*signature == 0xBEEF0004) {
    if (*version >= 9)
      nameAt = 46;
    else if (*version == 8)
      nameAt = 42;
    else if (*version == 7)
      nameAt = 38;
  }
  const Bytes block = item.Slice(blockAt, *blockSize);
  const auto longName = block.Utf16Z(nameAt);
  if (!longName || longName->empty()) return shortName;
  return longName;
}

// The "X:\" a volume item names; nullopt for any other item of the volume class, such as a shell folder named by a
// GUID (type 0x2E, the Desktop of newer systems, whose GUID may well begin with a ':' byte).
std::optional<std::string> VolumeRoot(const Bytes& item, uint8_t type) {
  if ((type & 0x70) != 0x20 || type == 0x2E) return std::nullopt;
  const uint8_t letter = item.U8(1).value_or(0) & 0xDF;
  if (letter < 'A' || letter > 'Z' || item.U8(2).value_or(0) != ':') return std::nullopt;
  return std::string{static_cast<char>(item.U8(1).value_or(0)), ':', '\\'};
}

// The file-system path an item-id list spells: My Computer, a drive, then folder and file entries.
std::string IdListPath(const Bytes& list, uint32_t codePage) {
  size_t at = 0;
  std::string path;
  bool rootSeen = false;
  bool driveSeen = false;
  while (true) {
    const auto size = list.U16(at);
    if (!size || *size == 0) break;
    if (*size < 3 || !list.Has(at, *size)) return "";
    const Bytes item = list.Slice(at + 2, *size - 2u);
    const uint8_t type = item.U8(0).value_or(0);
    if (!rootSeen) {
      if (type != 0x1F || !item.Equals(2, kMyComputer)) return "";
      rootSeen = true;
    } else if (!driveSeen) {
      const auto root = VolumeRoot(item, type);
      if (!root) return "";
      path = *root;
      driveSeen = true;
    } else {
      if ((type & 0x70) != 0x30) return "";
      const auto name = FileEntryName(item, type, codePage);
      if (!name || name->empty()) return "";
      path = JoinPath(path, *name);
    }
    at += *size;
  }
  return driveSeen ? path : "";
}

struct LinkInfoPaths {
  std::string localAnsi;      // raw code-page bytes of the local path + suffix
  std::string localUnicode;   // UTF-8, "" when not stored
  std::string network;        // UTF-8, "" when not stored
};

LinkInfoPaths ReadLinkInfo(const Bytes& info, uint32_t codePage) {
  LinkInfoPaths paths;
  const uint32_t headerSize = info.U32(4).value_or(0);
  const uint32_t flags = info.U32(8).value_or(0);
  const uint32_t localOffset = info.U32(16).value_or(0);
  const uint32_t networkOffset = info.U32(20).value_or(0);
  const uint32_t suffixOffset = info.U32(24).value_or(0);
  const std::string suffixAnsi = suffixOffset ? info.AnsiZ(suffixOffset).value_or("") : "";
  std::string suffixUnicode;
  if (headerSize >= 0x24) {
    const uint32_t localUnicodeOffset = info.U32(28).value_or(0);
    const uint32_t suffixUnicodeOffset = info.U32(32).value_or(0);
    if (suffixUnicodeOffset) suffixUnicode = info.Utf16Z(suffixUnicodeOffset).value_or("");
    if ((flags & 1) && localUnicodeOffset)
      if (const auto local = info.Utf16Z(localUnicodeOffset)) paths.localUnicode = JoinPath(*local, suffixUnicode);
  }
  if ((flags & 1) && localOffset)
    if (const auto local = info.AnsiZ(localOffset)) paths.localAnsi = JoinPath(*local, suffixAnsi);
  if ((flags & 2) && networkOffset) {
    const Bytes network = info.Slice(networkOffset, info.U32(networkOffset).value_or(0));
    const uint32_t nameOffset = network.U32(8).value_or(0);
    std::string name;
    if (nameOffset > 0x14) {
      if (const auto unicodeOffset = network.U32(20)) name = network.Utf16Z(*unicodeOffset).value_or("");
    } else if (nameOffset) {
      name = FromCodePage(network.AnsiZ(nameOffset).value_or(""), codePage);
    }
    if (!name.empty())
      paths.network = JoinPath(name, suffixUnicode.empty() ? FromCodePage(suffixAnsi, codePage) : suffixUnicode);
  }
  return paths;
}

}  // namespace

std::optional<ShortcutData> ParseShortcut(std::string_view raw, uint32_t ansiCodePage) {
  const Bytes bytes(raw);
  if (bytes.U32(0).value_or(0) != 0x4C || !bytes.Equals(4, kLinkClsid) || !bytes.Has(0, 0x4C)) return std::nullopt;
  ShortcutData link;
  link.linkFlags = *bytes.U32(0x14);
  size_t at = 0x4C;

  if (link.linkFlags & kHasTargetIdList) {
    const auto size = bytes.U16(at);
    if (!size || !bytes.Has(at + 2, *size)) return std::nullopt;
    link.idListPath = IdListPath(bytes.Slice(at + 2, *size), ansiCodePage);
    at += 2 + *size;
  }

  LinkInfoPaths info;
  if (link.linkFlags & kHasLinkInfo) {
    const auto size = bytes.U32(at);
    if (!size || *size < 4 || !bytes.Has(at, *size)) return std::nullopt;
    info = ReadLinkInfo(bytes.Slice(at, *size), ansiCodePage);
    link.localBasePath = info.localUnicode.empty() ? FromCodePage(info.localAnsi, ansiCodePage) : info.localUnicode;
    at += *size;
  }

  // The target is known by now, so no string field can cost it. A field whose count runs past the end leaves it
  // and every later part unread (where they start is lost); a path field longer than any usable path is skipped.
  const bool unicode = link.linkFlags & kIsUnicode;
  bool stringsWhole = true;
  auto readString = [&](uint32_t flag, std::string& out, size_t maxChars) {
    if (!stringsWhole || !(link.linkFlags & flag)) return;
    const auto count = bytes.U16(at);
    const size_t length = unicode ? count.value_or(0) * size_t{2} : count.value_or(0);
    if (!count || !bytes.Has(at + 2, length)) {
      stringsWhole = false;
      return;
    }
    const std::string_view text = bytes.View(at + 2, length);
    at += 2 + length;
    if (*count > maxChars) return;
    out = unicode ? Utf16ToUtf8(BytesToUtf16(text.data(), text.size())) : FromCodePage(text, ansiCodePage);
    // Some writers count a terminating NUL in the length.
    if (const size_t nul = out.find('\0'); nul != std::string::npos) out.resize(nul);
  };
  readString(kHasName, link.description, 0xFFFF);
  readString(kHasRelativePath, link.relativePath, kMaxPathChars);
  readString(kHasWorkingDir, link.workingDirectory, kMaxPathChars);
  readString(kHasArguments, link.arguments, 0xFFFF);
  readString(kHasIconLocation, link.iconLocation, kMaxPathChars);

  // Extra data blocks whose text comes in two forms: the code-page one (260 bytes), then the Unicode one.
  auto blockText = [&](const Bytes& block) {
    std::string text = block.Utf16Z(8 + 260).value_or("");
    if (text.empty()) text = FromCodePage(block.Slice(8, 260).AnsiZ(0).value_or(""), ansiCodePage);
    return text;
  };
  std::string environmentTarget;
  for (int blocks = 0; stringsWhole && blocks < 64; ++blocks) {
    const auto size = bytes.U32(at);
    if (!size || *size < 8 || !bytes.Has(at, *size)) break;
    const uint32_t signature = bytes.U32(at + 4).value_or(0);
    if ((signature == kEnvironmentBlock || signature == kInstallerBlock) && *size >= 8 + 260 + 520) {
      const std::string text = blockText(bytes.Slice(at, *size));
      (signature == kEnvironmentBlock ? environmentTarget : link.installerDescriptor) = text;
    }
    at += *size;
  }

  if (!link.installerDescriptor.empty())
    link.target = "(installer shortcut: " + link.installerDescriptor + ")";
  else if (!info.localUnicode.empty())
    link.target = info.localUnicode;
  else if (!info.localAnsi.empty() && IsPlainAscii(info.localAnsi))
    link.target = info.localAnsi;
  else if (!link.idListPath.empty())
    link.target = link.idListPath;
  else if (!info.localAnsi.empty())
    link.target = FromCodePage(info.localAnsi, ansiCodePage);
  else if (!info.network.empty())
    link.target = info.network;
  else
    link.target = environmentTarget;
  return link;
}

}  // namespace kqm
