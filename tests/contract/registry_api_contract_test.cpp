// One suite for the registry seam: natively against the in-memory registry, under Wine against advapi32.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "platform/text.h"
#include "registry_backend.h"

namespace kqm {
namespace {

using test::Registry;
using test::TempKey;

struct Open {
  RegKey key = 0;
  int32_t status = -1;
  ~Open() {
    if (status == kRegOk) Registry().CloseKey(key);
  }
};

void Create(const TempKey& t, const std::u16string& sub, Open& o, uint32_t access = kKeyAll63) {
  o.status = Registry().CreateKey(RootKey(t.Root()), t.Path16() + (sub.empty() ? u"" : u"\\" + sub), access, o.key);
}

void SetSz(RegKey k, const std::u16string& name, const std::u16string& text, uint32_t type = kRegSz) {
  const auto bytes = Utf16ToBytes(text, true);
  ASSERT_EQ(kRegOk, Registry().SetValue(k, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                        static_cast<uint32_t>(bytes.size())));
}

std::vector<std::u16string> ValueNames(RegKey k) {
  std::vector<std::u16string> names;
  for (uint32_t i = 0;; ++i) {
    char16_t buf[300];
    uint32_t n = 300;
    if (Registry().EnumValue(k, i, buf, &n) != kRegOk) break;
    names.emplace_back(buf, n);
  }
  return names;
}

TEST(RegistryApiContract, OpenReportsMissingKeyAndCreateMakesTheWholePath) {
  TempKey t("open");
  Open missing;
  missing.status = Registry().OpenKey(RootKey(t.Root()), t.Path16() + u"\\a\\b", kKeyQueryValue, missing.key);
  EXPECT_EQ(kRegFileNotFound, missing.status);

  Open created;
  Create(t, u"a\\b", created);
  ASSERT_EQ(kRegOk, created.status);
  Open reopened;
  reopened.status = Registry().OpenKey(RootKey(t.Root()), t.Path16() + u"\\A\\B", kKeyQueryValue, reopened.key);
  EXPECT_EQ(kRegOk, reopened.status) << "key names are case-insensitive";
}

TEST(RegistryApiContract, SizeProbeReportsMoreDataWithSizeAndType) {
  TempKey t("probe");
  Open k;
  Create(t, u"", k);
  ASSERT_EQ(kRegOk, k.status);
  SetSz(k.key, u"v", u"abc");

  uint8_t scratch[4];
  uint32_t type = 0, size = 0;
  EXPECT_EQ(kRegMoreData, Registry().QueryValue(k.key, u"v", &type, scratch, &size));
  EXPECT_EQ(8u, size);
  EXPECT_EQ(uint32_t{kRegSz}, type);

  type = 0;
  size = 0;
  EXPECT_EQ(kRegOk, Registry().QueryValue(k.key, u"v", &type, nullptr, &size)) << "no buffer: size only";
  EXPECT_EQ(8u, size);

  std::string buf(8, 'x');
  size = 8;
  ASSERT_EQ(kRegOk, Registry().QueryValue(k.key, u"V", &type, reinterpret_cast<uint8_t*>(buf.data()), &size));
  EXPECT_EQ(Utf16ToBytes(u"abc", true), buf);

  size = 0;
  EXPECT_EQ(kRegFileNotFound, Registry().QueryValue(k.key, u"missing", &type, scratch, &size));
}

TEST(RegistryApiContract, EmptyValueProbesAsSuccessWithZeroBytes) {
  TempKey t("empty");
  Open k;
  Create(t, u"", k);
  ASSERT_EQ(kRegOk, Registry().SetValue(k.key, u"e", kRegSz, nullptr, 0));
  uint8_t scratch[4];
  uint32_t type = 0, size = 0;
  EXPECT_EQ(kRegOk, Registry().QueryValue(k.key, u"e", &type, scratch, &size));
  EXPECT_EQ(0u, size);
  EXPECT_EQ(uint32_t{kRegSz}, type);
}

TEST(RegistryApiContract, ValuesEnumerateInInsertionOrderAndKeepTheirPlaceWhenOverwritten) {
  if (test::RunningUnderWine())
    GTEST_SKIP() << "Wine's server keeps a key's values sorted by name; Windows lists them in insertion order";
  TempKey t("order");
  Open k;
  Create(t, u"", k);
  SetSz(k.key, u"zeta", u"1");
  SetSz(k.key, u"Alpha", u"2");
  SetSz(k.key, u"mid", u"3");
  SetSz(k.key, u"ALPHA", u"4");
  EXPECT_EQ((std::vector<std::u16string>{u"zeta", u"Alpha", u"mid"}), ValueNames(k.key));
}

TEST(RegistryApiContract, ValueNamesAreCaseInsensitiveAndKeepTheirFirstSpelling) {
  TempKey t("names");
  Open k;
  Create(t, u"", k);
  SetSz(k.key, u"zeta", u"1");
  SetSz(k.key, u"Alpha", u"2");
  SetSz(k.key, u"mid", u"3");
  SetSz(k.key, u"ALPHA", u"4");  // same value, other case
  auto names = ValueNames(k.key);
  std::sort(names.begin(), names.end());
  EXPECT_EQ((std::vector<std::u16string>{u"Alpha", u"mid", u"zeta"}), names);
  std::string buf(8, '\0');
  uint32_t type = 0, size = 8;
  ASSERT_EQ(kRegOk, Registry().QueryValue(k.key, u"alpha", &type, reinterpret_cast<uint8_t*>(buf.data()), &size));
  EXPECT_EQ(Utf16ToBytes(u"4", true), buf.substr(0, size));

  uint32_t subKeys = 9, maxSub = 9, values = 0, maxName = 0;
  ASSERT_EQ(kRegOk, Registry().QueryInfoKey(k.key, &subKeys, &maxSub, &values, &maxName));
  EXPECT_EQ(3u, values);
  EXPECT_EQ(5u, maxName);
  EXPECT_EQ(0u, subKeys);

  ASSERT_EQ(kRegOk, Registry().DeleteValue(k.key, u"ZETA"));
  EXPECT_EQ(2u, ValueNames(k.key).size());
  EXPECT_EQ(kRegFileNotFound, Registry().DeleteValue(k.key, u"zeta"));
}

TEST(RegistryApiContract, SubkeysEnumerateInNameOrder) {
  TempKey t("subkeys");
  for (auto n : {u"delta", u"Bravo", u"alpha", u"Charlie"}) {
    Open c;
    Create(t, n, c);
    ASSERT_EQ(kRegOk, c.status);
  }
  Open k;
  k.status = Registry().OpenKey(RootKey(t.Root()), t.Path16(), kKeyEnumerateSubKeys, k.key);
  ASSERT_EQ(kRegOk, k.status);
  std::vector<std::u16string> names;
  char16_t buf[255];
  uint32_t i = 0;
  for (; Registry().EnumKey(k.key, i, buf, 255) == kRegOk; ++i) names.emplace_back(buf);
  EXPECT_EQ((std::vector<std::u16string>{u"alpha", u"Bravo", u"Charlie", u"delta"}), names);
  EXPECT_EQ(kRegNoMoreItems, Registry().EnumKey(k.key, i, buf, 255));
}

TEST(RegistryApiContract, EnumerationBuffersThatAreTooSmallReportMoreData) {
  TempKey t("small");
  Open k;
  Create(t, u"", k);
  SetSz(k.key, u"abcdef", u"x");
  char16_t buf[300];
  uint32_t n = 6;  // room for 5 characters and the terminator
  EXPECT_EQ(kRegMoreData, Registry().EnumValue(k.key, 0, buf, &n));
  n = 7;
  EXPECT_EQ(kRegOk, Registry().EnumValue(k.key, 0, buf, &n));
  EXPECT_EQ(6u, n);
  n = 7;
  EXPECT_EQ(kRegNoMoreItems, Registry().EnumValue(k.key, 1, buf, &n));
  // With the data: a data buffer too small reports the value's size; one big enough gets name, type and bytes.
  uint8_t data[8] = {};
  uint32_t type = 0, bytes = 2, largest = 0;
  n = 7;
  EXPECT_EQ(kRegMoreData, Registry().EnumValueData(k.key, 0, buf, &n, &type, data, &bytes));
  EXPECT_EQ(4u, bytes);
  ASSERT_EQ(kRegOk, Registry().QueryInfoKey(k.key, nullptr, nullptr, nullptr, nullptr, &largest));
  EXPECT_EQ(4u, largest);
  n = 7, bytes = 8;
  ASSERT_EQ(kRegOk, Registry().EnumValueData(k.key, 0, buf, &n, &type, data, &bytes));
  EXPECT_EQ(u"abcdef", std::u16string(buf, n));
  EXPECT_EQ(kRegSz, type);
  EXPECT_EQ((std::vector<uint8_t>{'x', 0, 0, 0}), std::vector<uint8_t>(data, data + bytes));
  n = 7, bytes = 8;
  EXPECT_EQ(kRegNoMoreItems, Registry().EnumValueData(k.key, 1, buf, &n, &type, data, &bytes));

  const std::u16string name254(254, u'k'), name255(255, u'm');
  Open a, b;
  Create(t, name254, a);
  Create(t, name255, b);
  ASSERT_EQ(kRegOk, a.status);
  ASSERT_EQ(kRegOk, b.status) << "255 characters is the longest key name";
  Open e;
  e.status = Registry().OpenKey(RootKey(t.Root()), t.Path16(), kKeyEnumerateSubKeys, e.key);
  EXPECT_EQ(kRegOk, Registry().EnumKey(e.key, 0, buf, 255));
  EXPECT_EQ(name254, std::u16string(buf));
  EXPECT_EQ(kRegMoreData, Registry().EnumKey(e.key, 1, buf, 255)) << "255 characters and a NUL need 256";
}

TEST(RegistryApiContract, DeleteKeyRefusesKeysWithSubkeysAndReportsMissingOnes) {
  TempKey t("delete");
  Open c;
  Create(t, u"parent\\child", c);
  ASSERT_EQ(kRegOk, c.status);
  EXPECT_NE(kRegOk, Registry().DeleteKey(RootKey(t.Root()), t.Path16() + u"\\parent"));
  EXPECT_EQ(kRegOk, Registry().DeleteKey(RootKey(t.Root()), t.Path16() + u"\\parent\\child"));
  EXPECT_EQ(kRegOk, Registry().DeleteKey(RootKey(t.Root()), t.Path16() + u"\\PARENT"));
  EXPECT_EQ(kRegFileNotFound, Registry().DeleteKey(RootKey(t.Root()), t.Path16() + u"\\parent"));
}

TEST(RegistryApiContract, HandlesCarryTheirAccessRights) {
  TempKey t("access");
  Open k;
  k.status = Registry().OpenKey(RootKey(t.Root()), t.Path16(), kKeyQueryValue, k.key);
  ASSERT_EQ(kRegOk, k.status);
  const auto bytes = Utf16ToBytes(u"x", true);
  EXPECT_EQ(kRegAccessDenied, Registry().SetValue(k.key, u"v", kRegSz, reinterpret_cast<const uint8_t*>(bytes.data()),
                                                  static_cast<uint32_t>(bytes.size())));
  char16_t buf[8];
  EXPECT_EQ(kRegAccessDenied, Registry().EnumKey(k.key, 0, buf, 8));
}

TEST(RegistryApiContract, UnicodeNamesAndDataRoundTrip) {
  TempKey t("unicode");
  const std::u16string keyName = u"Z\u00fcrich \u65e5\u672c", valueName = u"Gr\u00fc\u00dfe \u2713",
                       data = u"C:\\probe\\\u0417\u0434\u0440\u0430\u0432\u0441\u0442\u0432\u0443\u0439.exe \U0001F600";
  Open k;
  Create(t, keyName, k);
  ASSERT_EQ(kRegOk, k.status);
  SetSz(k.key, valueName, data);
  EXPECT_EQ((std::vector<std::u16string>{valueName}), ValueNames(k.key));
  std::string buf(600, '\0');
  uint32_t type = 0, size = 600;
  ASSERT_EQ(kRegOk, Registry().QueryValue(k.key, valueName, &type, reinterpret_cast<uint8_t*>(buf.data()), &size));
  buf.resize(size);
  EXPECT_EQ(Utf16ToBytes(data, true), buf);
}

TEST(RegistryApiContract, LargeDataAndLongestValueName) {
  TempKey t("large");
  Open k;
  Create(t, u"", k);
  std::vector<uint8_t> big(1 << 20);
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7 + 3);
  ASSERT_EQ(kRegOk, Registry().SetValue(k.key, u"big", kRegBinary, big.data(), static_cast<uint32_t>(big.size())));
  std::vector<uint8_t> back(big.size());
  uint32_t type = 0, size = static_cast<uint32_t>(back.size());
  ASSERT_EQ(kRegOk, Registry().QueryValue(k.key, u"big", &type, back.data(), &size));
  EXPECT_EQ(big, back);

