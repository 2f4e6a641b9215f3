// The registry class's behaviour, natively against the in-memory registry and under Wine against the real one.
#include <gtest/gtest.h>

#include <functional>

#include "platform/text.h"
#include "platform/substitute/failing_registry.h"
#include "recording_reporter.h"
#include "registry/clsRegistry.h"
#include "registry_backend.h"

namespace kqm {
namespace {

using test::Registry;
using test::TempKey;

class ClsRegistryContract : public ::testing::Test {
 protected:
  ClsRegistryContract() : reg(Registry(), reporter, "QuorvelManager") {
    reg.ClassKey(t.Root());
    reg.SectionKey(t.Path());
  }

  // Stores raw bytes with a type through the seam, as another program would.
  void Raw(const std::string& name, uint32_t type, const std::string& bytes, const std::string& sub = "") {
    RegKey k = 0;
    ASSERT_EQ(kRegOk, Registry().CreateKey(RootKey(t.Root()), Utf8ToUtf16(t.Path() + sub), kKeyAll63, k));
    EXPECT_EQ(kRegOk, Registry().SetValue(k, Utf8ToUtf16(name), type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                          static_cast<uint32_t>(bytes.size())));
    Registry().CloseKey(k);
  }
  // Reads back type and bytes through the seam.
  std::pair<uint32_t, std::string> Stored(const std::string& name) {
    RegKey k = 0;
    std::pair<uint32_t, std::string> out{0, std::string(4096, '\0')};
    if (Registry().OpenKey(RootKey(t.Root()), t.Path16(), kKeyQueryValue, k) != kRegOk) return {0, "<no key>"};
    uint32_t size = 4096;
    if (Registry().QueryValue(k, Utf8ToUtf16(name), &out.first, reinterpret_cast<uint8_t*>(out.second.data()),
                              &size) != kRegOk)
      out = {0, "<no value>"};
    else
      out.second.resize(size);
    Registry().CloseKey(k);
    return out;
  }
  static std::string Sz(const std::u16string& s) { return Utf16ToBytes(s, true); }

  Variant Read(const std::string& name) {
    reg.ValueKey(name);
    return reg.Value();
  }
  void Write(const std::string& name, int32_t type, const Variant& v) {
    reg.ValueKey(name);
    reg.ValueType(type);
    reg.Value(v);
  }

