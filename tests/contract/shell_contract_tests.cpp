#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fs_contract_backend.h"
#include "platform/text.h"
#include "shortcut_bytes.h"

namespace kqm::contract {
namespace {

std::string Folded(const std::string& s) { return Utf16ToUtf8(FoldCase(Utf8ToUtf16(s))); }

std::string Sample(const std::string& name) {
  std::ifstream in(std::filesystem::path(KQM_LNK_SAMPLES) / name, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

class ShellContract : public ::testing::Test {
 protected:
  void SetUp() override { backend_ = MakeFsShellBackend(); }
  Shell& shell() { return backend_->TheShell(); }
  std::string At(const std::string& relative) const { return backend_->Root() + "\\" + relative; }
  std::unique_ptr<FsShellBackend> backend_;
};

TEST_F(ShellContract, WindowsFolderHasNoTrailingBackslash) {
  const ShellText folder = shell().WindowsFolder();
  ASSERT_TRUE(folder.ok());
  EXPECT_EQ(Folded(folder.value), "C:\\WINDOWS");
}

TEST_F(ShellContract, StartUpFoldersAreKnownAndOtherNumbersFail) {
  for (int32_t csidl : {special_folder::kStartUp, special_folder::kCommonStartUp}) {
    const ShellText folder = shell().SpecialFolder(csidl, 0);
    ASSERT_TRUE(folder.ok()) << csidl;
    EXPECT_EQ(folder.value.substr(0, 3), "C:\\") << folder.value;
    EXPECT_NE(folder.value.back(), '\\');
    EXPECT_NE(Folded(folder.value).find("STARTUP"), std::string::npos) << folder.value;
  }
  EXPECT_NE(shell().SpecialFolder(special_folder::kStartUp, 0).value,
            shell().SpecialFolder(special_folder::kCommonStartUp, 0).value);
  EXPECT_FALSE(shell().SpecialFolder(0x7F, 0).ok());
}

TEST_F(ShellContract, EnvironmentExpansionLeavesUnknownNamesAsWritten) {
  backend_->SetEnvironment("KQM_CONTRACT_PLACE", "Z\xC3\xBCrich");
  EXPECT_EQ(shell().ExpandEnvironment("%KQM_CONTRACT_PLACE%\\x").value, "Z\xC3\xBCrich\\x");
  EXPECT_EQ(shell().ExpandEnvironment("[%kqm_contract_place%]").value, "[Z\xC3\xBCrich]");
  EXPECT_EQ(shell().ExpandEnvironment("%KQM_CONTRACT_UNSET%").value, "%KQM_CONTRACT_UNSET%");
  EXPECT_EQ(shell().ExpandEnvironment("100% sure").value, "100% sure");
  EXPECT_EQ(shell().ExpandEnvironment("").value, "");
  EXPECT_EQ(shell().EnvironmentVariable("kqm_contract_place").value_or("-"), "Z\xC3\xBCrich");
  EXPECT_FALSE(shell().EnvironmentVariable("KQM_CONTRACT_UNSET"));
  EXPECT_TRUE(shell().EnvironmentVariable("USERNAME"));
}

TEST_F(ShellContract, ShortcutTargetsOfShellMadeShortcuts) {
  const struct {
    const char* sample;
    const char* target;
  } cases[] = {
      {"plain.lnk", "C:\\probe\\My App\\Target App.exe"},
      {"full.lnk", "C:\\probe\\My App\\Target App.exe"},
      {"described.lnk", "C:\\windows\\notepad.exe"},
      {"unicode.lnk", "C:\\probe\\Z\xC3\xBCrich\\Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93.exe"},
      {"folder.lnk", "C:\\probe\\Documents"},
      {"document.lnk", "C:\\probe\\Documents\\readme.txt"},
  };
  for (const auto& c : cases) {
    const std::string bytes = Sample(c.sample);
    ASSERT_FALSE(bytes.empty()) << c.sample;
    ASSERT_EQ(backend_->Files().WriteWholeFile(At(c.sample), bytes), 0u);
    const ShellText target = shell().ShortcutTarget(At(c.sample));
    EXPECT_TRUE(target.ok()) << c.sample;
    EXPECT_EQ(target.value, c.target) << c.sample;
  }
}

TEST_F(ShellContract, InstallerShortcutIsShownAsOneNotAsItsIcon) {
  // What an installer leaves: the link-info path and the icon are the installer's cached icon file.
  const std::string icon = "C:\\Windows\\Installer\\{6A3F0B52-0C1D-4E8F-9B27-3D5C71A9E410}\\appicon.exe";
  const std::string descriptor = "Yq1]Nc!!!!!!!!!!FK8kMainFeature>8^hN@Ff?h=Vq,a%Wj4Lp";
  std::string iconString;
  test::U16(iconString, static_cast<uint32_t>(icon.size()));
  iconString += Utf16ToBytes(Utf8ToUtf16(icon), false);
  const std::string link = test::ShortcutHeader(0x02 | 0x40 | 0x80 | 0x1000) + test::CodePageLinkInfo(icon) +
                           iconString + test::InstallerBlock(descriptor);
  ASSERT_EQ(backend_->Files().WriteWholeFile(At("advertised.lnk"), link), 0u);
  const ShellText target = shell().ShortcutTarget(At("advertised.lnk"));
  EXPECT_TRUE(target.ok());
  EXPECT_EQ(target.value, "(installer shortcut: " + descriptor + ")");
}

TEST_F(ShellContract, ShortcutTargetFailsForOtherFiles) {
  ASSERT_EQ(backend_->Files().WriteWholeFile(At("not a link.lnk"), "plain text, not a shortcut"), 0u);
  EXPECT_FALSE(shell().ShortcutTarget(At("not a link.lnk")).ok());
  EXPECT_FALSE(shell().ShortcutTarget(At("missing.lnk")).ok());
  const std::string cut = Sample("plain.lnk").substr(0, 90);
  ASSERT_EQ(backend_->Files().WriteWholeFile(At("cut.lnk"), cut), 0u);
  EXPECT_FALSE(shell().ShortcutTarget(At("cut.lnk")).ok());
}

}  // namespace
}  // namespace kqm::contract
