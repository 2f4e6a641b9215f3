#include "controls/skin_button/sknButton.h"

#include <cmath>

#include "controls/skin_button/button_paint.h"
#include "controls/skin_button/property_bag.h"

namespace kqm {

PicturePtr MakePicture(ButtonPicture::Kind kind, std::int32_t width, std::int32_t height,
                       std::vector<std::uint32_t> pixels) {
  auto p = std::make_shared<ButtonPicture>();
  p->kind = kind;
  p->width = width;
  p->height = height;
  p->pixels = std::move(pixels);
  p->pixels.resize(width > 0 && height > 0 ? static_cast<size_t>(width) * static_cast<size_t>(height) : 0, 0);
  p->widthHiMetric = static_cast<std::int32_t>(std::lround(width * 2540.0 / 96.0));
  p->heightHiMetric = static_cast<std::int32_t>(std::lround(height * 2540.0 / 96.0));
  return p;
}

std::int32_t HiMetricToPixels(std::int32_t hiMetric, std::int32_t pixelsPerInch) {
  return static_cast<std::int32_t>(std::lround(hiMetric * static_cast<double>(pixelsPerInch) / 2540.0));
}

sknButton::sknButton(ButtonSite& site) : site_(site), painter_(std::make_unique<ButtonPainter>(site.Colors())) {}

sknButton::~sknButton() = default;

ButtonLook sknButton::Look() const {
  ButtonLook l;
  l.buttonType = buttonType_;
  l.colorScheme = colorScheme_;
  l.backColor = backColor_;
  l.backOver = backOver_;
  l.foreColor = foreColor_;
  l.foreOver = foreOver_;
  l.maskColor = maskColor_;
  l.containerBackColor = site_.ContainerBackColor();
  l.containerForeColor = site_.ContainerForeColor();
  l.caption = caption_;
  l.font = font_;
  l.pictureNormal = pictureNormal_;
  l.pictureOver = pictureOver_;
  l.picturePosition = picturePosition_;
  l.useMaskColor = useMaskColor_;
  l.useGreyscale = useGreyscale_;
  l.specialEffect = specialEffect_;
  l.softBevel = softBevel_;
  l.enabled = enabled_;
  l.showFocusRect = showFocusRect_;
  l.isOver = isOver_;
  l.hasFocus = hasFocus_ && site_.FocusCuesShown();
  l.displayAsDefault = site_.DisplayAsDefault();
  l.checkBoxBehaviour = checkBoxBehaviour_;
  l.value = value_;
  l.paintEnabled = paintEnabled_;
  l.width = width_;
  l.height = height_;
  l.pixelsPerInch = site_.PixelsPerInch();
  return l;
}

int sknButton::LastState() const { return painter_->LastState(); }

void sknButton::Notify(std::string_view key) { site_.PropertyChanged(key); }

void sknButton::RepaintLast() { PaintButton(painter_->LastState(), true); }

void sknButton::ComputeColors() { painter_->ComputeColors(Look()); }

void sknButton::LayoutCaption() { painter_->LayoutCaption(Look(), site_.Text()); }

void sknButton::PaintButton(int state, bool force) {
  if (painter_->PaintButton(Look(), state, force, site_.Surface(), site_.Text())) {
    site_.FaceDrawn();
    if (painted_) painted_(painter_->LastState());
  }
}

void sknButton::CaptureBackground() {
  if (!hasBackBuffer_) {
    hasBackBuffer_ = true;
    backBufferWidth_ = width_;
    backBufferHeight_ = height_;
  }
  Raster snapshot;
  resizeGuard_ = true;
  const bool ok = site_.CaptureParent(backBufferWidth_, backBufferHeight_, snapshot);
  resizeGuard_ = false;
  if (ok) painter_->CaptureBackground(snapshot);
}

namespace {

// The whole UTF-8 sequence of the character starting at byte i ("" when i is past the end).
std::string CharacterAt(std::string_view text, size_t i) {
  if (i >= text.size()) return {};
  size_t end = i + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) ++end;
  return std::string(text.substr(i, end - i));
}

}  // namespace

