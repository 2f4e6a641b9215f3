#include "controls/skin_button/property_bag.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "controls/skin_button/picture_codec.h"
#include "platform/text.h"

namespace kqm {
namespace {

char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

bool IsSpace(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && IsSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && IsSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool IsKeyChar(char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

constexpr size_t kMaxKeyLength = 64;
constexpr size_t kMaxFontNameUnits = 31;

// A cursor over one value's text; every Parse* leaves the cursor after what it read.
class ValueParser {
 public:
  explicit ValueParser(std::string_view s) : s_(s) {}

  std::optional<TextPropertyBag::Value> ParseValue(std::string& error) {
    std::optional<TextPropertyBag::Value> v = ParseAny(error);
    if (v && (SkipSpaces(), pos_ != s_.size())) {
      error = "unexpected text after the value";
      return std::nullopt;
    }
    return v;
  }

 private:
  std::optional<TextPropertyBag::Value> ParseAny(std::string& error) {
    SkipSpaces();
    if (pos_ >= s_.size()) {
      error = "missing value";
      return std::nullopt;
    }
    const char c = s_[pos_];
    if (c == '"') {
      std::string text;
      if (!ParseString(text, error)) return std::nullopt;
      return TextPropertyBag::Value(std::move(text));
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      std::int32_t n = 0;
      if (!ParseLong(n, error)) return std::nullopt;
      return TextPropertyBag::Value(n);
    }
    const std::string word = Word();
    if (word == "TRUE") return TextPropertyBag::Value(true);
    if (word == "FALSE") return TextPropertyBag::Value(false);
    if (word == "NOTHING") return TextPropertyBag::Value(PicturePtr());
    if (word == "FONT") return ParseFont(error);
    if (word == "BITMAP" || word == "ICON") return ParsePicture(word == "ICON", error);
    error = word.empty() ? "unreadable value" : "unknown value kind";
    return std::nullopt;
  }

  void SkipSpaces() {
    while (pos_ < s_.size() && IsSpace(s_[pos_])) ++pos_;
  }

  std::string Word() {
    std::string w;
    while (pos_ < s_.size() && IsKeyChar(s_[pos_])) w += AsciiUpper(s_[pos_++]);
    return w;
  }

  bool Expect(char c, std::string& error) {
    SkipSpaces();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    error = std::string("expected '") + c + "'";
    return false;
  }

  bool ParseLong(std::int32_t& out, std::string& error) {
    const size_t start = pos_;
    if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
    while (pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '9') ++pos_;
    std::int64_t v = 0;
    const auto r = std::from_chars(s_.data() + start, s_.data() + pos_, v);
    // Unsigned 32-bit values (colours written by hand) wrap to their signed form.
    if (r.ec != std::errc() || r.ptr != s_.data() + pos_ || v < INT32_MIN || v > UINT32_MAX) {
      error = "bad or out-of-range number";
      return false;
    }
    out = static_cast<std::int32_t>(static_cast<std::uint32_t>(v));
    return true;
  }

  bool ParseDecimal(double& out, std::string& error) {
    SkipSpaces();
    const size_t start = pos_;
    while (pos_ < s_.size() && ((s_[pos_] >= '0' && s_[pos_] <= '9') || s_[pos_] == '.' || s_[pos_] == 'e' ||
                                s_[pos_] == 'E' || s_[pos_] == '-' || s_[pos_] == '+')) {
      ++pos_;
    }
    const std::string text(s_.substr(start, pos_ - start));
    char* end = nullptr;
    out = text.empty() ? 0.0 : std::strtod(text.c_str(), &end);
    if (text.empty() || end != text.c_str() + text.size() || !std::isfinite(out)) {
      error = "bad number";
      return false;
    }
    return true;
  }

  bool ParseBool(bool& out, std::string& error) {
    SkipSpaces();
    const std::string w = Word();
    if (w == "TRUE" || w == "FALSE") {
      out = w == "TRUE";
      return true;
    }
    error = "expected True or False";
    return false;
  }

  static int Hex(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  }

  bool ParseString(std::string& out, std::string& error) {
    out.clear();
    ++pos_;
    while (pos_ < s_.size()) {
      const char c = s_[pos_++];
      if (c == '"') return true;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) break;
      const char e = s_[pos_++];
      switch (e) {
        case '\\': out += '\\'; break;
        case '"': out += '"'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'x': {
          const int hi = pos_ + 1 < s_.size() ? Hex(s_[pos_]) : -1;
          const int lo = hi >= 0 ? Hex(s_[pos_ + 1]) : -1;
          if (lo < 0) {
            error = "bad \\x escape";
            return false;
          }
          out += static_cast<char>(hi * 16 + lo);
          pos_ += 2;
          break;
        }
        default:
          error = "unknown escape";
          return false;
      }
    }
    error = "unterminated string";
    return false;
  }

  std::optional<TextPropertyBag::Value> ParseFont(std::string& error) {
    ButtonFont f;
    std::int32_t weight = 0;
    if (!Expect('(', error)) return std::nullopt;
    SkipSpaces();
    if (pos_ >= s_.size() || s_[pos_] != '"') {
      error = "expected the font name";
      return std::nullopt;
    }
    if (!ParseString(f.name, error)) return std::nullopt;
    if (f.name.empty() || Utf8ToUtf16(f.name).size() > kMaxFontNameUnits) {
      error = "bad font name";
      return std::nullopt;
    }
    if (!Expect(',', error) || !ParseDecimal(f.size, error)) return std::nullopt;
    if (!(f.size > 0.0 && f.size <= 2048.0)) {
      error = "font size out of range";
      return std::nullopt;
    }
    if (!Expect(',', error)) return std::nullopt;
    SkipSpaces();
    if (!ParseLong(weight, error)) return std::nullopt;
    if (weight < 0 || weight > 1000) {
      error = "font weight out of range";
      return std::nullopt;
    }
    f.weight = weight;
    if (!Expect(',', error) || !ParseBool(f.italic, error) || !Expect(',', error) ||
        !ParseBool(f.underline, error) || !Expect(')', error)) {
      return std::nullopt;
    }
    return TextPropertyBag::Value(std::move(f));
  }

  std::optional<TextPropertyBag::Value> ParsePicture(bool icon, std::string& error) {
    if (!Expect('(', error)) return std::nullopt;
    SkipSpaces();
    const size_t start = pos_;
    while (pos_ < s_.size() && s_[pos_] != ')') ++pos_;
    const std::string_view text = Trim(s_.substr(start, pos_ - start));
    if (!Expect(')', error)) return std::nullopt;
    std::string bytes;
    if (!Base64Decode(text, bytes)) {
      error = "bad base64 picture data";
      return std::nullopt;
    }
    PictureDecodeResult r = icon ? DecodeIco(bytes) : DecodeBmp(bytes);
    if (!r.picture) {
      error = r.error;
      return std::nullopt;
    }
    return TextPropertyBag::Value(std::move(r.picture));
  }

  std::string_view s_;
  size_t pos_ = 0;
};

std::string QuoteString(std::string_view s) {
  std::string out = "\"";
  for (char c : s) {
    switch (c) {
      case '\\': out += "\\\\"; break;
      case '"': out += "\\\""; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\x%02X", static_cast<unsigned char>(c));
          out += buf;
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

std::string FormatSize(double size) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "%.17g", size);
  // The shortest text that reads back to the same value.
  for (int precision = 1; precision <= 17; ++precision) {
    char shorter[64];
    std::snprintf(shorter, sizeof shorter, "%.*g", precision, size);
    if (std::strtod(shorter, nullptr) == size) return shorter;
  }
  return buf;
}

std::string FormatValue(const TextPropertyBag::Value& v) {
  if (const auto* n = std::get_if<std::int32_t>(&v)) return std::to_string(*n);
  if (const auto* b = std::get_if<bool>(&v)) return *b ? "True" : "False";
  if (const auto* s = std::get_if<std::string>(&v)) return QuoteString(*s);
  if (const auto* f = std::get_if<ButtonFont>(&v)) {
    return "Font(" + QuoteString(f->name) + ", " + FormatSize(f->size) + ", " + std::to_string(f->weight) + ", " +
           (f->italic ? "True" : "False") + ", " + (f->underline ? "True" : "False") + ")";
  }
  const PicturePtr& p = std::get<PicturePtr>(v);
  if (!p) return "Nothing";
  if (p->kind == ButtonPicture::Kind::Icon) return "Icon(" + Base64Encode(EncodeIco(*p)) + ")";
  return "Bitmap(" + Base64Encode(EncodeBmp(*p)) + ")";
}

}  // namespace

bool BagKeyEquals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (AsciiUpper(a[i]) != AsciiUpper(b[i])) return false;
  }
  return true;
}

void TextPropertyBag::Clear() {
  entries_.clear();
  errors_.clear();
}

bool TextPropertyBag::Load(std::string_view text) {
  Clear();
  int lineNo = 0;
  size_t pos = 0;
  while (pos <= text.size()) {
    size_t end = text.find('\n', pos);
    if (end == std::string_view::npos) end = text.size();
    std::string_view line = text.substr(pos, end - pos);
    pos = end + 1;
    ++lineNo;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    line = Trim(line);
    if (line.empty() || line.front() == ';' || line.front() == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) {
      errors_.push_back({lineNo, "", "line without '='"});
      continue;
    }
    const std::string_view key = Trim(line.substr(0, eq));
    bool keyOk = !key.empty() && key.size() <= kMaxKeyLength;
    for (char c : key) keyOk = keyOk && IsKeyChar(c);
    if (!keyOk) {
      errors_.push_back({lineNo, "", "bad key"});
      continue;
    }
    std::string error;
    std::optional<Value> value = ValueParser(line.substr(eq + 1)).ParseValue(error);
    if (!value) {
      errors_.push_back({lineNo, std::string(key), error});
      continue;
    }
    if (Find(key)) {
      errors_.push_back({lineNo, std::string(key), "duplicate key; the first value is kept"});
      continue;
    }
    entries_.push_back({std::string(key), std::move(*value)});
  }
  return errors_.empty();
}

std::string TextPropertyBag::Save() const {
  std::string out;
  for (const Entry& e : entries_) {
    out += e.key;
    out += '=';
    out += FormatValue(e.value);
    out += "\r\n";
  }
  return out;
}

const TextPropertyBag::Value* TextPropertyBag::Find(std::string_view key) const {
  for (const Entry& e : entries_) {
    if (BagKeyEquals(e.key, key)) return &e.value;
  }
  return nullptr;
}

void TextPropertyBag::Put(std::string_view key, Value value) {
  for (Entry& e : entries_) {
    if (BagKeyEquals(e.key, key)) {
      e.value = std::move(value);
      return;
    }
  }
  entries_.push_back({std::string(key), std::move(value)});
}

void TextPropertyBag::TypeError(std::string_view key, const char* wanted) {
  errors_.push_back({0, std::string(key), std::string("value is not ") + wanted + "; the default is used"});
}

std::int32_t TextPropertyBag::ReadLong(std::string_view key, std::int32_t def) {
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* n = std::get_if<std::int32_t>(v)) return *n;
  if (const auto* b = std::get_if<bool>(v)) return *b ? -1 : 0;
  TypeError(key, "a number");
  return def;
}

