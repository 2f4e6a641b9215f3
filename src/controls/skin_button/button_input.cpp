#include "controls/skin_button/button_input.h"

namespace kqm {

void ButtonInput::PointerDown(std::int16_t button, std::int16_t shift, float x, float y) {
  if (sknButtonEvents* e = b_.Events()) e->MouseDown(button, shift, x, y);
  lastButton_ = static_cast<std::uint8_t>(button);
  pressArmed_ = true;
  if (button != kMouseRight) b_.PaintButton(kStateDown, false);
}

void ButtonInput::PointerMove(std::int16_t button, std::int16_t shift, float x, float y) {
  if (sknButtonEvents* e = b_.Events()) e->MouseMove(button, shift, x, y);
  if (button == 0 || button == kMouseLeft) Hover(button);
}

void ButtonInput::Hover(std::int16_t button) {
  if (!b_.Site().IsMouseOver()) {
    b_.PaintButton(kStateUp, false);
    return;
  }
  if (button == 0 && !b_.IsOver()) {
    b_.Site().SetHoverTimer(true);
    b_.IsOver(true);
    b_.PaintButton(kStateUp, true);
    if (sknButtonEvents* e = b_.Events()) e->MouseOver();
  } else if (button == kMouseLeft) {
    b_.IsOver(true);
    b_.PaintButton(kStateDown, false);
    b_.IsOver(false);
  }
}

void ButtonInput::PointerUp(std::int16_t button, std::int16_t shift, float x, float y) {
  const float releaseX = x;
  const float releaseY = y;
  if (sknButtonEvents* e = b_.Events()) e->MouseUp(button, shift, x, y);
  if (button != kMouseRight) b_.PaintButton(kStateUp, false);
  const bool inside = releaseX >= 0 && releaseY >= 0 && releaseX < static_cast<float>(b_.Width()) &&
                      releaseY < static_cast<float>(b_.Height());
  const bool armed = pressArmed_;
  pressArmed_ = false;
  if (armed && inside) ClickNotification();
}

void ButtonInput::ClickNotification() {
  if (lastButton_ == kMouseLeft && b_.Enabled()) ClickAction(true);
}

void ButtonInput::DoubleClick() {
  if (lastButton_ != kMouseLeft) return;
  PointerDown(kMouseLeft, 0, 0.0f, 0.0f);
  pressArmed_ = false;
  b_.Site().CapturePointer();
}

void ButtonInput::ClickAction(bool forceRepaint) {
  if (b_.CheckBoxBehaviour()) b_.ToggleValueSilently();
  b_.PaintButton(kStateUp, forceRepaint);
  b_.Site().UpdateNow();
  ButtonSite& site = b_.Site();
  if (sknButtonEvents* e = b_.Events()) e->Click();
  site.Clicked();
}

void ButtonInput::CancelPress() {
  if (!pressArmed_) return;
  pressArmed_ = false;
  b_.PaintButton(kStateUp, false);
}

void ButtonInput::SystemKeyDown(std::int16_t keyCode, std::int16_t shift) {
  if (sknButtonEvents* e = b_.Events()) e->KeyDown(keyCode, shift);
  lastKey_ = static_cast<std::uint8_t>(keyCode & 0xFF);
}

void ButtonInput::SystemKeyUp(std::int16_t keyCode, std::int16_t shift) {
  if (sknButtonEvents* e = b_.Events()) e->KeyUp(keyCode, shift);
}

void ButtonInput::KeyDown(std::int16_t keyCode, std::int16_t shift) {
  if (sknButtonEvents* e = b_.Events()) e->KeyDown(keyCode, shift);
  lastKey_ = static_cast<std::uint8_t>(keyCode & 0xFF);
  switch (keyCode) {
    case kKeySpace: b_.PaintButton(kStateDown, false); break;
    case kKeyLeft:
    case kKeyUp: b_.Site().MoveFocus(true); break;
    case kKeyRight:
    case kKeyDown: b_.Site().MoveFocus(false); break;
    default: break;
  }
}

void ButtonInput::KeyUp(std::int16_t keyCode, std::int16_t shift) {
  if (sknButtonEvents* e = b_.Events()) e->KeyUp(keyCode, shift);
  if (keyCode == kKeySpace && lastKey_ == kKeySpace) ClickAction(false);
}

void ButtonInput::Char(std::int16_t keyAscii) {
  if (sknButtonEvents* e = b_.Events()) e->KeyPress(keyAscii);
}

void ButtonInput::AccessKey() {
  lastButton_ = kMouseLeft;
  ClickNotification();
}

void ButtonInput::FocusGained() {
  b_.HasFocus(true);
  b_.PaintButton(b_.LastState(), true);
}

void ButtonInput::FocusLost() {
  b_.HasFocus(false);
  b_.PaintButton(b_.LastState(), true);
}

void ButtonInput::TimerTick() {
  if (b_.Site().IsMouseOver()) return;
  b_.Site().SetHoverTimer(false);
  b_.IsOver(false);
  b_.PaintButton(kStateUp, true);
  if (sknButtonEvents* e = b_.Events()) e->MouseOut();
}

}  // namespace kqm
