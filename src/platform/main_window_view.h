#pragma once
#include <functional>
#include <string>

namespace kqm {

// The main window as the platform shows it; sizes are in twips (1/1440 inch).
class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  // Creates the (hidden) sizable window with the given client area; onUnload runs when the user closes it.
  virtual void Create(int clientWidthTwips, int clientHeightTwips, std::function<void()> onUnload) = 0;
  virtual void SetCaption(const std::string& caption) = 0;
  virtual std::string Caption() const = 0;
  virtual void Show() = 0;
  virtual void Hide() = 0;
  virtual void Destroy() = 0;
};

}  // namespace kqm
