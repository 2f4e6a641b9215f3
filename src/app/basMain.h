#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/error_reporter.h"
#include "app/main_window.h"
#include "platform/process_api.h"

namespace kqm {

class clsStartUp;
class basMain;

// How the process creates its engine and its main window; both may throw AppError.
struct AppFactories {
  std::function<std::unique_ptr<clsStartUp>(basMain&)> engine;
  std::function<std::unique_ptr<MainWindow>(basMain&)> mainWindow;
};

// The process-wide state and services: start-up (Main), shutdown (EndApp) and the error reporter (ShowError).
class basMain : public ErrorReporter {
 public:
  basMain(ProcessApi& process, AppFactories factories);
  ~basMain() override;

  // Prepares the folders, creates the engine, loads and shows the main window; a failure is reported as "Main".
  void Main();
  // Releases the engine and ends the process; hides and unloads the window first unless called from its unload.
  void EndApp(bool bFromUnload);
  // One OK message box titled with the application title: "<proc>: error <number>: <description>".
  void ShowError(const std::string& sProcName, int32_t number, const std::string& description) override;

  // The executable's folder, always ending with "\".
  const std::string& sAppPath() const { return sAppPath_; }
  // sAppPath followed by "Disabled\".
  const std::string& sDisabledPath() const { return sDisabledPath_; }
  clsStartUp* oStartUp() const { return oStartUp_.get(); }
  int32_t lLastErrNumber() const { return lLastErrNumber_; }
  // The text of the last error reported ("" before any).
  const std::string& LastError() const { return lastError_; }
  // The executable's base name, the first part of the registry class's error source.
  std::string AppBaseName() const { return process_.ExecutableBaseName(); }
  // True once Main has shown the main window; when false after Main, the process ends.
  bool MainWindowShown() const { return windowShown_; }

 private:
  ProcessApi& process_;
  AppFactories factories_;
  std::string sAppPath_;
  std::string sDisabledPath_;
  std::unique_ptr<clsStartUp> oStartUp_;
  std::unique_ptr<MainWindow> frmMain_;
  int32_t lLastErrNumber_ = 0;
  std::string lastError_;
  bool windowShown_ = false;
};

}  // namespace kqm
