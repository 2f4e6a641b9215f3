#pragma once
#include <string>

#include "engine/startup_entry.h"
#include "platform/list_view.h"

namespace kqm {

// Appends the row that shows `entry`: its caption, its location's icon, ticked when it starts, and its "Path"
// column with the marks for its view and Windows' switch. The row, or nullptr when the list adds none.
ListItem* AddEntryRow(ListView& lst, const StartupEntry& entry);

// The tag a row of the list's shape carries for `entry`: the root's signed decimal text (a file: its name with
// its extension), then the marks of its view, Windows' switch and store.
std::string RowTag(const StartupEntry& entry);

}  // namespace kqm
