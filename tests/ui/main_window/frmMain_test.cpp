#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <unistd.h>

#include "app/app_identity.h"
#include "controls/explorer_bar/explorer_bar.h"
#include "engine/clsStartUp.h"
#include "engine/locations.h"
#include "platform/substitute/failing_registry.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/recording_process.h"
#include "platform/substitute/recording_watcher.h"
#include "platform/substitute/substitute_shell.h"
#include "reg_helpers.h"
#include "temp_drive.h"
#include "ui/main_window/frmMain.h"
#include "ui/main_window/history_window.h"

namespace kqm {
namespace {

using test::kRunKey;
using test::kStore;
// Where a user's own entries are switched off to: below his own HKEY_CURRENT_USER.
const std::string kUserStore = "Software\\Kestrum\\QuorvelManager\\Disabled\\HKCU\\R";

struct FakeView : MainWindowView {
  void Create(int w, int h, std::function<void()> onUnload) override {
    created = true, width = w, height = h, unload = std::move(onUnload);
  }
  void SetCaption(const std::string& c) override { caption = c; }
  std::string Caption() const override { return caption; }
  void Show() override { shown = true; }
  void Hide() override { shown = false; }
  void Destroy() override { created = false; }
  int32_t ClientWidth() const override { return width; }
  int32_t ClientHeight() const override { return height; }
  void OnResize(std::function<void()> handler) override { resize = std::move(handler); }
  void MessageBoxOk(const std::string& title, const std::string& text) override { boxes.push_back({title, text}); }
  bool AskYesNo(const std::string& title, const std::string& text) override {
    questions.push_back({title, text});
    if (duringQuestion) duringQuestion();
    return answerYes;
  }
  int32_t AskChoice(const std::string& title, const std::string& text, const std::vector<std::string>& options,
                    int32_t defaultChoice) override {
    questions.push_back({title, text});
    choices = options;
    defaultChosen = defaultChoice;
    if (duringQuestion) duringQuestion();
    return choice;
  }
  void RunSoon(std::function<void()> work) override { soon.push_back(std::move(work)); }
  std::intptr_t NativeHandle() const override { return created ? 0x1234 : 0; }
  // The event being handled has ended: run what was queued for then.
  void EndOfEvent() {
    auto work = std::move(soon);
    soon.clear();
    for (auto& w : work) w();
  }

  // The user sizes the window: the client area becomes w by h twips.
  void SizeTo(int32_t w, int32_t h) {
    width = w, height = h;
    if (resize) resize();
  }

  bool created = false, shown = false;
  int32_t width = 0, height = 0;
  std::string caption;
  std::function<void()> unload, resize;
  std::vector<RecordingProcess::Box> boxes, questions;
  bool answerYes = false;
  int32_t choice = -1;  // AskChoice's answer
  std::vector<std::string> choices;
  int32_t defaultChosen = -1;
  std::function<void()> duringQuestion;  // runs while a question waits for its answer
  std::vector<std::function<void()>> soon;
};

// Records the order of visibility and z-order changes of every control it hands out.
struct FakePanel : PanelView {
  FakePanel(std::string panelName, std::vector<std::string>& sharedLog, int32_t l, int32_t t, int32_t w, int32_t h)
      : name(std::move(panelName)), log(sharedLog), left(l), top(t), width(w), height(h) {}
  void Visible(bool b) override {
    visible = b;
    log.push_back(name + (b ? " shown" : " hidden"));
  }
  void ZOrder() override { log.push_back(name + " to front"); }
  int32_t Left() const override { return left; }
  void Left(int32_t t) override { left = t; }
  int32_t Width() const override { return width; }
  void Width(int32_t t) override {
    if (t >= 0) width = t;
  }
  int32_t Height() const override { return height; }
  void Move(int32_t l, int32_t t, int32_t w, int32_t h) override {
    if (w < 0 || h < 0) return;
    left = l, top = t, width = w, height = h;
  }
  std::string name;
  std::vector<std::string>& log;
  bool visible = true;
  int32_t left, top, width, height;
};

struct FakeTextPanel : TextPanelView {
  FakeTextPanel(std::vector<std::string>& log, int32_t h) : panel("details", log, 0, 0, 0, h) {}
  void Text(const std::string& t) override { text = t; }
  std::string Text() const override { return text; }
  void Visible(bool b) override { panel.Visible(b); }
  void ZOrder() override { panel.ZOrder(); }
  int32_t Left() const override { return panel.Left(); }
  void Left(int32_t t) override { panel.Left(t); }
  int32_t Width() const override { return panel.Width(); }
  void Width(int32_t t) override { panel.Width(t); }
  int32_t Height() const override { return panel.Height(); }
  void Move(int32_t l, int32_t t, int32_t w, int32_t h) override { panel.Move(l, t, w, h); }
  FakePanel panel;
  std::string text;
};

struct FakeControls : MainWindowControls {
  void Create(MainWindowView&, AboutPage& p) override { page = &p; }
  ExplorerBar& exBar() override { return bar; }
  ListView& lstItems() override { return list; }
  PanelView& picHeader() override { return header; }
  PanelView& picTabAbout() override { return about; }
  std::intptr_t imgActions() const override { return 71; }
  std::intptr_t imgCat() const override { return 72; }
  void DockBar(int32_t h) override { dockedHeight = h; }
  TextPanelView& picDetails() override { return details; }

  // Clicks the bar item with this key, as the user would.
  void Click(const std::string& key) {
    for (size_t g = 0; g < bar.Groups().Count(); ++g)
      for (size_t i = 0; i < bar.Groups().Item(g).Items().Count(); ++i)
        if (bar.Groups().Item(g).Items().Item(i).Key() == key) {
          const PixelRect r = bar.ItemRect(static_cast<int>(g), static_cast<int>(i));
          bar.MouseDown(r.left + 1, r.top + 1);
          bar.MouseUp(r.left + 1, r.top + 1);
          return;
        }
    ADD_FAILURE() << "no bar item " << key;
  }

