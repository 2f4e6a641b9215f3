// The program behind a command line, on a table of real command shapes, against the world's file system (the
// real one under Wine).
#include <gtest/gtest.h>

#include <set>

#include "engine/program_resolver.h"
#include "engine_world.h"
#include "fileinfo/basFile_Kebbo.h"

namespace kqm {
namespace {

TEST(ProgramResolver, CommandShapesResolveAsTheSystemStartsThem) {
  auto world = test::MakeEngineWorld();
  FileSystem& fs = world->Files();
  const std::string s = world->Scratch();
  for (const char* folder : {"\\Program Files", "\\Program Files\\My App", "\\sys", "\\Lib", "\\scripts", "\\links"})
    fs.CreateFolder(s + folder);
  for (const char* file : {"\\Program Files\\My App\\app.exe", "\\sys\\rundll32.exe", "\\sys\\shell32.dll",
                           "\\sys\\cmd.exe", "\\sys\\wscript.exe", "\\Lib\\plugin.dll", "\\scripts\\run.bat",
                           "\\scripts\\hello.vbs"})
    ASSERT_EQ(0u, fs.WriteWholeFile(s + file, "x")) << file;
  ASSERT_TRUE(world->MakeShortcut(s + "\\links\\app.lnk", test::Sample::kProgram));
  ProgramLookup lookup;
  lookup.isFile = [&](const std::string& p) {
    const auto a = fs.Attributes(p);
    return a && !(*a & file_attribute::kDirectory);
  };
  lookup.expand = [&](std::string text) {
    for (size_t at; (at = text.find("%KQM_HOME%")) != std::string::npos;) text.replace(at, 10, s);
    return text;
  };
  lookup.shortcutTarget = [&](const std::string& lnk) { return ShortcutTarget(world->TheShell(), lnk); };
  lookup.searchFolders = {s + "\\sys"};
  const std::string app = s + "\\Program Files\\My App\\app.exe";
  const struct {
    std::string command;
    std::string path;
    bool exists;
  } table[] = {
      {"\"" + app + "\" /min", app, true},
      {app + " /min", app, true},
      {s + "\\Program Files\\My App\\app /min", app, true},
      {"%KQM_HOME%\\Program Files\\My App\\app.exe", app, true},
      {"\"" + app + "\" \"quoted arg\" \\\"x\\\"", app, true},
      {"rundll32.exe shell32.dll,Control_RunDLL desk.cpl", s + "\\sys\\shell32.dll", true},
      {"rundll32 \"" + s + "\\Lib\\plugin.dll\",Start", s + "\\Lib\\plugin.dll", true},
      {"rundll32 missing.dll,Start", "missing.dll", false},
      {"cmd /c start \"\" \"" + app + "\" --x", app, true},
      {"cmd.exe /c " + s + "\\scripts\\run.bat arg", s + "\\scripts\\run.bat", true},
      {"wscript.exe //B \"" + s + "\\scripts\\hello.vbs\"", s + "\\scripts\\hello.vbs", true},
      {s + "\\missing\\gone.exe -q", s + "\\missing\\gone.exe", false},
      {"notthere /x", "notthere", false},
      {s + "\\links\\app.lnk", test::SampleTarget(test::Sample::kProgram), false},
  };
  for (const auto& row : table) {
    const ResolvedProgram found = ResolveProgram(row.command, lookup);
    EXPECT_EQ(row.path, found.path) << row.command;
    EXPECT_EQ(row.exists, found.exists) << row.command;
  }
  RecordProperty("resolver_table_rows", static_cast<int>(std::size(table)));
  EXPECT_EQ((std::vector<std::string>{"a b", "c\"d", "e\\\\f", "", "g\\\"h"}),
            SplitArguments("\"a b\" c\\\"d e\\\\f \"\" \"g\\\\\\\"h\""));
}

// A Run value anyone can write, padded with thousands of spaces, costs a few dozen lookups whatever its length,
// none of them repeated (here the PATH names the system folder again); a command longer than a process's command
// line can be is not looked up at all.
TEST(ProgramResolver, HugeCommandsCostABoundedNumberOfLookups) {
  size_t calls = 0, repeated = 0;
  std::set<std::string> asked;  // the first thousand paths asked
  ProgramLookup lookup;
  lookup.isFile = [&](const std::string& p) {
    if (++calls <= 1000) repeated += !asked.insert(p).second;
    return p == "C:\\sys\\tool.exe";
  };
  lookup.expand = [](const std::string& text) { return text; };
  lookup.searchFolders = {"C:\\sys", "C:\\win", "C:\\sys\\"};
  const ResolvedProgram padded = ResolveProgram("gone" + std::string(20000, ' ') + "/q", lookup);
  EXPECT_EQ("gone", padded.path);
  EXPECT_FALSE(padded.exists);
  EXPECT_LE(calls, 2u * 2u * 50u) << "under fifty prefixes, as written and with .exe, in two distinct folders";
  EXPECT_EQ(0u, repeated);

  std::string longest = "C:\\sys\\tool.exe ";
  longest.resize(32766, 'x');  // the most a command line holds (32,767 characters with its terminating null)
  EXPECT_TRUE(ResolveProgram(longest, lookup).exists);
  std::string tooLong = "C:\\sys\\tool.exe";
  while (tooLong.size() < 40000) tooLong += " x";
  calls = 0;
  const ResolvedProgram unresolved = ResolveProgram(tooLong, lookup);
  EXPECT_EQ("C:\\sys\\tool.exe", unresolved.path);
  EXPECT_FALSE(unresolved.exists);
  EXPECT_EQ(0u, calls);
}

}  // namespace
}  // namespace kqm