std::string sknButton::AccessKeyOf(std::string_view caption) {
  if (caption.size() < 2) return {};
  const size_t first = caption.find('&');
  if (first == std::string_view::npos || first + 1 >= caption.size()) return {};
  if (caption[first + 1] != '&') return CharacterAt(caption, first + 1);
  const size_t next = caption.find('&', first + 2);
  if (next == std::string_view::npos || next + 1 >= caption.size() || caption[next + 1] == '&') return {};
  return CharacterAt(caption, next + 1);
}

void sknButton::ApplyAccessKey() {
  site_.SetAccessKeys("");
  const std::string key = AccessKeyOf(caption_);
  if (!key.empty()) site_.SetAccessKeys(key);
}

// ---- lifecycle

void sknButton::InitProperties() {
  enabled_ = true;
  showFocusRect_ = true;
  useMaskColor_ = true;
  caption_ = site_.DisplayName();
  font_ = site_.AmbientFont();
  site_.SetWindowFont(font_);
  buttonType_ = sknButtonType::btClassic3D;
  colorScheme_ = sknColorScheme::csSystem;
  ComputeColors();
  backColor_ = backOver_ = painter_->Colors().cFace;
  foreColor_ = foreOver_ = painter_->Colors().cText;
  maskColor_ = kDefaultMaskColor;
  ApplyAccessKey();
  LayoutCaption();
}

void sknButton::ReadProperties(PropertyBag& bag) {
  buttonType_ = static_cast<sknButtonType>(bag.ReadLong("BTYPE", 2));
  caption_ = bag.ReadString("TX", "");
  enabled_ = bag.ReadBool("ENAB", true);
  font_ = bag.ReadFont("FONT", font_);
  site_.SetWindowFont(font_);
  colorScheme_ = static_cast<sknColorScheme>(bag.ReadLong("COLTYPE", 1));
  showFocusRect_ = bag.ReadBool("FOCUSR", true);
  backColor_ = static_cast<OleColor>(bag.ReadLong("BCOL", static_cast<std::int32_t>(kSysButtonFace)));
  backOver_ = static_cast<OleColor>(bag.ReadLong("BCOLO", static_cast<std::int32_t>(backColor_)));
  foreColor_ = static_cast<OleColor>(bag.ReadLong("FCOL", static_cast<std::int32_t>(kSysButtonText)));
  foreOver_ = static_cast<OleColor>(bag.ReadLong("FCOLO", static_cast<std::int32_t>(foreColor_)));
  maskColor_ = static_cast<OleColor>(bag.ReadLong("MCOL", static_cast<std::int32_t>(kDefaultMaskColor)));
  mousePointer_ = bag.ReadInteger("MPTR", kPointerDefault);
  site_.SetPointerShape(mousePointer_);
  mouseIcon_ = bag.ReadPicture("MICON", nullptr);
  site_.SetPointerImage(mouseIcon_);
  pictureNormal_ = bag.ReadPicture("PICN", nullptr);
  pictureOver_ = bag.ReadPicture("PICH", nullptr);
  useMaskColor_ = bag.ReadBool("UMCOL", true);
  softBevel_ = bag.ReadBool("SOFT", false);
  picturePosition_ = static_cast<sknPicturePosition>(bag.ReadLong("PICPOS", 0));
  useGreyscale_ = bag.ReadBool("NGREY", false);
  specialEffect_ = static_cast<sknSpecialEffect>(bag.ReadLong("FX", 0));
  // A stored false must not reset the pointer shape and image just read.
  if (bag.ReadBool("HAND", false)) {
    HandPointer(true);
  } else {
    handPointer_ = false;
  }
  checkBoxBehaviour_ = bag.ReadBool("CHECK", false);
  value_ = bag.ReadBool("VALUE", false);
  site_.SetWindowEnabled(enabled_);
  MeasurePicture();
  ApplyAccessKey();
}

