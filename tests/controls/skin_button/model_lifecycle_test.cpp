#include <gtest/gtest.h>

#include "controls/skin_button/property_bag.h"
#include "model_test_site.h"

namespace kqm {
namespace {

PicturePtr Pattern(ButtonPicture::Kind kind, std::int32_t w, std::int32_t h, std::uint32_t seed) {
  std::vector<std::uint32_t> px(static_cast<size_t>(w * h));
  for (size_t i = 0; i < px.size(); ++i) {
    px[i] = (seed * 2654435761u + static_cast<std::uint32_t>(i) * 40503u) & 0x00FFFFFFu;
    if (kind == ButtonPicture::Kind::Icon && i % 3 != 0) px[i] |= 0xFF000000u;
  }
  return MakePicture(kind, w, h, std::move(px));
}

void ExpectSamePicture(const PicturePtr& a, const PicturePtr& b, const char* what) {
  ASSERT_EQ(a == nullptr, b == nullptr) << what;
  if (a) {
    EXPECT_EQ(*a, *b) << what;
  }
}

TEST(ButtonPersistence, EveryPropertySurvivesWriteSaveLoadRead) {
  testing::ShownButton s;
  sknButton& a = s.button;
  a.ButtonType(sknButtonType::btGradientFramed);
  a.Caption("Visit \"the\" &Web\\site\ttab\nline ✓");
  a.Enabled(false);
  a.Font(ButtonFont{"Trebuchet MS", 9.75, 700, true, true});
  a.ColorScheme(sknColorScheme::csCustom);
  a.ShowFocusRect(false);
  a.BackColor(Rgb(10, 20, 30));
  a.BackOver(Rgb(40, 50, 60));
  a.ForeColor(0x80000008u);
  a.ForeOver(Rgb(255, 255, 255));
  a.MaskColor(Rgb(255, 0, 255));
  a.MousePointer(11);
  a.MouseIcon(Pattern(ButtonPicture::Kind::Icon, 5, 4, 1));
  a.PictureNormal(Pattern(ButtonPicture::Kind::Bitmap, 7, 3, 2));
  a.PictureOver(Pattern(ButtonPicture::Kind::Icon, 33, 2, 3));
  a.UseMaskColor(false);
  a.SoftBevel(true);
  a.PicturePosition(sknPicturePosition::ppBehind);
  a.UseGreyscale(true);
  a.SpecialEffect(sknSpecialEffect::fxShadow);
  a.CheckBoxBehaviour(true);
  a.Value(true);

  TextPropertyBag out;
  a.WriteProperties(out);
  TextPropertyBag in;
  ASSERT_TRUE(in.Load(out.Save())) << in.Errors().front().message;

  testing::TestSite site2;
  sknButton b(site2);
  b.ReadProperties(in);
  EXPECT_TRUE(in.Errors().empty());
  EXPECT_EQ(b.ButtonType(), a.ButtonType());
  EXPECT_EQ(b.Caption(), a.Caption());
  EXPECT_EQ(b.Enabled(), false);
  EXPECT_FALSE(site2.enabledWindow);
  EXPECT_EQ(b.Font(), a.Font());
  EXPECT_EQ(b.ColorScheme(), a.ColorScheme());
  EXPECT_EQ(b.ShowFocusRect(), false);
  EXPECT_EQ(b.BackColor(), a.BackColor());
  EXPECT_EQ(b.BackOver(), a.BackOver());
  EXPECT_EQ(b.ForeColor(), 0x80000008u);
  EXPECT_EQ(b.ForeOver(), a.ForeOver());
  EXPECT_EQ(b.MaskColor(), a.MaskColor());
  EXPECT_EQ(b.MousePointer(), 11);
  EXPECT_EQ(site2.pointerShape, 11);
  ExpectSamePicture(b.MouseIcon(), a.MouseIcon(), "MICON");
  ExpectSamePicture(site2.pointerImage, a.MouseIcon(), "pointer image");
  ExpectSamePicture(b.PictureNormal(), a.PictureNormal(), "PICN");
  ExpectSamePicture(b.PictureOver(), a.PictureOver(), "PICH");
  EXPECT_EQ(b.UseMaskColor(), false);
  EXPECT_EQ(b.SoftBevel(), true);
  EXPECT_EQ(b.PicturePosition(), sknPicturePosition::ppBehind);
  EXPECT_EQ(b.UseGreyscale(), true);
  EXPECT_EQ(b.SpecialEffect(), sknSpecialEffect::fxShadow);
  EXPECT_EQ(b.HandPointer(), false);
  EXPECT_EQ(b.CheckBoxBehaviour(), true);
  EXPECT_EQ(b.Value(), true);
  EXPECT_EQ(site2.accessKeys, "W");

  TextPropertyBag again;
  b.WriteProperties(again);
  EXPECT_EQ(again.Save(), out.Save());
}

TEST(ButtonPersistence, WritesAllKeysInOrderEvenAtTheirDefaults) {
  testing::TestSite site;
  sknButton b(site);
  TextPropertyBag bag;
  b.WriteProperties(bag);
  std::vector<std::string> keys;
  for (const auto& e : bag.Entries()) keys.push_back(e.key);
  EXPECT_EQ(keys, (std::vector<std::string>{"BTYPE", "TX", "ENAB", "FONT", "COLTYPE", "FOCUSR", "BCOL", "BCOLO",
                                            "FCOL", "FCOLO", "MCOL", "MPTR", "MICON", "PICN", "PICH", "UMCOL",
                                            "SOFT", "PICPOS", "NGREY", "FX", "HAND", "CHECK", "VALUE"}));
  const std::string text = bag.Save();
  EXPECT_NE(text.find("BCOL=-2147483633\r\n"), std::string::npos);
  EXPECT_NE(text.find("PICN=Nothing\r\n"), std::string::npos);
  EXPECT_NE(text.find("FONT=Font(\"MS Sans Serif\", 8.25, 400, False, False)\r\n"), std::string::npos);
}

TEST(ButtonPersistence, EmptyBagGivesTheDefaults) {
  testing::TestSite site;
  sknButton b(site);
  b.Font(ButtonFont{"Current", 11, 400, false, false});
  site.notified.clear();
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load(""));
  b.ReadProperties(bag);
  EXPECT_EQ(b.ButtonType(), sknButtonType::btClassic3D);
  EXPECT_EQ(b.ColorScheme(), sknColorScheme::csSystem);
  EXPECT_EQ(b.BackColor(), kSysButtonFace);
  EXPECT_EQ(b.BackOver(), kSysButtonFace);
  EXPECT_EQ(b.ForeColor(), kSysButtonText);
  EXPECT_EQ(b.ForeOver(), kSysButtonText);
  EXPECT_EQ(b.MaskColor(), Rgb(192, 192, 192));
  EXPECT_TRUE(b.Enabled());
  EXPECT_TRUE(site.enabledWindow);
  EXPECT_EQ(b.Caption(), "");
  EXPECT_TRUE(b.ShowFocusRect());
  EXPECT_TRUE(b.UseMaskColor());
  EXPECT_EQ(b.PictureNormal(), nullptr);
  EXPECT_EQ(b.PictureOver(), nullptr);
  EXPECT_EQ(b.Font().name, "Current");  // the font default is the control's current font
  EXPECT_EQ(b.MousePointer(), kPointerDefault);
  EXPECT_FALSE(b.CheckBoxBehaviour());
  EXPECT_FALSE(b.Value());
  EXPECT_TRUE(site.notified.empty());
}

TEST(ButtonPersistence, HoverColoursDefaultToTheColoursJustRead) {
  testing::TestSite site;
  sknButton b(site);
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load("BCOL=255\nFCOL=65280\n"));
  b.ReadProperties(bag);
  EXPECT_EQ(b.BackOver(), 255u);
  EXPECT_EQ(b.ForeOver(), 65280u);
}

