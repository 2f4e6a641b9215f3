#include "engine/entry_rows.h"

namespace kqm {

ListItem* AddEntryRow(ListView& lst, const StartupEntry& entry) {
  ListItem* row = lst.Add(entry.Caption(), entry.Where().rowIcon, entry.state == EntryState::kOn);
  if (row) row->AddSubItem(entry.MarkedShown());
  return row;
}

std::string RowTag(const StartupEntry& entry) {
  return MarkedTag(entry.IsFile() ? entry.name : std::to_string(entry.Where().root), entry.Marks());
}

}  // namespace kqm
