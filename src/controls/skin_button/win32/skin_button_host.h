#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "controls/skin_button/button_input.h"
#include "controls/skin_button/sknButton.h"
#include "controls/skin_button/win32/skin_button_window.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/gdi_text_renderer.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_window.h"

namespace kqm {

class PropertyBag;
class SkinButtonAccessible;

struct IconCloser {
  void operator()(HICON h) const { DestroyIcon(h); }
};
using UniqueIcon = UniqueHandle<HICON, IconCloser>;

// A sknButton living in a real child window of any Win32 parent: real mouse, keyboard, focus and timer
// messages drive its input handling, the window shape follows the button type, and the window shows the
// button's image, a DIB section the painter draws into (captions through GDI on the same pixels). The window
// answers the standard button messages listed in skin_button_window.h, kept in step with the button's
// properties and events (Enabled and WM_ENABLE, Caption and the window text, Value and BM_GETCHECK, Click and
// BN_CLICKED).
class SkinButtonHost final : public ButtonSite, public Win32Window<SkinButtonHost> {
 public:
  static constexpr const wchar_t* kClassName = kSkinButtonClassName;

  // What the container tells the control about itself.
  struct Options {
    bool userMode = true;             // false: design time
    std::string displayName = "sknButton1";
    ButtonFont ambientFont{"MS Sans Serif", 8.25, 400, false, false};
    bool isDefault = false;           // Enter clicks it; drawn with the default look
    bool isCancel = false;            // Escape clicks it
    // The container's surface colours; unset: the parent window's class background and the button text colour.
    std::optional<ColorRef> containerBackColor;
    std::optional<ColorRef> containerForeColor;
    // The system colours (and high contrast) the button draws in; null: the session's own. Must outlive it.
    const SystemColors* colors = nullptr;
  };

  // Use Create; the key keeps construction inside it.
  struct Key {};
  SkinButtonHost(Key, const Options& options);

  // Creates the child window at (x, y) with the size in pixels and the control id, then loads the
  // properties (from the bag, or as a new control without one), sizes and shows the button. The host owns
  // the window. Null when the window cannot be created.
  static std::unique_ptr<SkinButtonHost> Create(HWND parent, int id, int x, int y, int width, int height,
                                                const Options& options, PropertyBag* bag = nullptr);
  ~SkinButtonHost() override;
  SkinButtonHost(const SkinButtonHost&) = delete;
  SkinButtonHost& operator=(const SkinButtonHost&) = delete;

  sknButton& Button() { return button_; }
  ButtonInput& Input() { return input_; }
  const DibRaster* Image() const { return surface_.get(); }
  // Called with the key of every persisted property that changed (the container saves its bag again).
  void OnPropertyChanged(std::function<void(std::string_view)> handler) { changed_ = std::move(handler); }
  // The container makes this its default (Enter) or cancel (Escape) button; the button redraws its look.
  void SetDefault(bool isDefault);
  void SetCancel(bool isCancel) { options_.isCancel = isCancel; }
  // The resolution the caption and picture are laid out for changes (the window moved to another monitor; its
  // container tells it so); the face is drawn again.
  void SetPixelsPerInch(std::int32_t dpi);
  // The access keys now in force (UTF-16, folded to upper case as the platform folds them).
  const std::wstring& AccessKeys() const { return accessKeys_; }

  // For the container's message loop: Alt+access key, Enter and Escape reach the skinned button they
  // belong to in the message's top-level window. True when the message was consumed.
  static bool TranslateAccessKey(const MSG& msg) { return SkinButtonTranslateMessage(msg); }

  // ButtonSite.
  bool UserMode() const override { return options_.userMode; }
  std::string DisplayName() const override { return options_.displayName; }
  ButtonFont AmbientFont() const override { return options_.ambientFont; }
  bool DisplayAsDefault() const override { return options_.isDefault; }
  void PropertyChanged(std::string_view key) override;
  std::int32_t ClientWidth() const override;
  std::int32_t ClientHeight() const override;
  std::uintptr_t WindowHandle() const override { return reinterpret_cast<std::uintptr_t>(Window()); }
  void SetWindowEnabled(bool enabled) override;
  void SetWindowFont(const ButtonFont& font) override { font_ = font; }
  void SetPointerShape(std::int16_t shape) override { pointerShape_ = shape; }
  void SetPointerImage(PicturePtr image) override;
  bool UseHandCursor() override;
  void SetAccessKeys(std::string keys) override;
  void SetHoverTimer(bool enabled) override;
  bool IsMouseOver() const override;
  void MoveFocus(bool backwards) override;
  void CapturePointer() override;
  void UpdateNow() override;
  Raster& Surface() override;
  TextRenderer& Text() override { return *text_; }
  const SystemColors& Colors() const override { return options_.colors ? *options_.colors : colors_; }
  ColorRef ContainerBackColor() const override;
  ColorRef ContainerForeColor() const override;
  std::int32_t PixelsPerInch() const override { return Dpi(); }
  void SetWindowShape(const ButtonShape& shape) override;
  bool CaptureParent(std::int32_t width, std::int32_t height, Raster& out) override;
  void FaceDrawn() override;
  void Clicked() override;
  bool FocusCuesShown() const override { return focusCues_; }

  // The cursor the window shows over its client area now.
  HCURSOR CurrentCursor() const;
  bool IsCancel() const { return options_.isCancel; }

 private:
  friend class Win32Window<SkinButtonHost>;
  static void DescribeClass(WNDCLASSEXW& wc) { wc.style = CS_DBLCLKS; }
  // The host Create is making the window for; for a window made any other way, a host the window owns.
  static SkinButtonHost* ObjectFor(const CREATESTRUCTW& create);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void WindowDestroyed();
  void LoadFromWindow(const CREATESTRUCTW& create);
  void Resized();
  void Present(HDC dc) const;
  void MouseButton(UINT msg, WPARAM wParam, LPARAM lParam);
  void SetFontFromHandle(HFONT font);
  void ResolutionChanged();
  void DisconnectAccessible();
  // Tells assistive technology that something it reads of the button changed (EVENT_OBJECT_...).
  void NotifyAccessible(DWORD event) const;

  Options options_;
  Win32SystemColors colors_;
  std::unique_ptr<GdiTextRenderer> text_;
  sknButton button_;
  ButtonInput input_;
  std::unique_ptr<DibRaster> surface_;
  Raster empty_;
  ButtonFont font_;
  std::int16_t pointerShape_ = 0;
  UniqueIcon pointerImage_;
  HCURSOR customCursor_ = nullptr;
  std::wstring accessKeys_;
  std::function<void(std::string_view)> changed_;
  HFONT windowFont_ = nullptr;  // the font last given by WM_SETFONT (not owned)
  bool loaded_ = false;
  bool capturing_ = false;
  bool releasing_ = false;    // the host itself gives up the capture at a release
  bool timerOn_ = false;
  bool focusCues_ = true;
  bool ownedByWindow_ = false;  // made by CreateWindowEx or a dialog: the window frees the host
  SkinButtonAccessible* accessible_ = nullptr;  // made on the first request, one reference held here
};

}  // namespace kqm