  std::vector<std::string> log;
  ExplorerBar bar;
  MemoryListView list;
  FakePanel header{"header", log, 2970, 0, 4335, 255};
  FakePanel about{"about", log, 2970, 0, 5385, 5805};
  FakeTextPanel details{log, 900};
  AboutPage* page = nullptr;
  int32_t dockedHeight = -1;
};

struct Harness {
  Harness() {
    AppFactories f;
    f.engine = [this](basMain& owner) {
      return std::make_unique<clsStartUp>(registry, files, shell, owner, owner.AppBaseName(), owner.sDisabledPath());
    };
    f.mainWindow = [this](basMain& owner) {
      auto window = std::make_unique<frmMain>(view, controls, owner, shell, &watcher, &clipboard);
      form = window.get();
      return window;
    };
    app = std::make_unique<basMain>(process, std::move(f));
    app->Main();
  }
  // A value in HKCU's Run key.
  void PutRun(const std::string& name, const std::string& command) {
    ASSERT_TRUE(test::PutText(memory, kHkeyCurrentUser, kRunKey, name, command));
  }
  ListItem* Row(const std::string& text) {
    for (int32_t i = 1; i <= controls.list.Count(); ++i)
      if (controls.list.Item(i)->Text() == text) return controls.list.Item(i);
    return nullptr;
  }
  ListItem* Item(int32_t index) { return controls.list.Item(index); }
  int32_t RowIndex(const std::string& text) {
    for (int32_t i = 1; i <= controls.list.Count(); ++i)
      if (controls.list.Item(i)->Text() == text) return i;
    return 0;
  }

  MemoryRegistry memory;
  FailingRegistry registry{memory};
  PosixFileSystem files;
  SubstituteShell shell{files};
  RecordingProcess process;
  RecordingWatcher watcher;
  MemoryClipboard clipboard;
  FakeView view;
  FakeControls controls;
  frmMain* form = nullptr;
  std::unique_ptr<basMain> app;
};

std::vector<std::string> BarContent(const ExplorerBar& bar) {
  std::vector<std::string> out;
  for (size_t g = 0; g < bar.Groups().Count(); ++g) {
    const ExplorerBarGroup& group = bar.Groups().Item(g);
    out.push_back("[" + group.Caption() + "] " + std::to_string(group.IconIndex()) + (group.Special() ? " *" : ""));
    for (size_t i = 0; i < group.Items().Count(); ++i) {
      const ExplorerBarItem& item = group.Items().Item(i);
      out.push_back(item.Key() + " " + item.Caption() + " " + std::to_string(item.IconIndex()));
    }
  }
  return out;
}

TEST(MainWindow, LoadSetsTheCaptionBuildsTheBarAndShowsAnEmptyList) {
  Harness h;
  EXPECT_EQ("Kestrum Quorvel Manager 1.0 Build 45", h.view.caption);
  EXPECT_TRUE(h.view.shown);
  EXPECT_EQ(8625, h.view.width);
  EXPECT_EQ(6270, h.view.height);
  EXPECT_EQ((std::vector<std::string>{
                "[Location] 0 *", "HKLMR HKLM\\Run 0", "HKLMRO HKLM\\Run Once 0", "HKLMS HKLM\\Run Services 0",
                "HKCUR HKCU\\Run 0", "HKCURO HKCU\\Run Once 0", "USER User StartUp Folder 1",
                "ALLUSERS Common StartUp Folder 1", "WININI Win.ini (Manual Edit) 2",
                "SYSTEMINI System.ini (Manual Edit) 2", "[Actions] 1", "DISABLE Disable StartUp Item 6",
                "ENABLE Enable StartUp Item 7", "HISTORY History... 4", "[Help && About] 2", "HELP Help && About 3"}),
            BarContent(h.controls.bar));
  EXPECT_TRUE(h.controls.bar.Redraw()) << "the bar draws again once it is complete";
  EXPECT_EQ(72, h.controls.bar.GroupImageList());
  EXPECT_EQ(71, h.controls.bar.ItemImageList());
  EXPECT_EQ(0, h.controls.list.Count());
  EXPECT_EQ("", h.controls.list.Tag());
  EXPECT_FALSE(h.controls.bar.FocusedItem().has_value());
  EXPECT_TRUE(h.controls.list.Visible());
  EXPECT_FALSE(h.controls.about.visible);
  EXPECT_FALSE(h.form->AboutMode());
}

// The bar's locations are the location table's, in its order; each shows its own list and watches its own places.
TEST(MainWindow, TheBarOffersEveryLocationOfTheTableAndEachShowsItsOwnList) {
  Harness h;
  const ExplorerBarItems& items = h.controls.bar.Groups().Item(0).Items();
  ASSERT_LE(kLocationCount, items.Count());
  for (size_t i = 0; i < kLocationCount; ++i) {
    const Location& l = kLocations[i];
    EXPECT_EQ(l.navKey, items.Item(i).Key());
    EXPECT_EQ(l.caption, items.Item(i).Caption());
    EXPECT_EQ(l.barIcon, items.Item(i).IconIndex());
    h.controls.Click(l.navKey);
    EXPECT_EQ(l.listTag, h.controls.list.Tag()) << l.navKey;
    EXPECT_EQ(h.app->oStartUp()->Entries().WatchedPlaces(l.id), h.watcher.Places()) << l.navKey;
  }
}

TEST(MainWindow, ResizeLaysOutTheRightHandSideAndSkipsNegativeSizes) {
  Harness h;
  MemoryListView& lst = h.controls.list;
  const int32_t bar = h.controls.bar.Width();
  ASSERT_EQ(2955, bar);
  h.view.SizeTo(9000, 6000);
  EXPECT_EQ(6000, h.controls.dockedHeight);
  EXPECT_EQ(bar, lst.Left());
  EXPECT_EQ(9000 - bar, lst.Width());
  EXPECT_EQ(6000 - 270 - 900, lst.Height()) << "the details strip takes its height from the list";
  EXPECT_EQ((std::vector<int32_t>{bar, 6000 - 900, 9000 - bar, 900}),
            (std::vector<int32_t>{h.controls.details.panel.left, h.controls.details.panel.top,
                                  h.controls.details.panel.width, h.controls.details.panel.height}))
      << "right under the list, as wide";
  EXPECT_EQ(2000, lst.ColumnWidth(1)) << "the first column keeps its width";
  EXPECT_EQ(9000 - bar - 2000, lst.ColumnWidth(2));
  EXPECT_EQ(bar, h.controls.header.left);
  EXPECT_EQ(9000 - bar, h.controls.header.width);
  EXPECT_EQ(255, h.controls.header.height);
  EXPECT_EQ((std::vector<int32_t>{bar, 0, 9000 - bar, 6000}),
            (std::vector<int32_t>{h.controls.about.left, h.controls.about.top, h.controls.about.width,
                                  h.controls.about.height}));
  EXPECT_EQ(9000 - bar - 240 - 1365, h.controls.page->Layout().cmdWeb.left) << "the About page follows";
  const int refreshes = lst.RefreshCalls();

  h.view.SizeTo(9600, 6000);
  EXPECT_EQ(9600 - bar, lst.Width()) << "widening by 600 widens everything by 600";
  EXPECT_EQ(9600 - bar, h.controls.header.width);
  EXPECT_EQ(9600 - bar, h.controls.about.width);
  EXPECT_EQ(2000, lst.ColumnWidth(1));
  EXPECT_EQ(refreshes + 1, lst.RefreshCalls());

  h.view.SizeTo(0, 0);  // minimised
  EXPECT_EQ(9600 - bar, lst.Width()) << "a negative width is skipped";
  EXPECT_EQ(6000 - 270 - 900, lst.Height()) << "a negative height is skipped";
  EXPECT_EQ(9600 - bar, h.controls.header.width);
  EXPECT_EQ(bar, lst.Left()) << "the steps after the failing ones still run";

  h.view.SizeTo(8625, 6270);  // restored
  EXPECT_EQ(8625 - bar, lst.Width());
  EXPECT_EQ(6270 - 270 - 900, lst.Height());
  EXPECT_EQ(8625 - bar - 2000, lst.ColumnWidth(2));
  EXPECT_EQ(6270, h.controls.about.height);
}

TEST(MainWindow, LocationClicksLoadTheListAndSwitchToListMode) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.controls.Click("HELP");
  EXPECT_TRUE(h.form->AboutMode());
  EXPECT_EQ((std::vector<std::string>{"about to front", "header hidden", "details hidden", "about shown"}),
            std::vector<std::string>(h.controls.log.end() - 4, h.controls.log.end()));
  EXPECT_FALSE(h.controls.list.Visible());