void sknButton::WriteProperties(PropertyBag& bag) const {
  bag.WriteLong("BTYPE", static_cast<std::int32_t>(buttonType_));
  bag.WriteString("TX", caption_);
  bag.WriteBool("ENAB", enabled_);
  bag.WriteFont("FONT", font_);
  bag.WriteLong("COLTYPE", static_cast<std::int32_t>(colorScheme_));
  bag.WriteBool("FOCUSR", showFocusRect_);
  bag.WriteLong("BCOL", static_cast<std::int32_t>(backColor_));
  bag.WriteLong("BCOLO", static_cast<std::int32_t>(backOver_));
  bag.WriteLong("FCOL", static_cast<std::int32_t>(foreColor_));
  bag.WriteLong("FCOLO", static_cast<std::int32_t>(foreOver_));
  bag.WriteLong("MCOL", static_cast<std::int32_t>(maskColor_));
  bag.WriteLong("MPTR", mousePointer_);
  bag.WritePicture("MICON", mouseIcon_);
  bag.WritePicture("PICN", pictureNormal_);
  bag.WritePicture("PICH", pictureOver_);
  bag.WriteBool("UMCOL", useMaskColor_);
  bag.WriteBool("SOFT", softBevel_);
  bag.WriteLong("PICPOS", static_cast<std::int32_t>(picturePosition_));
  bag.WriteBool("NGREY", useGreyscale_);
  bag.WriteLong("FX", static_cast<std::int32_t>(specialEffect_));
  bag.WriteBool("HAND", handPointer_);
  bag.WriteBool("CHECK", checkBoxBehaviour_);
  bag.WriteBool("VALUE", value_);
}

void sknButton::Resize() {
  if (resizeGuard_) return;
  width_ = site_.ClientWidth();
  height_ = site_.ClientHeight();
  const ButtonLook look = Look();
  painter_->Resize(look, site_.Text());
  site_.SetWindowShape(painter_->MakeRegion(look));
  if (height_ != 0) PaintButton(kStateUp, true);
}

void sknButton::Show() {
  if (buttonType_ == sknButtonType::btTransparent) CaptureBackground();
  paintEnabled_ = true;
  ComputeColors();
  RepaintUp();
}

void sknButton::Hide() { paintEnabled_ = false; }

void sknButton::Terminate() {
  paintEnabled_ = false;
  site_.SetHoverTimer(false);
  hasBackBuffer_ = false;
}

void sknButton::AmbientChanged() {
  ComputeColors();
  RepaintLast();
}

void sknButton::DisableRefresh() { paintEnabled_ = false; }

void sknButton::Refresh() {
  if (buttonType_ == sknButtonType::btTransparent) CaptureBackground();
  ComputeColors();
  LayoutCaption();
  paintEnabled_ = true;
  RepaintLast();
}

// ---- properties

void sknButton::BackColor(OleColor v) {
  backColor_ = v;
  if (!site_.UserMode()) backOver_ = v;
  ComputeColors();
  RepaintLast();
  Notify("BCOL");
}

void sknButton::BackOver(OleColor v) {
  backOver_ = v;
  ComputeColors();
  RepaintLast();
  Notify("BCOLO");
}

void sknButton::ForeColor(OleColor v) {
  foreColor_ = v;
  if (!site_.UserMode()) foreOver_ = v;
  ComputeColors();
  RepaintLast();
  Notify("FCOL");
}

void sknButton::ForeOver(OleColor v) {
  foreOver_ = v;
  ComputeColors();
  RepaintLast();
  Notify("FCOLO");
}

void sknButton::MaskColor(OleColor v) {
  maskColor_ = v;
  ComputeColors();
  RepaintLast();
  Notify("MCOL");
}

void sknButton::ButtonType(sknButtonType v) {
  buttonType_ = v;
  if (v == sknButtonType::btOutlined && !site_.UserMode()) {
    font_.weight = 700;
    site_.SetWindowFont(font_);
  } else if (v == sknButtonType::btTransparent && paintEnabled_) {
    CaptureBackground();
  }
  ComputeColors();
  Resize();
  Notify("BTYPE");
}

