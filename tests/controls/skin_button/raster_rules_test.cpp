#include <gtest/gtest.h>

#include "platform/raster.h"
#include "paint_test_support.h"

namespace kqm {
namespace {

using testing::Picture;

constexpr ColorRef kWhite = Rgb(255, 255, 255);
constexpr ColorRef kBlack = Rgb(0, 0, 0);
constexpr ColorRef kRed = Rgb(255, 0, 0);
constexpr ColorRef kBlue = Rgb(0, 0, 255);

TEST(RasterRules, PixelsAreStoredAsDibPixelsAndReadBackAsPackedColours) {
  Raster r(3, 2, kWhite);
  r.SetPixel(1, 1, Rgb(0x12, 0x34, 0x56));
  EXPECT_EQ(r.Bits()[1 * 3 + 1], 0x00123456u);
  EXPECT_EQ(r.Pixel(1, 1), Rgb(0x12, 0x34, 0x56));
  EXPECT_EQ(r.Pixel(-1, 0), 0u);
  EXPECT_EQ(r.Pixel(3, 0), 0u);
  r.SetPixel(5, 5, kBlack);  // clipped, no crash
  EXPECT_EQ(Raster(-4, 2).Width(), 0);
}

TEST(RasterRules, BoxesExcludeRightAndBottomAndNegativeSizesExtendBackwards) {
  Raster r(12, 10, kWhite);
  r.FillBox(1, 1, 3, 2, kBlack);
  r.FillBox(10, 5, -5, 3, kRed);  // columns 6..10
  r.FillBox(0, 9, 4, 0, kBlack);  // nothing
  EXPECT_EQ(Picture(r, 0, 9, 12, kWhite, {{kBlack, '#'}, {kRed, 'R'}}),
            (std::vector<std::string>{"............", ".###........", ".###........", "............",
                                      "............", "......RRRRR.", "......RRRRR.", "......RRRRR.",
                                      "............"}));
  EXPECT_EQ(testing::CountColour(r, 0, 9, 12, 1, kBlack), 0);
}

TEST(RasterRules, OutlinesDrawTheBorderOnlyAndNothingForEmptyOrInvertedBoxes) {
  Raster r(30, 8, kWhite);
  r.OutlineBox(1, 1, 5, 4, kBlack);
  r.OutlineBox(8, 1, 1, 5, kBlack);   // one column
  r.OutlineBox(10, 1, 2, 1, kBlack);  // two pixels
  r.OutlineBox(20, 1, -3, 3, kBlack);  // nothing
  r.OutlineBox(24, 1, 0, 3, kBlack);   // nothing
  EXPECT_EQ(Picture(r, 0, 7, 30, kWhite, {{kBlack, '#'}}),
            (std::vector<std::string>{"..............................", ".#####..#.##..................",
                                      ".#...#..#.....................", ".#...#..#.....................",
                                      ".#####..#.....................", "........#.....................",
                                      ".............................."}));
}

// The same lines drawn by the platform's GDI into a DIB section gave exactly these pixels.
TEST(RasterRules, LinesInEveryOctantExcludeTheEndPixelAndBreakTiesLikeGdi) {
  Raster r(57, 30, kWhite);
  const int lines[][4] = {{1, 2, 2, 0},    {10, 1, 8, 3},   {20, 3, 15, 1},  {20, 10, 14, 5},
                          {30, 1, 34, 9},  {40, 9, 36, 2},  {45, 2, 55, 6},  {55, 12, 45, 8},
                          {2, 20, 9, 24},  {12, 24, 5, 20}, {20, 20, 23, 27}, {27, 27, 24, 20},
                          {30, 20, 39, 23}, {39, 26, 30, 23}, {42, 20, 44, 29}, {50, 29, 48, 20}};
  for (const auto& l : lines) r.Line(l[0], l[1], l[2], l[3], kBlack);
  const std::vector<std::string> expected = {
      ".#........#.....#.............#..........................",  // 1
      ".#.......#.......##...........#..............##..........",  // 2
      "...................##..........#.....#.........##........",  // 3
      "...............................#.....#...........###.....",  // 4
      "................................#.....#.............##...",  // 5
      "...............#................#.....#...............#..",  // 6
      "................##...............#.....#.................",  // 7
      "..................#..............#.....#......#..........",  // 8
      "...................#....................#......##........",  // 9
      "....................#............................###.....",  // 10
      "....................................................##...",  // 11
      "......................................................##.",  // 12
  };
  EXPECT_EQ(Picture(r, 1, 13, 57, kWhite, {{kBlack, '#'}}), expected);
  const std::vector<std::string> lower = {
      "..#.................#.........##..........#..............",  // 20
      "...##.##............#...#.......###.......#.....#........",  // 21
      ".....##.##...........#...#.........###....#.....#........",  // 22
      ".......##.##.........#...#.....#......#....#.....#.......",  // 23
      "............#.........#...#.....###........#.....#.......",  // 24
      "......................#...#........###.....#.....#.......",  // 25
      ".......................#...#..........##...#.....#.......",  // 26
      "...........................#................#.....#......",  // 27
      "............................................#.....#......",  // 28
      "..................................................#......",  // 29
  };
  EXPECT_EQ(Picture(r, 20, 30, 57, kWhite, {{kBlack, '#'}}), lower);
}

TEST(RasterRules, ZeroLengthLineDrawsNothing) {
  Raster r(4, 4, kWhite);
  r.Line(2, 2, 2, 2, kBlack);
  EXPECT_EQ(testing::CountColour(r, 0, 0, 4, 4, kBlack), 0);
}

// Ellipses with a 2-pixel pen and a fill, as GDI draws them into a DIB section.
TEST(RasterRules, EllipsesMatchTheSamplesTakenFromGdi) {
  struct Sample {
    int w, h;
    std::vector<std::string> rows;
  };
  const Sample samples[] = {
      {10, 10, {"....RRRRR....", "...RRRRRRR...", "..RRRRBRRRR..", ".RRRRBBBRRRR.", ".RRRBBBBBRRR.",
                ".RRBBBBBBBRR.", ".RRBBBBBBBRR.", ".RRRBBBBBRRR.", ".RRRRBBBRRRR.", "..RRRRRRRRR..",
                "...RRRRRRR..."}},
      {7, 5, {"...RRRR...", ".RRRRRRRR.", ".RRRRRRRR.", ".RRRBBRRR.", ".RRRRRRRR.", "..RRRRRR.."}},
      {29, 13, {"..........RRRRRRRRRRRR..........", "......RRRRRRRRRRRRRRRRRRRR......",
                "....RRRRRRRRBBBBBBBBRRRRRRRR....", "...RRRRRBBBBBBBBBBBBBBBBRRRRR...",
                "..RRRRBBBBBBBBBBBBBBBBBBBBRRRR..", ".RRRRBBBBBBBBBBBBBBBBBBBBBBRRRR.",
                ".RRRBBBBBBBBBBBBBBBBBBBBBBBBRRR.", ".RRBBBBBBBBBBBBBBBBBBBBBBBBBBRR.",
                ".RRRBBBBBBBBBBBBBBBBBBBBBBBBRRR.", ".RRRRBBBBBBBBBBBBBBBBBBBBBBRRRR.",
                "..RRRRRBBBBBBBBBBBBBBBBBBRRRRR..", "...RRRRRRRRBBBBBBBBBBRRRRRRRR...",
                ".....RRRRRRRRRRRRRRRRRRRRRR.....", ".........RRRRRRRRRRRRRR........."}},
  };
  for (const Sample& s : samples) {
    Raster r(static_cast<int>(s.rows[0].size()), 40, kWhite);
    r.Ellipse(2, 2, 2 + s.w, 2 + s.h, kRed, kBlue);
    EXPECT_EQ(Picture(r, 1, 1 + static_cast<int>(s.rows.size()), static_cast<int>(s.rows[0].size()), kWhite,
                      {{kRed, 'R'}, {kBlue, 'B'}}),
              s.rows)
        << s.w << "x" << s.h;
    EXPECT_EQ(testing::CountColour(r, 0, 1 + static_cast<int>(s.rows.size()), r.Width(), 10, kRed), 0);
  }
}

TEST(RasterRules, FocusFrameInvertsAlternatePixelsFromTheTopRightAndErasesItself) {
  Raster r(43, 10, kWhite);
  const PixelRect rects[] = {{2, 2, 13, 9}, {20, 3, 30, 10}, {33, 2, 42, 8}};
  for (const PixelRect& rc : rects) r.FocusRect(rc);
  const std::vector<std::string> expected = {
      "..#.#.#.#.#.#....................#.#.#.#.#.",  // 2
      ".....................#.#.#.#.#.............",  // 3
      "..#.........#.......#............#.......#.",  // 4
      ".............................#.............",  // 5
      "..#.........#.......#............#.......#.",  // 6
      ".............................#....#.#.#.#..",  // 7
      "..#.#.#.#.#.#.......#......................",  // 8
      ".....................#.#.#.#.#.............",  // 9
  };
  EXPECT_EQ(Picture(r, 2, 10, 43, kWhite, {{kBlack, '#'}}), expected);
  for (const PixelRect& rc : rects) r.FocusRect(rc);
  EXPECT_EQ(testing::CountColour(r, 0, 0, 43, 10, kWhite), 43 * 10);
}

// A one-pixel-thin frame is walked there and back, so only its ends can stay inverted (sampled from GDI).
TEST(RasterRules, ThinFocusFramesKeepOnlyTheirEnds) {
  Raster r(20, 3, kWhite);
  r.FocusRect({1, 0, 2, 1});   // 1 x 1: nothing
  r.FocusRect({3, 0, 7, 1});   // 4 wide: the right end
  r.FocusRect({8, 0, 13, 1});  // 5 wide: both ends
  r.FocusRect({14, 0, 15, 3});  // 1 wide, 3 high: both ends
  r.FocusRect({16, 0, 17, 2});  // 1 wide, 2 high: the top
  EXPECT_EQ(Picture(r, 0, 3, 20, kWhite, {{kBlack, '#'}}),
            (std::vector<std::string>{"......#.#...#.#.#...", "....................", "..............#....."}));
}

TEST(RasterRules, BlocksReadZeroOutsideAndDropWritesOutside) {
  Raster r(4, 3, kWhite);
  r.SetPixel(0, 0, kRed);
  std::vector<std::uint32_t> block;
  r.ReadBlock(-1, -1, 3, 3, block);
  ASSERT_EQ(block.size(), 9u);
  EXPECT_EQ(block[0], 0u);
  EXPECT_EQ(block[4], ToPixel(kRed));
  EXPECT_EQ(block[5], ToPixel(kWhite));
  std::vector<std::uint32_t> blue(9, ToPixel(kBlue));
  r.WriteBlock(2, 1, 3, 3, blue.data());
  EXPECT_EQ(testing::CountColour(r, 0, 0, 4, 3, kBlue), 4);
  EXPECT_EQ(r.Pixel(1, 1), kWhite);
  EXPECT_EQ(r.Pixel(3, 2), kBlue);
}

TEST(RasterRules, CloneIsIndependentAndMovedFromRasterIsEmpty) {
  Raster a(2, 2, kRed);
  Raster b = a.Clone();
  b.SetPixel(0, 0, kBlue);
  EXPECT_EQ(a.Pixel(0, 0), kRed);
  Raster c = std::move(b);
  EXPECT_EQ(c.Pixel(0, 0), kBlue);
  EXPECT_EQ(b.Width(), 0);  // NOLINT(bugprone-use-after-move): moved-from state is specified
}

}  // namespace
}  // namespace kqm