TEST(ButtonPersistence, LowerCaseKeysAreRead) {
  testing::TestSite site;
  sknButton b(site);
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load("btype=13\ntx=\"Oval\"\nPicPos=3\ncheck=True\nvalue=True\n"));
  b.ReadProperties(bag);
  EXPECT_EQ(b.ButtonType(), sknButtonType::btOval);
  EXPECT_EQ(b.Caption(), "Oval");
  EXPECT_EQ(b.PicturePosition(), sknPicturePosition::ppBottom);
  EXPECT_TRUE(b.Value());
}

TEST(ButtonPersistence, StoredHandPointerSetsTheHandAndAStoredFalseKeepsThePointerRead) {
  testing::TestSite site;
  sknButton b(site);
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load("MPTR=11\nHAND=False\n"));
  b.ReadProperties(bag);
  EXPECT_EQ(b.MousePointer(), 11);
  EXPECT_EQ(site.pointerShape, 11);
  ASSERT_TRUE(bag.Load("MPTR=11\nHAND=True\n"));
  b.ReadProperties(bag);
  EXPECT_EQ(b.MousePointer(), kPointerCustom);
  EXPECT_TRUE(site.handImage);
}

TEST(ButtonPersistence, CorruptBagFallsBackToDefaultsKeyByKey) {
  testing::TestSite site;
  sknButton b(site);
  TextPropertyBag bag;
  EXPECT_FALSE(bag.Load("BTYPE=\"seven\"\nTX=\"unterminated\nENAB=False\nFONT=Font(\"A\", -1, 400, False, False)\n"
                        "garbage line\nPICN=Bitmap(AAAA)\nMPTR=70000\nCOLTYPE=3\n"));
  b.ReadProperties(bag);
  EXPECT_EQ(b.ButtonType(), sknButtonType::btClassic3D);
  EXPECT_EQ(b.Caption(), "");
  EXPECT_FALSE(b.Enabled());
  EXPECT_EQ(b.Font().name, "MS Sans Serif");
  EXPECT_EQ(b.PictureNormal(), nullptr);
  EXPECT_EQ(b.MousePointer(), kPointerDefault);
  EXPECT_EQ(b.ColorScheme(), sknColorScheme::csFixed);
  std::vector<int> lines;
  for (const BagError& e : bag.Errors()) lines.push_back(e.line);
  // Line errors from loading, then the typed reads that fell back (0 = found while reading).
  EXPECT_EQ(lines, (std::vector<int>{2, 4, 5, 6, 0, 0}));
  EXPECT_EQ(bag.Errors()[4].key, "BTYPE");
  EXPECT_EQ(bag.Errors()[5].key, "MPTR");
}

}  // namespace
}  // namespace kqm
