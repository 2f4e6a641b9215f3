#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/raster.h"

namespace kqm {

class TextRenderer;
class SystemColors;
class PropertyBag;
class ButtonPainter;
struct ButtonLook;
struct ButtonShape;

// A colour as the container stores it: red + 256 x green + 65536 x blue, or a system-colour reference
// (0x80000000 | system colour index), translated to RGB before drawing.
using OleColor = std::uint32_t;

// System-colour references used as defaults.
constexpr OleColor kSysButtonFace = 0x8000000Fu;
constexpr OleColor kSysButtonText = 0x80000012u;
constexpr OleColor kDefaultMaskColor = 192u + 256u * 192u + 65536u * 192u;

// Visual style. The numbers are what the property bag stores; values outside 1..14 are kept and draw no face.
enum class sknButtonType : std::int32_t {
  btFramedBevel = 1,
  btClassic3D = 2,
  btRoundedGradient = 3,
  btRoundedFramed = 4,
  btOutlined = 5,
  btLightBevel = 6,
  btThinRaised = 7,
  btHoverThin = 8,
  btHoverHighlight = 9,
  btPictureOnly = 10,
  btTransparent = 11,
  btHoverRaised = 12,
  btOval = 13,
  btGradientFramed = 14,
};

// Where the colours come from. Values other than 2, 3, 4 behave as csSystem.
enum class sknColorScheme : std::int32_t {
  csSystem = 1,
  csCustom = 2,
  csFixed = 3,
  csContainer = 4,
};

// Where the picture sits relative to the caption.
enum class sknPicturePosition : std::int32_t {
  ppLeft = 0,
  ppRight = 1,
  ppTop = 2,
  ppBottom = 3,
  ppBehind = 4,
};

// Caption and picture effect; any value of 3 or more behaves as fxShadow.
enum class sknSpecialEffect : std::int32_t {
  fxNone = 0,
  fxRaised = 1,
  fxSunken = 2,
  fxShadow = 3,
};

// Pointer shapes the control itself uses (other codes are the platform's and are passed through).
constexpr std::int16_t kPointerDefault = 0;
constexpr std::int16_t kPointerArrow = 1;
constexpr std::int16_t kPointerCustom = 99;

// Drawn states handed to the painter.
constexpr int kStateUp = 0;
constexpr int kStateDown = 2;

// A font description: face name, size in points (fractional sizes kept), weight (400 normal, 700 bold).
struct ButtonFont {
  std::string name = "MS Sans Serif";
  double size = 8.25;
  std::int32_t weight = 400;
  bool italic = false;
  bool underline = false;

  bool Bold() const { return weight >= 600; }
  bool operator==(const ButtonFont&) const = default;
};

// A picture: a bitmap (every pixel drawn) or an icon (pixels with alpha 0 are transparent).
// Pixels are top-down rows of 0xAARRGGBB (blue in the low byte, as in a 32-bit DIB).
// The size is also carried in 0.01 mm units, as pictures report it.
struct ButtonPicture {
  enum class Kind : std::uint8_t { Bitmap, Icon };
  Kind kind = Kind::Bitmap;
  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;
  std::int32_t widthHiMetric = 0;
  std::int32_t heightHiMetric = 0;

