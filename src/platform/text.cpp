#include "platform/text.h"

#include <cstdint>

namespace kqm {

namespace {
constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

void AppendUtf16(std::u16string& out, char32_t c) {
  if (c >= 0x10000) {
    c -= 0x10000;
    out += static_cast<char16_t>(0xD800 + (c >> 10));
    out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
  } else {
    out += static_cast<char16_t>(c);
  }
}
}  // namespace

std::u16string Utf8ToUtf16(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  size_t i = 0;
  while (i < s.size()) {
    const auto b = static_cast<unsigned char>(s[i]);
    int extra = b < 0x80 ? 0 : (b & 0xE0) == 0xC0 ? 1 : (b & 0xF0) == 0xE0 ? 2 : (b & 0xF8) == 0xF0 ? 3 : -1;
    if (extra < 0 || i + extra >= s.size()) {
      AppendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    char32_t c = extra == 0 ? b : extra == 1 ? (b & 0x1F) : extra == 2 ? (b & 0x0F) : (b & 0x07);
    bool ok = true;
    for (int k = 1; k <= extra; ++k) {
      const auto cb = static_cast<unsigned char>(s[i + k]);
      if ((cb & 0xC0) != 0x80) {
        ok = false;
        break;
      }
      c = (c << 6) | (cb & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
    if (ok && extra == 2 && c >= 0xD800 && c <= 0xDFFF) {  // a single surrogate, as Utf16ToUtf8Exact writes it
      out += static_cast<char16_t>(c);
      i += 3;
      continue;
    }
    if (!ok || c < kMin[extra] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
      AppendUtf16(out, kReplacement);
      ++i;
      continue;
    }
    AppendUtf16(out, c);
    i += extra + 1;
  }
  return out;
}

namespace {
// UTF-16 to UTF-8; an unpaired surrogate becomes U+FFFD, or with `exact` keeps its code unit in three bytes.
std::string FromUtf16(std::u16string_view s, bool exact) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF && !exact) {
      c = kReplacement;
    }
    AppendUtf8(out, c);
  }
  return out;
}
}  // namespace

std::string Utf16ToUtf8(std::u16string_view s) { return FromUtf16(s, false); }

std::string Utf16ToUtf8Exact(std::u16string_view s) { return FromUtf16(s, true); }

char16_t SurrogateAt(std::string_view s, size_t at) {
  if (at + 2 >= s.size() || static_cast<unsigned char>(s[at]) != 0xED) return 0;
  const auto b1 = static_cast<unsigned char>(s[at + 1]), b2 = static_cast<unsigned char>(s[at + 2]);
  if (b1 < 0xA0 || b1 > 0xBF || (b2 & 0xC0) != 0x80) return 0;
  return static_cast<char16_t>(0xD000 | ((b1 & 0x3F) << 6) | (b2 & 0x3F));
}

size_t StrictUtf8Length(std::string_view s, size_t at) {
  const auto b = static_cast<uint8_t>(s[at]);
  size_t extra = 0;
  uint32_t c = 0;
  if (b < 0x80) {
    return 1;
  } else if (b >= 0xC2 && b <= 0xDF) {
    extra = 1, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    extra = 2, c = b & 0x0F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    extra = 3, c = b & 0x07;
  } else {
    return 0;
  }
  if (s.size() - at <= extra) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const auto t = static_cast<uint8_t>(s[at + k]);
    if ((t & 0xC0) != 0x80) return 0;
    c = c << 6 | (t & 0x3F);
  }
  if ((extra == 2 && (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF))) || (extra == 3 && (c < 0x10000 || c > 0x10FFFF)))
    return 0;
  return extra + 1;
}

std::string Utf16ToBytes(std::u16string_view s, bool withTerminator) {
  std::string out;
  out.reserve((s.size() + 1) * 2);
  for (char16_t c : s) {
    out += static_cast<char>(c & 0xFF);
    out += static_cast<char>(c >> 8);
  }
  if (withTerminator) out.append(2, '\0');
  return out;
}

std::u16string BytesToUtf16(const void* data, size_t byteCount) {
  const auto* p = static_cast<const unsigned char*>(data);
  std::u16string out(byteCount / 2, u'\0');
  for (size_t i = 0; i < out.size(); ++i)
    out[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
  return out;
}

std::u16string FoldCase(std::u16string_view s) {
  std::u16string out(s);
  for (auto& c : out) {
    if ((c >= u'a' && c <= u'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3C9 && c != 0x3C2) ||
        (c >= 0x430 && c <= 0x44F))
      c = static_cast<char16_t>(c - 0x20);
    else if (c >= 0x450 && c <= 0x45F)
      c = static_cast<char16_t>(c - 0x50);
  }
  return out;
}

std::string CaptionShown(std::string_view caption) {
  std::string text;
  text.reserve(caption.size());
  for (std::size_t i = 0; i < caption.size(); ++i) {
    if (caption[i] == '&' && i + 1 < caption.size()) ++i;
    text.push_back(caption[i]);
  }
  return text;
}

}  // namespace kqm