  TempKey t{"cls"};
  test::RecordingReporter reporter;
  clsRegistry reg;
};

AppError Caught(const std::function<void()>& f) {
  try {
    f();
  } catch (const AppError& e) {
    return e;
  }
  ADD_FAILURE() << "no error raised";
  return AppError(0, "", "");
}

TEST_F(ClsRegistryContract, EveryMemberOnAMissingKey) {
  reg.SectionKey(t.Path() + "\\missing\\deeper");
  reg.ValueKey("v");
  reg.Default(std::string("fallback"));
  reg.ValueType(kRegDword);
  EXPECT_FALSE(reg.KeyExists());
  EXPECT_EQ(Variant(std::string("fallback")), reg.Value());
  EXPECT_EQ(kRegDword, reg.ValueType()) << "a failed read leaves ValueType alone";

  OneBasedArray<std::string> names;
  int32_t count = 7;
  EXPECT_TRUE(reg.EnumerateValues(names, count));
  EXPECT_EQ(0, count);
  EXPECT_EQ(0, names.Count());
  EXPECT_TRUE(reg.EnumerateSections(names, count));
  EXPECT_EQ(0, count);

  const auto del = Caught([&] { reg.DeleteValue(); });
  EXPECT_EQ(kRegErrKey, del.Number());
  EXPECT_EQ("QuorvelManager.cRegistry", del.Source());
  EXPECT_EQ("Failed to open key '-2147483647',Section: '" + t.Path() + "\\missing\\deeper' for delete access",
            del.Description());

  const auto delKey = Caught([&] { reg.DeleteKey(); });
  EXPECT_EQ(kRegErrKey, delKey.Number());
  EXPECT_EQ("Failed to delete registry Key: '-2147483647',Section: '" + t.Path() + "\\missing\\deeper",
            delKey.Description());

  reg.ValueType(kRegSz);
  reg.Value(std::string("written"));
  EXPECT_TRUE(reg.KeyExists()) << "a write creates the whole path";
  EXPECT_EQ(Variant(std::string("written")), reg.Value());
}

TEST_F(ClsRegistryContract, StringsLoseExactlyTheirTerminator) {
  Raw("sz", kRegSz, Sz(u"abc"));
  EXPECT_EQ(Variant(std::string("abc")), Read("sz"));
  EXPECT_EQ(kRegSz, reg.ValueType());

  Raw("unterminated", kRegSz, Utf16ToBytes(u"abc", false));
  EXPECT_EQ(Variant(std::string("abc")), Read("unterminated")) << "no character of unterminated data is lost";

  Raw("multi", kRegMultiSz, Utf16ToBytes(std::u16string(u"a\0b\0\0", 5), false));
  EXPECT_EQ(Variant(std::string("a\0b\0", 4)), Read("multi"));
  EXPECT_EQ(kRegMultiSz, reg.ValueType());

  Raw("nul-only", kRegSz, Sz(u""));
  EXPECT_EQ(Variant(std::string()), Read("nul-only"));
}

TEST_F(ClsRegistryContract, ZeroByteStringReadRaisesInvalidArgument) {
  Raw("empty", kRegSz, "");
  const auto e = Caught([&] { Read("empty"); });
  EXPECT_EQ(kErrInvalidArgument, e.Number());
  EXPECT_EQ(kRegSz, reg.ValueType());
}

TEST_F(ClsRegistryContract, ExpandableStringsComeBackExpanded) {
  test::SetEnvironment("KQM_TOOLS", "D:\\Tools");
  Raw("exp", kRegExpandSz, Sz(u"%KQM_TOOLS%\\run.exe /q"));
  EXPECT_EQ(Variant(std::string("D:\\Tools\\run.exe /q")), Read("exp"));
  EXPECT_EQ(kRegExpandSz, reg.ValueType());
}

TEST_F(ClsRegistryContract, IntegersBinaryAndOtherTypes) {
  Raw("dw", kRegDword, std::string("\x02\x01\x00\x00", 4));
  EXPECT_EQ(Variant(int32_t{258}), Read("dw"));
  Raw("be", kRegDwordBigEndian, std::string("\x00\x00\x01\x02", 4));
  EXPECT_EQ(Variant(int32_t{258}), Read("be"));
  EXPECT_EQ(kRegDwordBigEndian, reg.ValueType());
  Raw("neg", kRegDword, std::string("\xFF\xFF\xFF\xFF", 4));
  EXPECT_EQ(Variant(int32_t{-1}), Read("neg"));

  Raw("bin", kRegBinary, std::string("\x00\x01\xFE", 3));
  EXPECT_EQ(Variant(std::vector<uint8_t>{0, 1, 0xFE}), Read("bin"));
  Raw("other", 11, std::string("\x01\x02\x03\x04\x05\x06\x07\x08", 8));
  EXPECT_EQ(Variant(std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8}), Read("other"));
  EXPECT_EQ(11, reg.ValueType());
  Raw("nothing", kRegBinary, "");
  EXPECT_EQ(Variant(std::vector<uint8_t>{}), Read("nothing"));
  Raw("wide", kRegDword, std::string("\x2A\0\0\0\xFF\xFF\xFF\xFF", 8));
  EXPECT_EQ(Variant(int32_t{42}), Read("wide")) << "a number stored with 8 bytes is its first four";
}

TEST_F(ClsRegistryContract, AValueThatGrowsBetweenTheSizeProbeAndTheReadIsReadWhole) {
  Raw("grows", kRegSz, Sz(u"short"));
  FailingRegistry hooked(Registry());
  clsRegistry own(hooked, reporter, "QuorvelManager");
  own.ClassKey(t.Root());
  own.SectionKey(t.Path());
  own.ValueKey("grows");
  // Call 3 is the read after the open and the size probe: another program makes the value longer first.
  hooked.BeforeCall([&](uint32_t call) {
    if (call == 3) Raw("grows", kRegSz, Sz(u"a much longer command line"));
  });
  EXPECT_EQ(Variant(std::string("a much longer command line")), own.Value());
}

TEST_F(ClsRegistryContract, ThePercentRuleDecidesTheStoredStringType) {
  Write("a", kRegExpandSz, std::string("D:\\x\\y.exe"));
  EXPECT_EQ((std::pair<uint32_t, std::string>{kRegSz, Sz(u"D:\\x\\y.exe")}), Stored("a"));
  Write("b", kRegSz, std::string("%windir%\\a.exe"));
  EXPECT_EQ(uint32_t{kRegExpandSz}, Stored("b").first);
  Write("c", kRegExpandSz, std::string("100%"));
  EXPECT_EQ(uint32_t{kRegSz}, Stored("c").first);
  Write("d", kRegExpandSz, std::string("%%"));
  EXPECT_EQ(uint32_t{kRegSz}, Stored("d").first);
  Write("e", kRegSz, std::string("%a%"));
  EXPECT_EQ(uint32_t{kRegExpandSz}, Stored("e").first);
  Write("f", kRegSz, int32_t{42});
  EXPECT_EQ((std::pair<uint32_t, std::string>{kRegSz, Sz(u"42")}), Stored("f"));
}

TEST_F(ClsRegistryContract, WritesByValueType) {
  Write("dw", kRegDwordBigEndian, int32_t{5});
  EXPECT_EQ((std::pair<uint32_t, std::string>{kRegDword, std::string("\x05\x00\x00\x00", 4)}), Stored("dw"));
  Write("short", kRegDword, int16_t{-2});
  EXPECT_EQ((std::pair<uint32_t, std::string>{kRegDword, std::string("\xFE\xFF\xFF\xFF", 4)}), Stored("short"));

  Write("text-as-dword", kRegDword, std::string("12"));
  EXPECT_EQ("<no value>", Stored("text-as-dword").second) << "a non-integer is silently not written";

  Write("bin", kRegBinary, std::vector<uint8_t>{9, 8, 7});
  EXPECT_EQ((std::pair<uint32_t, std::string>{kRegBinary, std::string("\x09\x08\x07", 3)}), Stored("bin"));
  const auto notBytes = Caught([&] { Write("bin2", kRegBinary, std::string("x")); });
  EXPECT_EQ(kRegErrKey, notBytes.Number());
  EXPECT_EQ("", notBytes.Source());
  EXPECT_EQ("", notBytes.Description());

  const auto typeZero = Caught([&] { Write("zero", 0, std::string("x")); });
  EXPECT_EQ(kRegErrWrite, typeZero.Number());
  EXPECT_EQ(-2147194455, typeZero.Number());
  EXPECT_EQ("QuorvelManager.cRegistry", typeZero.Source());
  EXPECT_EQ("Failed to set registry value Key: '-2147483647',Section: '" + t.Path() + "',Key: 'zero' to value: 'x'",
            typeZero.Description());
  EXPECT_EQ("<no value>", Stored("zero").second);
}

TEST_F(ClsRegistryContract, ValueTypeCarriesFromAReadToTheNextWrite) {
  Raw("dw", kRegDword, std::string("\x07\x00\x00\x00", 4));
  const Variant v = Read("dw");
  reg.ValueKey("copy");
  reg.Value(v);
  EXPECT_EQ(uint32_t{kRegDword}, Stored("copy").first);

  Raw("exp", kRegExpandSz, Sz(u"%KQM_NOT_SET_ANYWHERE%\\x"));
  const Variant e = Read("exp");
  reg.ValueKey("copy2");
  reg.Value(e);
  EXPECT_EQ(uint32_t{kRegExpandSz}, Stored("copy2").first) << "still holds two percent signs";
}

TEST_F(ClsRegistryContract, CreateAndDeleteKeysAndValues) {
  reg.SectionKey(t.Path() + "\\new\\key");
  EXPECT_TRUE(reg.CreateKey());
  EXPECT_TRUE(reg.KeyExists());
  Write("v", kRegSz, std::string("x"));
  EXPECT_TRUE(reg.DeleteValue());
  const auto again = Caught([&] { reg.DeleteValue(); });
  EXPECT_EQ("Failed to delete registry Key: '-2147483647',Section: '" + t.Path() + "\\new\\key',Key: 'v",
            again.Description());
  EXPECT_TRUE(reg.DeleteKey());
  EXPECT_FALSE(reg.KeyExists());

  reg.SectionKey(t.Path() + "\\new");
  reg.ValueKey("");
  reg.CreateKey();
  reg.SectionKey(t.Path());
  EXPECT_THROW(reg.DeleteKey(), AppError) << "a key with subkeys is not deleted";
}

TEST_F(ClsRegistryContract, EnumerationsAreOneBasedInPlatformOrder) {
  // Inserted in name order, so Windows' insertion order and Wine's name order agree.
  Raw("", kRegSz, Sz(u"default"));
  Raw("second", kRegSz, Sz(u"2"));
  Raw("third", kRegSz, Sz(u"3"));
  Raw("x", kRegSz, Sz(u"x"), "\\Sub B");
  Raw("x", kRegSz, Sz(u"x"), "\\sub a");
  OneBasedArray<std::string> names;
  int32_t count = 0;
  EXPECT_TRUE(reg.EnumerateValues(names, count));
  ASSERT_EQ(3, count);
  EXPECT_EQ("", names(1)) << "the default value is listed with an empty name";
  EXPECT_EQ("second", names(2));
  EXPECT_EQ("third", names(3));
  EXPECT_THROW(names(0), std::out_of_range);

  EXPECT_TRUE(reg.EnumerateSections(names, count));
  ASSERT_EQ(2, count);
  EXPECT_EQ("sub a", names(1));
  EXPECT_EQ("Sub B", names(2));
}

TEST_F(ClsRegistryContract, SubkeyNamesOfTheLongestLengthAreListedWithTheOthers) {
  const std::string longest = "b" + std::string(254, 'b');
  Raw("x", kRegSz, Sz(u"x"), "\\a");
  Raw("x", kRegSz, Sz(u"x"), "\\" + longest);
  Raw("x", kRegSz, Sz(u"x"), "\\c");
  OneBasedArray<std::string> names;
  int32_t count = 0;
  reg.EnumerateSections(names, count);
  ASSERT_EQ(3, count);
  EXPECT_EQ(longest, names(2));
  EXPECT_EQ("c", names(3));
}

TEST_F(ClsRegistryContract, UnicodeNamesAndDataAndLargeValues) {
  reg.SectionKey(t.Path() + "\\Z\u00fcrich \u65e5\u672c");
  Write("Gr\u00fc\u00dfe \u2713", kRegSz, std::string("C:\\\u041f\u0440\u0438\u0432\u0435\u0442\\a.exe \U0001F600"));
  EXPECT_EQ(Variant(std::string("C:\\\u041f\u0440\u0438\u0432\u0435\u0442\\a.exe \U0001F600")),
            Read("Gr\u00fc\u00dfe \u2713"));
  OneBasedArray<std::string> names;
  int32_t count = 0;
  reg.EnumerateValues(names, count);
  ASSERT_EQ(1, count);
  EXPECT_EQ("Gr\u00fc\u00dfe \u2713", names(1));

  std::vector<uint8_t> big(1 << 20, 0xA5);
  Write("big", kRegBinary, big);
  EXPECT_EQ(Variant(big), Read("big"));
  const std::string longName(16383, 'n');
  Write(longName, kRegSz, std::string("long"));
  reg.EnumerateValues(names, count);
  ASSERT_EQ(3, count);
  EXPECT_EQ(longName, names(3));
}

TEST_F(ClsRegistryContract, ExeAssociationLayout) {
  const std::string cls = "KqmTest.Doc" + t.Path().substr(t.Path().rfind('-'));
  reg.CreateEXEAssociation("  D:\\App\\app.exe ", cls, "Test document", "kqmt", "", true, "", true, "", true, "", 0);
  EXPECT_EQ(kHkeyClassesRoot, reg.ClassKey());
  auto at = [&](const std::string& section) {
    reg.SectionKey(section);
    reg.ValueKey("");
    return reg.Value();
  };
  EXPECT_EQ(Variant(cls), at(".kqmt"));
  EXPECT_EQ(Variant(std::string("Test document")), at(cls));
  EXPECT_EQ(Variant(std::string("&Open")), at(cls + "\\shell\\open"));
  EXPECT_EQ(Variant(std::string("\"D:\\App\\app.exe\" \"%1\"")), at(cls + "\\shell\\open\\command"));
  EXPECT_EQ(kRegSz, reg.ValueType()) << "a command with only %1 stays a plain string";
  EXPECT_EQ(Variant(std::string("&Print")), at(cls + "\\shell\\print"));
  EXPECT_EQ(Variant(std::string("\"D:\\App\\app.exe\" /p \"%1\"")), at(cls + "\\shell\\print\\command"));
  EXPECT_EQ(Variant(std::string("&Install kqmt")), at(cls + "\\shell\\add"));
  EXPECT_EQ(Variant(std::string("\"D:\\App\\app.exe\" /a \"%1\"")), at(cls + "\\shell\\add\\command"));
  EXPECT_EQ(Variant(std::string("&New")), at(cls + "\\shell\\new"));
  EXPECT_EQ(Variant(std::string("\"D:\\App\\app.exe\" /n \"%1\"")), at(cls + "\\shell\\new\\command"));
  EXPECT_EQ(Variant(std::string("\"D:\\App\\app.exe\",0")), at(cls + "\\DefaultIcon"));

  reg.CreateAdditionalEXEAssociations(cls, {"edit", "&Edit", "notepad.exe \"%1\""});
  EXPECT_TRUE(reporter.reports.empty());
  EXPECT_EQ(Variant(std::string("&Edit")), at(cls + "\\shell\\edit"));
  EXPECT_EQ(Variant(std::string("notepad.exe \"%1\"")), at(cls + "\\shell\\edit\\command"));

  reg.CreateAdditionalEXEAssociations(cls, {});
  EXPECT_TRUE(reporter.reports.empty()) << "no items, nothing reported";

  test::DeleteTree(Registry(), RootKey(kHkeyClassesRoot), Utf8ToUtf16(cls));
  test::DeleteTree(Registry(), RootKey(kHkeyClassesRoot), u".kqmt");
}

TEST_F(ClsRegistryContract, ExeAssociationQuotingAndOptionalParts) {
  const std::string cls = "KqmTest.Quoted" + t.Path().substr(t.Path().rfind('-'));
  reg.CreateEXEAssociation("\"D:\\My App\\app.exe\"", cls, "Doc", "kqmq", "Open it", false, "", false, "", false, "",
                           -1);
  reg.SectionKey(cls + "\\shell\\open\\command");
  reg.ValueKey("");
  EXPECT_EQ(Variant(std::string("\"D:\\My App\\app.exe\" \"%1\"")), reg.Value()) << "not quoted twice";
  reg.SectionKey(cls + "\\shell\\open");
  EXPECT_EQ(Variant(std::string("Open it")), reg.Value());
  for (const char* absent : {"\\DefaultIcon", "\\shell\\print", "\\shell\\add", "\\shell\\new"}) {
    reg.SectionKey(cls + absent);
    EXPECT_FALSE(reg.KeyExists()) << absent;
  }
  test::DeleteTree(Registry(), RootKey(kHkeyClassesRoot), Utf8ToUtf16(cls));
  test::DeleteTree(Registry(), RootKey(kHkeyClassesRoot), u".kqmq");
}

TEST_F(ClsRegistryContract, ExeAssociationRaisesItsFirstFailingWriteAndKeepsTheEarlierOnes) {
  const std::string ext = "kqmf" + t.Path().substr(t.Path().rfind('-') + 1);
  const std::string tooLong(300, 'c');  // longer than a key name may be
  const auto e = Caught([&] {
    reg.CreateEXEAssociation("D:\\App\\app.exe", tooLong, "Doc", ext, "", false, "", false, "", false, "", -1);
  });
  EXPECT_EQ(kRegErrKey, e.Number());
  EXPECT_EQ("Failed to set registry value Key: '-2147483648',Section: '" + tooLong + "',Key: '' to value: 'Doc'",
            e.Description());
  reg.SectionKey("." + ext);
  reg.ValueKey("");
  EXPECT_EQ(Variant(tooLong), reg.Value()) << "the write before the failure stays";
  test::DeleteTree(Registry(), RootKey(kHkeyClassesRoot), Utf8ToUtf16("." + ext));
  EXPECT_TRUE(reporter.reports.empty()) << "raised to the caller, not reported";
}

TEST_F(ClsRegistryContract, AdditionalAssociationsReportTheirErrors) {
  reg.CreateAdditionalEXEAssociations("KqmTest.NeverDefined.Class", {"a", "b", "c", "d"});
  ASSERT_EQ(1u, reporter.reports.size());
  EXPECT_EQ("CreateAdditionalExeAssociations", reporter.reports[0].proc);
  EXPECT_EQ(-2147194452, reporter.reports[0].number);
  EXPECT_EQ("Invalid parameter list passed to CreateAdditionalEXEAssociations - expected Name/Text/Command",
            reporter.reports[0].description);

  reg.ClassKey(kHkeyClassesRoot);
  reg.CreateAdditionalEXEAssociations("KqmTest.NeverDefined.Class", {"a", "b", "c"});
  ASSERT_EQ(2u, reporter.reports.size());
  EXPECT_EQ(-2147194451, reporter.reports[1].number);
  EXPECT_EQ("Error - attempt to create additional associations before class defined.",
            reporter.reports[1].description);
}

}  // namespace
}  // namespace kqm
