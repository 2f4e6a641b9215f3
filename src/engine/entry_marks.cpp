#include "engine/entry_marks.h"

namespace kqm {

namespace {
constexpr char kView32[] = "|32";
constexpr char kOff[] = "|off";
constexpr char kUser[] = "|user";
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
  if (marks.view == RegView::k32) text += "  [32-bit]";
  if (marks.offByWindows) text += "  [switched off by Windows]";
  return text;
}

}  // namespace kqm