  h.controls.log.clear();
  h.controls.Click("HKCUR");
  EXPECT_FALSE(h.form->AboutMode());
  EXPECT_EQ((std::vector<std::string>{"header shown", "details shown", "about hidden"}), h.controls.log);
  EXPECT_TRUE(h.controls.list.Visible());
  EXPECT_EQ("R", h.controls.list.Tag());
  ASSERT_NE(nullptr, h.Row("kqm-one"));
  EXPECT_EQ("C:\\one.exe", h.Row("kqm-one")->SubItem(1));

  h.controls.Click("HKLMS");
  EXPECT_EQ("RS", h.controls.list.Tag());
  h.controls.Click("HKCURO");
  EXPECT_EQ("RO", h.controls.list.Tag());
  h.controls.Click("HKLMRO");
  EXPECT_EQ("RO", h.controls.list.Tag());
  h.controls.Click("HKLMR");
  EXPECT_EQ("R", h.controls.list.Tag());
  EXPECT_EQ(nullptr, h.Row("kqm-one")) << "HKLM's Run list does not show HKCU's entry";
}

TEST(MainWindow, LoadingTicksMoveNothingAndATickChangeMovesTheEntryOnce) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.PutRun("kqm-two", "C:\\two.exe");
  const uint32_t before = h.registry.Calls();
  h.controls.Click("HKCUR");
  EXPECT_TRUE(h.Row("kqm-one")->Checked());
  EXPECT_TRUE(test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one")) << "loading moved nothing";
  EXPECT_LT(before, h.registry.Calls());

  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));
  EXPECT_FALSE(test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
  EXPECT_EQ("C:\\one.exe", test::ReadText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-one"));
  EXPECT_TRUE(test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-two")) << "the other entry stays";
  EXPECT_FALSE(h.Row("kqm-one")->Checked());

  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));
  EXPECT_EQ("C:\\one.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
  EXPECT_FALSE(test::ReadText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-one"));
  EXPECT_TRUE(h.view.boxes.empty());
}

TEST(MainWindow, DisableAndEnableActOnTheSelectedRowOnlyInListMode) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.controls.Click("DISABLE");  // nothing loaded, nothing selected
  h.controls.Click("HKCUR");
  h.controls.Click("DISABLE");  // nothing selected
  EXPECT_TRUE(h.Row("kqm-one")->Checked());

  h.controls.list.Select(h.RowIndex("kqm-one"));
  h.controls.Click("ENABLE");  // already ticked
  EXPECT_TRUE(h.Row("kqm-one")->Checked());
  h.controls.Click("HELP");
  h.controls.Click("DISABLE");
  EXPECT_TRUE(h.Row("kqm-one")->Checked()) << "the hidden list is left alone";
  EXPECT_TRUE(test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));

  h.controls.Click("HKCUR");
  h.controls.list.Select(h.RowIndex("kqm-one"));
  h.controls.Click("DISABLE");
  EXPECT_FALSE(h.Row("kqm-one")->Checked());
  EXPECT_FALSE(test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
  h.controls.Click("DISABLE");  // already unticked: no second move
  h.controls.Click("ENABLE");
  EXPECT_TRUE(h.Row("kqm-one")->Checked());
  EXPECT_EQ("C:\\one.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
  EXPECT_TRUE(h.view.boxes.empty());
}

TEST(MainWindow, AFailedMovePutsTheTickBackAndSaysSoOnce) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.controls.Click("HKCUR");
  h.registry.FailCall(1, kRegAccessDenied, true);
  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));
  h.registry.FailCall(0);
  EXPECT_TRUE(h.Row("kqm-one")->Checked()) << "the tick shows where the entry still is";
  EXPECT_EQ("C:\\one.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
  ASSERT_EQ(1u, h.view.boxes.size());
  EXPECT_EQ(kAppTitle, h.view.boxes[0].title);
  EXPECT_EQ("The startup entry \"kqm-one\" could not be disabled.\n\n"
            "Windows denied access to HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run: "
            "changing it needs administrator rights.\n\n"
            "It was not moved and is still in HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run.",
            h.view.boxes[0].text);

  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));  // works again once the registry does
  EXPECT_FALSE(test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
  EXPECT_EQ(1u, h.view.boxes.size());
}

