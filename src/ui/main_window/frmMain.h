#pragma once
#include <cstdint>
#include <functional>
#include <chrono>
#include <optional>
#include <string>
#include <vector>

#include "app/basMain.h"
#include "app/main_window.h"
#include "engine/move_result.h"
#include "engine/program_resolver.h"
#include "engine/entry_engine.h"
#include "engine/startup_entry.h"
#include "platform/main_window_view.h"
#include "ui/main_window/about_page.h"
#include "ui/main_window/main_window_controls.h"

namespace kqm {

class ChangeWatcher;
class Clipboard;
class HistoryWindow;
class clsStartUp;
class ListItem;
class ListView;
class Shell;

// The program's main window: the navigation bar on the left, the list of startup entries (or the About page)
// on the right. Its load handler sets the caption and builds the bar; closing it ends the program. It decides
// and delegates: startup entries are read and moved only by the engine, files are opened only by the shell.
class frmMain : public MainWindow {
 public:
  static constexpr int kClientWidthTwips = 8625;
  static constexpr int kClientHeightTwips = 6270;
  static constexpr int32_t kHeaderHeightTwips = 255;
  static constexpr int32_t kListTopTwips = 270;

  // The view, the controls, the shell, the watcher and the clipboard must outlive the window. Without a watcher
  // the list reloads only when asked; without a clipboard nothing can be copied.
  frmMain(MainWindowView& view, MainWindowControls& controls, basMain& app, Shell& shell,
          ChangeWatcher* watcher = nullptr, Clipboard* clipboard = nullptr);

  void Load() override;
  void Show() override;
  void Hide() override;
  void Unload() override;
  // The unload handler: the user closed the window.
  void Form_Unload();
  // Builds the navigation bar's groups and items.
  void CreateExBar();
  // Lays out the right-hand side for the current client size.
  void Form_Resize();
  // A click on the navigation item with this key (compared exactly).
  void exBar_ItemClick(const std::string& key);
  // Shows the location with this navigation key ("HKCUR" ... "ALLUSERS"); other keys do nothing.
  void ShowLocation(const std::string& key);
  // The tick of `row` has changed; its Checked holds the new state.
  void lstItems_ItemCheck(ListItem& row);

  // Loads the shown location again (F5, the menu's Refresh), keeping the selected row and the top row.
  void Refresh();
  // The user asked for the menu of `row` (nullptr: of no row): shows it and does what is chosen.
  void lstItems_ContextMenu(ListItem* row);
  // The selected row has changed: once the list has reported it, the details strip shows its entry's details
  // (nothing without a row).
  void lstItems_SelectionChange();
  // Rows marked or given their program's icon per idle step after a load, at most; a step ends sooner once it has
  // taken this long, so the window answers the user in between.
  static constexpr int32_t kProgramBatchRows = 128;
  static constexpr std::chrono::milliseconds kProgramBatchTime{30};

  // The window that lists the history of changes (nullptr: none); it must outlive the main window.
  void UseHistoryWindow(HistoryWindow* window) { historyWindow_ = window; }
  // Shows the History window ("History..." in the bar); the list is read again once it is closed.
  void ShowHistory();

  // True while the About page is shown instead of the list.
  bool AboutMode() const { return aboutMode_; }
  // Text as a 32-bit signed integer (optional sign, surrounding blanks allowed); nullopt when it is not one.
  static std::optional<int32_t> ToInt32(const std::string& text);

 private:
  void ShowListMode();
  void ShowAboutMode();
  void LoadLocation(const Location& location);
  // Fills the list with `entries`, one row each, and keeps them as the rows' entries.
  void ShowEntries(const Location& location, std::vector<StartupEntry> entries, std::vector<ReadProblem> problems);
  // The entry a row of the list shows; nullptr for a row the window did not fill.
  StartupEntry* EntryOf(const ListItem& row);
  // Loads the location shown last again once the event being handled has ended (with `onlyIfChanged`, only when
  // its entries differ from those shown).
  void ReloadSoon(bool onlyIfChanged = true);
  // Loads the shown location again keeping the selected row and the top row; with `onlyIfChanged` the visible
  // list is left alone when a fresh load gives the same rows. Deferred while the window is busy.
  void ReloadShown(bool onlyIfChanged);
  // Watches the places the shown location's rows come from.
  void WatchShownLocation();
  // One of the watched places has changed.
  void WatchedPlacesChanged();
  void OpenInRegistryEditor(const std::string& keyPath);
  // Opens win.ini or system.ini with its associated program; says so when it cannot.
  void OpenForEditing(const std::string& path);
  void ShowNotOpened(const std::string& what, int32_t status);
  // Counts the handlers running (a move, a question, a menu): a reload then would take the rows from under them.
  class BusyScope;
  // Finds the programs of rows `next`... of the load numbered `load`, a batch at a time while the window is idle.
  void FindProgramsWhenIdle(uint64_t load, int32_t next);
  const ProgramLookup& Lookup();
  // Shows the selected row's details in the strip under the list.
  void ShowDetails();
  // The id of the newest change to the entry in the history; 0 for none.
  uint64_t LastChangeId(const StartupEntry& entry);
  // Takes change `id` back (the row menu's "Undo last change to this entry"), saying why when it cannot be.
  void UndoChange(uint64_t id);

  MainWindowView& view_;
  MainWindowControls& controls_;
  basMain& app_;
  Shell& shell_;
  AboutPage about_;
  bool aboutMode_ = false;
  const Location* location_ = nullptr;  // the location shown last
  std::vector<StartupEntry> shown_;       // the entries the list shows, row n showing shown_[n - 1]
  std::vector<Novelty> novelty_;          // how each of shown_ stands with seenBefore_
  std::optional<SeenRecord> seenBefore_;  // what the window showed of location_ before it was shown this time
  std::vector<ReadProblem> unreadable_;   // the places of the shown location that could not be read
  ChangeWatcher* watcher_ = nullptr;
  Clipboard* clipboard_ = nullptr;
  int busy_ = 0;
  bool changedWhileBusy_ = false;
  bool replaceAllowed_ = false;  // the user said yes to replacing an entry during the move being made
  uint64_t loads_ = 0;    // lists loaded so far; a program search of an earlier one stops
  std::optional<ProgramLookup> lookup_;
  bool detailsPending_ = false;
  HistoryWindow* historyWindow_ = nullptr;
};

}  // namespace kqm
