#include <atomic>
#include <chrono>
#include <ostream>

#include "engine_world.h"

namespace kqm::test {

std::string SampleTarget(Sample sample) {
  switch (sample) {
    case Sample::kProgram: return "C:\\probe\\My App\\Target App.exe";
    case Sample::kFolder: return "C:\\probe\\Documents";
    case Sample::kDocument: return "C:\\probe\\Documents\\readme.txt";
  }
  return {};
}

std::string UniqueName(const std::string& stem) {
  static std::atomic<int> counter{0};
  static const auto process = std::chrono::steady_clock::now().time_since_epoch().count() % 1000000007;
  return "kqm-" + stem + "-" + std::to_string(process) + "-" + std::to_string(++counter);
}

ShellText SteeredShell::SpecialFolder(int32_t csidl, std::intptr_t owner) {
  for (auto it = folders_.rbegin(); it != folders_.rend(); ++it) {
    if (it->first != csidl) continue;
    if (!it->second) return ShellText{static_cast<int32_t>(0x80004005), ""};
    return ShellText{0, *it->second};
  }
  return inner_.SpecialFolder(csidl, owner);
}

ShellText SteeredShell::ExpandEnvironment(const std::string& text) {
  if (userName_ && text == "%USERNAME%") return ShellText{0, *userName_};
  return inner_.ExpandEnvironment(text);
}

std::vector<RowData> Rows(ListView& list, const std::string& prefix) {
  std::vector<RowData> rows;
  for (int32_t i = 1; i <= list.Count(); ++i) {
    ListItem* row = list.Item(i);
    if (row->Text().rfind(prefix, 0) != 0) continue;
    rows.push_back({row->Text(), row->Checked(), row->Tag(), row->SmallIcon(), row->SubItem(1)});
  }
  return rows;
}

void PrintTo(const RowData& row, std::ostream* os) {
  *os << "{\"" << row.text << "\", " << (row.checked ? "ticked" : "unticked") << ", tag \"" << row.tag << "\", icon "
      << row.icon << ", \"" << row.path << "\"}";
}

}  // namespace kqm::test
