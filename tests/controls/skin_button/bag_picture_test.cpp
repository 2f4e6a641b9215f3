#include <gtest/gtest.h>

#include "controls/skin_button/picture_codec.h"
#include "controls/skin_button/property_bag.h"

namespace kqm {
namespace {

void Put16(std::string& s, std::uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::uint32_t v) {
  Put16(s, v & 0xFFFF);
  Put16(s, v >> 16);
}

// A BITMAPINFOHEADER with the given fields.
std::string InfoHeader(std::int32_t w, std::int32_t h, int bpp, std::uint32_t colours = 0) {
  std::string s;
  Put32(s, 40);
  Put32(s, static_cast<std::uint32_t>(w));
  Put32(s, static_cast<std::uint32_t>(h));
  Put16(s, 1);
  Put16(s, static_cast<std::uint32_t>(bpp));
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, 0);
  Put32(s, colours);
  Put32(s, 0);
  return s;
}

std::string BmpFile(const std::string& infoAndPalette, const std::string& bits) {
  std::string s = "BM";
  Put32(s, static_cast<std::uint32_t>(14 + infoAndPalette.size() + bits.size()));
  Put32(s, 0);
  Put32(s, static_cast<std::uint32_t>(14 + infoAndPalette.size()));
  return s + infoAndPalette + bits;
}

TEST(BagPicture, Reads24BitRowsBottomUpWithPadding) {
  // 3 x 2 pixels: rows of 9 bytes padded to 12; the first stored row is the bottom one.
  std::string bits;
  bits += std::string("\x01\x02\x03\x04\x05\x06\x07\x08\x09", 9) + std::string(3, '\xEE');
  bits += std::string("\x11\x12\x13\x14\x15\x16\x17\x18\x19", 9) + std::string(3, '\xEE');
  const PictureDecodeResult r = DecodeBmp(BmpFile(InfoHeader(3, 2, 24), bits));
  ASSERT_NE(r.picture, nullptr) << r.error;
  EXPECT_EQ(r.picture->kind, ButtonPicture::Kind::Bitmap);
  EXPECT_EQ(r.picture->width, 3);
  EXPECT_EQ(r.picture->height, 2);
  EXPECT_EQ(r.picture->At(0, 0), 0x131211u);
  EXPECT_EQ(r.picture->At(2, 0), 0x191817u);
  EXPECT_EQ(r.picture->At(0, 1), 0x030201u);
  EXPECT_EQ(r.picture->At(2, 1), 0x090807u);
  EXPECT_EQ(r.picture->widthHiMetric, 79);  // 3 pixels at 96 per inch in 0.01 mm
  EXPECT_EQ(HiMetricToPixels(r.picture->widthHiMetric, 96), 3);
  EXPECT_EQ(HiMetricToPixels(r.picture->widthHiMetric, 192), 6);
}

TEST(BagPicture, ReadsPalettedAndTopDownBitmaps) {
  std::string palette;
  Put32(palette, 0x000000FF);
  Put32(palette, 0x0000FF00);
  // 1 bit, 10 x 1, top-down (negative height): bits 1010000001, padded to 4 bytes.
  const PictureDecodeResult one =
      DecodeBmp(BmpFile(InfoHeader(10, -1, 1, 2) + palette, std::string("\xA0\x40\x00\x00", 4)));
  ASSERT_NE(one.picture, nullptr) << one.error;
  std::vector<std::uint32_t> expect(10, 0xFFu);
  expect[0] = expect[2] = expect[9] = 0xFF00u;
  EXPECT_EQ(one.picture->pixels, expect);
  // 4 bits: index 1 then 0.
  const PictureDecodeResult four =
      DecodeBmp(BmpFile(InfoHeader(2, 1, 4, 2) + palette, std::string("\x10\x00\x00\x00", 4)));
  ASSERT_NE(four.picture, nullptr) << four.error;
  EXPECT_EQ(four.picture->pixels, (std::vector<std::uint32_t>{0xFF00u, 0xFFu}));
  // 8 bits with an index beyond the stored palette reads black rather than outside the file.
  const PictureDecodeResult eight =
      DecodeBmp(BmpFile(InfoHeader(2, 1, 8, 2) + palette, std::string("\x01\xFF\x00\x00", 4)));
  ASSERT_NE(eight.picture, nullptr) << eight.error;
  EXPECT_EQ(eight.picture->pixels, (std::vector<std::uint32_t>{0xFF00u, 0u}));
}

TEST(BagPicture, RefusesBrokenBitmaps) {
  const std::string ok = BmpFile(InfoHeader(2, 2, 32), std::string(16, '\0'));
  ASSERT_NE(DecodeBmp(ok).picture, nullptr);
  EXPECT_EQ(DecodeBmp(ok.substr(0, ok.size() - 1)).error, "truncated pixel data");
  EXPECT_EQ(DecodeBmp("BM").error, "not a bitmap file");
  EXPECT_EQ(DecodeBmp(BmpFile(InfoHeader(0, 2, 32), "")).error, "empty or negative picture size");
  EXPECT_EQ(DecodeBmp(BmpFile(InfoHeader(70000, 70000, 32), "")).error, "picture too large");
  EXPECT_EQ(DecodeBmp(BmpFile(InfoHeader(2, 2, 16), std::string(16, '\0'))).error, "unsupported bits per pixel");
  std::string rle = InfoHeader(2, 2, 8);
  rle[16] = 1;
  EXPECT_EQ(DecodeBmp(BmpFile(rle, std::string(64, '\0'))).error, "compressed bitmaps are not supported");
  std::string offset = ok;
  offset[10] = static_cast<char>(0xF0);  // pixel data said to start past the end
  EXPECT_EQ(DecodeBmp(offset).error, "truncated pixel data");
}

TEST(BagPicture, IconMaskMakesPixelsTransparent) {
  // 2 x 2, 24 bits, AND mask row bits: top row 10 (left transparent), bottom row 00.
  std::string image = InfoHeader(2, 4, 24);
  image += std::string("\x01\x01\x01\x02\x02\x02\0\0", 8);  // bottom row
  image += std::string("\x03\x03\x03\x04\x04\x04\0\0", 8);  // top row
  image += std::string("\x00\0\0\0", 4);                     // mask, bottom row
  image += std::string("\x80\0\0\0", 4);                     // mask, top row
  std::string ico;
  Put16(ico, 0);
  Put16(ico, 1);
  Put16(ico, 1);
  ico += std::string("\x02\x02\x00\x00", 4);
  Put16(ico, 1);
  Put16(ico, 24);
  Put32(ico, static_cast<std::uint32_t>(image.size()));
  Put32(ico, 22);
  const PictureDecodeResult r = DecodeIco(ico + image);
  ASSERT_NE(r.picture, nullptr) << r.error;
  EXPECT_EQ(r.picture->kind, ButtonPicture::Kind::Icon);
  EXPECT_EQ(r.picture->pixels, (std::vector<std::uint32_t>{0x00030303u, 0xFF040404u, 0xFF010101u, 0xFF020202u}));
}

TEST(BagPicture, RefusesBrokenIcons) {
  EXPECT_EQ(DecodeIco(std::string("\0\0\1\0\0\0", 6)).error, "not an icon file");
  std::string dir;
  Put16(dir, 0);
  Put16(dir, 1);
  Put16(dir, 2);
  EXPECT_EQ(DecodeIco(dir + std::string(16, '\0')).error, "truncated icon directory");
  std::string one;
  Put16(one, 0);
  Put16(one, 1);
  Put16(one, 1);
  std::string entry(8, '\0');
  Put32(entry, 48);
  Put32(entry, 22);
  EXPECT_EQ(DecodeIco(one + entry + std::string(10, '\0')).error, "icon image outside the file");
  EXPECT_EQ(DecodeIco(one + entry + std::string("\x89PNG\r\n\x1a\n", 8) + std::string(40, '\0')).error,
            "compressed icon images are not supported");
}

TEST(BagPicture, BitmapsAndIconsRoundTripThroughTheBagExactly) {
  std::vector<std::uint32_t> px;
  for (std::uint32_t i = 0; i < 5 * 3; ++i) px.push_back(0x010203u * i);
  const PicturePtr bitmap = MakePicture(ButtonPicture::Kind::Bitmap, 5, 3, px);
  for (std::uint32_t& p : px) p |= (p & 0x100u) ? 0u : 0xFF000000u;
  const PicturePtr icon = MakePicture(ButtonPicture::Kind::Icon, 5, 3, px);
  TextPropertyBag out;
  out.WritePicture("PICN", bitmap);
  out.WritePicture("PICH", icon);
  TextPropertyBag in;
  ASSERT_TRUE(in.Load(out.Save()));
  EXPECT_EQ(*in.ReadPicture("PICN", nullptr), *bitmap);
  EXPECT_EQ(*in.ReadPicture("PICH", nullptr), *icon);
  EXPECT_EQ(out.Save().substr(0, 12), "PICN=Bitmap(");
}

TEST(BagPicture, Base64IsStrict) {
  std::string bytes;
  EXPECT_TRUE(Base64Decode("", bytes));
  EXPECT_TRUE(Base64Decode("TWE=", bytes));
  EXPECT_EQ(bytes, "Ma");
  EXPECT_TRUE(Base64Decode("TQ==", bytes));
  EXPECT_EQ(bytes, "M");
  EXPECT_FALSE(Base64Decode("TQ=", bytes));
  EXPECT_FALSE(Base64Decode("T===", bytes));
  EXPECT_FALSE(Base64Decode("TQ=a", bytes));
  EXPECT_FALSE(Base64Decode("TQ==TWE=", bytes));
  EXPECT_FALSE(Base64Decode("TW E", bytes));
  for (const std::string& s : std::vector<std::string>{"", "a", "ab", "abc", "abcd", std::string("\0\xff\x80", 3)}) {
    ASSERT_TRUE(Base64Decode(Base64Encode(s), bytes));
    EXPECT_EQ(bytes, s);
  }
}

}  // namespace
}  // namespace kqm