TEST(MainWindow, AnEntryChangedSinceShownIsReloadedAndATakenNameIsAskedAboutWithNoAsDefault) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.controls.Click("HKCUR");
  h.PutRun("kqm-one", "C:\\newer.exe");
  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));
  EXPECT_EQ("C:\\newer.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one")) << "nothing moved";
  ASSERT_EQ(1u, h.view.boxes.size());
  EXPECT_NE(std::string::npos, h.view.boxes[0].text.find("changed it in HKEY_CURRENT_USER")) << h.view.boxes[0].text;
  EXPECT_EQ("C:\\one.exe", h.Row("kqm-one")->SubItem(1)) << "the rows stay until the list has finished the event";
  h.view.EndOfEvent();
  EXPECT_EQ("C:\\newer.exe", h.Row("kqm-one")->SubItem(1));
  EXPECT_TRUE(h.Row("kqm-one")->Checked());

  ASSERT_TRUE(test::PutText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-one", "other.exe"));
  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));
  ASSERT_EQ(1u, h.view.questions.size());
  EXPECT_NE(std::string::npos, h.view.questions[0].text.find("Choose No to leave both")) << h.view.questions[0].text;
  EXPECT_EQ("other.exe", test::ReadText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-one"));
  ASSERT_EQ(2u, h.view.boxes.size());
  EXPECT_NE(std::string::npos, h.view.boxes[1].text.find("already holds a different entry named \"kqm-one\""));
  EXPECT_TRUE(h.Row("kqm-one")->Checked());
}

TEST(MainWindow, AMachineEntryRefusedForWantOfRightsOffersARestartAsAdministratorAtTheSameList) {
  Harness h;
  ASSERT_TRUE(test::PutText(h.memory, kHkeyLocalMachine, kRunKey, "kqm-machine", "C:\\m.exe"));
  h.controls.Click("HKLMR");
  h.registry.ReadOnlyRoot(kHkeyLocalMachine);
  h.view.answerYes = true;
  h.controls.list.ClickTickBox(h.RowIndex("kqm-machine"));
  ASSERT_EQ(1u, h.view.questions.size());
  EXPECT_NE(std::string::npos, h.view.questions[0].text.find("needs administrator rights")) << h.view.questions[0].text;
  EXPECT_EQ((std::vector<std::string>{"C:\\Program Files\\Kestrum\\QuorvelManager.exe /show HKLMR"}),
            h.shell.ElevatedRuns());
  EXPECT_EQ(1u, h.process.endCodes.size()) << "this copy ends once the other one starts";
  EXPECT_EQ("C:\\m.exe", test::ReadText(h.memory, kHkeyLocalMachine, kRunKey, "kqm-machine"));
}

TEST(MainWindow, TickingAnEntryWindowsKeepsOffSwitchesItOnWhereItIs) {
  Harness h;
  h.PutRun("kqm-off", "C:\\off.exe");
  const std::string approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  ASSERT_TRUE(test::Put(h.memory, kHkeyCurrentUser, approved, "kqm-off", kRegBinary, std::string("\x03\0\0\0", 4)));
  h.controls.Click("HKCUR");
  ASSERT_FALSE(h.Row("kqm-off")->Checked());
  h.controls.list.ClickTickBox(h.RowIndex("kqm-off"));
  EXPECT_TRUE(h.view.boxes.empty());
  EXPECT_EQ(std::string("\x02", 1), test::Read(h.memory, kHkeyCurrentUser, approved, "kqm-off")->bytes.substr(0, 1));
  EXPECT_EQ("C:\\off.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-off")) << "nothing moved";
  h.view.EndOfEvent();
  EXPECT_EQ("C:\\off.exe", h.Row("kqm-off")->SubItem(1)) << "shown again without the mark";
  EXPECT_TRUE(h.Row("kqm-off")->Checked());
}

