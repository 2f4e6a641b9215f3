#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>

#include "caption_text_contract.h"
#include "controls/skin_button/button_caption.h"
#include "controls/skin_button/button_paint.h"
#include "platform/substitute/fixed_system_colors.h"
#include "platform/win32/dib_raster.h"
#include "platform/win32/gdi_text_renderer.h"
#include "platform/win32/win32_system_colors.h"

namespace kqm {
namespace {

constexpr ColorRef kBack = Rgb(37, 99, 201);

// Positions where two surfaces differ (at most `limit` listed).
std::string Differences(const Raster& a, const Raster& b, const PixelRect& skip = {}, int limit = 8) {
  std::string out;
  int n = 0;
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (skip.Contains(x, y)) continue;
      if (a.Bits()[y * a.Width() + x] == b.Bits()[y * b.Width() + x]) continue;
      if (++n <= limit) {
        char buf[64];
        snprintf(buf, sizeof buf, "(%d,%d) %06x/%06x ", x, y, a.Bits()[y * a.Width() + x] & 0xFFFFFFu,
                 b.Bits()[y * b.Width() + x] & 0xFFFFFFu);
        out += buf;
      }
    }
  }
  if (n > limit) out += "... " + std::to_string(n) + " in all";
  return out;
}

struct Pair {
  std::unique_ptr<DibRaster> gdi;
  Raster portable;
  Pair(int w, int h) : gdi(DibRaster::Create(w, h, DibRaster::Primitives::Gdi, kBack)), portable(w, h, kBack) {}
  template <typename F>
  void Both(F f) {
    f(static_cast<Raster&>(*gdi));
    f(portable);
  }
};

TEST(GdiContract, BoxesOutlinesAndPixelsMatchTheRaster) {
  Pair p(40, 30);
  ASSERT_TRUE(p.gdi);
  std::mt19937 rng(7);
  std::uniform_int_distribution<int> pos(-5, 40), size(-6, 20);
  for (int i = 0; i < 300; ++i) {
    const int x = pos(rng), y = pos(rng), w = size(rng), h = size(rng);
    const ColorRef c = Rgb(i * 7, i * 13, i * 3);
    switch (i % 3) {
      case 0: p.Both([&](Raster& r) { r.FillBox(x, y, w, h, c); }); break;
      case 1: p.Both([&](Raster& r) { r.OutlineBox(x, y, w, h, c); }); break;
      default: p.Both([&](Raster& r) { r.SetPixel(x, y, c); }); break;
    }
    ASSERT_EQ(Differences(*p.gdi, p.portable), "") << "operation " << i << " " << x << "," << y << " " << w << "x" << h;
  }
}

TEST(GdiContract, LinesMatchTheRasterInEveryDirection) {
  Pair p(48, 48);
  ASSERT_TRUE(p.gdi);
  std::mt19937 rng(11);
  std::uniform_int_distribution<int> pos(-4, 51);
  for (int i = 0; i < 400; ++i) {
    const int x1 = pos(rng), y1 = pos(rng), x2 = pos(rng), y2 = pos(rng);
    const ColorRef c = Rgb(i, 255 - i % 256, i * 5);
    p.Both([&](Raster& r) { r.Line(x1, y1, x2, y2, c); });
    ASSERT_EQ(Differences(*p.gdi, p.portable), "") << x1 << "," << y1 << " -> " << x2 << "," << y2;
  }
}

// Differences between GDI and the raster for one drawing, on fresh surfaces. Wine's ellipse fill now and then
// inks a stray span outside narrow ellipses (seen under load, never twice in a row), so a mismatch is drawn
// again: the raster is deterministic, and one agreeing GDI drawing shows the rules agree.
template <typename F>
std::string EllipseDifferences(F draw, int& redraws) {
  std::string diff;
  for (int attempt = 0; attempt < 3; ++attempt) {
    Pair p(50, 40);
    if (!p.gdi) return "no GDI surface";
    p.Both(draw);
    diff = Differences(*p.gdi, p.portable);
    if (diff.empty()) return diff;
    ++redraws;
  }
  return diff;
}

TEST(GdiContract, EllipsesWithATwoPixelPenMatchTheRaster) {
  int redraws = 0;
  for (int w = 1; w <= 41; w += 2) {
    for (int h = 1; h <= 33; h += 3) {
      // Not compared: ellipses 3 pixels wide, whose interior is narrower than the pen. Wine's fill of them
      // spills over whole rows left of the ellipse in some runs and not in others (seen on fresh prefixes).
      if (w != 3) {
        EXPECT_EQ(EllipseDifferences([&](Raster& r) { r.Ellipse(3, 2, 3 + w, 2 + h, Rgb(255, 0, 0), Rgb(0, 0, 255)); },
                                     redraws),
                  "")
            << w << "x" << h;
      }
      EXPECT_EQ(EllipseDifferences([&](Raster& r) { r.Ellipse(0, 0, w + 1, h + 1, Rgb(0, 255, 0), Rgb(9, 9, 9)); },
                                   redraws),
                "")
          << (w + 1) << "x" << (h + 1) << " at the origin";
    }
  }
  RecordProperty("gdi_redraws", redraws);
}

