#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/lnk_reader.h"
#include "platform/substitute/substitute_shell.h"
#include "platform/text.h"
#include "shortcut_bytes.h"
#include "temp_drive.h"

namespace kqm {
namespace {

std::string Sample(const std::string& name) {
  std::ifstream in(std::filesystem::path(KQM_LNK_SAMPLES) / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

using test::U16;
using test::U32;
using test::Wide;
std::string Header(uint32_t flags) { return test::ShortcutHeader(flags); }

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

TEST(ShortcutReader, CodePageStringsAndAnOversizedItemList) {
  std::string strings;
  U16(strings, 4);
  strings += "Caf\xE9";
  const auto ansi = ParseShortcut(Header(0x04) + strings);
  ASSERT_TRUE(ansi);
  EXPECT_EQ(ansi->description, "Caf\xC3\xA9");
  EXPECT_EQ(ansi->target, "");
  std::string list;
  U16(list, 0x40);
  U16(list, 0x30);
  EXPECT_FALSE(ParseShortcut(Header(0x01) + list));
}

// An item of an item-id list: its size, then its bytes.
std::string Item(const std::string& data) {
  std::string item;
  U16(item, static_cast<uint32_t>(data.size()) + 2);
  return item + data;
}
// A file entry as the shell writes it: a code-page short name, then the extension block with the long name.
std::string FileItem(const std::string& shortName, const std::string& longName) {
  std::string data("\x32\x00", 2);
  data += std::string(10, '\0') + shortName + '\0';
  if (data.size() % 2) data += '\0';
  const auto blockAt = static_cast<uint32_t>(data.size()) + 2;  // from the item's start
  const std::string name = Wide(longName);
  std::string block;
  U16(block, 20 + static_cast<uint32_t>(name.size()) + 2);
  U16(block, 3);
  U32(block, 0xBEEF0004);
  block += std::string(12, '\0') + name;
  U16(block, blockAt);
  return Item(data + block);
}

TEST(ShortcutReader, DesktopDelegateItemIsNotTakenForADrive) {
  const std::string myComputer("\xE0\x4F\xD0\x20\xEA\x3A\x69\x10\xA2\xD8\x08\x00\x2B\x30\x30\x9D", 16);
  const std::string desktopGuid("\x3A\xCC\xBF\xB4\x2C\xDB\x4C\x42\xB0\x29\x7F\xE9\x9A\x87\xC6\x41", 16);
  std::string items = Item("\x1F\x50" + myComputer) + Item("\x2E\x80" + desktopGuid) +
                      FileItem("GRSSE~1.EXE", "Gr\xC3\xBC\xC3\x9F" "e.exe");
  items += std::string(2, '\0');
  std::string list;
  U16(list, static_cast<uint32_t>(items.size()));
  const auto link = ParseShortcut(Header(0x01 | 0x02) + list + items +
                                  test::CodePageLinkInfo("C:\\Users\\me\\Desktop\\Gr\xFC\xDF" "e.exe"));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->idListPath, "");
  EXPECT_EQ(link->target, "C:\\Users\\me\\Desktop\\Gr\xC3\xBC\xC3\x9F" "e.exe");
}

TEST(ShortcutReader, OverlongWorkingFolderIsSkippedAndTheTargetKept) {
  std::string strings;
  U16(strings, 2000);
  strings += Utf16ToBytes(Utf8ToUtf16("C:\\" + std::string(1997, 'w')), false);
  U16(strings, 3);
  strings += Utf16ToBytes(u"--q", false);
  const std::string head = Header(0x02 | 0x10 | 0x20 | 0x80) + test::CodePageLinkInfo("C:\\Tools\\app.exe");
  const auto whole = ParseShortcut(head + strings + std::string(4, '\0'));
  ASSERT_TRUE(whole);
  EXPECT_EQ(whole->target, "C:\\Tools\\app.exe");
  EXPECT_TRUE(whole->workingDirectory.empty()) << whole->workingDirectory.size() << " characters";
  EXPECT_EQ(whole->arguments, "--q");
  // A count running past the file's end: what follows cannot be found, what came before stays.
  const auto cut = ParseShortcut(head + strings.substr(0, 1000));
  ASSERT_TRUE(cut);
  EXPECT_EQ(cut->target, "C:\\Tools\\app.exe");
  EXPECT_TRUE(cut->workingDirectory.empty()) << cut->workingDirectory.size() << " characters";
}

TEST(ShortcutReader, InstallerShortcutSaysSoInsteadOfNamingItsIcon) {
  const std::string icon = "C:\\Windows\\Installer\\{6A3F0B52-0C1D-4E8F-9B27-3D5C71A9E410}\\appicon.exe";
  const std::string descriptor = "Yq1]Nc!!!!!!!!!!FK8kMainFeature>8^hN@Ff?h=Vq,a%Wj4Lp";
  std::string iconString;
  U16(iconString, static_cast<uint32_t>(icon.size()));
  iconString += Utf16ToBytes(Utf8ToUtf16(icon), false);
  const auto link = ParseShortcut(Header(0x02 | 0x40 | 0x80 | 0x1000) + test::CodePageLinkInfo(icon) + iconString +
                                  test::InstallerBlock(descriptor));
  ASSERT_TRUE(link);
  EXPECT_EQ(link->target, "(installer shortcut: " + descriptor + ")");
  EXPECT_EQ(link->iconLocation, icon);
}

TEST(ShortcutReader, CodePageFieldsAreReadInTheSystemCodePage) {
  // "C:\<program>\<application>.exe" in Chinese, as the double-byte code page 936 stores it.
  const std::string link = Header(0x02) + test::CodePageLinkInfo("C:\\\xB3\xCC\xD0\xF2\\\xD3\xA6\xD3\xC3.exe");
  test::TempDrive drive;
  drive.File("C:\\app.lnk", link);
  SubstituteShell shell{drive.fs};
  shell.SetAnsiCodePage(936);
  EXPECT_EQ(shell.ShortcutTarget("C:\\app.lnk").value,
            "C:\\\xE7\xA8\x8B\xE5\xBA\x8F\\\xE5\xBA\x94\xE7\x94\xA8.exe");
}

}  // namespace
}  // namespace kqm
