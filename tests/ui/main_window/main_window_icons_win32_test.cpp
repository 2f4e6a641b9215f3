// The program's own icons (the list's marks and the bar's actions), drawn on one strip and cut by the image list.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <memory>

#include "platform/win32/dib_raster.h"
#include "ui/main_window/win32/main_window_controls_win32.h"

namespace kqm {
namespace {

TEST(MainWindowIcons, EachIsCutFromItsOwnPlaceOfTheStripWithItsBackgroundClear) {
  UniqueImageList icons = MakeActionIcons(96);
  ASSERT_EQ(8, ImageList_GetImageCount(icons.get()));
  // Each icon drawn on white: its motif's colour at a point inside the motif, white where the mask colour was.
  const auto pixel = [&](int index, int x, int y) {
    std::unique_ptr<DibRaster> surface = DibRaster::Create(16, 16, DibRaster::Primitives::Gdi);
    RECT all{0, 0, 16, 16};
    FillRect(surface->Dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(icons.get(), index, surface->Dc(), 0, 0, ILD_TRANSPARENT);
    GdiFlush();
    return GetPixel(surface->Dc(), x, y);
  };
  EXPECT_EQ(RGB(60, 120, 200), pixel(0, 8, 4)) << "the registry stack";
  EXPECT_EQ(RGB(240, 200, 80), pixel(1, 8, 10)) << "the folder";
  EXPECT_EQ(RGB(210, 40, 40), pixel(6, 8, 3)) << "the disable sign";
  EXPECT_EQ(RGB(40, 160, 60), pixel(7, 8, 3)) << "the enable tick";
  for (int i = 0; i < 8; ++i) EXPECT_EQ(RGB(255, 255, 255), pixel(i, 0, 15)) << "icon " << i << "'s corner";
}

}  // namespace
}  // namespace kqm