std::int16_t TextPropertyBag::ReadInteger(std::string_view key, std::int16_t def) {
  const Value* v = Find(key);
  if (!v) return def;
  const std::int32_t n = ReadLong(key, def);
  if (n < INT16_MIN || n > INT16_MAX) {
    TypeError(key, "a 16-bit number");
    return def;
  }
  return static_cast<std::int16_t>(n);
}

bool TextPropertyBag::ReadBool(std::string_view key, bool def) {
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* b = std::get_if<bool>(v)) return *b;
  if (const auto* n = std::get_if<std::int32_t>(v)) return *n != 0;
  TypeError(key, "True or False");
  return def;
}

std::string TextPropertyBag::ReadString(std::string_view key, const std::string& def) {
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* s = std::get_if<std::string>(v)) return *s;
  TypeError(key, "a string");
  return def;
}

ButtonFont TextPropertyBag::ReadFont(std::string_view key, const ButtonFont& def) {
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* f = std::get_if<ButtonFont>(v)) return *f;
  TypeError(key, "a font");
  return def;
}

PicturePtr TextPropertyBag::ReadPicture(std::string_view key, const PicturePtr& def) {
  const Value* v = Find(key);
  if (!v) return def;
  if (const auto* p = std::get_if<PicturePtr>(v)) return *p;
  TypeError(key, "a picture");
  return def;
}

void TextPropertyBag::WriteLong(std::string_view key, std::int32_t value) { Put(key, value); }
void TextPropertyBag::WriteBool(std::string_view key, bool value) { Put(key, value); }
void TextPropertyBag::WriteString(std::string_view key, std::string_view value) { Put(key, std::string(value)); }
void TextPropertyBag::WriteFont(std::string_view key, const ButtonFont& value) { Put(key, value); }
void TextPropertyBag::WritePicture(std::string_view key, const PicturePtr& value) { Put(key, value); }

}  // namespace kqm
