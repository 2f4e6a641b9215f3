#include <gtest/gtest.h>

#include "controls/skin_button/property_bag.h"

namespace kqm {
namespace {

TEST(BagText, ValuesOfEveryKindRoundTrip) {
  TextPropertyBag a;
  a.WriteLong("N", INT32_MIN);
  a.WriteLong("M", INT32_MAX);
  a.WriteBool("B", true);
  a.WriteString("S", std::string("q\"b\\n\nr\rt\tnul\0x\x7f\x01 ü✓", 23));
  a.WriteFont("F", ButtonFont{"Segoe \"UI\"", 0.1 + 0.2, 1000, false, true});
  a.WritePicture("P", nullptr);
  TextPropertyBag b;
  ASSERT_TRUE(b.Load(a.Save()));
  EXPECT_EQ(b.ReadLong("N", 0), INT32_MIN);
  EXPECT_EQ(b.ReadLong("M", 0), INT32_MAX);
  EXPECT_TRUE(b.ReadBool("B", false));
  EXPECT_EQ(b.ReadString("S", ""), std::string("q\"b\\n\nr\rt\tnul\0x\x7f\x01 ü✓", 23));
  EXPECT_EQ(b.ReadFont("F", {}), (ButtonFont{"Segoe \"UI\"", 0.1 + 0.2, 1000, false, true}));
  EXPECT_EQ(b.ReadPicture("P", MakePicture(ButtonPicture::Kind::Bitmap, 1, 1, {1})), nullptr);
  EXPECT_EQ(b.Save(), a.Save());
  EXPECT_EQ(a.Save().find('\n'), a.Save().find("\r\n") + 1);  // one line per property, control chars escaped
}

TEST(BagText, WritingAKeyAgainReplacesItInPlace) {
  TextPropertyBag bag;
  bag.WriteLong("A", 1);
  bag.WriteLong("B", 2);
  bag.WriteLong("a", 3);
  EXPECT_EQ(bag.Save(), "A=3\r\nB=2\r\n");
}

TEST(BagText, ReadsHandWrittenText) {
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load("; a comment\n\n  # another\r\n  Key_1 =\t 42  \r\nColour=4294967295\nflag = true\n"
                       "font=font( \"Arial\" ,10,700 , TRUE,false )\nStr=\"\\x41\\x7e\"\npic=nothing"));
  EXPECT_EQ(bag.ReadLong("KEY_1", 0), 42);
  EXPECT_EQ(bag.ReadLong("colour", 0), -1);  // unsigned 32-bit colours wrap to their signed form
  EXPECT_TRUE(bag.ReadBool("FLAG", false));
  EXPECT_EQ(bag.ReadFont("FONT", {}), (ButtonFont{"Arial", 10, 700, true, false}));
  EXPECT_EQ(bag.ReadString("str", ""), "A~");
  EXPECT_EQ(bag.ReadPicture("PIC", MakePicture(ButtonPicture::Kind::Bitmap, 1, 1, {1})), nullptr);
}

TEST(BagText, BadLinesAreSkippedAndReportedWithTheirNumbers) {
  struct Case {
    const char* line;
    const char* reason;
  };
  const Case cases[] = {
      {"NOEQUALS", "line without '='"},
      {"=5", "bad key"},
      {"BAD KEY=5", "bad key"},
      {"K=", "missing value"},
      {"K=12x", "unexpected text after the value"},
      {"K=99999999999", "bad or out-of-range number"},
      {"K=-", "bad or out-of-range number"},
      {"K=\"abc", "unterminated string"},
      {"K=\"a\\q\"", "unknown escape"},
      {"K=\"a\\x4\"", "bad \\x escape"},
      {"K=\"a\" trailing", "unexpected text after the value"},
      {"K=Maybe", "unknown value kind"},
      {"K=%", "unreadable value"},
      {"K=Font(\"A\", 8, 400, False)", "expected ','"},
      {"K=Font(A, 8, 400, False, False)", "expected the font name"},
      {"K=Font(\"\", 8, 400, False, False)", "bad font name"},
      {"K=Font(\"A\", 0, 400, False, False)", "font size out of range"},
      {"K=Font(\"A\", 8, 1001, False, False)", "font weight out of range"},
      {"K=Font(\"A\", 8.2.5, 400, False, False)", "bad number"},
      {"K=Font(\"A\", 8, 400, Yes, False)", "expected True or False"},
      {"K=Bitmap(@@@@)", "bad base64 picture data"},
      {"K=Icon(AAAA", "expected ')'"},
  };
  for (const Case& c : cases) {
    TextPropertyBag bag;
    EXPECT_FALSE(bag.Load(std::string("OK=1\n") + c.line + "\nK2=2"));
    ASSERT_EQ(bag.Errors().size(), 1u) << c.line;
    EXPECT_EQ(bag.Errors()[0].line, 2) << c.line;
    EXPECT_EQ(bag.Errors()[0].message, c.reason) << c.line;
    EXPECT_EQ(bag.ReadLong("K", 7), 7) << c.line;
    EXPECT_EQ(bag.ReadLong("OK", 0), 1);
    EXPECT_EQ(bag.ReadLong("K2", 0), 2);
  }
}

TEST(BagText, DuplicateKeyKeepsTheFirstValue) {
  TextPropertyBag bag;
  EXPECT_FALSE(bag.Load("TX=\"first\"\ntx=\"second\""));
  EXPECT_EQ(bag.ReadString("TX", ""), "first");
  ASSERT_EQ(bag.Errors().size(), 1u);
  EXPECT_EQ(bag.Errors()[0].line, 2);
}

TEST(BagText, TypedReadOfAnotherKindGivesTheDefaultAndAnError) {
  TextPropertyBag bag;
  ASSERT_TRUE(bag.Load("S=\"x\"\nN=5\nB=True\nBIG=40000"));
  EXPECT_EQ(bag.ReadLong("S", 9), 9);
  EXPECT_EQ(bag.ReadString("N", "d"), "d");
  EXPECT_EQ(bag.ReadFont("B", ButtonFont{"D", 1, 1, false, false}).name, "D");
  EXPECT_EQ(bag.ReadPicture("N", nullptr), nullptr);
  EXPECT_EQ(bag.ReadInteger("BIG", 3), 3);
  EXPECT_EQ(bag.Errors().size(), 5u);
  // Numbers and Booleans read as each other, as the container's variants convert.
  EXPECT_EQ(bag.ReadLong("B", 0), -1);
  EXPECT_TRUE(bag.ReadBool("N", false));
  EXPECT_EQ(bag.Errors().size(), 5u);
}

TEST(BagText, LoadingAgainStartsFresh) {
  TextPropertyBag bag;
  EXPECT_FALSE(bag.Load("A=1\nbad"));
  EXPECT_TRUE(bag.Load("B=2"));
  EXPECT_TRUE(bag.Errors().empty());
  EXPECT_EQ(bag.ReadLong("A", 0), 0);
}

}  // namespace
}  // namespace kqm
