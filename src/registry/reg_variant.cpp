#include "registry/reg_variant.h"

#include <charconv>
#include <cstdio>

#include "platform/text.h"

namespace kqm {

namespace {
std::string DoubleText(double d) {
  char buf[64];
  auto r = std::to_chars(buf, buf + sizeof buf, d);
  return std::string(buf, r.ptr);
}
}  // namespace

std::string VariantToText(const Variant& v) {
  struct {
    std::string operator()(std::monostate) const { return {}; }
    std::string operator()(int16_t i) const { return std::to_string(i); }
    std::string operator()(int32_t i) const { return std::to_string(i); }
    std::string operator()(double d) const { return DoubleText(d); }
    std::string operator()(bool b) const { return b ? "True" : "False"; }
    std::string operator()(const std::string& s) const { return s; }
    std::string operator()(const std::vector<uint8_t>& b) const {
      return Utf16ToUtf8(BytesToUtf16(b.data(), b.size()));
    }
  } visit;
  return std::visit(visit, v);
}

std::string VariantForMessage(const Variant& v) {
  if (const auto* bytes = std::get_if<std::vector<uint8_t>>(&v)) {
    std::string out;
    char hex[4];
    for (size_t i = 0; i < bytes->size(); ++i) {
      std::snprintf(hex, sizeof hex, "%02X", (*bytes)[i]);
      if (i) out += ' ';
      out += hex;
    }
    return out;
  }
  return VariantToText(v);
}

}  // namespace kqm
