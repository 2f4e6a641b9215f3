#include "ui/main_window/frmMain.h"

#include <algorithm>
#include <cctype>
#include <climits>
#include <tuple>
#include <vector>

#include "app/app_identity.h"
#include "controls/explorer_bar/explorer_bar.h"
#include "engine/clsStartUp.h"
#include "engine/entry_details.h"
#include "engine/entry_marks.h"
#include "engine/program_resolver.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/change_watcher.h"
#include "platform/clipboard.h"
#include "platform/list_view.h"
#include "platform/substitute/memory_list_view.h"
#include "registry/clsRegistry.h"

namespace kqm {

namespace {
// The navigation keys that show a location: how each is loaded and where its rows come from.
struct Location {
  const char* key;
  void (*load)(clsStartUp&, ListView&);
  std::vector<WatchedPlace> (*places)(clsStartUp&);
};
const Location kLocations[] = {
    {"HKCUR", [](clsStartUp& e, ListView& l) { e.LoadHKCURItems(l); },
     [](clsStartUp& e) { return e.RegistryPlaces(kHkeyCurrentUser, "R"); }},
    {"HKCURO", [](clsStartUp& e, ListView& l) { e.LoadHKCUROItems(l); },
     [](clsStartUp& e) { return e.RegistryPlaces(kHkeyCurrentUser, "RO"); }},
    {"HKLMR", [](clsStartUp& e, ListView& l) { e.LoadHKLMRItems(l); },
     [](clsStartUp& e) { return e.RegistryPlaces(kHkeyLocalMachine, "R"); }},
    {"HKLMRO", [](clsStartUp& e, ListView& l) { e.LoadHKLMROItems(l); },
     [](clsStartUp& e) { return e.RegistryPlaces(kHkeyLocalMachine, "RO"); }},
    {"HKLMS", [](clsStartUp& e, ListView& l) { e.LoadHKLMRSItems(l); },
     [](clsStartUp& e) { return e.RegistryPlaces(kHkeyLocalMachine, "RS"); }},
    {"USER", [](clsStartUp& e, ListView& l) { e.LoadStartUpFiles(l, false); },
     [](clsStartUp& e) { return e.StartUpFilePlaces(false); }},
    {"ALLUSERS", [](clsStartUp& e, ListView& l) { e.LoadStartUpFiles(l, true); },
     [](clsStartUp& e) { return e.StartUpFilePlaces(true); }},
};
const Location* FindLocation(const std::string& key) {
  for (const Location& l : kLocations)
    if (key == l.key) return &l;
  return nullptr;
}
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
  controls_.lstItems().OnItemCheck([this](ListItem& row) { lstItems_ItemCheck(row); });
  controls_.lstItems().OnContextMenu([this](ListItem* row) { lstItems_ContextMenu(row); });
  controls_.lstItems().OnSelectionChange([this] { lstItems_SelectionChange(); });
  controls_.exBar().OnItemClick([this](ExplorerBarItem& item) { exBar_ItemClick(item.Key()); });
  view_.OnResize([this] { Form_Resize(); });
  view_.SetCaption(AppCaption());
  CreateExBar();
  if (clsStartUp* engine = app_.oStartUp()) {
    engine->OwnerWindow(view_.NativeHandle());
    engine->AskReplace(
        [this](const ReplaceQuestion& q) { return view_.AskYesNo(kAppTitle, ReplaceQuestionText(q)); });
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
  places.Add("HKLMR", "HKLM\\Run", 0);
  places.Add("HKLMRO", "HKLM\\Run Once", 0);
  places.Add("HKLMS", "HKLM\\Run Services", 0);
  places.Add("HKCUR", "HKCU\\Run", 0);
  places.Add("HKCURO", "HKCU\\Run Once", 0);
  places.Add("USER", "User StartUp Folder", 1);
  places.Add("ALLUSERS", "Common StartUp Folder", 1);
  places.Add("WININI", "Win.ini (Manual Edit)", 2);
  places.Add("SYSTEMINI", "System.ini (Manual Edit)", 2);

  ExplorerBarGroup& actions = bar.Groups().Add("Actions");
  actions.SetIconIndex(1);
  actions.Items().Add("DISABLE", "Disable StartUp Item", 6);
  actions.Items().Add("ENABLE", "Enable StartUp Item", 7);

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

void frmMain::LoadLocation(const std::function<void(clsStartUp&, ListView&)>& load) {
  if (clsStartUp* engine = app_.oStartUp()) {
    // The engine ticks the active rows while it fills the list; those ticks move nothing.
    ignoreTicks_ = true;
    load(*engine, controls_.lstItems());
    ignoreTicks_ = false;
    // The programs' files are looked for once the rows are shown, so a long list shows as fast as before.
    FindProgramsWhenIdle(++loads_, 1);
  }
  ShowListMode();
}

const ProgramLookup& frmMain::Lookup() {
  if (!lookup_) lookup_ = app_.oStartUp()->Lookup();
  return *lookup_;
}

void frmMain::FindProgramsWhenIdle(uint64_t load, int32_t next) {
  view_.RunWhenIdle([this, load, next] {
    ListView& lst = controls_.lstItems();
    if (load != loads_ || !app_.oStartUp()) return;
    const int32_t last = std::min(lst.Count(), next + kProgramBatchRows - 1);
    for (int32_t i = next; i <= last; ++i) {
      ListItem* row = lst.Item(i);
      if (!row) continue;
      const std::optional<ResolvedProgram> program = ListedProgram(*app_.oStartUp(), lst.Tag(), *row, Lookup());
      if (program && !program->path.empty()) row->Program(program->path, program->exists);
    }
    if (last < lst.Count()) FindProgramsWhenIdle(load, last + 1);
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
  ListView& lst = controls_.lstItems();
  const ListItem* row = lst.SelectedItem();
  clsStartUp* engine = app_.oStartUp();
  controls_.picDetails().Text(row && engine && !row->Tag().empty()
                                  ? EntryDetailsText(DescribeListedEntry(*engine, lst.Tag(), *row, Lookup()))
                                  : std::string());
}

void frmMain::exBar_ItemClick(const std::string& key) {
  ListView& lst = controls_.lstItems();
  if (const Location* location = FindLocation(key)) {
    location_ = key;
    // Watched before the load, so that a change made while it reads is reported (and loaded) afterwards.
    WatchShownLocation();
    LoadLocation(location->load);
  } else if (key == "DISABLE") {
    ListItem* row = aboutMode_ ? nullptr : lst.SelectedItem();
    if (row && row->Checked()) row->Checked(false);
  } else if (key == "ENABLE") {
    ListItem* row = aboutMode_ ? nullptr : lst.SelectedItem();
    if (row && !row->Checked()) row->Checked(true);
  } else if (key == "HELP") {
    ShowAboutMode();
  } else if (key == "WININI") {
    ShellOpen(shell_, WindowsFolder(shell_) + "\\win.ini");
  } else if (key == "SYSTEMINI") {
    ShellOpen(shell_, WindowsFolder(shell_) + "\\system.ini");
  }
}

std::optional<int32_t> frmMain::ToInt32(const std::string& text) { return RootTagValue(text); }

namespace {

// A platform status in words, for the statuses a move meets.
std::string StatusText(uint32_t code) {
  switch (code) {
    case 2: return "the file was not found";
    case 3: return "the folder does not exist";
    case 13: return "the data did not read back as written";
    case 17: return "it cannot be moved to another drive";
    case 29: return "the disk could not be written";
    case 32: return "another program is using the file";
    case 112: return "the disk is full";
    case 123: return "the name is not valid there";
    case 234: return "the data kept changing while it was read";
    default: return "error " + std::to_string(code);
  }
}

}  // namespace

std::string frmMain::NotMovedMessage(const std::string& name, bool toEnable, const MoveResult& r) {
  std::string text = std::string("The startup entry \"") + name + "\" could not be " +
                     (toEnable ? "enabled" : "disabled") + ".\n\n";
  switch (r.failure) {
    case MoveFailure::kNone: break;
    case MoveFailure::kNoPlace:
      text += "There is no place to keep it: it is not an entry this program can move.";
      break;
    case MoveFailure::kUnaddressable:
      text += "Its name holds characters that cannot be passed to Windows exactly (a NUL character or an unpaired "
              "surrogate), so it was left alone.";
      break;
    case MoveFailure::kGone:
      text += "It no longer exists in " + r.source + ": another program has removed or renamed it since the list "
              "was shown.";
      break;
    case MoveFailure::kChanged:
      text += "Another program has changed it in " + r.source + " since the list was shown.";
      break;
    case MoveFailure::kNameTaken:
      text += r.destination + " already holds a different entry named \"" + name + "\", which was kept.";
      break;
    case MoveFailure::kAccessDenied:
      text += "Windows denied access to " + r.failedAt + ": changing it needs administrator rights.";
      break;
    case MoveFailure::kRefused: text += r.failedAt + " refused the change: " + StatusText(r.code) + "."; break;
    case MoveFailure::kUnconfirmed:
      text += "Windows could not confirm that it was removed from " + r.source + ".";
      break;
  }
  if (r.failure == MoveFailure::kUnconfirmed)
    text += "\n\nIt is in " + r.destination + " and may also still be in " + r.source + ".";
  else if (r.inBothPlaces)
    text += "\n\nIt is now in both " + r.source + " and " + r.destination + ". Remove one of them to keep it "
            "in one place.";
  else if (r.failure != MoveFailure::kGone)
    text += "\n\nIt was not moved and is still in " + r.source + ".";
  if (r.failure == MoveFailure::kGone || r.failure == MoveFailure::kChanged || r.inBothPlaces)
    text += " The list is shown again as it is now.";
  return text;
}

std::string frmMain::ReplaceQuestionText(const ReplaceQuestion& q) {
  std::string text = q.destination + " already holds ";
  text += q.existing == q.name ? "a different entry of the same name, \"" + q.name + "\"."
                               : "an entry named \"" + q.existing + "\", which Windows takes for \"" + q.name + "\".";
  return text + "\n\nReplace it with the one you are moving? The entry replaced is lost. Choose No to leave both "
                "as they are.";
}

MoveResult frmMain::MoveEntry(ListItem& row, bool toEnable) {
  return MoveListedEntry(*app_.oStartUp(), controls_.lstItems().Tag(), row, toEnable);
}

void frmMain::lstItems_ItemCheck(ListItem& row) {
  // A row without a tag names no entry yet (the engine ticks a row before it tags it).
  if (ignoreTicks_ || !app_.oStartUp() || row.Tag().empty()) return;
  const BusyScope busy(*this);
  const bool toEnable = row.Checked();
  const MoveResult result = MoveEntry(row, toEnable);
  if (result) {
    EntryMarks marks = TagMarks(row.Tag());
    if (toEnable && marks.offByWindows) {
      ReloadSoon();  // switched on where it was: its row reads differently now
    } else if (!toEnable && marks.userStore != result.perUserStore) {
      marks.userStore = result.perUserStore;  // the row names the store that holds the entry now
      row.Tag(MarkedTag(TagBase(row.Tag()), marks));
    }
    if (&row == controls_.lstItems().SelectedItem()) ShowDetails();  // it is stored elsewhere now
    return;
  }
  const std::string name = row.Text();
  const bool reload = result.failure == MoveFailure::kGone || result.failure == MoveFailure::kChanged ||
                      result.inBothPlaces;
  // The entry was not moved: the tick goes back, without another move (a reload below shows the rest).
  ignoreTicks_ = true;
  row.Checked(!toEnable);
  ignoreTicks_ = false;
  const std::string text = NotMovedMessage(name, toEnable, result);
  // The machine's entries (and the common StartUp folder) need an administrator: offer to become one.
  const bool machine = controls_.lstItems().Tag() == "ALL" ||
                       (controls_.lstItems().Tag() != "USER" && ToInt32(TagBase(row.Tag())) == kHkeyLocalMachine);
  if (result.failure == MoveFailure::kAccessDenied && machine && !location_.empty()) {
    if (view_.AskYesNo(kAppTitle, text + "\n\n" + kElevateQuestion)) {
      const int32_t started =
          shell_.RunElevated(app_.sAppPath() + app_.AppBaseName() + ".exe", "/show " + location_);
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

void frmMain::ReloadSoon() {
  // The list shows what is there now; the rows go only after the list has finished reporting this change.
  if (location_.empty()) return;
  view_.RunSoon([this, location = location_] {
    if (location == location_) ReloadShown(true);
  });
}

void frmMain::Refresh() { ReloadShown(false); }

namespace {

// What a row shows, to compare two loads of a location.
using RowFacts = std::tuple<std::string, std::string, std::string, bool>;

std::vector<RowFacts> Facts(ListView& lst) {
  std::vector<RowFacts> facts;
  for (int32_t i = 1; i <= lst.Count(); ++i) {
    const ListItem& row = *lst.Item(i);
    facts.emplace_back(row.Text(), row.Tag(), row.SubItem(1), row.Checked());
  }
  std::sort(facts.begin(), facts.end());
  return facts;
}

// The row of a reloaded list that is the entry `before` was: the same name, tag and tick, else the same name
// and root (or file), else the same name; 0 when there is none.
int32_t SameEntry(ListView& lst, const RowFacts& before) {
  const auto& [text, tag, shown, checked] = before;
  for (int pass = 0; pass < 3; ++pass)
    for (int32_t i = 1; i <= lst.Count(); ++i) {
      const ListItem& row = *lst.Item(i);
      if (row.Text() != text) continue;
      if (pass == 0 && (row.Tag() != tag || row.Checked() != checked)) continue;
      if (pass == 1 && TagBase(row.Tag()) != TagBase(tag)) continue;
      return i;
    }
  return 0;
}

}  // namespace

void frmMain::ReloadShown(bool onlyIfChanged) {
  const Location* location = FindLocation(location_);
  clsStartUp* engine = app_.oStartUp();
  if (!location || !engine || aboutMode_) return;
  if (busy_) {
    changedWhileBusy_ = true;
    return;
  }
  ListView& lst = controls_.lstItems();
  WatchShownLocation();
  if (onlyIfChanged) {
    MemoryListView fresh;
    location->load(*engine, fresh);
    if (fresh.Tag() == lst.Tag() && Facts(fresh) == Facts(lst)) return;
  }
  std::optional<RowFacts> selected;
  if (const ListItem* row = lst.SelectedItem())
    selected = RowFacts{row->Text(), row->Tag(), row->SubItem(1), row->Checked()};
  const int32_t top = lst.TopIndex();
  lst.BeginFill();
  LoadLocation(location->load);
  if (selected) lst.Select(SameEntry(lst, *selected));
  lst.EndFill();
  if (top > 1) lst.TopIndex(top);
}

void frmMain::WatchShownLocation() {
  const Location* location = FindLocation(location_);
  clsStartUp* engine = app_.oStartUp();
  if (!watcher_ || !location || !engine) return;
  watcher_->Watch(location->places(*engine), [this] { WatchedPlacesChanged(); });
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
  const std::string listTag = lst.Tag();
  const bool files = listTag == "USER" || listTag == "ALL";
  std::string command, keyPath;
  ResolvedProgram program;
  if (row && !row->Tag().empty()) {
    const EntryMarks marks = TagMarks(row->Tag());
    command = ListedCommand(*row);
    const std::optional<int32_t> root = files ? std::nullopt : ToInt32(TagBase(row->Tag()));
    const bool live = row->Checked() || marks.offByWindows;
    program = ListedProgram(*engine, listTag, *row, Lookup()).value_or(ResolvedProgram{});
    if (root) keyPath = engine->EntryKeyPath(*root, listTag, marks, live);
  }
  const bool entry = row && !row->Tag().empty();
  const std::vector<ListView::MenuEntry> entries{
      {entry && row->Checked() ? "&Disable" : "&Enable", entry},
      {"Open file &location", program.exists},
      {"Open in &Registry Editor", !keyPath.empty()},
      {"&Copy command line", entry && clipboard_ && !command.empty()},
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
    case 6:
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
