#include "ui/main_window/frmMain.h"

#include <cctype>
#include <climits>

#include "app/app_identity.h"
#include "controls/explorer_bar/explorer_bar.h"
#include "engine/clsStartUp.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/list_view.h"

namespace kqm {

frmMain::frmMain(MainWindowView& view, MainWindowControls& controls, basMain& app, Shell& shell)
    : view_(view), controls_(controls), app_(app), shell_(shell), about_(shell, app.sAppPath()) {}

void frmMain::Load() {
  view_.Create(kClientWidthTwips, kClientHeightTwips, [this] { Form_Unload(); });
  controls_.Create(view_, about_);
  controls_.lstItems().OnItemCheck([this](ListItem& row) { lstItems_ItemCheck(row); });
  controls_.exBar().OnItemClick([this](ExplorerBarItem& item) { exBar_ItemClick(item.Key()); });
  view_.OnResize([this] { Form_Resize(); });
  view_.SetCaption(AppCaption());
  CreateExBar();
  if (clsStartUp* engine = app_.oStartUp()) engine->OwnerWindow(view_.NativeHandle());
  ShowListMode();
}

void frmMain::Show() {
  view_.Show();
  Form_Resize();
}

void frmMain::Hide() { view_.Hide(); }

void frmMain::Unload() { view_.Destroy(); }

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
  const int32_t b = controls_.exBar().Width();
  // Each step that would give a negative size is skipped; the others still run.
  if (w - b >= 0) lst.Width(w - b);
  if (h - header.Height() >= 0) lst.Height(h - header.Height());
  lst.Refresh();
  if (lst.Width() - lst.ColumnWidth(1) >= 0) lst.ColumnWidth(2, lst.Width() - lst.ColumnWidth(1));
  if (w - b >= 0) header.Width(w - b);
  header.Left(b);
  lst.Left(b);
  controls_.picTabAbout().Move(lst.Left(), 0, lst.Width(), h);
  about_.Resize(lst.Width(), h);
}

void frmMain::ShowListMode() {
  ListView& lst = controls_.lstItems();
  lst.ZOrder();
  lst.Visible(true);
  controls_.picHeader().Visible(true);
  controls_.picTabAbout().Visible(false);
  aboutMode_ = false;
}

void frmMain::ShowAboutMode() {
  PanelView& page = controls_.picTabAbout();
  page.ZOrder();
  controls_.lstItems().Visible(false);
  controls_.picHeader().Visible(false);
  page.Visible(true);
  aboutMode_ = true;
}

void frmMain::LoadLocation(const std::function<void(clsStartUp&, ListView&)>& load) {
  if (clsStartUp* engine = app_.oStartUp()) {
    // The engine ticks the active rows while it fills the list; those ticks move nothing.
    ignoreTicks_ = true;
    load(*engine, controls_.lstItems());
    ignoreTicks_ = false;
  }
  ShowListMode();
}

void frmMain::exBar_ItemClick(const std::string& key) {
  ListView& lst = controls_.lstItems();
  if (key == "HKCUR") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadHKCURItems(l); });
  } else if (key == "HKCURO") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadHKCUROItems(l); });
  } else if (key == "HKLMR") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadHKLMRItems(l); });
  } else if (key == "HKLMRO") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadHKLMROItems(l); });
  } else if (key == "HKLMS") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadHKLMRSItems(l); });
  } else if (key == "DISABLE") {
    ListItem* row = aboutMode_ ? nullptr : lst.SelectedItem();
    if (row && row->Checked()) row->Checked(false);
  } else if (key == "ENABLE") {
    ListItem* row = aboutMode_ ? nullptr : lst.SelectedItem();
    if (row && !row->Checked()) row->Checked(true);
  } else if (key == "USER") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadStartUpFiles(l, false); });
  } else if (key == "ALLUSERS") {
    LoadLocation([](clsStartUp& e, ListView& l) { e.LoadStartUpFiles(l, true); });
  } else if (key == "HELP") {
    ShowAboutMode();
  } else if (key == "WININI") {
    ShellOpen(shell_, WindowsFolder(shell_) + "\\win.ini");
  } else if (key == "SYSTEMINI") {
    ShellOpen(shell_, WindowsFolder(shell_) + "\\system.ini");
  }
}

std::optional<int32_t> frmMain::ToInt32(const std::string& text) {
  size_t i = 0, end = text.size();
  while (i < end && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1]))) --end;
  bool negative = false;
  if (i < end && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  if (i == end) return std::nullopt;
  long long value = 0;
  for (; i < end; ++i) {
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return std::nullopt;
    value = value * 10 + (text[i] - '0');
    if (value > 2147483648LL) return std::nullopt;
  }
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return static_cast<int32_t>(value);
}

std::string frmMain::NotMovedMessage(const std::string& name, bool toEnable) {
  return std::string("The startup entry \"") + name + "\" could not be " + (toEnable ? "enabled" : "disabled") +
         ". It was not moved and is still where it was.";
}

bool frmMain::MoveEntry(ListItem& row, bool toEnable) {
  clsStartUp* engine = app_.oStartUp();
  const std::string listTag = controls_.lstItems().Tag();
  if (listTag == "USER" || listTag == "ALL") {
    const bool bAll = listTag == "ALL";
    return toEnable ? engine->EnableFileItem(row.Tag(), bAll) : engine->DisableFileItem(row.Tag(), bAll);
  }
  const std::optional<int32_t> root = ToInt32(row.Tag());
  if (!root) return true;  // a row without a root names no entry: nothing to move, nothing to take back
  return toEnable ? engine->EnableRegItem(*root, listTag, row.Text(), row.SubItem(1))
                  : engine->DisableRegItem(*root, listTag, row.Text(), row.SubItem(1));
}

void frmMain::lstItems_ItemCheck(ListItem& row) {
  // A row without a tag names no entry yet (the engine ticks a row before it tags it).
  if (ignoreTicks_ || !app_.oStartUp() || row.Tag().empty()) return;
  const bool toEnable = row.Checked();
  if (MoveEntry(row, toEnable)) return;
  // The entry stayed where it was: the tick goes back to match it, without another move.
  ignoreTicks_ = true;
  row.Checked(!toEnable);
  ignoreTicks_ = false;
  view_.MessageBoxOk(kAppTitle, NotMovedMessage(row.Text(), toEnable));
}

}  // namespace kqm
