#pragma once
#include <windows.h>

#include <commctrl.h>

#include <memory>
#include <string>

#include "controls/explorer_bar/win32/explorer_bar_host.h"
#include "platform/unique_handle.h"
#include "platform/win32/win32_list_view.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_window.h"
#include "ui/main_window/main_window_controls.h"
#include "ui/main_window/win32/about_page_win32.h"

namespace kqm {

struct ImageListCloser {
  void operator()(HIMAGELIST h) const { ImageList_Destroy(h); }
};
using UniqueImageList = UniqueHandle<HIMAGELIST, ImageListCloser>;

// The program's own icons, drawn in code at the resolution given: eight item icons (16 by 16 at 96 dots per
// inch) and three group icons (32 by 32 at 96).
UniqueImageList MakeActionIcons(int dpi = 96);
UniqueImageList MakeCategoryIcons(int dpi = 96);

// The header strip: a child panel in the header colours (PanelColorsFor) with its labels; geometry in twips of the
// parent's client area.
class Win32Panel final : public PanelView, public Win32Window<Win32Panel> {
 public:
  static constexpr const wchar_t* kClassName = L"KestrumQuorvelManager.Panel";
  struct Label {
    std::wstring text;
    int32_t leftTwips, topTwips;
  };
  Win32Panel(HWND parent, int id, int32_t left, int32_t top, int32_t width, int32_t height,
             const SystemColors& colors);
  ~Win32Panel() override;
  Win32Panel(const Win32Panel&) = delete;
  Win32Panel& operator=(const Win32Panel&) = delete;
  // Adds a label drawn in the header's text colour at the given place (twips).
  void AddLabel(std::wstring text, int32_t leftTwips, int32_t topTwips);
  // The resolution the panel is shown at changes: its place, size and font follow.
  void SetDpi(int dpi);

  void Visible(bool bVisible) override;
  void ZOrder() override;
  int32_t Left() const override { return left_; }
  void Left(int32_t twips) override;
  int32_t Width() const override { return width_; }
  void Width(int32_t twips) override;
  int32_t Height() const override { return height_; }
  void Move(int32_t left, int32_t top, int32_t width, int32_t height) override;

 private:
  friend class Win32Window<Win32Panel>;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Place();
  int32_t left_, top_, width_, height_;
  const SystemColors& colors_;
  UniqueFont font_;
  std::vector<Label> labels_;
};

// The details strip: a read-only edit control (text can be selected and copied) four lines high, in the dialog
// font; geometry in twips of the parent's client area.
class Win32DetailsStrip final : public TextPanelView {
 public:
  Win32DetailsStrip(HWND parent, int id, int dpi);
  ~Win32DetailsStrip() override;
  Win32DetailsStrip(const Win32DetailsStrip&) = delete;
  Win32DetailsStrip& operator=(const Win32DetailsStrip&) = delete;
  void Text(const std::string& text) override;
  std::string Text() const override;
  void Visible(bool bVisible) override;
  void ZOrder() override;
  int32_t Left() const override { return left_; }
  void Left(int32_t twips) override { Move(twips, top_, width_, height_); }
  int32_t Width() const override { return width_; }
  void Width(int32_t twips) override { Move(left_, top_, twips, height_); }
  int32_t Height() const override { return height_; }
  void Move(int32_t left, int32_t top, int32_t width, int32_t height) override;
  HWND Window() const { return hwnd_; }

 private:
  HWND hwnd_ = nullptr;
  HWND label_ = nullptr;  // hidden: names the strip for screen readers
  int dpi_;
  int32_t left_ = 0, top_ = 0, width_ = 0, height_ = 0;
};

// The main window's controls as real windows: the navigation bar docked left, the report list with tick boxes,
// the blue header strip with its two labels and the About page panel.
class MainWindowControlsWin32 final : public MainWindowControls {
 public:
  // The controls draw in the colours `colors` gives (the session's own when null; it must outlive them).
  explicit MainWindowControlsWin32(const SystemColors* colors = nullptr);
  ~MainWindowControlsWin32() override;
  void Create(MainWindowView& view, AboutPage& page) override;
  ExplorerBar& exBar() override { return bar_->Bar(); }
  ListView& lstItems() override { return *list_; }
  PanelView& picHeader() override { return *header_; }
  PanelView& picTabAbout() override;
  std::intptr_t imgActions() const override { return reinterpret_cast<std::intptr_t>(actions_.get()); }
  std::intptr_t imgCat() const override { return reinterpret_cast<std::intptr_t>(categories_.get()); }
  void DockBar(int32_t clientHeightTwips) override;
  TextPanelView& picDetails() override { return *details_; }
  // The window's resolution or the system's colours may have changed (`dpi`: the resolution now). At a new
  // resolution icons are drawn again at their new size, fonts made again and every control takes it; the window
  // lays its controls out again afterwards. In high contrast the list shows no background picture.
  void DisplayChanged(int dpi);

  Win32ListView& List() { return *list_; }
  ExplorerBarHost& BarHost() { return *bar_; }
  // Writes where each navigation item's centre and the list are on the screen, one per line
  // ("item <key> <x> <y>", "list <x> <y> <width> <height>", the same for the bar, header, details strip and
  // client area), for scripts that drive the program.
  bool WriteScreenLayout(const std::wstring& path) const;

 private:
  class AboutPanel;
  void ShowListPicture();
  HWND parent_ = nullptr;
  int dpi_ = 96;
  Win32SystemColors sessionColors_;
  const SystemColors& colors_;
  UniqueFont listFont_;
  UniqueImageList actions_;
  UniqueImageList categories_;
  std::unique_ptr<ExplorerBarHost> bar_;
  std::unique_ptr<Win32ListView> list_;
  std::unique_ptr<Win32Panel> header_;
  std::unique_ptr<AboutPanel> aboutPanel_;
  std::unique_ptr<Win32DetailsStrip> details_;
};

}  // namespace kqm