  const std::u16string longName(16383, u'n');
  const uint8_t one[4] = {1, 0, 0, 0};
  ASSERT_EQ(kRegOk, Registry().SetValue(k.key, longName, kRegDword, one, 4));
  uint32_t values = 0, maxName = 0;
  ASSERT_EQ(kRegOk, Registry().QueryInfoKey(k.key, nullptr, nullptr, &values, &maxName));
  EXPECT_EQ(16383u, maxName);
  std::u16string buf(16384, u'\0');
  uint32_t n = 16384;
  EXPECT_EQ(kRegOk, Registry().EnumValue(k.key, 1, buf.data(), &n));
  EXPECT_EQ(16383u, n);
}

TEST(RegistryApiContract, FlushKeyWritesAnOpenKeyAndRefusesDeletedAndClosedOnes) {
  TempKey t("flush");
  Open written;
  Create(t, u"sub", written);
  ASSERT_EQ(kRegOk, written.status);
  SetSz(written.key, u"v", u"x");
  Open reading;
  reading.status = Registry().OpenKey(RootKey(t.Root()), t.Path16() + u"\\sub", kKeyQueryValue, reading.key);
  ASSERT_EQ(kRegOk, reading.status);
  EXPECT_EQ(kRegOk, Registry().FlushKey(reading.key));
  EXPECT_EQ(kRegOk, Registry().FlushKey(RootKey(kHkeyCurrentUser)));
  EXPECT_EQ((std::vector<std::u16string>{u"v"}), ValueNames(reading.key));
  ASSERT_EQ(kRegOk, Registry().DeleteKey(RootKey(t.Root()), t.Path16() + u"\\sub"));
  EXPECT_EQ(kRegKeyDeleted, Registry().FlushKey(reading.key));
  RegKey closed = 0;
  ASSERT_EQ(kRegOk, Registry().OpenKey(RootKey(t.Root()), t.Path16(), kKeyQueryValue, closed));
  ASSERT_EQ(kRegOk, Registry().CloseKey(closed));
  EXPECT_EQ(kRegInvalidHandle, Registry().FlushKey(closed));
}

TEST(RegistryApiContract, InvalidHandlesAreRefused) {
  uint32_t type = 0, size = 0;
  uint8_t scratch[4];
  EXPECT_EQ(kRegInvalidHandle, Registry().QueryValue(0, u"x", &type, scratch, &size));
  EXPECT_EQ(kRegInvalidHandle, Registry().CloseKey(0x7777770));
}

TEST(RegistryApiContract, ExpandEnvironmentStringsReportsTheSizeWithTerminator) {
  test::SetEnvironment("KQM_TEST_VAR", "Value");
  const std::u16string src = u"%KQM_TEST_VAR%\\x %KQM_UNSET_VAR_Q% 50%";
  const uint32_t needed = Registry().ExpandEnvironment(src, nullptr, 0);
  const std::u16string expected = u"Value\\x %KQM_UNSET_VAR_Q% 50%";
  EXPECT_EQ(expected.size() + 1, needed);
  std::u16string buf(needed, u'\0');
  EXPECT_EQ(needed, Registry().ExpandEnvironment(src, buf.data(), needed));
  buf.resize(needed - 1);
  EXPECT_EQ(expected, buf);
}

TEST(RegistryApiContract, The32BitViewOfTheMachineSoftwareKeyLiesBelowWow6432Node) {
  TempKey t("view", kHkeyLocalMachine);
  const std::u16string wow = u"Software\\WOW6432Node" + t.Path16().substr(8);
  Open in32;
  in32.status = Registry().CreateKey(RootKey(kHkeyLocalMachine), t.Path16(), kKeyAll63 | kKeyWow64_32, in32.key);
  ASSERT_EQ(kRegOk, in32.status);
  SetSz(in32.key, u"v", u"32-bit");
  Open native, redirected;
  native.status = Registry().OpenKey(RootKey(kHkeyLocalMachine), t.Path16(), kKeyQueryValue, native.key);
  ASSERT_EQ(kRegOk, native.status);
  uint32_t size = 0;
  EXPECT_EQ(kRegFileNotFound, Registry().QueryValue(native.key, u"v", nullptr, nullptr, &size)) << "not in our view";
  redirected.status = Registry().OpenKey(RootKey(kHkeyLocalMachine), wow, kKeyQueryValue, redirected.key);
  ASSERT_EQ(kRegOk, redirected.status);
  EXPECT_EQ(kRegOk, Registry().QueryValue(redirected.key, u"v", nullptr, nullptr, &size));
  test::DeleteTree(Registry(), RootKey(kHkeyLocalMachine), wow);
}

}  // namespace
}  // namespace kqm
