// Desired startup states against the in-memory registry: the export read back as a state that holds, check and
// apply with their exit codes and output, what apply never does unasked, refused states, and the DSC operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/desired_state.h"
#include "app/json.h"
#include "command_line_fixture.h"
#include "platform/text.h"

namespace kqm {
namespace {

std::string State(const std::string& entries) {
  return std::string("{\"schema\":\"") + kStateSchemaName + "\",\"entries\":[" + entries + "]}";
}

// The command line's fixture; commands read `input` as standard input.
class DesiredState : public test::CommandLineFixture {
 protected:
  void SetUp() override {
    CommandLineFixture::SetUp();
    context.files = &files;
    context.readInput = [this] { return std::optional(input); };
    context.machine = "PC1";
    context.user = "ann";
    context.time = "2024-05-06T07:08:09Z";
  }
  void Set(const std::u16string& name, uint32_t type, const std::string& bytes) {
    ASSERT_EQ(kRegOk, reg.SetValue(run, name, type, reinterpret_cast<const uint8_t*>(bytes.data()),
                                   static_cast<uint32_t>(bytes.size())));
  }
  void SetText(const std::u16string& name, const std::u16string& text) { Set(name, kRegSz, Utf16ToBytes(text, true)); }
  CommandOutcome Run(std::vector<std::string> args, const std::string& stdinText = "") {
    input = stdinText;
    return *RunCommandLine(args, engine, context);
  }
  std::vector<StartupEntry> HkcuRun() { return engine.Entries().ReadEntries(LocationId::kHkcuRun); }
  std::string LastLine(const std::string& out) {
    const size_t end = out.size() - 1, start = out.rfind('\n', end - 1);
    return out.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
  }

