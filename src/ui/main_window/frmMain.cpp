#include "ui/main_window/frmMain.h"

#include <algorithm>
#include <chrono>
#include <vector>

#include "app/app_identity.h"
#include "controls/explorer_bar/explorer_bar.h"
#include "engine/clsStartUp.h"
#include "engine/entry_details.h"
#include "engine/entry_rows.h"
#include "engine/locations.h"
#include "engine/move_messages.h"
#include "engine/program_resolver.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/change_watcher.h"
#include "platform/clipboard.h"
#include "platform/list_view.h"
#include "registry/clsRegistry.h"

namespace kqm {

namespace {
constexpr const char* kElevateQuestion =
    "Restart the program as administrator to change it? It opens again at this list.";
}  // namespace

class frmMain::BusyScope {
 public:
  explicit BusyScope(frmMain& form) : form_(form) { ++form_.busy_; }
  ~BusyScope() {
    if (--form_.busy_ != 0 || !form_.changedWhileBusy_) return;
    form_.changedWhileBusy_ = false;
    form_.view_.RunSoon([&form = form_] { form.ReloadShown(true); });
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  frmMain& form_;
};

frmMain::frmMain(MainWindowView& view, MainWindowControls& controls, basMain& app, Shell& shell,
                 ChangeWatcher* watcher, Clipboard* clipboard)
    : view_(view),
      controls_(controls),
      app_(app),
      shell_(shell),
      about_(shell, app.sAppPath()),
      watcher_(watcher),
      clipboard_(clipboard) {}

void frmMain::Load() {
  view_.Create(kClientWidthTwips, kClientHeightTwips, [this] { Form_Unload(); });
  controls_.Create(view_, about_);
  about_.OnOpenFailed([this](const std::string& what, int32_t status) { ShowNotOpened(what, status); });
  controls_.lstItems().OnItemCheck([this](ListItem& row) { lstItems_ItemCheck(row); });
  controls_.lstItems().OnContextMenu([this](ListItem* row) { lstItems_ContextMenu(row); });
  controls_.lstItems().OnSelectionChange([this] { lstItems_SelectionChange(); });
  controls_.exBar().OnItemClick([this](ExplorerBarItem& item) { exBar_ItemClick(item.Key()); });
  view_.OnResize([this] { Form_Resize(); });
  view_.SetCaption(AppCaption());
  CreateExBar();
  if (clsStartUp* engine = app_.oStartUp()) {
    engine->OwnerWindow(view_.NativeHandle());
    engine->AskReplace([this](const ReplaceQuestion& q) {
      replaceAllowed_ = view_.AskYesNo(kAppTitle, ReplaceQuestionText(q));
      return replaceAllowed_;
    });
    engine->Entries().AskUntrusted(
        [this](const UntrustedQuestion& q) { return view_.AskYesNo(kAppTitle, UntrustedQuestionText(q)); });
    engine->Entries().AskKeep([this](const KeepQuestion& q) {
      const int32_t both = static_cast<int32_t>(KeepChoice::kBoth);
      const int32_t chosen = view_.AskChoice(kAppTitle, KeepQuestionText(q), KeepChoiceCaptions(), both);
      return static_cast<KeepChoice>(chosen >= 0 && chosen < both ? chosen : both);
    });
    // A move a process was stopped in the middle of is settled before anything is listed.
    std::string recovered;
    for (const std::string& note : engine->Entries().Recover()) {
      if (!recovered.empty()) recovered += "\n\n";
      recovered += note;
    }
    if (!recovered.empty()) view_.MessageBoxOk(kAppTitle, recovered);
  }
  ShowListMode();
}

void frmMain::Show() {
  // Laid out for the first size while still hidden: moving the controls of a shown window repaints each of them.
  // The list, moved three times, works out its layout once.
  ListView& lst = controls_.lstItems();
  lst.BeginFill();
  Form_Resize();
  lst.EndFill();
  view_.Show();
}

void frmMain::Hide() { view_.Hide(); }

void frmMain::Unload() {
  if (watcher_) watcher_->Stop();
  view_.Destroy();
}

void frmMain::Form_Unload() { app_.EndApp(true); }

void frmMain::OpenForEditing(const std::string& path) {
  if (const int32_t status = ShellOpen(shell_, path); status != 0) ShowNotOpened(path, status);
}

void frmMain::ShowNotOpened(const std::string& what, int32_t status) {
  view_.MessageBoxOk(kAppTitle, "\"" + what + "\" could not be opened (error " + std::to_string(status) + ").");
}

void frmMain::CreateExBar() {
  ExplorerBar& bar = controls_.exBar();
  bar.SetRedraw(false);
  bar.SetBorderStyle(0);
  bar.SetAnimate(false);
  bar.SetGroupImageList(controls_.imgCat());
  bar.SetItemImageList(controls_.imgActions());

  ExplorerBarGroup& location = bar.Groups().Add("Location");
  location.SetSpecial(true);
  location.SetIconIndex(0);
  ExplorerBarItems& places = location.Items();
  for (const Location& l : kLocations) places.Add(l.navKey, l.caption, l.barIcon);
  places.Add("WININI", "Win.ini (Manual Edit)", 2);
  places.Add("SYSTEMINI", "System.ini (Manual Edit)", 2);

  ExplorerBarGroup& actions = bar.Groups().Add("Actions");
  actions.SetIconIndex(1);
  actions.Items().Add("DISABLE", "Disable StartUp Item", 6);
  actions.Items().Add("ENABLE", "Enable StartUp Item", 7);
  actions.Items().Add("HISTORY", "History...", 4);

  ExplorerBarGroup& help = bar.Groups().Add("Help && About");
  help.SetIconIndex(2);
  help.Items().Add("HELP", "Help && About", 3);
  bar.SetRedraw(true);
}

void frmMain::Form_Resize() {
  ListView& lst = controls_.lstItems();
  PanelView& header = controls_.picHeader();
  const int32_t w = view_.ClientWidth(), h = view_.ClientHeight();
  controls_.DockBar(h);
  TextPanelView& details = controls_.picDetails();
  const int32_t b = controls_.exBar().Width();
  // Each step that would give a negative size is skipped; the others still run.
  if (w - b >= 0) lst.Width(w - b);
  // The list runs from under the header down to the details strip, which ends at the window's bottom.
  if (h - kListTopTwips - details.Height() >= 0) lst.Height(h - kListTopTwips - details.Height());
  lst.Refresh();
  if (lst.Width() - lst.ColumnWidth(1) >= 0) lst.ColumnWidth(2, lst.Width() - lst.ColumnWidth(1));
  if (w - b >= 0) header.Width(w - b);
  header.Left(b);
  lst.Left(b);
  // The details strip lies right under the list, as wide.
  details.Move(b, kListTopTwips + lst.Height(), lst.Width(), details.Height());
  controls_.picTabAbout().Move(lst.Left(), 0, lst.Width(), h);
  about_.Resize(lst.Width(), h);
}

void frmMain::ShowListMode() {
  ListView& lst = controls_.lstItems();
  lst.ZOrder();
  lst.Visible(true);
  controls_.picHeader().Visible(true);
  controls_.picDetails().Visible(true);
  controls_.picTabAbout().Visible(false);
  aboutMode_ = false;
}

void frmMain::ShowAboutMode() {
  PanelView& page = controls_.picTabAbout();
  page.ZOrder();
  controls_.lstItems().Visible(false);
  controls_.picHeader().Visible(false);
  controls_.picDetails().Visible(false);
  page.Visible(true);
  aboutMode_ = true;
}

void frmMain::LoadLocation(const Location& location) {
  if (clsStartUp* engine = app_.oStartUp()) {
    // Shown again: what is new is new since the last time.
    seenBefore_ = engine->Entries().Seen().Get(location.id);
    std::vector<ReadProblem> problems;
    std::vector<StartupEntry> entries = engine->Entries().ReadEntries(location.id, &problems);
    ShowEntries(location, std::move(entries), std::move(problems));
  }
  ShowListMode();
}

void frmMain::ShowEntries(const Location& location, std::vector<StartupEntry> entries,
                          std::vector<ReadProblem> problems) {
  ListView& lst = controls_.lstItems();
  unreadable_ = std::move(problems);
  lst.BeginFill();
  lst.Clear();
  lst.Tag(location.listTag);
  lst.ReserveRows(static_cast<int32_t>(entries.size()));
  shown_.clear();
  shown_.reserve(entries.size());
  novelty_.clear();
  novelty_.reserve(entries.size());
  std::vector<SeenKey> keys;
  keys.reserve(entries.size());
  for (const StartupEntry& entry : entries) keys.push_back(SeenKeyOf(entry));
  const int64_t now = UnixTimeNow();
  if (!seenBefore_) seenBefore_ = MakeSeenRecord(keys, now);  // never shown before: nothing is new
  // Row n shows shown_[n - 1]: an entry whose row the list does not add is not kept either. Entries new or changed
  // since the location was shown before are bold.
  for (size_t i = 0; i < entries.size(); ++i) {
    ListItem* row = AddEntryRow(lst, entries[i]);
    if (!row) continue;
    const Novelty novelty = NoveltyOf(*seenBefore_, keys[i]);
    if (novelty != Novelty::kSeen) row->Bold(true);
    novelty_.push_back(novelty);
    shown_.push_back(std::move(entries[i]));
  }
  lst.EndFill();
  // What the window shows now is what it showed last, the next time the location is shown: written once the list
  // has painted, so a long list shows as fast as before. Not remembered, the marks are only less precise: nothing
  // to trouble the user with.
  view_.RunWhenIdle([this, id = location.id, record = MakeSeenRecord(std::move(keys), now)] {
    if (clsStartUp* engine = app_.oStartUp()) static_cast<void>(engine->Entries().Seen().Put(id, record));
  });
  lstItems_SelectionChange();  // the strip tells of the new list (or of what could not be read)
  // The programs' files are looked for once the rows are shown, so a long list shows as fast as before.
  FindProgramsWhenIdle(++loads_, 1);
}

StartupEntry* frmMain::EntryOf(const ListItem& row) {
  const int32_t index = row.Index();
  if (index < 1 || static_cast<size_t>(index) > shown_.size() || controls_.lstItems().Item(index) != &row)
    return nullptr;
  return &shown_[static_cast<size_t>(index - 1)];
}

const ProgramLookup& frmMain::Lookup() {
  if (!lookup_) lookup_ = app_.oStartUp()->Entries().Lookup();
  return *lookup_;
}

void frmMain::FindProgramsWhenIdle(uint64_t load, int32_t next) {
  view_.RunWhenIdle([this, load, next] {
    ListView& lst = controls_.lstItems();
    if (load != loads_ || !app_.oStartUp()) return;
    // A batch of rows, or less when its programs take long to find: the window answers again in between.
    const auto start = std::chrono::steady_clock::now();
    int32_t i = next;
    while (i <= lst.Count() && i < next + kProgramBatchRows) {
      ListItem* row = lst.Item(i++);
      const StartupEntry* entry = row ? EntryOf(*row) : nullptr;
      if (!entry) continue;
      const std::optional<ResolvedProgram> program = ProgramOf(*entry, Lookup());
      if (program && !program->path.empty()) row->Program(program->path, program->exists);
      if (std::chrono::steady_clock::now() - start >= kProgramBatchTime) break;
    }
    if (i <= lst.Count()) FindProgramsWhenIdle(load, i);
  });
}

void frmMain::lstItems_SelectionChange() {
  // A move of the selection is reported as two changes (one row off, the next on): the details are read once,
  // when the list is done with them.
  if (detailsPending_) return;
  detailsPending_ = true;
  view_.RunSoon([this] {
    detailsPending_ = false;
    ShowDetails();
  });
}

void frmMain::ShowDetails() {
  const ListItem* row = controls_.lstItems().SelectedItem();
  const StartupEntry* entry = row ? EntryOf(*row) : nullptr;
  clsStartUp* engine = app_.oStartUp();
  if (entry && engine) {
    EntryDetails details = DescribeEntry(engine->Entries(), *entry, Lookup());
    const auto index = static_cast<size_t>(entry - shown_.data());
    if (seenBefore_) details.novelty = NoveltyText(novelty_[index], seenBefore_->time);
    controls_.picDetails().Text(EntryDetailsText(details));
    return;
  }
  // Without a row, the strip tells of the places whose entries could not be read.
  std::string text;
  for (const ReadProblem& problem : unreadable_) {
    if (!text.empty()) text += '\n';
    text += ReadProblemText(problem.place, problem.code);
  }
  controls_.picDetails().Text(text);
}

void frmMain::exBar_ItemClick(const std::string& key) {
  ListView& lst = controls_.lstItems();
  if (const Location* location = FindLocation(key)) {
    location_ = location;
    // Watched before the load, so that a change made while it reads is reported (and loaded) afterwards.
    WatchShownLocation();
    LoadLocation(*location);
  } else if (key == "DISABLE") {
    ListItem* row = aboutMode_ ? nullptr : lst.SelectedItem();
    if (row && row->Checked()) row->Checked(false);
  } else if (key == "ENABLE") {
    ListItem* row = aboutMode_ ? nullptr : lst.SelectedItem();
    if (row && !row->Checked()) row->Checked(true);
  } else if (key == "HISTORY") {
    ShowHistory();
  } else if (key == "HELP") {
    ShowAboutMode();
  } else if (key == "WININI") {
    OpenForEditing(WindowsFolder(shell_) + "\\win.ini");
  } else if (key == "SYSTEMINI") {
    OpenForEditing(WindowsFolder(shell_) + "\\system.ini");
  }
}

std::optional<int32_t> frmMain::ToInt32(const std::string& text) { return RootTagValue(text); }

void frmMain::lstItems_ItemCheck(ListItem& row) {
  clsStartUp* engine = app_.oStartUp();
  StartupEntry* entry = EntryOf(row);
  // A row the window did not fill names no entry; a tick that already says what the entry is moves nothing.
  if (!engine || !entry || row.Checked() == (entry->state == EntryState::kOn)) return;
  const BusyScope busy(*this);
  const bool toEnable = row.Checked();
  const MoveDirection direction = toEnable ? MoveDirection::kOn : MoveDirection::kOff;
  replaceAllowed_ = false;
  const MoveResult result = engine->Entries().Move(*entry, direction);
  if (result) {
    const bool approved = toEnable && entry->state == EntryState::kOffByWindows;
    *entry = EntryEngine::Moved(*entry, result, direction);
    // Switched on where it was, its row reads differently now; an entry it replaced has no row any more.
    if (approved || replaceAllowed_) ReloadSoon(false);
    if (&row == controls_.lstItems().SelectedItem()) ShowDetails();  // it is stored elsewhere now
    if (!result.notes.empty()) view_.MessageBoxOk(kAppTitle, MovedWithNotesMessage(row.Text(), toEnable, result));
    return;
  }
  const std::string name = row.Text();
  const bool machine = entry->Where().ForAllUsers();
  const bool reload = result.failure == MoveFailure::kGone || result.failure == MoveFailure::kChanged ||
                      result.failure == MoveFailure::kDestinationChanged ||
                      result.inBothPlaces;
  // The entry was not moved: the tick goes back to what the entry is, which moves nothing.
  row.Checked(!toEnable);
  if (result.failure == MoveFailure::kBothKept) return;  // as the user answered
  const std::string text = NotMovedMessage(name, toEnable, result);
  // The machine's entries (and the common StartUp folder) need an administrator: offer to become one.
  if (result.failure == MoveFailure::kAccessDenied && machine && location_) {
    if (view_.AskYesNo(kAppTitle, text + "\n\n" + kElevateQuestion)) {
      const int32_t started = shell_.RunElevated(app_.sAppPath() + app_.AppBaseName() + ".exe",
                                                 std::string("/show ") + location_->navKey);
      if (started == 0) {
        app_.EndApp(false);
        return;
      }
      view_.MessageBoxOk(kAppTitle, "The program could not be started as administrator (error " +
                                        std::to_string(started) + ").");
    }
  } else {
    view_.MessageBoxOk(kAppTitle, text);
  }
  if (reload) ReloadSoon();
}

void frmMain::ShowLocation(const std::string& key) {
  if (FindLocation(key)) exBar_ItemClick(key);
}

void frmMain::ReloadSoon(bool onlyIfChanged) {
  // The list shows what is there now; the rows go only after the list has finished reporting this change.
  if (!location_) return;
  view_.RunSoon([this, location = location_, onlyIfChanged] {
    if (location == location_) ReloadShown(onlyIfChanged);
  });
}

void frmMain::Refresh() { ReloadShown(false); }

namespace {

// The row of a reloaded list that shows the entry `before` was: the same entry in the same place, else the same
// entry anywhere, else one of the same caption; 0 when there is none.
int32_t SameEntryRow(const std::vector<StartupEntry>& shown, const StartupEntry& before) {
  const EntryIdentity identity = before.Identity();
  for (int pass = 0; pass < 3; ++pass)
    for (size_t i = 0; i < shown.size(); ++i) {
      const StartupEntry& entry = shown[i];
      const bool same = pass == 2 ? entry.Caption() == before.Caption() : entry.Identity() == identity;
      if (!same) continue;
      if (pass == 0 && (entry.state != before.state || entry.userStore != before.userStore)) continue;
      return static_cast<int32_t>(i + 1);
    }
  return 0;
}

}  // namespace

void frmMain::ReloadShown(bool onlyIfChanged) {
  clsStartUp* engine = app_.oStartUp();
  if (!location_ || !engine || aboutMode_) return;
  if (busy_) {
    changedWhileBusy_ = true;
    return;
  }
  ListView& lst = controls_.lstItems();
  WatchShownLocation();
  std::vector<ReadProblem> problems;
  std::vector<StartupEntry> fresh = engine->Entries().ReadEntries(location_->id, &problems);
  if (onlyIfChanged && lst.Tag() == location_->listTag && problems == unreadable_ && SameEntries(fresh, shown_)) return;
  std::optional<StartupEntry> selected;
  if (const ListItem* row = lst.SelectedItem())
    if (const StartupEntry* entry = EntryOf(*row)) selected = *entry;
  const int32_t top = lst.TopIndex();
  lst.BeginFill();
  ShowEntries(*location_, std::move(fresh), std::move(problems));
  ShowListMode();
  if (selected) lst.Select(SameEntryRow(shown_, *selected));
  lst.EndFill();
  if (top > 1) lst.TopIndex(top);
}

void frmMain::WatchShownLocation() {
  clsStartUp* engine = app_.oStartUp();
  if (!watcher_ || !location_ || !engine) return;
  watcher_->Watch(engine->Entries().WatchedPlaces(location_->id), [this] { WatchedPlacesChanged(); });
}

void frmMain::WatchedPlacesChanged() { ReloadShown(true); }

namespace {
constexpr const char* kRegeditKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit";
}  // namespace

void frmMain::lstItems_ContextMenu(ListItem* row) {
  clsStartUp* engine = app_.oStartUp();
  if (aboutMode_ || !engine) return;
  const BusyScope busy(*this);
  ListView& lst = controls_.lstItems();
  const StartupEntry* entry = row ? EntryOf(*row) : nullptr;
  std::string command, keyPath;
  ResolvedProgram program;
  uint64_t lastChange = 0;
  if (entry) {
    command = entry->shown;
    program = ProgramOf(*entry, Lookup()).value_or(ResolvedProgram{});
    keyPath = engine->Entries().KeyPath(*entry);
    lastChange = LastChangeId(*entry);
  }
  const std::vector<ListView::MenuEntry> entries{
      {entry && row->Checked() ? "&Disable" : "&Enable", entry != nullptr},
      {"Open file &location", program.exists},
      {"Open in &Registry Editor", !keyPath.empty()},
      {"&Copy command line", entry && clipboard_ && !command.empty()},
      {"&Undo last change to this entry", lastChange != 0},
      {"", false},
      {"Re&fresh", true},
  };
  switch (lst.ShowMenu(entries)) {
    case 1:
      row->Checked(!row->Checked());  // exactly what a click on the tick box does
      break;
    case 2:
      if (const int32_t status = shell_.ShowInFolder(program.path); status != 0)
        view_.MessageBoxOk(kAppTitle, "The folder of \"" + program.path + "\" could not be opened (error " +
                                          std::to_string(status) + ").");
      break;
    case 3: OpenInRegistryEditor(keyPath); break;
    case 4:
      if (const int32_t status = clipboard_->SetText(command); status != 0)
        view_.MessageBoxOk(kAppTitle, "The command line could not be put on the clipboard (error " +
                                          std::to_string(status) + ").");
      break;
    case 5: UndoChange(lastChange); break;
    case 7:
      // The rows may be in use until the menu's handler has ended.
      view_.RunSoon([this] { Refresh(); });
      break;
    default: break;
  }
}

void frmMain::OpenInRegistryEditor(const std::string& keyPath) {
  // The registry editor opens at the key it was left at, which it keeps in the user's settings.
  clsRegistry& reg = app_.oStartUp()->Registry();
  try {
    reg.ClassKey(kHkeyCurrentUser);
    reg.SectionKey(kRegeditKey);
    reg.ValueKey("LastKey");
    reg.ValueType(kRegSz);
    reg.Value(Variant(shell_.RegistryEditorKeyText(keyPath)));
  } catch (const AppError& e) {
    view_.MessageBoxOk(kAppTitle, "The Registry Editor could not be told to open at " + keyPath + ": " +
                                      e.Description());
    return;
  }
  if (const int32_t status = shell_.StartProgram("regedit.exe", ""); status != 0)
    view_.MessageBoxOk(kAppTitle, "The Registry Editor could not be started (error " + std::to_string(status) + ").");
}

}  // namespace kqm
