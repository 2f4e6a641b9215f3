#pragma once
#include <cstdint>

#include "controls/skin_button/sknButton.h"

namespace kqm {

// Mouse button bits as events report them.
constexpr std::int16_t kMouseLeft = 1;
constexpr std::int16_t kMouseRight = 2;
constexpr std::int16_t kMouseMiddle = 4;

// Key codes the button reacts to.
constexpr std::int16_t kKeySpace = 32;
constexpr std::int16_t kKeyLeft = 37;
constexpr std::int16_t kKeyUp = 38;
constexpr std::int16_t kKeyRight = 39;
constexpr std::int16_t kKeyDown = 40;

// Turns the platform's pointer, key, focus and timer notifications for one button into its drawn states
// and its events. Hosts feed it; it draws through sknButton::PaintButton and raises sknButton's events.
class ButtonInput {
 public:
  // The button must outlive the input handler.
  explicit ButtonInput(sknButton& button) : b_(button) {}

  // A mouse button went down over the control (Button: 1 left, 2 right, 4 middle; X, Y in pixels).
  void PointerDown(std::int16_t button, std::int16_t shift, float x, float y);
  // The pointer moved over the control or while captured by it (Button: the buttons held).
  void PointerMove(std::int16_t button, std::int16_t shift, float x, float y);
  // A mouse button went up. A release inside the client area after a press there is followed by the
  // platform's click, which this handler raises itself.
  void PointerUp(std::int16_t button, std::int16_t shift, float x, float y);
  // The second press of a double click (the platform sends no press and no click for it).
  void DoubleClick();
  // The platform's click after a press and release over the control.
  void ClickNotification();
  void KeyDown(std::int16_t keyCode, std::int16_t shift);
  void KeyUp(std::int16_t keyCode, std::int16_t shift);
  // A key pressed or released with Alt held (or F10): the events only; no press, click or focus move.
  void SystemKeyDown(std::int16_t keyCode, std::int16_t shift);
  void SystemKeyUp(std::int16_t keyCode, std::int16_t shift);
  // The pointer press ended without a release (capture taken away): drawn up again, and no click follows.
  void CancelPress();
  // A character was typed.
  void Char(std::int16_t keyAscii);
  // The control's access key, or the container's default/cancel key for this button.
  void AccessKey();
  void FocusGained();
  void FocusLost();
  // The hover timer fired.
  void TimerTick();

  std::uint8_t LastButton() const { return lastButton_; }
  std::uint8_t LastKey() const { return lastKey_; }

 private:
  void Hover(std::int16_t button);
  void ClickAction(bool forceRepaint);

  sknButton& b_;
  std::uint8_t lastButton_ = 0;
  std::uint8_t lastKey_ = 0;
  bool pressArmed_ = false;
};

}  // namespace kqm