TEST(GdiContract, FocusRectanglesMatchTheRaster) {
  Pair p(60, 60);
  ASSERT_TRUE(p.gdi);
  for (int w = 0; w <= 12; ++w) {
    for (int h = 0; h <= 9; ++h) {
      const PixelRect r{w * 4 % 17, h * 5 % 13, w * 4 % 17 + w, h * 5 % 13 + h};
      p.Both([&](Raster& s) { s.FocusRect(r); });
      ASSERT_EQ(Differences(*p.gdi, p.portable), "") << w << "x" << h;
    }
  }
}

// Where a shape and the platform's region built from it disagree, on one freshly made region ("" when they agree).
std::string RegionDifferences(const ButtonShape& shape, int w, int h) {
  UniqueRegion region(shape.elliptic ? CreateEllipticRgn(0, 0, w, h) : CreateRectRgn(0, 0, w, h));
  for (const auto& [x, y] : shape.removed) {
    UniqueRegion dot(CreateRectRgn(x, y, x + 1, y + 1));
    CombineRgn(region.get(), region.get(), dot.get(), RGN_DIFF);
  }
  int inside = 0;
  for (int y = -1; y <= h; ++y) {
    for (int x = -1; x <= w; ++x) {
      const bool platform = PtInRegion(region.get(), x, y) != FALSE;
      inside += platform ? 1 : 0;
      if (shape.Contains(x, y) != platform)
        return "at " + std::to_string(x) + "," + std::to_string(y) + " the platform says " + (platform ? "in" : "out");
    }
  }
  if (shape.PixelCount() != inside) return std::to_string(inside) + " pixels in the platform's region";
  return "";
}

TEST(GdiContract, WindowShapesMatchThePlatformRegions) {
  int remade = 0;
  for (int type = 1; type <= 14; ++type) {
    for (const auto& [w, h] : {std::pair{10, 10}, {29, 13}, {91, 29}, {5, 40}, {3, 3}, {2, 7}}) {
      ButtonLook look;
      look.buttonType = static_cast<sknButtonType>(type);
      look.width = w;
      look.height = h;
      const ButtonShape shape = MakeRegion(look);
      // Wine now and then gives a narrow elliptic region a stray pixel (never twice in a row): compare a
      // freshly made region again before calling it a difference.
      std::string diff;
      for (int attempt = 0; attempt < 3; ++attempt) {
        diff = RegionDifferences(shape, w, h);
        if (diff.empty()) break;
        ++remade;
      }
      EXPECT_EQ(diff, "") << "type " << type << " " << w << "x" << h;
    }
  }
  RecordProperty("regions_remade", remade);
}

TEST(GdiContract, SubstituteSystemColoursAreThoseOfTheTestPrefix) {
  FixedSystemColors fixed;
  Win32SystemColors real;
  for (int i = 0; i <= 30; ++i) EXPECT_EQ(fixed.SysColor(i), real.SysColor(i)) << "index " << i;
  EXPECT_EQ(real.SysColor(-1), 0u);
  EXPECT_EQ(real.SysColor(99), 0u);
}

TEST(GdiContract, GdiRendererKeepsTheRendererContractOnBothKindsOfSurface) {
  GdiTextRenderer text;
  testing::CheckTextRendererContract(text);
  std::unique_ptr<DibRaster> dib = DibRaster::Create(80, 30, DibRaster::Primitives::Gdi, kBack);
  Raster plain(80, 30, kBack);
  const TextFont font;
  text.Draw(*dib, "Save &As", font, {0, 0, 80, 30}, Rgb(0, 0, 0));
  text.Draw(plain, "Save &As", font, {0, 0, 80, 30}, Rgb(0, 0, 0));
  EXPECT_EQ(Differences(*dib, plain), "");
}

