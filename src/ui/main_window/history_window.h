#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "engine/history.h"

namespace kqm {

// One row of the History window: a change as the user reads it.
struct HistoryRow {
  uint64_t id = 0;
  std::string time;      // "2024-05-01 12:34:56 UTC"
  std::string action;    // "Disable", ..., "Undo of change 12"
  std::string location;  // the location's caption, the 32-bit view marked
  std::string name;
  std::string result;
  bool operator==(const HistoryRow&) const = default;
};

// The changes (newest first) as the History window lists them.
std::vector<HistoryRow> HistoryRows(const std::vector<Change>& newestFirst);

// What the user is told after an undo: why it was refused, or what did not go as it should; "" when it simply went.
std::string UndoMessage(const UndoResult& result);

// The History window: the changes, newest first, and an Undo button for the selected one.
class HistoryWindow {
 public:
  virtual ~HistoryWindow() = default;
  // What the window asks of the program: the rows to show now, and to undo a change (giving what to tell the user,
  // "" for nothing).
  struct Handlers {
    std::function<std::vector<HistoryRow>()> rows;
    std::function<std::string(uint64_t id)> undo;
  };
  // Shows the window over the main window and returns when the user has closed it.
  virtual void Show(const Handlers& handlers) = 0;
};

}  // namespace kqm
