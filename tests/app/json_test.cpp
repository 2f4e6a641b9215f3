// The JSON reader: names keep their unpaired surrogates both ways, and hostile text is refused with a reason
// instead of being half read.
#include <gtest/gtest.h>

#include <string>

#include "app/json.h"
#include "platform/text.h"

namespace kqm {
namespace {

TEST(Json, ANameWithAnUnpairedSurrogateReadsBackAsTheSameName) {
  const std::string name = Utf16ToUtf8Exact(u"A\xD800" u"B\xDFFF");
  const JsonParse read = ParseJson("{\"name\":" + JsonString(name) + "}");
  ASSERT_TRUE(read.ok()) << read.error;
  EXPECT_EQ(name, read.value.Find("name")->text);
  // A pair of escapes is one character; escapes of every kind and text outside ASCII.
  const JsonParse pair = ParseJson(R"(["\ud83d\ude00", "\u00e9\t\"\\\/\b\f\n\r", "é€"])");
  ASSERT_TRUE(pair.ok()) << pair.error;
  EXPECT_EQ("\xF0\x9F\x98\x80", pair.value.items[0].text);
  EXPECT_EQ("\xC3\xA9\t\"\\/\b\f\n\r", pair.value.items[1].text);
  EXPECT_EQ(pair.value, ParseJson(ToJson(pair.value)).value);
  // What Windows tools write: a UTF-8 byte-order mark, or UTF-16LE with its mark.
  EXPECT_TRUE(ParseJson("\xEF\xBB\xBF{\"a\":[1,-2.5e3,true,false,null]}").ok());
  const std::u16string wide = u"{\"a\":\"\x00e9\"}";
  const JsonParse utf16 = ParseJson("\xFF\xFE" + Utf16ToBytes(wide, false));
  ASSERT_TRUE(utf16.ok()) << utf16.error;
  EXPECT_EQ("\xC3\xA9", utf16.value.Find("a")->text);
}

TEST(Json, HostileTextIsRefusedWithAReason) {
  const std::string deepest = std::string(kJsonMaxDepth, '[') + std::string(kJsonMaxDepth, ']');
  EXPECT_TRUE(ParseJson(deepest).ok());
  for (const std::string& bad : {
           "[" + deepest + "]",                      // one level too deep
           std::string("{\"a\":1,\"a\":2}"),        // a name twice: which one counts?
           std::string("[1,]"), std::string("{\"a\":1,}"), std::string("[1 2]"), std::string("{\"a\" 1}"),
           std::string("\"a\x01\""),                // raw control character
           std::string("\"\xC0\x80\""),             // overlong UTF-8
           std::string("\"\xED\xA0\x80\""),         // a surrogate written raw: not UTF-8
           std::string("\"\xF4\x90\x80\x80\""),     // beyond U+10FFFF
           std::string("\"abc"), std::string("\"\\x\""), std::string("\"\\u12\""), std::string("01"),
           std::string("-"), std::string("1."), std::string("1e"), std::string("1e999"), std::string("tru"),
           std::string("nul"), std::string("[] []"), std::string("// c\n1"), std::string(""), std::string("   "),
           std::string("{\"a\":1"), std::string("[1,2"), std::string(1, '\0'),
           std::string("\xFE\xFF") + std::string("\0[\0]", 4),  // UTF-16BE is not read as anything
       }) {
    const JsonParse read = ParseJson(bad);
    EXPECT_FALSE(read.ok()) << "read: " << Escaped(bad, false);
    EXPECT_NE(std::string::npos, read.error.find("(byte ")) << read.error;
  }
  EXPECT_FALSE(ParseJson(std::string(kJsonMaxBytes + 1, ' ')).ok());
  std::string many = "[";
  for (size_t i = 0; i < kJsonMaxValues; ++i) many += "0,";
  EXPECT_FALSE(ParseJson(many + "0]").ok()) << "more values than allowed";
}

}  // namespace
}  // namespace kqm
