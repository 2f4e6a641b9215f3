#pragma once
#include <map>
#include <string>
#include <vector>

#include "controls/skin_button/button_paint.h"
#include "controls/skin_button/sknButton.h"
#include "platform/raster.h"
#include "platform/system_colors.h"
#include "platform/text_renderer.h"

namespace kqm::testing {

// Classic system colours by index.
class FixedSystemColors final : public SystemColors {
 public:
  ColorRef SysColor(std::int32_t index) const override {
    switch (index) {
      case 15: return Rgb(212, 208, 200);
      case 18: return Rgb(0, 0, 0);
      case 16: return Rgb(128, 128, 128);
      case 22: return Rgb(212, 208, 200);
      case 20: return Rgb(255, 255, 255);
      case 21: return Rgb(64, 64, 64);
      case 13: return Rgb(10, 36, 106);
      default: return 0;
    }
  }
  bool HighContrast() const override { return highContrast; }
  bool highContrast = false;
};

// Every character is a 6 x 13 cell on one line; drawing fills each cell's top-left pixel.
class CellText final : public TextRenderer {
 public:
  PixelRect Measure(std::string_view text, const TextFont&, const PixelRect& bounds) override {
    PixelRect r = bounds;
    r.right = r.left + static_cast<std::int32_t>(text.size()) * 6;
    r.bottom = text.empty() ? r.top : r.top + 13;
    return r;
  }
  void Draw(Raster& target, std::string_view text, const TextFont&, const PixelRect& r, ColorRef colour) override {
    for (size_t i = 0; i < text.size(); ++i) target.SetPixel(r.left + static_cast<std::int32_t>(i) * 6, r.top, colour);
  }
};

// A container and window in memory. Everything the button asks of it is logged in `log` in order, and
// the events it raises are logged there too (through the events interface), so tests read one sequence.
class TestSite : public ButtonSite, public sknButtonEvents {
 public:
  bool userMode = true;
  bool defaultButton = false;
  bool mouseOver = false;
  bool handLoads = true;
  std::string displayName = "sknButton1";
  ButtonFont ambientFont{"Tahoma", 8.0, 400, false, false};
  std::int32_t width = 80;
  std::int32_t height = 24;
  bool enabledWindow = true;
  std::int16_t pointerShape = 0;
  PicturePtr pointerImage;
  bool handImage = false;
  std::string accessKeys;
  bool timerOn = false;
  std::vector<std::string> notified;
  std::vector<std::string> log;
  int facesDrawn = 0;
  ButtonShape shape;
  ColorRef parentFill = Rgb(0, 128, 0);
  Raster surface{80, 24};
  FixedSystemColors system;
  CellText text;

  bool UserMode() const override { return userMode; }
  std::string DisplayName() const override { return displayName; }
  ButtonFont AmbientFont() const override { return ambientFont; }
  bool DisplayAsDefault() const override { return defaultButton; }
  void PropertyChanged(std::string_view key) override { notified.emplace_back(key); }
  std::int32_t ClientWidth() const override { return width; }
  std::int32_t ClientHeight() const override { return height; }
  std::uintptr_t WindowHandle() const override { return 0x1234; }
  void SetWindowEnabled(bool e) override { enabledWindow = e; }
  void SetWindowFont(const ButtonFont&) override {}
  void SetPointerShape(std::int16_t s) override { pointerShape = s; }
  void SetPointerImage(PicturePtr image) override {
    pointerImage = std::move(image);
    handImage = false;
  }
  bool UseHandCursor() override {
    handImage = handLoads;
    return handLoads;
  }
  void SetAccessKeys(std::string keys) override { accessKeys = std::move(keys); }
  void SetHoverTimer(bool on) override {
    timerOn = on;
    log.push_back(on ? "timer on" : "timer off");
  }
  bool IsMouseOver() const override { return mouseOver; }
  void MoveFocus(bool backwards) override { log.push_back(backwards ? "focus previous" : "focus next"); }
  void CapturePointer() override { log.push_back("capture"); }
  void UpdateNow() override { log.push_back("update"); }
  Raster& Surface() override { return surface; }
  TextRenderer& Text() override { return text; }
  const SystemColors& Colors() const override { return system; }
  ColorRef ContainerBackColor() const override { return Rgb(255, 255, 224); }
  ColorRef ContainerForeColor() const override { return Rgb(0, 0, 255); }
  std::int32_t PixelsPerInch() const override { return 96; }
  void SetWindowShape(const ButtonShape& s) override { shape = s; }
  bool CaptureParent(std::int32_t w, std::int32_t h, Raster& out) override {
    out = Raster(w, h, parentFill);
    log.push_back("capture parent");
    return true;
  }
  void FaceDrawn() override { ++facesDrawn; }

  // Events, logged in the order raised.
  void Click() override { log.push_back("Click"); }
  void MouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override { Mouse("MouseDown", b, s, x, y); }
  void MouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override { Mouse("MouseMove", b, s, x, y); }
  void MouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override { Mouse("MouseUp", b, s, x, y); }
  void KeyPress(std::int16_t& k) override { log.push_back("KeyPress " + std::to_string(k)); }
  void KeyDown(std::int16_t& k, std::int16_t& s) override { Key("KeyDown", k, s); }
  void KeyUp(std::int16_t& k, std::int16_t& s) override { Key("KeyUp", k, s); }
  void MouseOver() override { log.push_back("MouseOver"); }
  void MouseOut() override { log.push_back("MouseOut"); }

  // Connects a button's paint observer to the log: "paint up", "paint up hover", "paint down", ...
  void Watch(sknButton& b) {
    b.SetEvents(this);
    b.OnPainted([this, &b](int state) {
      log.push_back(std::string("paint ") + (state == kStateDown ? "down" : "up") + (b.IsOver() ? " hover" : ""));
    });
  }

 private:
  void Mouse(const char* name, std::int16_t b, std::int16_t s, float x, float y) {
    log.push_back(std::string(name) + " " + std::to_string(b) + " " + std::to_string(s) + " " +
                  std::to_string(static_cast<int>(x)) + " " + std::to_string(static_cast<int>(y)));
  }
  void Key(const char* name, std::int16_t k, std::int16_t s) {
    log.push_back(std::string(name) + " " + std::to_string(k) + " " + std::to_string(s));
  }
};

// A button on a test site, loaded, sized and shown as a container would at run time.
struct ShownButton {
  TestSite site;
  sknButton button{site};
  explicit ShownButton(bool watch = true) {
    button.InitProperties();
    button.Resize();
    button.Show();
    if (watch) site.Watch(button);
    site.log.clear();
    site.notified.clear();
  }
};

}  // namespace kqm::testing
