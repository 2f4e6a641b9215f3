#pragma once
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace kqm {

// A value as the registry class hands it out and takes it in: empty, a 16- or 32-bit integer, a double,
// a Boolean, text (UTF-8) or a byte array.
using Variant = std::variant<std::monostate, int16_t, int32_t, double, bool, std::string, std::vector<uint8_t>>;

// The text form of a value, as a string conversion gives it: integers in decimal, True/False,
// a byte array read as UTF-16LE characters.
std::string VariantToText(const Variant& v);
// The value for messages: like VariantToText, but a byte array as space-separated hex bytes.
std::string VariantForMessage(const Variant& v);

}  // namespace kqm
