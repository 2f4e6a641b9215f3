#pragma once

namespace kqm {

// What the process shell needs of its main window: load (runs its load handler), show, hide and unload.
class MainWindow {
 public:
  virtual ~MainWindow() = default;
  virtual void Load() = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void Unload() = 0;
};

}  // namespace kqm
