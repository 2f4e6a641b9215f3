#include <gtest/gtest.h>

#include "fs_contract_backend.h"
#include "platform/lnk_reader.h"
#include "win32_shortcut_writer.h"

namespace kqm::contract {
namespace {

TEST(ShortcutRoundTrip, ShellMadeShortcutsReadBackAlikeThroughTheShellAndOurReader) {
  auto backend = MakeFsShellBackend();
  const struct {
    const char* target;
    const char* arguments;
    const char* workingDirectory;
    const char* description;
  } cases[] = {
      {"C:\\probe\\My App\\Target App.exe", "", "", ""},
      {"C:\\probe\\My App\\Target App.exe", "--start /q", "C:\\probe\\My App", "Starts the probe"},
      {"C:\\probe\\Z\xC3\xBCrich\\Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93.exe", "", "", ""},
      {"C:\\\xD0\x9F\xD1\x80\xD0\xBE\xD0\xB3\xD1\x80\xD0\xB0\xD0\xBC\xD0\xBC\xD1\x8B\\\xE6\x97\xA5\xE6\x9C\xAC.exe", "",
       "", "\xE2\x9C\x93"},
      {"C:\\windows\\notepad.exe", "", "", "Notes"},
      {"C:\\probe\\Documents", "", "", ""},
      {"C:\\a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\deep name with spaces.txt", "x", "", ""},
  };
  int index = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.target);
    const std::string link = backend->Root() + "\\case" + std::to_string(++index) + ".lnk";
    ASSERT_EQ(test::WriteShortcutWithShell(link, c.target, c.arguments, c.workingDirectory, c.description), 0);
    const ShellText viaShell = backend->TheShell().ShortcutTarget(link);
    EXPECT_TRUE(viaShell.ok());
    EXPECT_EQ(viaShell.value, c.target);
    const auto bytes = backend->Files().ReadWholeFile(link);
    ASSERT_TRUE(bytes);
    const auto parsed = ParseShortcut(*bytes);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->target, c.target);
    EXPECT_EQ(parsed->arguments, c.arguments);
    EXPECT_EQ(parsed->workingDirectory, c.workingDirectory);
    EXPECT_EQ(parsed->description, c.description);
  }
}

}  // namespace
}  // namespace kqm::contract
