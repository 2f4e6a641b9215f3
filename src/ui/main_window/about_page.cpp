#include "ui/main_window/about_page.h"

#include <algorithm>
#include <limits>
#include <utility>

#include "controls/skin_button/property_bag.h"
#include "controls/skin_button/sknButton.h"
#include "fileinfo/basFile_Kebbo.h"
#include "platform/raster.h"

namespace kqm {

namespace {

std::int32_t Saturate(std::int64_t v) {
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(v, std::numeric_limits<std::int32_t>::min(),
                                                            std::numeric_limits<std::int32_t>::max()));
}

std::uint32_t Blend(ColorRef from, ColorRef to, int num, int den) {
  auto mix = [&](int a, int b) { return a + (b - a) * num / den; };
  return ToPixel(Rgb(mix(RedOf(from), RedOf(to)), mix(GreenOf(from), GreenOf(to)), mix(BlueOf(from), BlueOf(to))));
}

}  // namespace

AboutPage::AboutPage(Shell& shell, std::string sAppPath) : shell_(shell), sAppPath_(std::move(sAppPath)) {}

const AboutLayout& AboutPage::Resize(std::int32_t pageWidthTwips, std::int32_t pageHeightTwips) {
  const std::int64_t w = pageWidthTwips;
  const std::int64_t h = pageHeightTwips;
  TwipLine& line = layout_.Line1;
  // The rule keeps a margin of X1 on both sides; on a page too narrow for that it shrinks to a point at X1
  // rather than running backwards.
  if (w - line.x1 > line.x1) {
    line.x2 = Saturate(w - line.x1);
  } else {
    line.x2 = line.x1;
  }
  TwipRect& web = layout_.cmdWeb;
  TwipRect& readme = layout_.cmdReadme;
  web.left = Saturate(w - kMargin - web.width);
  readme.left = Saturate(w - kMargin - web.width - kMargin - readme.width);
  web.top = Saturate(h - kMargin - web.height);
  readme.top = Saturate(h - kMargin - readme.height);
  return layout_;
}

void AboutPage::cmdReadme_Click() { Open(ReadmePath()); }

void AboutPage::cmdWeb_Click() { Open(kWebAddress); }

void AboutPage::Open(const std::string& what) {
  if (const std::int32_t status = ShellOpen(shell_, what); status != 0 && onOpenFailed_) onOpenFailed_(what, status);
}

std::string AboutPage::ReadmePath() const { return sAppPath_ + kReadmeFileName; }

void AboutPage::WriteButtonSettings(PropertyBag& bag, std::string_view caption) {
  constexpr std::int32_t kFace = 212 + 256 * 208 + 65536 * 200;
  constexpr std::int32_t kBlack = 0;
  bag.WriteLong("BTYPE", static_cast<std::int32_t>(sknButtonType::btRoundedGradient));
  bag.WriteString("TX", caption);
  bag.WriteBool("ENAB", true);
  bag.WriteFont("FONT", ButtonFont{"MS Sans Serif", 8.25, 400, false, false});
  bag.WriteLong("COLTYPE", static_cast<std::int32_t>(sknColorScheme::csSystem));
  bag.WriteBool("FOCUSR", true);
  bag.WriteLong("BCOL", kFace);
  bag.WriteLong("BCOLO", kFace);
  bag.WriteLong("FCOL", kBlack);
  bag.WriteLong("FCOLO", kBlack);
  bag.WriteLong("MCOL", static_cast<std::int32_t>(kDefaultMaskColor));
  bag.WriteLong("MPTR", kPointerArrow);
  bag.WritePicture("MICON", nullptr);
  bag.WritePicture("PICN", nullptr);
  bag.WritePicture("PICH", nullptr);
  bag.WriteBool("UMCOL", true);
  bag.WriteBool("SOFT", false);
  bag.WriteLong("PICPOS", static_cast<std::int32_t>(sknPicturePosition::ppLeft));
  bag.WriteBool("NGREY", false);
  bag.WriteLong("FX", static_cast<std::int32_t>(sknSpecialEffect::fxNone));
  bag.WriteBool("HAND", false);
  bag.WriteBool("CHECK", false);
  bag.WriteBool("VALUE", false);
}

std::int32_t AboutPage::PictureWidth(std::int32_t dpi) { return (kPictureWidthPx * dpi + 48) / 96; }

std::int32_t AboutPage::PictureHeight(std::int32_t dpi) { return (kPictureHeightPx * dpi + 48) / 96; }

std::vector<std::uint32_t> AboutPage::PictureBackground(std::int32_t dpi) {
  if (dpi <= 0) dpi = 96;
  // Every length is given at 96 dots per inch and drawn at the resolution asked for.
  const auto s = [dpi](int v) { return (v * dpi + 48) / 96; };
  const int w = PictureWidth(dpi);
  const int h = PictureHeight(dpi);
  constexpr ColorRef kLight = Rgb(97, 167, 231);
  constexpr ColorRef kDark = Rgb(14, 54, 90);
  constexpr ColorRef kBand = Rgb(190, 220, 247);
  std::vector<std::uint32_t> pixels(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      // A diagonal gradient from the light blue (top left) to the dark blue (bottom right).
      pixels[static_cast<size_t>(y) * w + x] = Blend(kLight, kDark, x * h + y * w, 2 * w * h);
    }
  }
  // A light band across the lower part, and a ticked box as the emblem on the left.
  for (int y = s(66); y < s(68); ++y) {
    for (int x = s(10); x < w - s(10); ++x) pixels[static_cast<size_t>(y) * w + x] = ToPixel(kBand);
  }
  const int bx = s(12), by = s(16), bs = s(34), edge = s(3);
  for (int y = by; y < by + bs; ++y) {
    for (int x = bx; x < bx + bs; ++x) {
      const bool onEdge = x < bx + edge || x >= bx + bs - edge || y < by + edge || y >= by + bs - edge;
      if (onEdge) pixels[static_cast<size_t>(y) * w + x] = ToPixel(Rgb(255, 255, 255));
    }
  }
  // The tick: a short stroke down to the right, then a long one up to the right, three points thick.
  auto plot = [&](int x, int y) {
    for (int t = 0; t < edge; ++t) {
      if (y + t >= 0 && y + t < h && x >= 0 && x < w) pixels[static_cast<size_t>(y + t) * w + x] = ToPixel(kBand);
    }
  };
  for (int i = 0; i < s(8); ++i) plot(bx + s(8) + i, by + s(16) + i);
  for (int i = 0; i < s(13); ++i) plot(bx + s(16) + i, by + s(23) - i);
  return pixels;
}

}  // namespace kqm