// Switched off in the window, then added again by its updater with another command: Windows keeps it off and the
// row says so; ticking it asks which of the two to keep, and each answer keeps exactly that. An entry changed again
// while the question waits is never lost.
TEST(MainWindow, AnEntryItsProgramAddsAgainIsKeptOffAndTickingItAsksWhichToKeep) {
  const std::string approved = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\StartupApproved\\Run";
  const struct {
    int32_t choice;
    const char* meanwhile;  // what the updater writes while the question waits
    std::optional<std::string> run, store;
  } cases[] = {{-1, nullptr, "C:\\new.exe", "C:\\old.exe"},  // closed without an answer
               {2, nullptr, "C:\\new.exe", "C:\\old.exe"},
               {0, nullptr, "C:\\new.exe", std::nullopt},
               {1, nullptr, "C:\\old.exe", std::nullopt},
               {0, "C:\\newer.exe", "C:\\newer.exe", "C:\\old.exe"},
               {1, "C:\\newer.exe", "C:\\newer.exe", "C:\\old.exe"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.choice << (c.meanwhile ? " changed meanwhile" : ""));
    Harness h;
    h.PutRun("kqm-upd", "C:\\old.exe");
    h.controls.Click("HKCUR");
    h.controls.list.ClickTickBox(1);
    h.PutRun("kqm-upd", "C:\\new.exe");
    h.watcher.Change();
    ASSERT_EQ(2, h.controls.list.Count());
    EXPECT_FALSE(h.Item(1)->Checked());
    EXPECT_EQ(std::string("C:\\new.exe") + kReAddedMark, h.Item(1)->SubItem(1));
    h.view.choice = c.choice;
    if (c.meanwhile) h.view.duringQuestion = [&] { h.PutRun("kqm-upd", c.meanwhile); };
    h.controls.list.ClickTickBox(1);
    ASSERT_EQ(1u, h.view.questions.size());
    EXPECT_EQ(KeepChoiceCaptions(), h.view.choices);
    EXPECT_EQ(2, h.view.defaultChosen) << "the default changes nothing";
    EXPECT_EQ(c.meanwhile ? 1u : 0u, h.view.boxes.size()) << "said only when the answer could not be carried out";
    EXPECT_EQ(c.run, test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-upd"));
    EXPECT_EQ(c.store, test::ReadText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-upd"));
    const bool starts = !c.store;
    EXPECT_EQ(starts ? '\x02' : '\x03', test::Read(h.memory, kHkeyCurrentUser, approved, "kqm-upd")->bytes.at(0));
    h.view.EndOfEvent();
    EXPECT_EQ(starts ? 1 : 2, h.controls.list.Count());
    EXPECT_EQ(starts, h.Item(1)->Checked());
  }
}

// The first time a location is shown nothing is new; entries another program adds or changes afterwards are bold
// with "New since" or "Changed since" in the details until the location is shown again. The window's own moves
// change nothing an entry is.
TEST(MainWindow, EntriesAddedOrChangedSinceALocationWasShownAreBoldUntilItIsShownAgain) {
  Harness h;
  const auto bold = [&h] {
    std::vector<std::string> rows;
    for (int32_t i = 1; i <= h.controls.list.Count(); ++i)
      if (h.Item(i)->Bold()) rows.push_back(h.Item(i)->Text());
    return rows;
  };
  const auto details = [&h](const std::string& row) {
    h.controls.list.Select(h.RowIndex(row));
    h.view.EndOfEvent();
    return h.controls.details.text;
  };
  const auto startsWith = [](const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; };
  h.PutRun("kqm-a", "C:\\a.exe");
  h.PutRun("kqm-b", "C:\\b.exe");
  h.controls.Click("HKCUR");
  EXPECT_EQ(std::vector<std::string>{}, bold());
  h.PutRun("kqm-b", "C:\\b2.exe");
  h.PutRun("kqm-c", "C:\\c.exe");
  h.watcher.Change();
  EXPECT_EQ((std::vector<std::string>{"kqm-b", "kqm-c"}), bold());
  EXPECT_PRED2(startsWith, details("kqm-b"), "Changed since 2");
  EXPECT_PRED2(startsWith, details("kqm-c"), "New since 2");
  EXPECT_PRED2(startsWith, details("kqm-a"), "Command: ");

  h.controls.list.ClickTickBox(h.RowIndex("kqm-a"));
  h.controls.Click("HKCURO");
  h.PutRun("kqm-d", "C:\\d.exe");
  h.controls.Click("HKCUR");
  EXPECT_EQ(std::vector<std::string>{"kqm-d"}, bold()) << "shown again: only what came since";
}

// A file someone else put in the common Disabled folder is listed marked; ticking it asks, naming it, its size and
// what it starts, and only Yes moves it into the common StartUp folder.
TEST(MainWindow, TickingAPlantedFileAsksFirstAndNoLeavesItWhereItIs) {
  test::TempDrive drive;
  Harness h;
  h.files.MapDrive('C', drive.Host());
  h.shell.SetSpecialFolder(special_folder::kCommonStartUp, "C:\\S");
  drive.Folder("C:\\S");
  drive.File("C:\\Program Files\\Kestrum\\Disabled\\All Users\\planted.bat", "evil");
  h.controls.Click("ALLUSERS");
  ASSERT_NE(nullptr, h.Row("planted.bat"));
  EXPECT_NE(std::string::npos, h.Row("planted.bat")->SubItem(1).find(kUnrecordedMark));
  h.controls.list.ClickTickBox(h.RowIndex("planted.bat"));
  ASSERT_EQ(1u, h.view.questions.size());
  const std::string& question = h.view.questions[0].text;
  for (const char* part : {"\"planted.bat\"", "someone else put it there", "4 bytes", "every user's log-on"})
    EXPECT_NE(std::string::npos, question.find(part)) << part << " in " << question;
  h.view.EndOfEvent();
  EXPECT_FALSE(drive.fs.ReadWholeFile("C:\\S\\planted.bat"));
  EXPECT_FALSE(h.Row("planted.bat")->Checked());

  h.view.answerYes = true;
  h.controls.list.ClickTickBox(h.RowIndex("planted.bat"));
  h.view.EndOfEvent();
  EXPECT_EQ("evil", drive.fs.ReadWholeFile("C:\\S\\planted.bat").value_or(""));
}

TEST(MainWindow, ARowTheWindowDidNotFillMovesNothing) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.controls.Click("HKCUR");
  ListItem* stray = h.controls.list.Add("kqm-one", 1, true);
  const uint32_t calls = h.registry.Calls();
  h.controls.list.ClickTickBox(stray->Index());
  EXPECT_EQ(calls, h.registry.Calls()) << "no entry behind it: nothing is read or moved";
  EXPECT_TRUE(h.view.boxes.empty());
  EXPECT_EQ("C:\\one.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-one"));
}

