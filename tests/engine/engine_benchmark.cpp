// Loading a location against the substitutes, each measured beside its floor in the same run: the raw
// enumeration of names and data through the same registry, and the raw listing of the folder. Counters:
// ratio = engine time / floor time (thread CPU time); extra_ns_per_entry = (engine - floor) / entries, and
// calls_per_entry = platform calls the engine makes per entry; both stay flat when the engine's own work grows
// linearly. ResolveLongCommand: the program of a Run value of 10,000 and 40,000 characters, half of them spaces,
// beside the program of a plain short command (the floor), both through the machine's lookup over the file
// system; ratio = long / plain, and the file lookups (isFile calls) of each.
#include <benchmark/benchmark.h>

#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "engine/clsStartUp.h"
#include "engine/program_lookup.h"
#include "platform/substitute/failing_file_system.h"
#include "platform/substitute/failing_registry.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/substitute/memory_registry.h"
#include "platform/substitute/posix_file_system.h"
#include "platform/substitute/substitute_shell.h"
#include "platform/text.h"
#include "recording_reporter.h"

namespace kqm {
namespace {

constexpr const char* kRunServices = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";

// CPU time of this thread, so that other work on the machine does not count.
double Now() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// Every name of the key and every value's data, read straight through the seam.
size_t RawEnumeration(RegistryApi& reg) {
  RegKey key = 0;
  if (reg.OpenKey(RootKey(kHkeyLocalMachine), Utf8ToUtf16(kRunServices), kKeyQueryValue, key) != kRegOk) return 0;
  uint32_t values = 0, longest = 0;
  reg.QueryInfoKey(key, nullptr, nullptr, &values, &longest);
  std::u16string name(longest + 1, u'\0');
  std::string data;
  size_t bytes = 0;
  for (uint32_t i = 0;; ++i) {
    uint32_t chars = longest + 1;
    if (reg.EnumValue(key, i, name.data(), &chars) != kRegOk) break;
    const std::u16string n(name.data(), chars);
    uint32_t type = 0, size = 0;
    reg.QueryValue(key, n, &type, nullptr, &size);
    data.resize(size);
    reg.QueryValue(key, n, &type, reinterpret_cast<uint8_t*>(data.data()), &size);
    bytes += size;
  }
  reg.CloseKey(key);
  return bytes;
}

void Report(benchmark::State& state, double engine, double floor, int64_t entries, double engineCalls) {
  state.counters["ratio"] = engine / floor;
  if (engineCalls >= 0) state.counters["calls_per_entry"] = engineCalls / static_cast<double>(entries);
  state.counters["extra_ns_per_entry"] = (engine - floor) * 1e9 / static_cast<double>(entries) /
                                         static_cast<double>(state.iterations());
}

void LoadRegistryLocation(benchmark::State& state) {
  const auto entries = state.range(0);
  MemoryRegistry reg;
  RegKey key = 0;
  reg.CreateKey(RootKey(kHkeyLocalMachine), Utf8ToUtf16(kRunServices), kKeyAll63, key);
  for (int64_t i = 0; i < entries; ++i) {
    const std::string data = Utf16ToBytes(Utf8ToUtf16("C:\\probe\\bench\\app" + std::to_string(i) + ".exe /q"), true);
    reg.SetValue(key, Utf8ToUtf16("bench-" + std::to_string(i)), kRegSz,
                 reinterpret_cast<const uint8_t*>(data.data()), static_cast<uint32_t>(data.size()));
  }
  reg.CloseKey(key);
  PosixFileSystem files;
  SubstituteShell shell(files);
  test::RecordingReporter reporter;
  FailingRegistry counted(reg);
  clsStartUp engine(counted, files, shell, reporter, "QuorvelManager", "C:\\p\\Disabled\\");
  MemoryListView list;
  double engineTime = 0, floorTime = 0, calls = 0;
  for (auto _ : state) {
    auto start = Now();
    benchmark::DoNotOptimize(RawEnumeration(counted));
    floorTime += Now() - start;
    counted.FailCall(0);
    start = Now();
    engine.LoadHKLMRSItems(list);
    engineTime += Now() - start;
    calls = counted.Calls();
    if (list.Count() != entries) state.SkipWithError("not every entry was listed");
  }
  Report(state, engineTime, floorTime, entries, calls);
}
BENCHMARK(LoadRegistryLocation)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void LoadStartUpFolder(benchmark::State& state) {
  namespace fsys = std::filesystem;
  const auto entries = state.range(0);
  const fsys::path host = fsys::temp_directory_path() / ("kqm-engine-bench-" + std::to_string(::getpid()));
  PosixFileSystem files;
  files.MapDrive('C', host);
  SubstituteShell shell(files);
  const std::string folder = shell.SpecialFolder(special_folder::kStartUp, 0).value + "\\";
  fsys::create_directories(*files.HostPath(folder));
  std::ifstream in(fsys::path(KQM_ENGINE_LNK_SAMPLES) / "plain.lnk", std::ios::binary);
  std::ostringstream sample;
  sample << in.rdbuf();
  for (int64_t i = 0; i < entries; ++i) files.WriteWholeFile(folder + "app" + std::to_string(i) + ".lnk", sample.str());
  MemoryRegistry reg;
  test::RecordingReporter reporter;
  FailingFileSystem counted(files, 0);
  clsStartUp engine(reg, counted, shell, reporter, "QuorvelManager", "C:\\p\\Disabled\\");
  MemoryListView list;
  double engineTime = 0, floorTime = 0;
  for (auto _ : state) {
    auto start = Now();
    FoundFile entry;
    int64_t listed = 0;
    if (auto search = counted.FindFirst(folder + "*.lnk", entry)) {
      do ++listed;
      while (search->Next(entry));
    }
    benchmark::DoNotOptimize(listed);
    floorTime += Now() - start;
    start = Now();
    engine.LoadStartUpFiles(list, false);
    engineTime += Now() - start;
    if (list.Count() != entries || listed != entries) state.SkipWithError("not every shortcut was listed");
  }
  // The shortcut reads go through the shell, not through the counted file system: no call count here.
  Report(state, engineTime, floorTime, entries, -1);
  std::error_code ec;
  fsys::remove_all(host, ec);
}
BENCHMARK(LoadStartUpFolder)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

void ResolveLongCommand(benchmark::State& state) {
  namespace fsys = std::filesystem;
  const fsys::path host = fsys::temp_directory_path() / ("kqm-resolver-bench-" + std::to_string(::getpid()));
  PosixFileSystem files;
  files.MapDrive('C', host);
  SubstituteShell shell(files);
  // The PATH names the system folders again, as it does on a real machine.
  shell.SetEnvironmentVariable("PATH", "C:\\windows\\system32;C:\\windows;C:\\tools");
  for (const char* folder : {"C:\\windows\\system32", "C:\\tools", "C:\\Program Files\\App"})
    fsys::create_directories(*files.HostPath(folder));
  files.WriteWholeFile("C:\\Program Files\\App\\app.exe", "x");
  MemoryRegistry reg;
  const ProgramLookup machine = MakeProgramLookup(files, reg, shell);
  int64_t lookups = 0;
  ProgramLookup counted = machine;
  counted.isFile = [&](const std::string& path) {
    ++lookups;
    return machine.isFile(path);
  };
  const std::string plain = "C:\\Program Files\\App\\app.exe /q";
  std::string padded = "gone";
  while (static_cast<int64_t>(padded.size()) < state.range(0)) padded += " x";
  double longTime = 0, floorTime = 0;
  int64_t plainLookups = 0, paddedLookups = 0;
  for (auto _ : state) {
    lookups = 0;
    auto start = Now();
    const bool plainFound = ResolveProgram(plain, counted).exists;
    floorTime += Now() - start;
    plainLookups = lookups;
    lookups = 0;
    start = Now();
    const bool paddedFound = ResolveProgram(padded, counted).exists;
    longTime += Now() - start;
    paddedLookups = lookups;
    if (!plainFound || paddedFound) state.SkipWithError("the commands did not resolve as expected");
  }
  state.counters["ratio"] = longTime / floorTime;
  state.counters["lookups_long"] = static_cast<double>(paddedLookups);
  state.counters["lookups_plain"] = static_cast<double>(plainLookups);
  std::error_code ec;
  fsys::remove_all(host, ec);
}
BENCHMARK(ResolveLongCommand)->Arg(10000)->Arg(40000)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kqm

BENCHMARK_MAIN();
