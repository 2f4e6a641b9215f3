#include "app/json.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "platform/text.h"

namespace kqm {

namespace {

// A recursive-descent reader over the whole text, with a depth and a value count that bound its stack and memory.
class Reader {
 public:
  explicit Reader(std::string_view text) : s_(text) {}

  JsonParse Document() {
    JsonParse result;
    SkipSpace();
    if (Value(result.value, 0)) {
      SkipSpace();
      if (at_ != s_.size()) Fail("unexpected text after the value");
    }
    if (!error_.empty()) {
      result.value = {};
      result.error = error_ + " (byte " + std::to_string(errorAt_) + ")";
    }
    return result;
  }

 private:
  bool Fail(const std::string& why) {
    if (error_.empty()) {
      error_ = why;
      errorAt_ = at_;
    }
    return false;
  }
  void SkipSpace() {
    while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r')) ++at_;
  }
  bool Take(char c) {
    if (at_ < s_.size() && s_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  bool Literal(std::string_view word) {
    if (s_.substr(at_, word.size()) != word) return Fail("unknown word");
    at_ += word.size();
    return true;
  }

  bool Value(JsonValue& v, size_t depth) {
    if (++values_ > kJsonMaxValues) return Fail(std::string("more than ") + std::to_string(kJsonMaxValues) + " values");
    if (at_ >= s_.size()) return Fail("a value is missing");
    switch (s_[at_]) {
      case '{': return Object(v, depth + 1);
      case '[': return Array(v, depth + 1);
      case '"': v.kind = JsonValue::Kind::kString; return String(v.text);
      case 't': v.kind = JsonValue::Kind::kBool; v.boolean = true; return Literal("true");
      case 'f': v.kind = JsonValue::Kind::kBool; return Literal("false");
      case 'n': return Literal("null");
      default: v.kind = JsonValue::Kind::kNumber; return Number(v.number);
    }
  }

  bool TooDeep() { return Fail("nested deeper than " + std::to_string(kJsonMaxDepth) + " levels"); }

  bool Object(JsonValue& v, size_t depth) {
    if (depth > kJsonMaxDepth) return TooDeep();
    v.kind = JsonValue::Kind::kObject;
    ++at_;
    SkipSpace();
    if (Take('}')) return true;
    for (;;) {
      SkipSpace();
      std::string name;
      if (at_ >= s_.size() || s_[at_] != '"') return Fail("a member name is missing");
      const size_t nameAt = at_;
      if (!String(name)) return false;
      if (v.Find(name)) {
        at_ = nameAt;
        return Fail(std::string("the member \"") + Escaped(name, false) + "\" is named twice");
      }
      SkipSpace();
      if (!Take(':')) return Fail("':' is missing");
      SkipSpace();
      JsonValue member;
      if (!Value(member, depth)) return false;
      v.members.emplace_back(std::move(name), std::move(member));
      SkipSpace();
      if (Take('}')) return true;
      if (!Take(',')) return Fail("',' or '}' is missing");
    }
  }

  bool Array(JsonValue& v, size_t depth) {
    if (depth > kJsonMaxDepth) return TooDeep();
    v.kind = JsonValue::Kind::kArray;
    ++at_;
    SkipSpace();
    if (Take(']')) return true;
    for (;;) {
      SkipSpace();
      if (!Value(v.items.emplace_back(), depth)) return false;
      SkipSpace();
      if (Take(']')) return true;
      if (!Take(',')) return Fail("',' or ']' is missing");
    }
  }

  bool Number(double& n) {
    const size_t start = at_;
    Take('-');
    if (Take('0')) {
    } else if (at_ < s_.size() && s_[at_] >= '1' && s_[at_] <= '9') {
      Digits();
    } else {
      return Fail("not a JSON value");
    }
    if (Take('.') && !Digits()) return Fail("a digit is missing");
    if (Take('e') || Take('E')) {
      if (!Take('+')) Take('-');
      if (!Digits()) return Fail("a digit is missing");
    }
    const auto [end, ec] = std::from_chars(s_.data() + start, s_.data() + at_, n);
    if (ec != std::errc() || end != s_.data() + at_) {
      at_ = start;
      return Fail("the number is out of range");
    }
    return true;
  }
  bool Digits() {
    const size_t start = at_;
    while (at_ < s_.size() && s_[at_] >= '0' && s_[at_] <= '9') ++at_;
    return at_ > start;
  }

  // Four hex digits after "\u".
  bool Hex4(char16_t& unit) {
    if (s_.size() - at_ < 4) return Fail("\\u needs four hex digits");
    unsigned value = 0;
    for (int k = 0; k < 4; ++k) {
      const char c = s_[at_ + k];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10
                        : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (digit < 0) return Fail("\\u needs four hex digits");
      value = value << 4 | static_cast<unsigned>(digit);
    }
    at_ += 4;
    unit = static_cast<char16_t>(value);
    return true;
  }

  bool String(std::string& out) {
    ++at_;
    std::u16string units;  // escaped code units, turned into UTF-8 together so that a \u pair joins
    const auto flush = [&] {
      out += Utf16ToUtf8Exact(units);
      units.clear();
    };
    for (;;) {
      if (at_ >= s_.size()) return Fail("the string does not end");
      const auto c = static_cast<uint8_t>(s_[at_]);
      if (c == '"') {
        ++at_;
        flush();
        return true;
      }
      if (c < 0x20) return Fail("a control character in a string");
      if (c != '\\') {
        flush();
        const size_t length = StrictUtf8Length(s_, at_);
        if (length == 0) return Fail("not valid UTF-8");
        out.append(s_.substr(at_, length));
        at_ += length;
        continue;
      }
      ++at_;
      if (at_ >= s_.size()) return Fail("the string does not end");
      const char e = s_[at_++];
      char16_t unit = 0;
      switch (e) {
        case '"': unit = u'"'; break;
        case '\\': unit = u'\\'; break;
        case '/': unit = u'/'; break;
        case 'b': unit = u'\b'; break;
        case 'f': unit = u'\f'; break;
        case 'n': unit = u'\n'; break;
        case 'r': unit = u'\r'; break;
        case 't': unit = u'\t'; break;
        case 'u':
          if (!Hex4(unit)) return false;
          break;
        default: --at_; return Fail("an unknown escape");
      }
      units += unit;
    }
  }

  std::string_view s_;
  size_t at_ = 0;
  size_t values_ = 0;
  std::string error_;
  size_t errorAt_ = 0;
};

void Write(const JsonValue& v, std::string& out) {
  switch (v.kind) {
    case JsonValue::Kind::kNull: out += "null"; return;
    case JsonValue::Kind::kBool: out += v.boolean ? "true" : "false"; return;
    case JsonValue::Kind::kNumber: {
      char digits[32];
      const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, v.number);
      out.append(digits, ec == std::errc() ? end : digits);
      return;
    }
    case JsonValue::Kind::kString: out += JsonString(v.text); return;
    case JsonValue::Kind::kArray:
      out += '[';
      for (size_t i = 0; i < v.items.size(); ++i) {
        if (i) out += ',';
        Write(v.items[i], out);
      }
      out += ']';
      return;
    case JsonValue::Kind::kObject:
      out += '{';
      for (size_t i = 0; i < v.members.size(); ++i) {
        if (i) out += ',';
        out += JsonString(v.members[i].first);
        out += ':';
        Write(v.members[i].second, out);
      }
      out += '}';
      return;
  }
}

}  // namespace

const JsonValue* JsonValue::Find(std::string_view name) const {
  for (const auto& [key, value] : members)
    if (key == name) return &value;
  return nullptr;
}

JsonParse ParseJson(std::string_view text) {
  if (text.size() > kJsonMaxBytes) return {{}, std::string("longer than ") + std::to_string(kJsonMaxBytes) + " bytes"};
  if (text.substr(0, 2) == "\xFF\xFE") {
    const std::string utf8 = Utf16ToUtf8Exact(BytesToUtf16(text.data() + 2, text.size() - 2));
    return Reader(utf8).Document();
  }
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
  return Reader(text).Document();
}

std::string ToJson(const JsonValue& value) {
  std::string out;
  Write(value, out);
  return out;
}

std::string Escaped(const std::string& text, bool json) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    char escaped[8];
    if (const char16_t surrogate = SurrogateAt(text, i)) {
      std::snprintf(escaped, sizeof escaped, json ? "\\u%04x" : "\\u%04X", static_cast<unsigned>(surrogate));
      out += escaped;
      i += 2;
    } else if (json && (c == '"' || c == '\\')) {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20 || (!json && c == 0x7F)) {
      std::snprintf(escaped, sizeof escaped, json ? "\\u%04x" : "\\x%02X", c);
      out += escaped;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string JsonString(const std::string& text) {
  std::string out(1, '"');
  out += Escaped(text, true);
  out += '"';
  return out;
}

}  // namespace kqm