// Every type and look through the real GDI surface and text against the portable raster with the same text:
// everything outside the caption's rectangles is the same.
TEST(GdiContract, EveryTypeAndStatePaintsTheSamePixelsAsTheRaster) {
  FixedSystemColors sys;
  GdiTextRenderer text;
  auto picture = std::make_shared<ButtonPicture>();
  picture->width = picture->height = 12;
  for (int i = 0; i < 144; ++i) {
    const int x = i % 12, y = i / 12;
    picture->pixels.push_back((x + y) % 5 == 0 ? ToPixel(Rgb(192, 192, 192)) : ToPixel(Rgb(x * 20, y * 20, 90)));
  }
  int compared = 0;
  for (int scheme = 1; scheme <= 4; ++scheme) {
    for (int type = 1; type <= 14; ++type) {
      for (int look = 0; look < 7; ++look) {
        ButtonLook l;
        l.buttonType = static_cast<sknButtonType>(type);
        l.colorScheme = static_cast<sknColorScheme>(scheme);
        l.backColor = Rgb(90, 140, 200);
        l.backOver = Rgb(230, 180, 90);
        l.foreColor = Rgb(20, 20, 60);
        l.foreOver = Rgb(120, 0, 0);
        l.containerBackColor = Rgb(240, 230, 200);
        l.caption = type % 2 ? "&Readme" : "Visit the web site";
        l.width = 91;
        l.height = type == 13 ? 41 : 29;
        l.isOver = look == 1 || look == 3;
        l.hasFocus = look == 4;
        l.displayAsDefault = look == 4 || look == 5;
        l.enabled = look != 6;
        l.checkBoxBehaviour = look == 5;
        l.value = look == 5;
        l.specialEffect = static_cast<sknSpecialEffect>(look % 4);
        l.softBevel = look == 2;
        if (look >= 2) l.pictureNormal = picture;
        l.picturePosition = static_cast<sknPicturePosition>(look % 5);
        const int state = (look == 2 || look == 3) ? kStateDown : kStateUp;
        std::unique_ptr<DibRaster> real = DibRaster::Create(l.width, l.height, DibRaster::Primitives::Gdi, kBack);
        Raster portable(l.width, l.height, kBack);
        ButtonPainter a(sys), b(sys);
        Raster behind(l.width, l.height, Rgb(10, 200, 30));
        behind.FillBox(5, 5, 30, 10, Rgb(200, 0, 200));
        for (ButtonPainter* p : {&a, &b}) {
          p->ComputeColors(l);
          p->Resize(l, text);
          p->CaptureBackground(behind);
        }
        ASSERT_TRUE(a.PaintButton(l, state, true, *real, text));
        ASSERT_TRUE(b.PaintButton(l, state, true, portable, text));
        const CaptionLayout& layout = b.Layout();
        const int m = layout.inkMargin;
        const PixelRect caption{layout.rcText.left - 1 - m, layout.rcText.top - 1, layout.rcTextDown.right + 1 + m,
                                layout.rcTextDown.bottom + 1 + m};
        EXPECT_EQ(Differences(*real, portable, caption), "")
            << "scheme " << scheme << " type " << type << " look " << look;
        ++compared;
      }
    }
  }
  EXPECT_EQ(compared, 4 * 14 * 7);
}

// Every caption style and effect draws its captions whole: the same as the text drawn without any rectangle to
// cut it (a rectangle far wider than the text, which centres it at the same place).
TEST(GdiContract, CaptionsAreDrawnWholeInEveryStyleAndEffect) {
  FixedSystemColors sys;
  GdiTextRenderer text;
  int compared = 0;
  for (const char* caption : {"Visit &web", "&Readme", "Waly fwy"}) {
    for (const bool italic : {false, true}) {
      for (int effect = 0; effect <= 3; ++effect) {
        for (int style = 0; style <= 7; ++style) {
          ButtonLook look;
          look.caption = caption;
          look.font.italic = italic;
          look.width = 91;
          look.height = 29;
          look.specialEffect = static_cast<sknSpecialEffect>(effect);
          const ButtonColors colours = ComputeColors(look, sys);
          CaptionLayout layout;
          LayoutCaption(layout, look, CaptionFont(look.font), text);
          CaptionLayout unclipped = layout;
          unclipped.inkMargin = 60;
          auto draw = [&](const CaptionLayout& l) {
            std::unique_ptr<DibRaster> face = DibRaster::Create(91, 29, DibRaster::Primitives::Gdi, kBack);
            ButtonColors c = colours;
            int lastStyle = 0;
            FaceContext context{look, c, l, *face, text, CaptionFont(look.font), kStateUp, lastStyle};
            DrawCaption(context, style);
            return face;
          };
          const std::unique_ptr<DibRaster> drawn = draw(layout);
          const std::unique_ptr<DibRaster> whole = draw(unclipped);
          ASSERT_TRUE(drawn && whole);
          EXPECT_EQ(Differences(*drawn, *whole), "")
              << caption << (italic ? " italic" : "") << " effect " << effect << " style " << style;
          ++compared;
        }
      }
    }
  }
  EXPECT_EQ(compared, 3 * 2 * 4 * 8);
}

}  // namespace
}  // namespace kqm
