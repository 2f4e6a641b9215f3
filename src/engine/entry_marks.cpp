#include "engine/entry_marks.h"

#include <cctype>
#include <climits>

namespace kqm {

namespace {
constexpr char kView32[] = "|32";
constexpr char kOff[] = "|off";
constexpr char kUser[] = "|user";
constexpr char kView32Text[] = "  [32-bit]";
constexpr char kOffText[] = "  [switched off by Windows]";
}  // namespace

std::string MarkedTag(const std::string& base, const EntryMarks& marks) {
  std::string tag = base;
  if (marks.view == RegView::k32) tag += kView32;
  if (marks.offByWindows) tag += kOff;
  if (marks.userStore) tag += kUser;
  return tag;
}

std::string TagBase(const std::string& tag) { return tag.substr(0, tag.find('|')); }

EntryMarks TagMarks(const std::string& tag) {
  EntryMarks marks;
  for (size_t at = tag.find('|'); at != std::string::npos;) {
    const size_t next = tag.find('|', at + 1);
    const std::string mark = tag.substr(at, next == std::string::npos ? std::string::npos : next - at);
    if (mark == kView32) marks.view = RegView::k32;
    if (mark == kOff) marks.offByWindows = true;
    if (mark == kUser) marks.userStore = true;
    at = next;
  }
  return marks;
}

std::string MarkedText(const std::string& shown, const EntryMarks& marks) {
  std::string text = shown;
  if (marks.view == RegView::k32) text += kView32Text;
  if (marks.offByWindows) text += kOffText;
  return text;
}

std::optional<int32_t> RootTagValue(const std::string& text) {
  size_t i = 0, end = text.size();
  while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == end) return std::nullopt;
  long long value = 0;
  for (; i < end; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

}  // namespace kqm