TEST(MainWindow, IniItemsOpenTheWindowsFolderFilesAndLeaveTheDisplayAlone) {
  Harness h;
  h.shell.SetWindowsFolder("C:\\windows");
  h.controls.Click("WININI");
  h.controls.Click("SYSTEMINI");
  EXPECT_EQ((std::vector<std::string>{"C:\\windows\\win.ini", "C:\\windows\\system.ini"}), h.shell.OpenedPaths());
  EXPECT_FALSE(h.form->AboutMode());
  h.controls.Click("HELP");
  h.controls.Click("WININI");
  EXPECT_TRUE(h.form->AboutMode());
  h.form->exBar_ItemClick("hkcur");  // keys compare with case
  EXPECT_TRUE(h.form->AboutMode());
  EXPECT_TRUE(h.view.boxes.empty());
  h.shell.SetOpenResult(1155);  // no program is associated with the file
  h.controls.Click("SYSTEMINI");
  h.controls.page->cmdReadme_Click();
  ASSERT_EQ(2u, h.view.boxes.size()) << "a file that could not be opened is not passed over in silence";
  EXPECT_EQ("\"C:\\windows\\system.ini\" could not be opened (error 1155).", h.view.boxes[0].text);
}

TEST(MainWindow, AnOutsideChangeReloadsTheShownListKeepingTheSelectedAndTopRows) {
  Harness h;
  for (const char* name : {"kqm-a", "kqm-b", "kqm-c", "kqm-d"}) h.PutRun(name, std::string("C:\\") + name + ".exe");
  h.controls.Click("HKCUR");
  const std::vector<WatchedPlace>& places = h.watcher.Places();
  EXPECT_NE(places.end(), std::find(places.begin(), places.end(),
                                    WatchedPlace{WatchedPlace::Kind::kRegistryKey, kHkeyCurrentUser, kRunKey}));
  EXPECT_NE(places.end(), std::find(places.begin(), places.end(),
                                    WatchedPlace{WatchedPlace::Kind::kRegistryKey, kHkeyLocalMachine,
                                                 std::string(kStore) + "HKCU\\R"}))
      << "the store's rows are part of the list";
  h.controls.list.Select(h.RowIndex("kqm-c"));
  h.controls.list.TopIndex(2);

  // Another program removes the first entry and adds one: the rows shift under the selection.
  test::Remove(h.memory, kHkeyCurrentUser, kRunKey, "kqm-a");
  h.PutRun("kqm-e", "C:\\e.exe");
  h.watcher.Change();
  ASSERT_NE(nullptr, h.Row("kqm-e"));
  EXPECT_EQ(nullptr, h.Row("kqm-a"));
  ASSERT_NE(nullptr, h.controls.list.SelectedItem());
  EXPECT_EQ("kqm-c", h.controls.list.SelectedItem()->Text());
  EXPECT_EQ(2, h.controls.list.TopIndex());

  h.controls.Click("HELP");
  h.PutRun("kqm-f", "C:\\f.exe");
  h.watcher.Change();
  EXPECT_TRUE(h.form->AboutMode()) << "a change does not bring the list back over the About page";
}

TEST(MainWindow, TheProgramsOwnMoveCausesNoSecondVisibleReload) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  h.PutRun("kqm-two", "C:\\two.exe");
  h.controls.Click("HKCUR");
  ListItem* first = h.Item(1);
  const std::string firstName = first->Text();
  h.controls.list.ClickTickBox(1);
  // The watcher reports the Run key and the store changing: the rows already show that.
  h.watcher.Change();
  h.view.EndOfEvent();
  EXPECT_EQ(first, h.Item(1)) << "the list was not loaded again";
  EXPECT_EQ(firstName, h.Item(1)->Text());
  EXPECT_FALSE(h.Item(1)->Checked());
}

