#include "app/app_identity.h"
#include "engine/clsStartUp.h"
#include "ui/main_window/frmMain.h"
#include "ui/main_window/history_window.h"

namespace kqm {

void frmMain::ShowHistory() {
  clsStartUp* engine = app_.oStartUp();
  if (!historyWindow_ || !engine) return;
  EntryEngine& entries = engine->Entries();
  historyWindow_->Show({[&entries] { return HistoryRows(entries.History().All()); },
                        [&entries](uint64_t id) { return UndoMessage(entries.Undo(id)); }});
  // What was undone there shows in the list (a watched place reloads it sooner).
  ReloadSoon();
}

uint64_t frmMain::LastChangeId(const StartupEntry& entry) {
  const std::vector<Change> changes = app_.oStartUp()->Entries().History().All();
  const Change* last = LastChangeTo(changes, entry.Identity());
  return last ? last->id : 0;
}

void frmMain::UndoChange(uint64_t id) {
  const UndoResult result = app_.oStartUp()->Entries().Undo(id);
  if (const std::string text = UndoMessage(result); !text.empty()) view_.MessageBoxOk(kAppTitle, text);
  if (result.done) ReloadSoon(false);
}

}  // namespace kqm
