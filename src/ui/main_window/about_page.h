#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kqm {

class Shell;
class PropertyBag;

// A control's place on its container, in twips.
struct TwipRect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool operator==(const TwipRect&) const = default;
};

// A line from (x1, y1) to (x2, y2), in twips.
struct TwipLine {
  std::int32_t x1 = 0;
  std::int32_t y1 = 0;
  std::int32_t x2 = 0;
  std::int32_t y2 = 0;
  bool operator==(const TwipLine&) const = default;
};

// Where everything on the About page sits, relative to the page.
struct AboutLayout {
  TwipRect Picture1{0, 0, 2760, 1305};
  TwipLine Line1{240, 1350, 3780, 1350};
  TwipRect Label2{270, 1410, 1995, 195};
  TwipRect cmdReadme{2010, 5220, 1365, 435};
  TwipRect cmdWeb{3750, 5220, 1365, 435};
  bool operator==(const AboutLayout&) const = default;
};

// The About page's logic: its content follows the page size, and its two buttons hand a path or an address
// to the shell. The window that shows it (the Win32 panel, or a test) reads Layout() after each Resize.
class AboutPage {
 public:
  static constexpr char kLabelCaption[] = "KESTRUM Quorvel Manager";
  static constexpr char kReadmeCaption[] = "Readme.txt";
  static constexpr char kWebCaption[] = "Website";
  static constexpr char kReadmeFileName[] = "readme.txt";
  // The maker's web site, as a bare host name (the shell adds the scheme).
  static constexpr char kWebAddress[] = "www.kestrum.example";
  static constexpr std::int32_t kReadmeTabOrder = 9;
  static constexpr std::int32_t kWebTabOrder = 8;
  static constexpr std::int32_t kMargin = 240;  // twips kept to the page's right and bottom edges
  static constexpr std::int32_t kPictureWidthPx = 184;
  static constexpr std::int32_t kPictureHeightPx = 87;

  // `sAppPath` is the program's folder ending with "\"; the shell must outlive the page.
  AboutPage(Shell& shell, std::string sAppPath);

  // Lays the content out for the page's inner size in twips and returns the new layout.
  const AboutLayout& Resize(std::int32_t pageWidthTwips, std::int32_t pageHeightTwips);
  // The layout as it stands (the design layout before the first Resize).
  const AboutLayout& Layout() const { return layout_; }

  // Sets who is told when a button's path or address could not be opened (what, and the shell's error code).
  void OnOpenFailed(std::function<void(const std::string& what, std::int32_t status)> handler) {
    onOpenFailed_ = std::move(handler);
  }
  // cmdReadme's click: opens readme.txt in the program's folder.
  void cmdReadme_Click();
  // cmdWeb's click: opens the maker's web site.
  void cmdWeb_Click();

  // The path cmdReadme opens.
  std::string ReadmePath() const;

  // Writes the persisted settings both buttons share, with the given caption, into a bag.
  static void WriteButtonSettings(PropertyBag& bag, std::string_view caption);

  // The size in pixels of the page's picture at `dpi` dots per inch (184 x 87 at 96).
  static std::int32_t PictureWidth(std::int32_t dpi);
  static std::int32_t PictureHeight(std::int32_t dpi);
  // The page's picture background drawn at `dpi` (PictureWidth x PictureHeight), so that it is as sharp at any
  // resolution: top-down rows of 0x00RRGGBB pixels (a blue gradient with a lighter band and a ticked box); the
  // program name is lettered onto it by whoever shows it.
  static std::vector<std::uint32_t> PictureBackground(std::int32_t dpi = 96);

 private:
  void Open(const std::string& what);

  Shell& shell_;
  std::string sAppPath_;
  AboutLayout layout_;
  std::function<void(const std::string&, std::int32_t)> onOpenFailed_;
};

}  // namespace kqm
