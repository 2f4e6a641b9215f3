#pragma once
#include "app/basMain.h"
#include "app/main_window.h"
#include "platform/main_window_view.h"

namespace kqm {

// The program's main window: its load handler sets the caption; closing it ends the program.
class frmMain : public MainWindow {
 public:
  static constexpr int kClientWidthTwips = 8625;
  static constexpr int kClientHeightTwips = 6270;

  frmMain(MainWindowView& view, basMain& app);

  void Load() override;
  void Show() override;
  void Hide() override;
  void Unload() override;
  // The unload handler: the user closed the window.
  void Form_Unload();

 private:
  MainWindowView& view_;
  basMain& app_;
};

}  // namespace kqm
