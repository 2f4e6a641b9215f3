#pragma once
#include <windows.h>

#include <memory>

#include "controls/skin_button/win32/skin_button_host.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/win32_system_colors.h"
#include "platform/win32/win32_window.h"
#include "ui/main_window/about_page.h"

namespace kqm {

// The About page as a white child panel of the main window: the product picture, the rule, the product name
// and the two skinned buttons "Website" and "Readme.txt" (in that tab order), laid out by AboutPage.
class AboutPageWin32 final : public Win32Window<AboutPageWin32> {
 public:
  static constexpr const wchar_t* kClassName = L"KestrumQuorvelManager.AboutPage";
  // Control ids of the two buttons inside the panel.
  static constexpr int kWebId = 8;
  static constexpr int kReadmeId = 9;

  // Creates the hidden panel as child `id` of `parent` with its two buttons; `page` must outlive the panel.
  // The page draws in the colours `colors` gives (the session's own when null; it must outlive the panel).
  // Null when a window cannot be created.
  static std::unique_ptr<AboutPageWin32> Create(HWND parent, int id, AboutPage& page,
                                                const SystemColors* colors = nullptr);
  ~AboutPageWin32();
  AboutPageWin32(const AboutPageWin32&) = delete;
  AboutPageWin32& operator=(const AboutPageWin32&) = delete;

  // Shows the panel in front of its siblings.
  void Show();
  void Hide();
  // Moves the panel to (x, y) with the size in pixels of the parent's client area and lays out its content.
  void Move(int x, int y, int width, int height);
  // The resolution the page is shown at changes: fonts, the picture and the buttons follow; the container
  // moves the page again afterwards.
  void SetDpi(int dpi);
  // For the container's message loop: Alt+access keys reach the page's buttons. True when consumed.
  static bool TranslateAccessKey(const MSG& msg) { return SkinButtonHost::TranslateAccessKey(msg); }

  // The hosts of the "Readme.txt" and "Website" buttons, and the page logic they report their clicks to.
  SkinButtonHost* ReadmeButton() const { return readme_.get(); }
  SkinButtonHost* WebButton() const { return web_.get(); }
  AboutPage& Page() const { return page_; }
  // The product picture as drawn for the page's resolution (184 x 87 pixels at 96 dots per inch), or null when
  // it could not be made.
  const DibRaster* Picture() const { return picture_.get(); }

  // Use Create.
  struct Key {};
  AboutPageWin32(Key, AboutPage& page);

 private:
  class ClickRelay;
  friend class Win32Window<AboutPageWin32>;
  static void DescribeClass(WNDCLASSEXW& wc);
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  void Paint(HDC dc) const;
  void PlaceButtons();
  int ToPixels(int twips) const;
  int ToTwips(int pixels) const;

  AboutPage& page_;
  Win32SystemColors sessionColors_;
  const SystemColors* colors_ = &sessionColors_;
  std::unique_ptr<ClickRelay> readmeRelay_;
  std::unique_ptr<ClickRelay> webRelay_;
  std::unique_ptr<SkinButtonHost> web_;
  std::unique_ptr<SkinButtonHost> readme_;
  std::unique_ptr<DibRaster> picture_;
  UniqueFont labelFont_;
};

}  // namespace kqm