  // Pixel at column x, row y (no range check beyond the vector's).
  std::uint32_t At(std::int32_t x, std::int32_t y) const { return pixels[static_cast<size_t>(y) * width + x]; }
  bool operator==(const ButtonPicture&) const = default;
};
using PicturePtr = std::shared_ptr<const ButtonPicture>;

// Builds a picture from pixels; the 0.01 mm size is derived at 96 pixels per inch.
PicturePtr MakePicture(ButtonPicture::Kind kind, std::int32_t width, std::int32_t height,
                       std::vector<std::uint32_t> pixels);
// Pixels of a picture size in 0.01 mm at the given pixels per inch, rounded to the nearest pixel.
std::int32_t HiMetricToPixels(std::int32_t hiMetric, std::int32_t pixelsPerInch);

// The dispatch identity Click is raised under: the platform's standard click.
constexpr std::int32_t kClickDispatchId = -600;

// The events a button raises, in declaration order. Arguments are passed by reference, as the container
// may change them. X and Y are in the control's units (pixels). Default handlers do nothing.
class sknButtonEvents {
 public:
  virtual ~sknButtonEvents() = default;
  virtual void Click() {}
  virtual void MouseDown(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void MouseMove(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void MouseUp(std::int16_t& /*Button*/, std::int16_t& /*Shift*/, float& /*X*/, float& /*Y*/) {}
  virtual void KeyPress(std::int16_t& /*KeyAscii*/) {}
  virtual void KeyDown(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void KeyUp(std::int16_t& /*KeyCode*/, std::int16_t& /*Shift*/) {}
  virtual void MouseOver() {}
  virtual void MouseOut() {}
};

// What the button needs from its container and its own window. The Win32 host implements it with a real
// window; tests implement it in memory.
class ButtonSite {
 public:
  virtual ~ButtonSite() = default;
  // Container ambient properties.
  virtual bool UserMode() const = 0;                  // true at run time, false at design time
  virtual std::string DisplayName() const = 0;        // name proposed for a newly placed control
  virtual ButtonFont AmbientFont() const = 0;         // the container's font
  virtual bool DisplayAsDefault() const = 0;          // true while this is the container's default button
  virtual void PropertyChanged(std::string_view key) = 0;  // a persisted property changed; the bag is stale
  // The control window.
  virtual std::int32_t ClientWidth() const = 0;       // pixels
  virtual std::int32_t ClientHeight() const = 0;      // pixels
  virtual std::uintptr_t WindowHandle() const = 0;    // 0 without a window
  virtual void SetWindowEnabled(bool enabled) = 0;
  virtual void SetWindowFont(const ButtonFont& font) = 0;
  virtual void SetPointerShape(std::int16_t shape) = 0;
  virtual void SetPointerImage(PicturePtr image) = 0;
  virtual bool UseHandCursor() = 0;                   // the pointer image becomes the hand; false on failure
  virtual void SetAccessKeys(std::string keys) = 0;   // UTF-8 characters that click it with Alt; "" = none
  virtual void SetHoverTimer(bool enabled) = 0;       // the 3 ms hover poll
  virtual bool IsMouseOver() const = 0;               // the window under the pointer is this control's
  virtual void MoveFocus(bool backwards) = 0;         // focus to the next/previous control in tab order
  virtual void CapturePointer() = 0;
  virtual void UpdateNow() = 0;                       // repaint the window from its image at once
  // Drawing.
  virtual Raster& Surface() = 0;                      // the control's persistent image, client-sized
  virtual TextRenderer& Text() = 0;                   // draws captions onto Surface()
  virtual const SystemColors& Colors() const = 0;
  virtual ColorRef ContainerBackColor() const = 0;    // the parent's drawing-surface colours
  virtual ColorRef ContainerForeColor() const = 0;
  virtual std::int32_t PixelsPerInch() const = 0;
  virtual void SetWindowShape(const ButtonShape& shape) = 0;
  // The width x height pixels of the parent under the control (what shows through it); false on failure.
  virtual bool CaptureParent(std::int32_t width, std::int32_t height, Raster& out) = 0;
  virtual void FaceDrawn() = 0;                       // Surface() changed; the window shows it when it can
  // Called last in every click, after the Click event (a window host tells its parent here).
  virtual void Clicked() {}
  // False while the container hides keyboard focus cues: focus is then not drawn.
  virtual bool FocusCuesShown() const { return true; }
};

// The skinned push button: properties, persistence, lifecycle, and the drawn state it hands to its face.
class sknButton {
 public:
  // Creates the control (Initialize); painting is enabled. The site must outlive the button.
  explicit sknButton(ButtonSite& site);
  ~sknButton();
  sknButton(const sknButton&) = delete;
  sknButton& operator=(const sknButton&) = delete;

  // Container lifecycle.
  void InitProperties();                          // a new control placed at design time
  void ReadProperties(PropertyBag& bag);          // every later load
  void WriteProperties(PropertyBag& bag) const;
  void Resize();                                  // the client size changed (also run by ButtonType)
  void Show();
  void Hide();
  void Terminate();
  void AmbientChanged();                          // the container's ambient properties changed

  // Properties (get/set pairs). Setters store, then run their side effects and notifications.
  OleColor BackColor() const { return backColor_; }
  void BackColor(OleColor v);
  OleColor BackOver() const { return backOver_; }
  void BackOver(OleColor v);
  OleColor ForeColor() const { return foreColor_; }
  void ForeColor(OleColor v);
  OleColor ForeOver() const { return foreOver_; }
  void ForeOver(OleColor v);
  OleColor MaskColor() const { return maskColor_; }
  void MaskColor(OleColor v);
  sknButtonType ButtonType() const { return buttonType_; }
  void ButtonType(sknButtonType v);
  const std::string& Caption() const { return caption_; }
  void Caption(std::string v);
  bool Enabled() const { return enabled_; }
  void Enabled(bool v);
  const ButtonFont& Font() const { return font_; }
  void Font(const ButtonFont& v);
  bool FontBold() const { return font_.Bold(); }
  void FontBold(bool v);
  bool FontItalic() const { return font_.italic; }
  void FontItalic(bool v);
  bool FontUnderline() const { return font_.underline; }
  void FontUnderline(bool v);
  std::int16_t FontSize() const;                  // points, rounded to the nearest whole point
  void FontSize(std::int16_t v);
  const std::string& FontName() const { return font_.name; }
  void FontName(std::string v);
  sknColorScheme ColorScheme() const { return colorScheme_; }
  void ColorScheme(sknColorScheme v);
  bool ShowFocusRect() const { return showFocusRect_; }
  void ShowFocusRect(bool v);
  std::int16_t MousePointer() const { return mousePointer_; }
  void MousePointer(std::int16_t v);
  PicturePtr MouseIcon() const { return mouseIcon_; }
  void MouseIcon(PicturePtr v);
  bool HandPointer() const { return handPointer_; }
  void HandPointer(bool v);
  std::uintptr_t hWnd() const { return site_.WindowHandle(); }
  bool SoftBevel() const { return softBevel_; }
  void SoftBevel(bool v);
  PicturePtr PictureNormal() const { return pictureNormal_; }
  void PictureNormal(PicturePtr v);
  PicturePtr PictureOver() const { return pictureOver_; }
  void PictureOver(PicturePtr v);
  sknPicturePosition PicturePosition() const { return picturePosition_; }
  void PicturePosition(sknPicturePosition v);
  bool UseMaskColor() const { return useMaskColor_; }
  void UseMaskColor(bool v);
  bool UseGreyscale() const { return useGreyscale_; }
  void UseGreyscale(bool v);
  sknSpecialEffect SpecialEffect() const { return specialEffect_; }
  void SpecialEffect(sknSpecialEffect v);
  bool CheckBoxBehaviour() const { return checkBoxBehaviour_; }
  void CheckBoxBehaviour(bool v);
  bool Value() const { return value_; }
  void Value(bool v);
  static std::string Version() { return "2.0.6 B"; }

  // Methods.
  void DisableRefresh();                          // later changes store values but draw nothing
  void Refresh();                                 // recompute everything and draw once

  // Event listener (may be null); it must outlive the button or be cleared.
  void SetEvents(sknButtonEvents* events) { events_ = events; }
  sknButtonEvents* Events() const { return events_; }

  // Drawing and state shared with the input handling and the face.
  void PaintButton(int state, bool force);        // draws the face in state 0 (up) or 2 (down)
  bool IsOver() const { return isOver_; }
  void IsOver(bool v) { isOver_ = v; }
  bool HasFocus() const { return hasFocus_; }
  void HasFocus(bool v) { hasFocus_ = v; }
  bool PaintEnabled() const { return paintEnabled_; }
  int LastState() const;                          // the state last drawn (0 before any drawing)
  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  // The access key of a caption by the mnemonic rules: the whole UTF-8 character after the "&" ("" for none).
  static std::string AccessKeyOf(std::string_view caption);
  // Toggles Value in check-box mode without notifying the container (used by a click).
  void ToggleValueSilently() { value_ = !value_; }
  ButtonSite& Site() const { return site_; }
  // Called after every face actually drawn, with the state drawn (tests and hosts observe painting).
  void OnPainted(std::function<void(int state)> observer) { painted_ = std::move(observer); }
  // What painting needs, gathered from the properties and the site.
  ButtonLook Look() const;
  const ButtonPainter& Painter() const { return *painter_; }

 private:
  void Notify(std::string_view key);
  void RepaintLast();
  void RepaintUp() { PaintButton(kStateUp, true); }
  void FontChanged();
  void ApplyAccessKey();
  void ComputeColors();
  void LayoutCaption();
  void MeasurePicture() { LayoutCaption(); }
  void CaptureBackground();

  ButtonSite& site_;
  sknButtonEvents* events_ = nullptr;
  std::unique_ptr<ButtonPainter> painter_;
  std::function<void(int)> painted_;

  OleColor backColor_ = kSysButtonFace;
  OleColor backOver_ = kSysButtonFace;
  OleColor foreColor_ = kSysButtonText;
  OleColor foreOver_ = kSysButtonText;
  OleColor maskColor_ = kDefaultMaskColor;
  sknButtonType buttonType_ = sknButtonType::btClassic3D;
  std::string caption_;
  bool enabled_ = true;
  ButtonFont font_;
  sknColorScheme colorScheme_ = sknColorScheme::csSystem;
  bool showFocusRect_ = true;
  std::int16_t mousePointer_ = kPointerDefault;
  PicturePtr mouseIcon_;
  bool handPointer_ = false;
  bool softBevel_ = false;
  PicturePtr pictureNormal_;
  PicturePtr pictureOver_;
  sknPicturePosition picturePosition_ = sknPicturePosition::ppLeft;
  bool useMaskColor_ = true;
  bool useGreyscale_ = false;
  sknSpecialEffect specialEffect_ = sknSpecialEffect::fxNone;
  bool checkBoxBehaviour_ = false;
  bool value_ = false;

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  bool isOver_ = false;
  bool hasFocus_ = false;
  bool paintEnabled_ = true;
  bool resizeGuard_ = false;
  bool hasBackBuffer_ = false;
  std::int32_t backBufferWidth_ = 0;
  std::int32_t backBufferHeight_ = 0;
};

}  // namespace kqm