  CommandContext context;
  std::string input;
};

TEST_F(DesiredState, AnExportReadBackIsAStateThatHolds) {
  const std::u16string odd = u"Odd\xD800";
  SetText(odd, u"a.exe \"x\"");
  Set(u"Expand", kRegExpandSz, Utf16ToBytes(u"%SystemRoot%\\b.exe", true));
  Set(u"Bytes", kRegBinary, std::string("\x01\xAB\x00", 3));
  SetText(u"Gone", u"c.exe");
  ASSERT_EQ(0, Run({"/disable", "HKCUR", "Gone"}).exitCode);

  const CommandOutcome exported = Run({"/export", "/json"});
  ASSERT_EQ(0, exported.exitCode) << exported.err;
  EXPECT_EQ("", exported.err);
  const JsonParse doc = ParseJson(exported.out);
  ASSERT_TRUE(doc.ok()) << doc.error;
  EXPECT_EQ("PC1", doc.value.Find("machine")->text);
  EXPECT_EQ("2024-05-06T07:08:09Z", doc.value.Find("time")->text);
  const auto& items = doc.value.Find("entries")->items;
  ASSERT_EQ(4u, items.size()) << exported.out;
  const auto field = [&](size_t i, const char* name) { return ToJson(*items[i].Find(name)); };
  EXPECT_EQ("\"Odd\\ud800\"", field(0, "name"));
  EXPECT_EQ("\"a.exe \\\"x\\\"\"", field(0, "data"));
  EXPECT_EQ("\"%SystemRoot%\\\\b.exe\"", field(1, "data")) << "stored text, not expanded";
  EXPECT_EQ("\"01ab00\"", field(2, "data"));
  EXPECT_EQ("\"REG_BINARY\"", field(2, "type"));
  EXPECT_EQ("\"off\"", field(3, "state"));
  EXPECT_EQ("\"on\"", field(0, "state"));

  const CommandOutcome checked = Run({"/check", "-"}, exported.out);
  EXPECT_EQ(0, checked.exitCode) << checked.out << checked.err;
  EXPECT_EQ("0 of 4 entries differ\n", checked.out);
  EXPECT_EQ("", checked.err);
}

TEST_F(DesiredState, CheckWhatIfApplyAndApplyAgain) {
  for (const char16_t* name : {u"One", u"Two", u"Three", u"Kept"}) SetText(name, u"x.exe");
  ASSERT_EQ(0, Run({"/disable", "HKCUR", "Three"}).exitCode);
  const std::string wanted = State(
      R"({"location":"HKCUR","name":"one","state":"off"},{"location":"hkcur","name":"Two","state":"offByWindows"},)"
      R"({"location":"HKCUR","name":"Three","state":"on"},{"location":"HKCUR","name":"Kept","state":"on"},)"
      R"({"location":"HKCUR","name":"Never","state":"off"})");

  const CommandOutcome check = Run({"/check", "-"}, wanted);
  EXPECT_EQ(3, check.exitCode);
  EXPECT_EQ("HKCUR\tnative\tone\ton\twanted off\nHKCUR\tnative\tTwo\ton\twanted offByWindows\n"
            "HKCUR\tnative\tThree\toff\twanted on\n3 of 5 entries differ\n",
            check.out);
  EXPECT_EQ("", check.err) << "nothing on standard error unless something failed";

  const std::vector<StartupEntry> before = HkcuRun();
  const CommandOutcome whatIf = Run({"/apply", "-", "/whatif", "/json"}, wanted);
  EXPECT_EQ(0, whatIf.exitCode) << whatIf.err;
  EXPECT_EQ("{\"changed\":0,\"failed\":0,\"planned\":3}", LastLine(whatIf.out));
  EXPECT_TRUE(SameEntries(before, HkcuRun())) << "/whatif changes nothing";

  const CommandOutcome applied = Run({"/apply", "-", "/json"}, wanted);
  EXPECT_EQ(0, applied.exitCode) << applied.err;
  EXPECT_NE(std::string::npos, applied.out.find(R"({"location":"HKCUR","view":"native","name":"Three","state":"off",)"
                                                R"("wanted":"on","result":"changed"})"))
      << applied.out;
  EXPECT_EQ("{\"changed\":3,\"failed\":0}", LastLine(applied.out));
  EXPECT_EQ(0, Run({"/check", "-"}, wanted).exitCode);
  const CommandOutcome again = Run({"/apply", "-"}, wanted);
  EXPECT_EQ(0, again.exitCode);
  EXPECT_EQ("Nothing changed: all 5 entries are as wanted.\n", again.out);
}

TEST_F(DesiredState, ApplyNeverCreatesAndReplacesOnlyWhenTheStateSaysSo) {
  SetText(u"Tool", u"stored.exe");
  ASSERT_EQ(0, Run({"/disable", "HKCUR", "Tool"}).exitCode);
  SetText(u"Tool", u"other.exe");  // a different entry of that name took its place
  SetText(u"Lookalike", u"real.exe");
  const std::string nowhere = R"({"location":"HKCUR","name":"Missing","state":"on"})";
  // Data names the entry meant: a Lookalike with other data is not it, and is left on.
  const std::string lookalike = R"({"location":"HKCUR","name":"Lookalike","state":"off","data":"fake.exe"})";
  const std::string stored = R"({"location":"HKCUR","name":"Tool","state":"on","data":"stored.exe")";

  const std::vector<StartupEntry> before = HkcuRun();
  const CommandOutcome refused = Run({"/apply", "-"}, State(nowhere + "," + lookalike + "," + stored + "}"));
  EXPECT_EQ(1, refused.exitCode);
  EXPECT_EQ("HKCUR\tnative\tMissing\tnot switched on\nHKCUR\tnative\tTool\tnot switched on\n0 changed, 2 failed.\n",
            refused.out);
  EXPECT_NE(std::string::npos, refused.err.find("never created")) << refused.err;
  EXPECT_NE(std::string::npos, refused.err.find("already holds a different entry")) << refused.err;
  EXPECT_TRUE(SameEntries(before, HkcuRun())) << "nothing created, nothing replaced, the lookalike untouched";

  const CommandOutcome replaced = Run({"/apply", "-"}, State(stored + ",\"replace\":true}"));
  EXPECT_EQ(0, replaced.exitCode) << replaced.err;
  std::vector<std::string> now;
  for (const StartupEntry& entry : HkcuRun())
    now.push_back(entry.name + " " + StateName(entry.state) + " " + entry.shown);
  std::sort(now.begin(), now.end());
  EXPECT_EQ((std::vector<std::string>{"Lookalike on real.exe", "Tool on stored.exe"}), now);
}

TEST_F(DesiredState, AStateThatCannotBeUsedChangesNothing) {
  SetText(u"Tool", u"x.exe");
  for (const std::string& bad : {
           std::string("not json"),
           std::string(R"({"schema":"other/1","entries":[]})"),
           State(R"({"location":"HKCUR","name":"Tool"})"),
           State(R"({"location":"HKCUR","name":"Tool","state":"disabled"})"),
           State(R"({"location":"NOWHERE","name":"Tool","state":"off"})"),
           State(R"({"location":"HKCUR","view":"32-bit","name":"Tool","state":"off"})"),
           State(R"({"location":"HKCUR","name":5,"state":"off"})"),
           State(R"({"location":"HKCUR","name":"Tool","state":"off","replace":"yes"})"),
           State(R"({"location":"HKCUR","name":"Tool","state":"off"},{"location":"HKCUR","name":"TOOL","state":"on"})"),
           State(R"({"location":"HKCUR","name":"Tool","state":"off","dta":"x.exe"})"),
           State(R"({"location":"HKCUR","name":"Tool","state":"off","_exist":false})"),
           State("[]"),
       }) {
    const CommandOutcome applied = Run({"/apply", "-"}, bad);
    EXPECT_EQ(1, applied.exitCode) << bad;
    EXPECT_EQ("", applied.out) << bad;
    EXPECT_NE(std::string::npos, applied.err.find("The desired state - ")) << applied.err;
  }
  EXPECT_EQ(EntryState::kOn, HkcuRun().at(0).state);
  const CommandOutcome unreadable = Run({"/check", "C:\\no\\such.json"});
  EXPECT_EQ(1, unreadable.exitCode);
  EXPECT_NE(std::string::npos, unreadable.err.find("could not be read")) << unreadable.err;
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"/check"}, {"/check", "a", "b"}, {"/apply", "a", "/bogus"}, {"/check", "a", "/whatif"},
           {"/export", "x"}, {"/dsc"}, {"/dsc", "frobnicate"}})
    EXPECT_EQ(2, Run(args).exitCode) << args.back();
}

