#include <gtest/gtest.h>

#include "controls/skin_button/button_paint.h"
#include "platform/substitute/fixed_system_colors.h"

namespace kqm {
namespace {

TEST(PaintColors, ShiftColorMovesEachComponentAndClampsInTheDirectionOfTheMove) {
  EXPECT_EQ(ShiftColor(Rgb(200, 100, 50), 100, false, false), Rgb(255, 200, 150));
  EXPECT_EQ(ShiftColor(Rgb(200, 100, 50), 100, false, true), Rgb(250, 150, 100));
  EXPECT_EQ(ShiftColor(Rgb(10, 10, 100), -32, true, false), Rgb(0, 0, 84));
  EXPECT_EQ(ShiftColor(Rgb(10, 200, 30), -50, false, false), Rgb(0, 150, 0));
  EXPECT_EQ(ShiftColor(Rgb(10, 200, 30), -5, false, true), Rgb(8, 198, 28));  // -5 / 2 truncates to -2
  EXPECT_EQ(ShiftColor(Rgb(0, 0, 200), 48, true, false), Rgb(48, 48, 250));   // 200 + 9600 / 192
  EXPECT_EQ(ShiftColor(0x80123456u, 0, false, false), Rgb(0x56, 0x34, 0x12));  // only the colour bytes count
}

TEST(PaintColors, LightenColorMovesTowardsWhite) {
  EXPECT_EQ(LightenColor(Rgb(0, 0, 128), 176), Rgb(176, 176, 215));
  EXPECT_EQ(LightenColor(Rgb(255, 0, 10), 128), Rgb(255, 128, 132));
  EXPECT_EQ(LightenColor(Rgb(255, 255, 255), 300), Rgb(255, 255, 255));
}

TEST(PaintColors, TranslateColorResolvesSystemReferencesAndRejectsUnknownKinds) {
  FixedSystemColors sys;
  EXPECT_EQ(TranslateColor(0x8000000Fu, sys), Rgb(245, 245, 245));
  EXPECT_EQ(TranslateColor(Rgb(1, 2, 3), sys), Rgb(1, 2, 3));
  EXPECT_EQ(TranslateColor(0x02010203u, sys), Rgb(3, 2, 1));
  EXPECT_EQ(TranslateColor(0x800000FFu, sys), 0u);
  EXPECT_EQ(TranslateColor(0x41000000u, sys), 0u);
}

ButtonLook LookFor(sknColorScheme scheme) {
  ButtonLook look;
  look.colorScheme = scheme;
  return look;
}

TEST(PaintColors, FixedSchemeIsTheGreyPaletteWithPackedSelectionColours) {
  FixedSystemColors sys;
  ButtonLook look = LookFor(sknColorScheme::csFixed);
  look.maskColor = Rgb(255, 0, 255);
  const ButtonColors c = ComputeColors(look, sys);
  EXPECT_EQ(c.cFace, Rgb(192, 192, 192));
  EXPECT_EQ(c.cShadow, Rgb(128, 128, 128));
  EXPECT_EQ(c.cLight, Rgb(223, 223, 223));
  EXPECT_EQ(c.cHighlight, Rgb(255, 255, 255));
  EXPECT_EQ(c.cDarkShadow, 0u);
  EXPECT_EQ(c.cText, 0u);
  EXPECT_EQ(c.cTextOver, 0u);
  EXPECT_EQ(c.cSelect, 8388608u);
  EXPECT_EQ(c.cSelectPale, 13741485u);
  EXPECT_EQ(c.cMask, Rgb(255, 0, 255));
  EXPECT_EQ(c.cTint, Rgb(240, 240, 240));
}

TEST(PaintColors, CustomSchemeDerivesEveryShadeFromTheBackColour) {
  FixedSystemColors sys;
  ButtonLook look = LookFor(sknColorScheme::csCustom);
  look.backColor = Rgb(100, 120, 140);
  look.foreColor = Rgb(1, 2, 3);
  look.foreOver = Rgb(4, 5, 6);
  ButtonColors c = ComputeColors(look, sys);
  EXPECT_EQ(c.cFace, Rgb(100, 120, 140));
  EXPECT_EQ(c.cShadow, Rgb(36, 56, 76));
  EXPECT_EQ(c.cLight, Rgb(131, 151, 171));
  EXPECT_EQ(c.cHighlight, Rgb(147, 167, 187));
  EXPECT_EQ(c.cDarkShadow, 0u);
  EXPECT_EQ(c.cSelect, Rgb(0, 0, 12));
  EXPECT_EQ(c.cSelectPale, c.cFace);
  EXPECT_EQ(c.cText, Rgb(1, 2, 3));
  EXPECT_EQ(c.cTextOver, Rgb(4, 5, 6));
  EXPECT_EQ(c.cMask, Rgb(192, 192, 192));
  look.softBevel = true;
  c = ComputeColors(look, sys);
  EXPECT_EQ(c.cShadow, Rgb(68, 88, 108));
  EXPECT_EQ(c.cTint, Rgb(124, 144, 164));
  look.backColor = 0x8000000Fu;  // a system-colour reference is translated first
  EXPECT_EQ(ComputeColors(look, sys).cFace, Rgb(245, 245, 245));
}

TEST(PaintColors, SystemSchemeTakesThePlatformColoursAndUnknownSchemesBehaveAsIt) {
  FixedSystemColors sys;
  sys.Set(15, Rgb(10, 20, 30));
  sys.Set(18, Rgb(1, 1, 1));
  sys.Set(16, Rgb(2, 2, 2));
  sys.Set(22, Rgb(3, 3, 3));
  sys.Set(20, Rgb(4, 4, 4));
  sys.Set(21, Rgb(5, 5, 5));
  sys.Set(13, Rgb(0, 0, 128));
  ButtonLook look = LookFor(sknColorScheme::csSystem);
  look.backColor = Rgb(200, 0, 0);  // ignored by this scheme
  const ButtonColors c = ComputeColors(look, sys);
  EXPECT_EQ(c.cFace, Rgb(10, 20, 30));
  EXPECT_EQ(c.cText, Rgb(1, 1, 1));
  EXPECT_EQ(c.cTextOver, c.cText);
  EXPECT_EQ(c.cShadow, Rgb(2, 2, 2));
  EXPECT_EQ(c.cLight, Rgb(3, 3, 3));
  EXPECT_EQ(c.cHighlight, Rgb(4, 4, 4));
  EXPECT_EQ(c.cDarkShadow, Rgb(5, 5, 5));
  EXPECT_EQ(c.cSelectPale, Rgb(176, 176, 215));
  look.colorScheme = static_cast<sknColorScheme>(77);
  EXPECT_EQ(ComputeColors(look, sys), c);
}

TEST(PaintColors, ContainerSchemeUsesTheParentSurfaceAndTheSystemSelection) {
  FixedSystemColors sys;
  ButtonLook look = LookFor(sknColorScheme::csContainer);
  look.containerBackColor = Rgb(100, 100, 100);
  look.containerForeColor = Rgb(9, 9, 9);
  const ButtonColors c = ComputeColors(look, sys);
  EXPECT_EQ(c.cFace, Rgb(100, 100, 100));
  EXPECT_EQ(c.cText, Rgb(9, 9, 9));
  EXPECT_EQ(c.cTextOver, Rgb(9, 9, 9));
  EXPECT_EQ(c.cShadow, Rgb(36, 36, 36));
  EXPECT_EQ(c.cSelect, Rgb(48, 150, 250));
  EXPECT_EQ(c.cSelectPale, Rgb(190, 222, 253));
}

TEST(PaintColors, TintUsesProportionalBlueOnlyForTheRoundedGradientType) {
  FixedSystemColors sys;
  ButtonLook look = LookFor(sknColorScheme::csCustom);
  look.backColor = Rgb(100, 100, 96);
  look.buttonType = sknButtonType::btRoundedGradient;
  EXPECT_EQ(ComputeColors(look, sys).cTint, Rgb(148, 148, 120));
  look.buttonType = sknButtonType::btRoundedFramed;
  EXPECT_EQ(ComputeColors(look, sys).cTint, Rgb(148, 148, 144));
}

TEST(PaintColors, HighContrastDrawsEverySchemeInTheUsersSystemColours) {
  FixedSystemColors sys;
  sys.Set(15, Rgb(0, 0, 0));
  sys.Set(18, Rgb(255, 255, 0));
  sys.HighContrast(true);
  for (sknColorScheme scheme : {sknColorScheme::csCustom, sknColorScheme::csFixed, sknColorScheme::csContainer}) {
    ButtonLook look = LookFor(scheme);
    look.backColor = look.containerBackColor = Rgb(255, 255, 255);
    look.foreColor = look.foreOver = look.containerForeColor = Rgb(255, 255, 255);
    const ButtonColors c = ComputeColors(look, sys);
    EXPECT_EQ(c.cFace, Rgb(0, 0, 0));
    EXPECT_EQ(c.cText, Rgb(255, 255, 0));
    EXPECT_EQ(c.cTextOver, Rgb(255, 255, 0));
  }
}

}  // namespace
}  // namespace kqm
