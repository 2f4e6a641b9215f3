#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/lnk_reader.h"
#include "platform/text.h"

namespace kqm {
namespace {

std::string Sample(const std::string& name) {
  std::ifstream in(std::filesystem::path(KQM_LNK_SAMPLES) / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

// Little-endian building blocks for hand-made shortcut files.
void U16(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>((v >> 8) & 0xFF);
}
void U32(std::string& s, uint32_t v) {
  U16(s, v & 0xFFFF);
  U16(s, v >> 16);
}
std::string Header(uint32_t flags) {
  std::string h;
  U32(h, 0x4C);
  h += std::string("\x01\x14\x02\x00\x00\x00\x00\x00\xC0\x00\x00\x00\x00\x00\x00\x46", 16);
  U32(h, flags);
  h.resize(0x4C, '\0');
  return h;
}
std::string Wide(const std::string& utf8) { return Utf16ToBytes(Utf8ToUtf16(utf8), true); }

TEST(ShortcutReader, ReadsEveryFieldOfAShellMadeShortcut) {
  const auto link = ParseShortcut(Sample("full.lnk"));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->target, "C:\\probe\\My App\\Target App.exe");
  EXPECT_EQ(link->idListPath, "C:\\probe\\My App\\Target App.exe");
  EXPECT_EQ(link->arguments, "--start /q");
  EXPECT_EQ(link->workingDirectory, "C:\\probe\\My App");
  EXPECT_EQ(link->description, "Starts the probe");
  EXPECT_EQ(ParseShortcut(Sample("folder.lnk"))->target, "C:\\probe\\Documents");
}

TEST(ShortcutReader, PrefersUnicodeNamesWhereTheCodePagePathLostCharacters) {
  const auto link = ParseShortcut(Sample("unicode.lnk"));
  ASSERT_TRUE(link);
  EXPECT_NE(link->localBasePath.find('?'), std::string::npos) << link->localBasePath;
  EXPECT_EQ(link->target, "C:\\probe\\Z\xC3\xBCrich\\Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93.exe");
}

TEST(ShortcutReader, RejectsWhatIsNotAShortcut) {
  EXPECT_FALSE(ParseShortcut(""));
  EXPECT_FALSE(ParseShortcut("plain text that is long enough to hold a header of seventy-six bytes........."));
  std::string wrongClass = Sample("plain.lnk");
  wrongClass[4] = 0x02;
  EXPECT_FALSE(ParseShortcut(wrongClass));
}

TEST(ShortcutReader, EveryTruncationIsRejectedOrReadWithinBounds) {
  for (const char* name : {"plain.lnk", "full.lnk", "unicode.lnk", "described.lnk"}) {
    const std::string bytes = Sample(name);
    ASSERT_GT(bytes.size(), 100u);
    for (size_t length = 0; length < bytes.size(); ++length) {
      const auto link = ParseShortcut(std::string_view(bytes).substr(0, length));
      if (length < 0x4C) {
        EXPECT_FALSE(link) << name << " cut at " << length;
      }
    }
    // Cutting inside the item-id list or the link info loses the file's structure.
    EXPECT_FALSE(ParseShortcut(std::string_view(bytes).substr(0, 0x60))) << name;
  }
}

TEST(ShortcutReader, UnicodeLinkInfoWithoutItemList) {
  std::string info;
  const std::string local = "C:\\Programme\\";
  const std::string localWide = Wide("C:\\\xD0\x9F\xD1\x80\xD0\xBE\\");
  const std::string suffixWide = Wide("\xE6\x97\xA5.exe");
  const uint32_t localAt = 0x24, suffixAt = localAt + static_cast<uint32_t>(local.size()) + 1;
  const uint32_t localWideAt = suffixAt + 1, suffixWideAt = localWideAt + static_cast<uint32_t>(localWide.size());
  const uint32_t size = suffixWideAt + static_cast<uint32_t>(suffixWide.size());
  U32(info, size);
  U32(info, 0x24);
  U32(info, 1);
  U32(info, 0);  // no volume id needed by the reader
  U32(info, localAt);
  U32(info, 0);
  U32(info, suffixAt);
  U32(info, localWideAt);
  U32(info, suffixWideAt);
  info += local + '\0' + '\0' + localWide + suffixWide;
  const auto link = ParseShortcut(Header(0x02 | 0x80) + info + std::string(4, '\0'));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->target, "C:\\\xD0\x9F\xD1\x80\xD0\xBE\\\xE6\x97\xA5.exe");
}

TEST(ShortcutReader, NetworkAndEnvironmentTargets) {
  std::string network;
  U32(network, 0x14 + 11);
  U32(network, 0);
  U32(network, 0x14);
  U32(network, 0);
  U32(network, 0x20000);
  network += std::string("\\\\srv\\share") + '\0';
  std::string info;
  const uint32_t suffixAt = 0x1C + static_cast<uint32_t>(network.size());
  U32(info, suffixAt + 8);
  U32(info, 0x1C);
  U32(info, 2);
  U32(info, 0);
  U32(info, 0);
  U32(info, 0x1C);
  U32(info, suffixAt);
  info += network + std::string("app.exe") + '\0';
  const auto remote = ParseShortcut(Header(0x02) + info);
  ASSERT_TRUE(remote);
  EXPECT_EQ(remote->target, "\\\\srv\\share\\app.exe");

  std::string block;
  U32(block, 0x314);
  U32(block, 0xA0000001);
  std::string ansi = "%SystemRoot%\\notepad.exe";
  ansi.resize(260, '\0');
  std::string wide = Wide("%SystemRoot%\\n\xC3\xB6tepad.exe");
  wide.resize(520, '\0');
  block += ansi + wide;
  const auto environment = ParseShortcut(Header(0) + block + std::string(4, '\0'));
  ASSERT_TRUE(environment);
  EXPECT_EQ(environment->target, "%SystemRoot%\\n\xC3\xB6tepad.exe");
}

TEST(ShortcutReader, CodePageStringsAndOversizedCounts) {
  std::string strings;
  U16(strings, 4);
  strings += "Caf\xE9";
  const auto ansi = ParseShortcut(Header(0x04) + strings);
  ASSERT_TRUE(ansi);
  EXPECT_EQ(ansi->description, "Caf\xC3\xA9");
  EXPECT_EQ(ansi->target, "");
  std::string tooLong;
  U16(tooLong, 500);
  tooLong += "short";
  EXPECT_FALSE(ParseShortcut(Header(0x04 | 0x80) + tooLong));
  std::string list;
  U16(list, 0x40);
  U16(list, 0x30);
  EXPECT_FALSE(ParseShortcut(Header(0x01) + list));
}

}  // namespace
}  // namespace kqm