TEST_F(DesiredState, TheDscResourceGetsTestsSetsAndExports) {
  SetText(u"Tool", u"x.exe");
  const std::string off = R"({"location":"HKCUR","name":"Tool","state":"off"})";
  const CommandOutcome got = Run({"/dsc", "get"}, R"({"location":"HKCUR","name":"Tool"})");
  EXPECT_EQ(0, got.exitCode) << got.err;
  EXPECT_EQ(R"({"location":"HKCUR","view":"native","name":"Tool","state":"on","type":"REG_SZ","data":"x.exe",)"
            R"("program":"x.exe","exists":false,"source":"HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\)"
            R"(CurrentVersion\\Run","_exist":true})" "\n",
            got.out);
  EXPECT_NE(std::string::npos, Run({"/dsc", "test"}, off).out.find("\"_inDesiredState\":false"));
  const CommandOutcome set = Run({"/dsc", "set"}, off);
  EXPECT_EQ(0, set.exitCode) << set.err;
  EXPECT_NE(std::string::npos, set.out.find("\"state\":\"off\"")) << set.out;
  EXPECT_EQ(EntryState::kOff, HkcuRun().at(0).state);
  EXPECT_NE(std::string::npos, Run({"/dsc", "test"}, off).out.find("\"_inDesiredState\":true"));
  EXPECT_EQ(R"({"location":"HKCUR","view":"native","name":"None","_exist":false})" "\n",
            Run({"/dsc", "get"}, R"({"location":"HKCUR","name":"None"})").out);
  const CommandOutcome exported = Run({"/dsc", "export"});
  EXPECT_EQ(0, exported.exitCode);
  EXPECT_EQ(1, std::count(exported.out.begin(), exported.out.end(), '\n'));
  EXPECT_TRUE(ParseJson(exported.out).ok()) << exported.out;

  EXPECT_EQ(1, Run({"/dsc", "set"}, "").exitCode) << "no instance on standard input";
  EXPECT_EQ(1, Run({"/dsc", "set"}, R"({"location":"HKCUR","name":"Tool","state":"on","_exist":false})").exitCode);
  EXPECT_EQ(1, Run({"/dsc", "set"}, R"({"location":"HKCUR","name":"None","state":"on"})").exitCode);
}

// An entry Windows keeps off where it is, with a copy in the store: it is not started either way, and switching it
// on approves it where it is rather than bringing the copy back over it.
TEST(PlanStep, AnEntryWindowsKeepsOffIsSwitchedOnWhereItIs) {
  StartupEntry live, stored;
  live.name = stored.name = "Tool";
  live.state = EntryState::kOffByWindows;
  stored.state = EntryState::kOff;
  const std::vector<StartupEntry> entries{stored, live};
  const DataOf noData = [](const StartupEntry&) { return std::nullopt; };
  WantedEntry wanted;
  wanted.name = "TOOL";
  EXPECT_EQ(Step::Kind::kAsWanted, PlanStep(wanted, entries, noData).kind);
  wanted.starts = true;
  const Step on = PlanStep(wanted, entries, noData);
  EXPECT_EQ(Step::Kind::kSwitch, on.kind);
  EXPECT_EQ(&entries[1], on.entry);
  wanted.data = "x";
  EXPECT_EQ(Step::Kind::kNowhere, PlanStep(wanted, entries, noData).kind) << "data that cannot be read never matches";
}

}  // namespace
}  // namespace kqm
