// The command line for scripts against the in-memory registry: listing, moves with their exit codes, bad
// arguments.
#include <gtest/gtest.h>

#include "app/command_line.h"
#include "command_line_fixture.h"
#include "engine/clsStartUp.h"
#include "platform/substitute/failing_registry.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "platform/text.h"
#include "recording_reporter.h"
#include "temp_drive.h"

namespace kqm {
namespace {

std::string Text(const char16_t* s) { return Utf16ToBytes(s, true); }

using CommandLine = test::CommandLineFixture;

TEST_F(CommandLine, ListsMovesAndRefusesAsTheWindowDoes) {
  const std::string data = Text(u"C:\\Tools\\\"a\".exe /x");
  ASSERT_EQ(kRegOk, reg.SetValue(run, u"Tool", kRegExpandSz, reinterpret_cast<const uint8_t*>(data.data()),
                                 static_cast<uint32_t>(data.size())));

  EXPECT_FALSE(RunCommandLine({}, engine)) << "no arguments: the window";
  auto listed = RunCommandLine({"/list", "hkcur", "/json"}, engine);
  ASSERT_TRUE(listed);
  EXPECT_EQ(0, listed->exitCode);
  EXPECT_EQ("{\"location\":\"HKCUR\",\"name\":\"Tool\",\"command\":\"C:\\\\Tools\\\\\\\"a\\\".exe /x\",\"on\":true,"
            "\"offByWindows\":false,\"view\":\"native\",\"type\":\"REG_EXPAND_SZ\","
            "\"program\":\"C:\\\\Tools\\\\\\\"a\\\".exe\",\"exists\":false,\"trust\":\"recorded\",\"sharedStore\":false,"
            "\"new\":false,\"alsoOff\":false}\n",
            listed->out);

  EXPECT_EQ(0, RunCommandLine({"/disable", "HKCUR", "Tool"}, engine)->exitCode);
  const auto again = RunCommandLine({"/disable", "HKCUR", "Tool"}, engine);
  EXPECT_EQ(1, again->exitCode) << "it is off already";
  EXPECT_EQ("HKCUR\toff\tTool\tC:\\Tools\\\"a\".exe /x\n", RunCommandLine({"/list", "HKCUR"}, engine)->out);

  // Its program adds a different entry of that name again: a script cannot be asked which of the two to keep, so
  // both stay as they are.
  const std::string other = Text(u"other.exe");
  ASSERT_EQ(kRegOk, reg.SetValue(run, u"Tool", kRegSz, reinterpret_cast<const uint8_t*>(other.data()),
                                 static_cast<uint32_t>(other.size())));
  const auto taken = RunCommandLine({"/enable", "HKCUR", "Tool"}, engine);
  EXPECT_EQ(1, taken->exitCode);
  EXPECT_NE(std::string::npos, taken->err.find("both were left as they are")) << taken->err;
  ASSERT_EQ(kRegOk, reg.DeleteValue(run, u"Tool"));
  EXPECT_EQ(0, RunCommandLine({"/enable", "HKCUR", "Tool"}, engine)->exitCode);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(kRegOk, reg.QueryValue(run, u"Tool", &type, nullptr, &size));
  EXPECT_EQ(kRegExpandSz, type) << "back with its own type";

  EXPECT_EQ(2, RunCommandLine({"/disable", "HKCUR"}, engine)->exitCode);
  EXPECT_EQ(2, RunCommandLine({"/list", "NOWHERE"}, engine)->exitCode);
  EXPECT_EQ(2, RunCommandLine({"/frobnicate"}, engine)->exitCode);
  EXPECT_EQ(0, RunCommandLine({"/?"}, engine)->exitCode);
}

TEST_F(CommandLine, AnEntryOfAnotherTypeThanTextNamesNoProgram) {
  const uint8_t bytes[] = {0x01, 0x00, 0xff, 0x80};
  ASSERT_EQ(kRegOk, reg.SetValue(run, u"Bytes", kRegBinary, bytes, sizeof bytes));
  const auto listed = RunCommandLine({"/list", "HKCUR", "/json"}, engine);
  ASSERT_TRUE(listed);
  EXPECT_NE(std::string::npos, listed->out.find("\"type\":\"REG_BINARY\",\"program\":null,\"exists\":false,"))
      << listed->out;
}

// An entry its program added again after a script switched it off is listed as kept off by Windows and also
// switched off; "new" tells what came or changed since the window last showed the list.
TEST_F(CommandLine, AnEntryAddedAgainIsListedAlsoOffAndNewSinceTheWindowShowedTheList) {
  const std::string first = Text(u"first.exe"), again = Text(u"again.exe");
  ASSERT_EQ(kRegOk, reg.SetValue(run, u"Upd", kRegSz, reinterpret_cast<const uint8_t*>(first.data()),
                                 static_cast<uint32_t>(first.size())));
  ASSERT_EQ(0, RunCommandLine({"/disable", "HKCUR", "Upd"}, engine)->exitCode);
  ASSERT_EQ(kRegOk, reg.SetValue(run, u"Upd", kRegSz, reinterpret_cast<const uint8_t*>(again.data()),
                                 static_cast<uint32_t>(again.size())));
  const std::string listed = RunCommandLine({"/list", "HKCUR", "/json"}, engine)->out;
  EXPECT_NE(std::string::npos, listed.find("\"command\":\"again.exe\",\"on\":false,\"offByWindows\":true")) << listed;
  EXPECT_NE(std::string::npos, listed.find("\"new\":false,\"alsoOff\":true}")) << listed;
  EXPECT_NE(std::string::npos, listed.find("\"new\":false,\"alsoOff\":false}")) << "its switched-off copy: " << listed;

  // The window showed the list, with the first entry, before the program added it again.
  StartupEntry shown;
  shown.name = std::string("Upd");
  shown.type = kRegSz;
  shown.bytes = first;
  ASSERT_EQ(kRegOk, engine.Entries().Seen().Put(LocationId::kHkcuRun, MakeSeenRecord({SeenKeyOf(shown)}, 0)));
  const std::string since = RunCommandLine({"/list", "HKCUR", "/json"}, engine)->out;
  EXPECT_NE(std::string::npos, since.find("\"new\":true,\"alsoOff\":true}")) << since;
  EXPECT_NE(std::string::npos, since.find("\"new\":false,\"alsoOff\":false}")) << since;
}

// A name with an unpaired surrogate and data with a tab and a line break: one line per entry in plain text, the
// surrogate as its escape in JSON, and the entry moves by the name as listed.
TEST_F(CommandLine, EveryNameAndCommandPrintsAsOneLineAndMovesAsListed) {
  const std::u16string name = u"A\xD800" u"B";
  const std::string data = Text(u"x\ty\nz");
  ASSERT_EQ(kRegOk, reg.SetValue(run, name, kRegSz, reinterpret_cast<const uint8_t*>(data.data()),
                                 static_cast<uint32_t>(data.size())));
  EXPECT_EQ("HKCUR\ton\tA\\uD800B\tx\\x09y\\x0Az\n", RunCommandLine({"/list", "HKCUR"}, engine)->out);
  const std::string json = RunCommandLine({"/list", "HKCUR", "/json"}, engine)->out;
  EXPECT_NE(std::string::npos, json.find("\"name\":\"A\\ud800B\",\"command\":\"x\\u0009y\\u000az\"")) << json;
  EXPECT_EQ(0, RunCommandLine({"/disable", "HKCUR", Utf16ToUtf8Exact(name)}, engine)->exitCode);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(kRegFileNotFound, reg.QueryValue(run, name, &type, nullptr, &size));
}

// A file someone put in the common Disabled folder: listed with the window's mark (plain) and its trust (JSON),
// and never switched on into the common StartUp folder by a script.
TEST(CommandLineFiles, APlantedFileIsListedAsSuchAndRefused) {
  test::TempDrive drive;
  SubstituteShell shell(drive.fs);
  shell.SetSpecialFolder(special_folder::kCommonStartUp, "C:\\S");
  MemoryRegistry memory;
  test::RecordingReporter reporter;
  clsStartUp engine{memory, drive.fs, shell, reporter, "QuorvelManager", "C:\\P\\Disabled\\"};
  drive.Folder("C:\\S");
  drive.File("C:\\P\\Disabled\\All Users\\planted.bat", "evil");
  EXPECT_EQ("ALLUSERS\toff\tplanted.bat\tC:\\P\\Disabled\\All Users\\planted.bat\tnot switched off by this program\n",
            RunCommandLine({"/list", "ALLUSERS"}, engine)->out);
  EXPECT_NE(std::string::npos,
            RunCommandLine({"/list", "ALLUSERS", "/json"}, engine)->out.find("\"trust\":\"unrecorded\""));
  const auto enabled = RunCommandLine({"/enable", "ALLUSERS", "planted.bat"}, engine);
  EXPECT_EQ(1, enabled->exitCode);
  EXPECT_NE(std::string::npos, enabled->err.find("not switched off by this program")) << enabled->err;
  EXPECT_FALSE(drive.fs.ReadWholeFile("C:\\S\\planted.bat"));
}

// /history lists the command line's own changes, newest first; /undo takes one back once, and says why not after.
TEST_F(CommandLine, HistoryListsTheChangesAndUndoTakesOneBack) {
  const std::string data = Text(u"tool.exe");
  ASSERT_EQ(kRegOk, reg.SetValue(run, u"T\"ool", kRegSz, reinterpret_cast<const uint8_t*>(data.data()),
                                 static_cast<uint32_t>(data.size())));
  ASSERT_EQ(0, RunCommandLine({"/disable", "HKCUR", "T\"ool"}, engine)->exitCode);
  const auto listed = RunCommandLine({"/history", "/JSON"}, engine);
  ASSERT_EQ(0, listed->exitCode);
  const std::string& line = listed->out;
  ASSERT_EQ(0u, line.rfind("{\"id\":", 0)) << line;
  const std::string id = line.substr(6, line.find(',') - 6);
  EXPECT_NE(std::string::npos, line.find(",\"source\":\"command line\",\"action\":\"disable\",\"location\":\"HKCUR\","
                                         "\"name\":\"T\\\"ool\",\"view\":\"native\",\"result\":\"done\"}\n"))
      << line;

  EXPECT_EQ(0, RunCommandLine({"/undo", id}, engine)->exitCode);
  uint32_t type = 0, size = 0;
  EXPECT_EQ(kRegOk, reg.QueryValue(run, u"T\"ool", &type, nullptr, &size)) << "on again";
  const auto again = RunCommandLine({"/undo", id}, engine);
  EXPECT_EQ(1, again->exitCode);
  EXPECT_NE(std::string::npos, again->err.find("no longer in")) << again->err;
  const std::string text = RunCommandLine({"/history"}, engine)->out;
  EXPECT_EQ(0u, text.find(std::to_string(std::stoull(id) + 1) + "\t")) << "the undo is the newest change: " << text;
  EXPECT_NE(std::string::npos, text.find("\tundo\tHKCUR\tT\"ool\tdone\n")) << text;
  EXPECT_NE(std::string::npos, text.find("\tdone; undone by change " + std::to_string(std::stoull(id) + 1) + "\n"));
  EXPECT_EQ(2, RunCommandLine({"/undo", "x1"}, engine)->exitCode);
  EXPECT_EQ(2, RunCommandLine({"/history", "/list"}, engine)->exitCode);
}

// A key that cannot be read is no empty list: whichever registry call fails, /list either lists every entry or
// says what it could not read and ends with exit code 1.
TEST(CommandLineFailures, AListThatCouldNotBeReadIsNeverReportedAsComplete) {
  MemoryRegistry memory;
  FailingRegistry failing(memory);
  PosixFileSystem files;
  SubstituteShell shell{files};
  test::RecordingReporter reporter;
  clsStartUp engine{failing, files, shell, reporter, "QuorvelManager", "C:\\p\\Disabled\\"};
  RegKey key = 0;
  ASSERT_EQ(kRegOk, memory.CreateKey(RootKey(kHkeyCurrentUser), u"Software\\Microsoft\\Windows\\CurrentVersion\\Run",
                                     kKeyAll63, key));
  for (const char16_t* n : {u"one", u"two"})
    ASSERT_EQ(kRegOk, memory.SetValue(key, n, kRegSz, reinterpret_cast<const uint8_t*>("x\0"), 2));
  memory.CloseKey(key);
  failing.FailCall(0);
  ASSERT_EQ(0, RunCommandLine({"/list", "HKCUR"}, engine)->exitCode);
  const uint32_t calls = failing.Calls();
  int reported = 0;
  for (uint32_t n = 1; n <= calls; ++n) {
    failing.FailCall(n, kRegAccessDenied);
    const auto listed = RunCommandLine({"/list", "HKCUR"}, engine);
    const bool complete = listed->out.find("\tone\t") != std::string::npos &&
                          listed->out.find("\ttwo\t") != std::string::npos;
    if (listed->exitCode == 1) ++reported;
    EXPECT_TRUE(complete || (listed->exitCode == 1 && listed->err.find("could not be read") != std::string::npos))
        << "call " << n << " failing: " << listed->out << listed->err;
  }
  EXPECT_LT(0, reported) << "reading the Run key itself can fail";
  failing.FailCall(0);
}

// Where the program's name ends decides whether the window opens: a quoted name may hold blanks, and what follows
// its closing quote is an argument even without a blank between (as the system takes a line apart).
TEST(CommandLineArguments, TheProgramsNameEndsWhereTheSystemEndsIt) {
  EXPECT_FALSE(NamesArguments(u""));
  EXPECT_FALSE(NamesArguments(u"QuorvelManager.exe"));
  EXPECT_FALSE(NamesArguments(u"QuorvelManager.exe \t "));
  EXPECT_FALSE(NamesArguments(u"\"C:\\Program Files\\Kestrum\\QuorvelManager.exe\" "));
  EXPECT_FALSE(NamesArguments(u"\"C:\\No end quote\\QuorvelManager.exe /list"));
  EXPECT_TRUE(NamesArguments(u"QuorvelManager.exe /list"));
  EXPECT_TRUE(NamesArguments(u"\"C:\\Program Files\\Kestrum\\QuorvelManager.exe\" /list HKCUR"));
  EXPECT_TRUE(NamesArguments(u"\"C:\\Kestrum\\QuorvelManager.exe\"/?"));
  EXPECT_TRUE(NamesArguments(u"C:\\Kestrum\\QuorvelManager.exe\t/show HKCUR"));
}

}  // namespace
}  // namespace kqm
