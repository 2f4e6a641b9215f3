#pragma once
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kqm {

// One JSON value. Strings are UTF-8 as the program keeps names: an escaped unpaired surrogate ("\ud800") becomes
// the three-byte form Utf16ToUtf8Exact writes, so a name printed by /list /json reads back as the same name.
struct JsonValue {
  enum class Kind { kNull, kBool, kNumber, kString, kArray, kObject };
  Kind kind = Kind::kNull;
  bool boolean = false;
  double number = 0;
  std::string text;                                       // kString
  std::vector<JsonValue> items;                           // kArray
  std::vector<std::pair<std::string, JsonValue>> members;  // kObject, in the document's order, names unique

  bool Is(Kind k) const { return kind == k; }
  // The member named exactly `name` of an object; nullptr when there is none (or this is no object).
  const JsonValue* Find(std::string_view name) const;
  bool operator==(const JsonValue&) const = default;
};

// What reading a JSON text gave: the value, or why there is none.
struct JsonParse {
  JsonValue value;
  std::string error;  // "" when the text was read; else what is wrong and at which byte
  bool ok() const { return error.empty(); }
};

// Limits that keep a hostile text from exhausting the stack or memory.
inline constexpr size_t kJsonMaxBytes = 8u << 20;
inline constexpr size_t kJsonMaxDepth = 64;
inline constexpr size_t kJsonMaxValues = 500000;

// Reads one JSON value (RFC 8259, strictly: no comments, no trailing commas, no duplicate member names, only valid
// UTF-8) filling the whole text but for white space. A leading UTF-8 byte-order mark is skipped, and text that
// starts with the UTF-16LE one is read as UTF-16LE (what Windows PowerShell 5 writes with ">").
JsonParse ParseJson(std::string_view text);

// The value as compact JSON; ParseJson reads it back as the same value.
std::string ToJson(const JsonValue& value);

// `text` with what would break its line escaped: an unpaired surrogate of a name as its \uXXXX escape, and control
// characters as \u00XX in JSON (quotes and backslashes too) or \xNN in a plain-text field.
std::string Escaped(const std::string& text, bool json);
// `text` as a JSON string, quotes included.
std::string JsonString(const std::string& text);

}  // namespace kqm
