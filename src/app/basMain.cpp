#include "app/basMain.h"

#include "app/app_identity.h"
#include "engine/clsStartUp.h"

namespace kqm {

basMain::basMain(ProcessApi& process, AppFactories factories) : process_(process), factories_(std::move(factories)) {}

basMain::~basMain() = default;

void basMain::Main() {
  try {
    sAppPath_ = process_.ExecutableFolder();
    if (sAppPath_.empty() || sAppPath_.back() != '\\') sAppPath_ += '\\';
    sDisabledPath_ = sAppPath_ + "Disabled\\";
    oStartUp_ = factories_.engine(*this);
    frmMain_ = factories_.mainWindow(*this);
    frmMain_->Load();
    frmMain_->Show();
    windowShown_ = true;
  } catch (const AppError& e) {
    ShowError("Main", e.Number(), e.Description());
  } catch (const std::exception& e) {
    ShowError("Main", 0, e.what());
  }
}

void basMain::EndApp(bool bFromUnload) {
  if (!bFromUnload && frmMain_) {
    try {
      frmMain_->Hide();
      frmMain_->Unload();
    } catch (...) {
      // Ending goes on whatever the window does.
    }
  }
  oStartUp_.reset();
  process_.EndProcess(0);
}

void basMain::ShowError(const std::string& sProcName, int32_t number, const std::string& description) {
  lLastErrNumber_ = number;
  lastError_ = sProcName + ": error " + std::to_string(lLastErrNumber_) + ": " + description;
  process_.MessageBoxOk(kAppTitle, lastError_);
}

}  // namespace kqm