void sknButton::Caption(std::string v) {
  caption_ = std::move(v);
  ApplyAccessKey();
  LayoutCaption();
  RepaintUp();
  Notify("TX");
}

void sknButton::Enabled(bool v) {
  enabled_ = v;
  RepaintUp();
  site_.SetWindowEnabled(v);
  Notify("ENAB");
}

void sknButton::FontChanged() {
  site_.SetWindowFont(font_);
  LayoutCaption();
  RepaintUp();
}

void sknButton::Font(const ButtonFont& v) {
  font_ = v;
  FontChanged();
  Notify("FONT");
}

void sknButton::FontBold(bool v) {
  font_.weight = v ? 700 : 400;
  FontChanged();
}

void sknButton::FontItalic(bool v) {
  font_.italic = v;
  FontChanged();
}

void sknButton::FontUnderline(bool v) {
  font_.underline = v;
  FontChanged();
}

std::int16_t sknButton::FontSize() const { return static_cast<std::int16_t>(std::lround(font_.size)); }

void sknButton::FontSize(std::int16_t v) {
  font_.size = v;
  FontChanged();
}

void sknButton::FontName(std::string v) {
  font_.name = std::move(v);
  FontChanged();
}

void sknButton::ColorScheme(sknColorScheme v) {
  colorScheme_ = v;
  ComputeColors();
  RepaintUp();
  Notify("COLTYPE");
}

void sknButton::ShowFocusRect(bool v) {
  showFocusRect_ = v;
  RepaintLast();
  Notify("FOCUSR");
}

void sknButton::MousePointer(std::int16_t v) {
  mousePointer_ = v;
  site_.SetPointerShape(v);
  Notify("MPTR");
}

void sknButton::MouseIcon(PicturePtr v) {
  mouseIcon_ = std::move(v);
  site_.SetPointerImage(mouseIcon_);
  Notify("MICON");
}

void sknButton::HandPointer(bool v) {
  handPointer_ = v;
  if (v) {
    site_.UseHandCursor();
    mousePointer_ = kPointerCustom;
  } else {
    mouseIcon_ = nullptr;
    site_.SetPointerImage(nullptr);
    mousePointer_ = kPointerArrow;
  }
  site_.SetPointerShape(mousePointer_);
  Notify("HAND");
}

void sknButton::SoftBevel(bool v) {
  softBevel_ = v;
  ComputeColors();
  RepaintLast();
  Notify("SOFT");
}

void sknButton::PictureNormal(PicturePtr v) {
  pictureNormal_ = std::move(v);
  MeasurePicture();
  RepaintLast();
  Notify("PICN");
}

void sknButton::PictureOver(PicturePtr v) {
  pictureOver_ = std::move(v);
  if (isOver_) RepaintLast();
  Notify("PICO");
}

void sknButton::PicturePosition(sknPicturePosition v) {
  picturePosition_ = v;
  Notify("PICPOS");
  LayoutCaption();
  RepaintLast();
}

void sknButton::UseMaskColor(bool v) {
  useMaskColor_ = v;
  if (pictureNormal_) RepaintLast();
  Notify("UMCOL");
}

void sknButton::UseGreyscale(bool v) {
  useGreyscale_ = v;
  if (pictureNormal_) RepaintLast();
  Notify("NGREY");
}

void sknButton::SpecialEffect(sknSpecialEffect v) {
  specialEffect_ = v;
  RepaintLast();
  Notify("FX");
}

void sknButton::CheckBoxBehaviour(bool v) {
  checkBoxBehaviour_ = v;
  RepaintLast();
  Notify("CHECK");
}

void sknButton::Value(bool v) {
  value_ = v;
  if (checkBoxBehaviour_) RepaintUp();
  Notify("VALUE");
}

}  // namespace kqm
