#include "ui/main_window/history_window.h"

#include "engine/locations.h"

namespace kqm {

std::vector<HistoryRow> HistoryRows(const std::vector<Change>& newestFirst) {
  std::vector<HistoryRow> rows;
  rows.reserve(newestFirst.size());
  for (const Change& c : newestFirst) {
    HistoryRow& row = rows.emplace_back();
    row.id = c.id;
    row.time = c.time;
    if (row.time.size() == 20 && row.time[10] == 'T' && row.time.back() == 'Z')
      row.time = row.time.substr(0, 10) + " " + row.time.substr(11, 8) + " UTC";
    std::string action = ActionName(c.action);
    action[0] = static_cast<char>(action[0] - 'a' + 'A');
    row.action = c.action == ChangeAction::kUndo ? action + " of change " + std::to_string(c.undoes) : action;
    row.location = std::string(LocationOf(c.location).caption) + (c.view == RegView::k32 ? " [32-bit]" : "");
    row.name = c.name;
    row.result = ShownResult(c, newestFirst);
  }
  return rows;
}

std::string UndoMessage(const UndoResult& result) {
  if (!result.done) return result.why;
  std::string text;
  for (const std::string& note : result.notes) {
    if (!text.empty()) text += "\n\n";
    text += note;
  }
  return text;
}

}  // namespace kqm