TEST(MainWindow, AChangeWhileAQuestionWaitsReloadsOnlyAfterTheMove) {
  Harness h;
  h.PutRun("kqm-one", "C:\\one.exe");
  ASSERT_TRUE(test::PutText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-one", "C:\\old.exe"));
  h.controls.Click("HKCUR");
  int32_t rowsDuringQuestion = -1;
  h.view.duringQuestion = [&] {
    h.PutRun("kqm-new", "C:\\new.exe");
    h.watcher.Change();  // the rows must stay: the move still works on one of them
    rowsDuringQuestion = h.controls.list.Count();
  };
  h.view.answerYes = true;
  h.controls.list.ClickTickBox(h.RowIndex("kqm-one"));
  ASSERT_EQ(1u, h.view.questions.size());
  EXPECT_EQ(2, rowsDuringQuestion);
  EXPECT_EQ(nullptr, h.Row("kqm-new"));
  h.view.EndOfEvent();
  EXPECT_NE(nullptr, h.Row("kqm-new")) << "the change is shown once the move has ended";
  EXPECT_EQ("C:\\one.exe", test::ReadText(h.memory, kHkeyCurrentUser, kUserStore, "kqm-one"));
}

TEST(MainWindow, TheRowMenuDisablesLikeUntickingAndCopiesTheWholeCommandLine) {
  Harness h;
  const std::string run32 = "Software\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Run";
  ASSERT_TRUE(test::PutText(h.memory, kHkeyLocalMachine, run32, "kqm-32", "\"C:\\Program Files\\a b.exe\" /x \"y z\""));
  h.controls.Click("HKLMR");
  MemoryListView& lst = h.controls.list;
  const int32_t row = h.RowIndex("kqm-32");
  ASSERT_NE(0, row);

  lst.ChooseFromMenu("&Copy command line");
  lst.RightClick(row);
  EXPECT_EQ("\"C:\\Program Files\\a b.exe\" /x \"y z\"", h.clipboard.Text()) << "without the list's view mark";

  lst.ChooseFromMenu("&Disable");
  lst.RightClick(row);
  EXPECT_FALSE(test::ReadText(h.memory, kHkeyLocalMachine, run32, "kqm-32"));
  EXPECT_TRUE(test::ReadText(h.memory, kHkeyLocalMachine, "Software\\WOW6432Node\\Kestrum\\QuorvelManager\\Disabled\\HKLM\\R",
                             "kqm-32"))
      << "the 32-bit entry went to the 32-bit store, as unticking moves it";
  EXPECT_FALSE(lst.Item(row)->Checked());
  lst.MenuKey();
  ASSERT_FALSE(lst.LastMenu().empty());
  EXPECT_EQ("&Enable", lst.LastMenu()[0].caption) << "the menu offers what a tick change would do";
  EXPECT_TRUE(h.view.boxes.empty());

  lst.RightClick(0);
  for (const ListView::MenuEntry& entry : lst.LastMenu())
    EXPECT_EQ(entry.caption == "Re&fresh", entry.enabled) << entry.caption << ": only Refresh applies to no row";
}

// Shows what it is given, and undoes the newest change when told to.
struct FakeHistoryWindow : HistoryWindow {
  void Show(const Handlers& handlers) override {
    shown = handlers.rows();
    if (undoNewest && !shown.empty()) message = handlers.undo(shown.front().id);
  }
  bool undoNewest = false;
  std::vector<HistoryRow> shown;
  std::string message = "none";
};

TEST(MainWindow, TheRowMenuUndoesTheEntrysLastChangeAndTheHistoryListsItNewestFirst) {
  Harness h;
  FakeHistoryWindow history;
  h.form->UseHistoryWindow(&history);
  h.PutRun("kqm-undo", "C:\\undo.exe");
  h.controls.Click("HKCUR");
  MemoryListView& lst = h.controls.list;
  lst.RightClick(h.RowIndex("kqm-undo"));
  EXPECT_FALSE(lst.LastMenu()[4].enabled) << "no change to it yet";
  h.Row("kqm-undo")->Checked(false);
  lst.ChooseFromMenu("&Undo last change to this entry");
  lst.RightClick(h.RowIndex("kqm-undo"));
  h.view.EndOfEvent();
  EXPECT_EQ("C:\\undo.exe", test::ReadText(h.memory, kHkeyCurrentUser, kRunKey, "kqm-undo"));
  EXPECT_TRUE(h.Row("kqm-undo")->Checked()) << "the list shows it on again";
  EXPECT_TRUE(h.view.boxes.empty()) << h.view.boxes.front().text;

  history.undoNewest = true;
  h.controls.Click("HISTORY");
  ASSERT_EQ(2u, history.shown.size());
  EXPECT_EQ("Undo of change " + std::to_string(history.shown[1].id), history.shown[0].action);
  EXPECT_EQ("Disable", history.shown[1].action);
  EXPECT_EQ("HKCU\\Run", history.shown[1].location);
  EXPECT_EQ("done; undone by change " + std::to_string(history.shown[0].id), history.shown[1].result);
  EXPECT_EQ("", history.message) << "undoing the undo switched it off again";
  h.view.EndOfEvent();
  EXPECT_FALSE(h.Row("kqm-undo")->Checked());
}

TEST(MainWindow, TheRowMenuOpensTheProgramsFolderAndTheEntrysKeyInTheRegistryEditor) {
  Harness h;
  const std::filesystem::path host = std::filesystem::temp_directory_path() / ("kqm-menu-" + std::to_string(getpid()));
  std::filesystem::create_directories(host / "Tools");
  std::ofstream(host / "Tools" / "app.exe") << "x";
  std::filesystem::create_directories(host / "windows");
  std::ofstream(host / "windows" / "7.exe") << "x";  // what a number's text would name, were it a command
  h.files.MapDrive('C', host);
  h.PutRun("kqm-app", "C:\\Tools\\app.exe /min");
  ASSERT_TRUE(test::PutDword(h.memory, kHkeyCurrentUser, kRunKey, "kqm-number", 7));
  h.controls.Click("HKCUR");
  MemoryListView& lst = h.controls.list;

  lst.ChooseFromMenu("Open file &location");
  lst.RightClick(h.RowIndex("kqm-app"));
  lst.ChooseFromMenu("Open in &Registry Editor");
  lst.RightClick(h.RowIndex("kqm-app"));
  EXPECT_EQ((std::vector<std::string>{"select C:\\Tools\\app.exe", "run regedit.exe "}), h.shell.Started());
  EXPECT_EQ("Computer\\HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run",
            test::ReadText(h.memory, kHkeyCurrentUser, "Software\\Microsoft\\Windows\\CurrentVersion\\Applets\\Regedit",
                           "LastKey"));

  lst.RightClick(h.RowIndex("kqm-number"));
  EXPECT_FALSE(lst.LastMenu()[1].enabled) << "a number names no program";
  std::filesystem::remove_all(host);
}

TEST(MainWindow, ProgramsAreLookedForAfterTheFillAndTheSelectedRowShowsItsDetails) {
  test::TempDrive drive;
  Harness h;
  h.files.MapDrive('C', drive.Host());
  drive.File("C:\\apps\\tool.exe", std::string(1234, 'x'));
  h.shell.SetFileVersion("C:\\APPS\\TOOL.EXE", {"Tool", "Example Co", "1.2.3.4"});
  h.PutRun("kqm-here", "\"C:\\apps\\tool.exe\" /quiet");
  h.PutRun("kqm-gone", "C:\\gone\\app.exe -x");
  ASSERT_TRUE(test::PutDword(h.memory, kHkeyCurrentUser, kRunKey, "kqm-number", 7));
  h.controls.Click("HKCUR");
  EXPECT_EQ("", h.Row("kqm-gone")->ProgramPath()) << "not while the list fills";
  h.view.EndOfEvent();
  EXPECT_FALSE(h.Row("kqm-number")->ProgramMissing()) << "a number names no program, so none is missing";
  EXPECT_TRUE(h.Row("kqm-gone")->ProgramMissing());
  EXPECT_EQ("C:\\gone\\app.exe", h.Row("kqm-gone")->ProgramPath());
  EXPECT_FALSE(h.Row("kqm-here")->ProgramMissing());
  EXPECT_EQ("C:\\apps\\tool.exe", h.Row("kqm-here")->ProgramPath());

  h.controls.list.Select(h.RowIndex("kqm-here"));
  h.view.EndOfEvent();
  const std::string here = h.controls.details.text;
  EXPECT_EQ(0u, here.find("Command: \"C:\\apps\\tool.exe\" /quiet\n"
                          "Stored in: HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run, REG_SZ\n"
                          "Program: C:\\apps\\tool.exe\n  Tool, Example Co, version 1.2.3.4\n  1,234 bytes, created "))
      << here;
  h.controls.list.Select(h.RowIndex("kqm-gone"));
  h.view.EndOfEvent();
  EXPECT_NE(std::string::npos, h.controls.details.text.find("Program: C:\\gone\\app.exe - file not found"));

  h.controls.list.ClickTickBox(h.RowIndex("kqm-gone"));  // switched off: kept in the program's store now
  EXPECT_NE(std::string::npos,
            h.controls.details.text.find("Stored in: HKEY_CURRENT_USER\\Software\\Kestrum\\QuorvelManager\\Disabled\\"
                                         "HKCU\\R, REG_SZ"))
      << h.controls.details.text;
  h.controls.list.Select(h.RowIndex("kqm-number"));
  h.view.EndOfEvent();
  EXPECT_NE(std::string::npos, h.controls.details.text.find("REG_DWORD\nProgram: (none found in the command line)"))
      << h.controls.details.text;
  h.controls.Click("HKCURO");
  h.view.EndOfEvent();
  EXPECT_EQ("", h.controls.details.text) << "a new list has no row selected";
}

TEST(MainWindow, ClosingTheWindowEndsTheProgram) {
  Harness h;
  h.controls.Click("HELP");
  h.view.unload();
  EXPECT_EQ(std::vector<int>{0}, h.process.endCodes);
}

TEST(MainWindow, RootTagsConvertAsThirtyTwoBitIntegers) {
  EXPECT_EQ(-2147483647, frmMain::ToInt32("-2147483647"));
  EXPECT_EQ(INT32_MIN, frmMain::ToInt32("-2147483648"));
  EXPECT_EQ(INT32_MAX, frmMain::ToInt32(" 2147483647 "));
  EXPECT_FALSE(frmMain::ToInt32("2147483648"));
  EXPECT_FALSE(frmMain::ToInt32(""));
  EXPECT_FALSE(frmMain::ToInt32("-"));
  EXPECT_FALSE(frmMain::ToInt32("12a"));
  EXPECT_FALSE(frmMain::ToInt32("99999999999999999999"));
}

// In a folder that tells letter case apart (as Wine's folders do), "Case.lnk" and "case.lnk" are two entries: each
// moves as itself, a move onto the other is asked about, and what a yes replaces is gone from the list too.
TEST(MainWindow, ShortcutsWhoseNamesDifferOnlyInCaseMoveAsThemselvesAndCollideOnlyAfterAQuestion) {
  Harness h;
  test::TempDrive drive;
  h.files.MapDrive('C', drive.Host());
  const std::string live = h.shell.SpecialFolder(special_folder::kStartUp, 0).value + "\\";
  const std::string store = "C:\\Program Files\\Kestrum\\Disabled\\user\\";
  drive.File(live + "Case.lnk", "upper");
  const std::filesystem::path liveHost = *h.files.HostPath(live);
  std::ofstream(liveHost / "case.lnk") << "lower";
  if (h.files.ReadWholeFile(live + "Case.lnk") != "upper") GTEST_SKIP() << "this file system folds letter case";
  drive.Folder(store.substr(0, store.size() - 1));
  const std::filesystem::path storeHost = *h.files.HostPath(store);
  auto content = [](const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(none)");
  };
  auto files = [&] {
    return content(liveHost / "Case.lnk") + " " + content(liveHost / "case.lnk") + " | " +
           content(storeHost / "Case.lnk") + " " + content(storeHost / "case.lnk");
  };
  h.controls.Click("USER");
  ASSERT_TRUE(h.Row("Case") && h.Row("case"));

  h.controls.list.ClickTickBox(h.RowIndex("Case"));
  EXPECT_EQ("(none) lower | upper (none)", files());
  EXPECT_TRUE(h.view.questions.empty());
  // Back beside its twin, and the twin after it: each is asked about, and No leaves both where they are.
  h.controls.list.ClickTickBox(h.RowIndex("Case"));
  h.controls.list.ClickTickBox(h.RowIndex("case"));
  EXPECT_EQ("(none) lower | upper (none)", files());
  ASSERT_EQ(2u, h.view.questions.size());
  EXPECT_NE(std::string::npos, h.view.questions[0].text.find("\"case.lnk\", which Windows takes for \"Case.lnk\""));
  EXPECT_NE(std::string::npos, h.view.questions[1].text.find("\"Case.lnk\", which Windows takes for \"case.lnk\""));
  EXPECT_FALSE(h.Row("Case")->Checked());
  EXPECT_TRUE(h.Row("case")->Checked());

  // Yes replaces exactly the file the question named; the list no longer shows it.
  h.view.answerYes = true;
  h.controls.list.ClickTickBox(h.RowIndex("Case"));
  EXPECT_EQ("upper (none) | (none) (none)", files());
  h.view.EndOfEvent();
  ASSERT_EQ(1, h.controls.list.Count());
  EXPECT_EQ("Case", h.Item(1)->Text());
  EXPECT_TRUE(h.Item(1)->Checked());
}

}  // namespace
}  // namespace kqm
