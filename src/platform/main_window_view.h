#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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
  // The client area's current size in twips (0 by 0 while minimised).
  virtual int32_t ClientWidth() const = 0;
  virtual int32_t ClientHeight() const = 0;
  // Sets the one handler run whenever the client area changes size, the first display included.
  virtual void OnResize(std::function<void()> handler) = 0;
  // A modal OK message box owned by the window; returns when the user closes it.
  virtual void MessageBoxOk(const std::string& title, const std::string& text) = 0;
  // A modal Yes/No question owned by the window, No being the default button; true when the user chose Yes.
  virtual bool AskYesNo(const std::string& title, const std::string& text) = 0;
  // A modal question owned by the window with one button for each of `choices` (captions, "&" marking the access
  // key), `defaultChoice` (counted from 0) being the default button; the choice made, counted from 0, or -1 when
  // the user closed the question without choosing (Esc).
  virtual int32_t AskChoice(const std::string& title, const std::string& text, const std::vector<std::string>& choices,
                            int32_t defaultChoice) = 0;
  // Runs `work` once the event being handled now has ended (after the control that raised it is done with it).
  virtual void RunSoon(std::function<void()> work) = 0;
  // The platform's handle of the window (0 before Create), as an owner for dialogs.
  virtual std::intptr_t NativeHandle() const = 0;
  // Runs `work` once the window has nothing else to do (after input and painting); by default as RunSoon does.
  virtual void RunWhenIdle(std::function<void()> work) { RunSoon(std::move(work)); }
};

}  // namespace kqm
