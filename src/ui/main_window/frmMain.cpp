#include "ui/main_window/frmMain.h"

#include "app/app_identity.h"

namespace kqm {

frmMain::frmMain(MainWindowView& view, basMain& app) : view_(view), app_(app) {}

void frmMain::Load() {
  view_.Create(kClientWidthTwips, kClientHeightTwips, [this] { Form_Unload(); });
  view_.SetCaption(AppCaption());
}

void frmMain::Show() { view_.Show(); }

void frmMain::Hide() { view_.Hide(); }

void frmMain::Unload() { view_.Destroy(); }

void frmMain::Form_Unload() { app_.EndApp(true); }

}  // namespace kqm
