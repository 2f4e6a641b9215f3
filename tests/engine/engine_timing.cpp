// Times the engine's loads in a real Windows process (under Wine: the prefix's real registry and file system),
// each beside its floor measured in the same run, and prints the ratios. Registry entries go into HKEY_LOCAL_MACHINE's
// RunServices key under unique names and are removed again; shortcuts go into a temporary folder that stands in
// for the user's StartUp folder.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "engine/clsStartUp.h"
#include "engine_world.h"
#include "platform/substitute/memory_list_view.h"
#include "platform/text.h"
#include "platform/win32/win32_file_system.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_wide_text.h"
#include "win32_shortcut_writer.h"

namespace kqm {
namespace {

constexpr const char* kRunServices = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunServices";
constexpr int kRepeats = 5;

struct SilentReporter : ErrorReporter {
  void ShowError(const std::string& proc, int32_t number, const std::string& text) override {
    std::printf("reported: %s %d %s\n", proc.c_str(), number, text.c_str());
  }
};

// Fastest of kRepeats runs, in milliseconds.
double Best(const std::function<void()>& run) {
  double best = 1e300;
  for (int i = 0; i < kRepeats; ++i) {
    const auto start = std::chrono::steady_clock::now();
    run();
    best = std::min(best, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count());
  }
  return best;
}

std::string BenchName(int i) {
  char name[40];
  std::snprintf(name, sizeof name, "kqm-bench-%06d", i);
  return name;
}

// Opens the RunServices key for everything.
RegKey OpenRunServices(RegistryApi& reg) {
  RegKey key = 0;
  reg.CreateKey(RootKey(kHkeyLocalMachine), Utf8ToUtf16(kRunServices), kKeyAll63, key);
  return key;
}

void RemoveBenchValues(RegistryApi& reg) {
  const RegKey key = OpenRunServices(reg);
  std::vector<std::u16string> doomed;
  char16_t name[256];
  for (uint32_t i = 0;; ++i) {
    uint32_t chars = 256;
    if (reg.EnumValue(key, i, name, &chars) != kRegOk) break;
    std::u16string n(name, chars);
    if (n.rfind(u"kqm-bench-", 0) == 0) doomed.push_back(n);
  }
  for (const auto& n : doomed) reg.DeleteValue(key, n);
  reg.CloseKey(key);
}

// Every name of the key and every value's data, read straight through the seam.
size_t RawEnumeration(RegistryApi& reg) {
  RegKey key = 0;
  if (reg.OpenKey(RootKey(kHkeyLocalMachine), Utf8ToUtf16(kRunServices), kKeyQueryValue, key) != kRegOk) return 0;
  uint32_t values = 0, longest = 0;
  reg.QueryInfoKey(key, nullptr, nullptr, &values, &longest);
  std::u16string name(longest + 1, u'\0');
  std::string data;
  size_t count = 0;
  for (uint32_t i = 0;; ++i) {
    uint32_t chars = longest + 1;
    if (reg.EnumValue(key, i, name.data(), &chars) != kRegOk) break;
    const std::u16string n(name.data(), chars);
    uint32_t type = 0, size = 0;
    reg.QueryValue(key, n, &type, nullptr, &size);
    data.resize(size);
    reg.QueryValue(key, n, &type, reinterpret_cast<uint8_t*>(data.data()), &size);
    ++count;
  }
  reg.CloseKey(key);
  return count;
}

int TimeRegistry(int entries) {
  Win32Registry reg;
  Win32FileSystem files;
  Win32Shell shell;
  SilentReporter reporter;
  RemoveBenchValues(reg);
  const RegKey key = OpenRunServices(reg);
  for (int i = 0; i < entries; ++i) {
    const std::string data = Utf16ToBytes(Utf8ToUtf16("C:\\probe\\bench\\app" + std::to_string(i) + ".exe /q"), true);
    reg.SetValue(key, Utf8ToUtf16(BenchName(i)), kRegSz, reinterpret_cast<const uint8_t*>(data.data()),
                 static_cast<uint32_t>(data.size()));
  }
  reg.CloseKey(key);
  clsStartUp engine(reg, files, shell, reporter, "QuorvelManager", "C:\\kqm-bench\\Disabled\\");
  MemoryListView list;
  size_t listed = 0;
  const double floor = Best([&] { listed = RawEnumeration(reg); });
  const double load = Best([&] { engine.LoadHKLMRSItems(list); });
  RemoveBenchValues(reg);
  int ours = 0;
  for (int32_t i = 1; i <= list.Count(); ++i) ours += list.Item(i)->Text().rfind("kqm-bench-", 0) == 0;
  std::printf("registry %6d entries: floor %9.2f ms, engine %9.2f ms, ratio %5.2f (%d rows of ours)\n", entries,
              floor, load, load / floor, ours);
  return ours == entries && listed >= static_cast<size_t>(entries) ? 0 : 1;
}

int TimeShortcuts(int entries) {
  namespace fsys = std::filesystem;
  Win32Registry reg;
  Win32FileSystem files;
  Win32Shell realShell;
  test::SteeredShell shell(realShell);
  SilentReporter reporter;
  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  const fsys::path folder = fsys::path(temp) / Wide(test::UniqueName("bench-startup"));
  fsys::create_directories(folder);
  const std::string folderText = Narrow(folder.wstring());
  shell.Folder(special_folder::kStartUp, folderText);
  const std::string first = folderText + "\\" + BenchName(0) + ".lnk";
  if (test::WriteShortcutWithShell(first, "C:\\probe\\bench\\app.exe", "/q", "", "") != 0) return 1;
  for (int i = 1; i < entries; ++i)
    CopyFileW(Wide(first).c_str(), Wide(folderText + "\\" + BenchName(i) + ".lnk").c_str(), TRUE);

  clsStartUp engine(reg, files, shell, reporter, "QuorvelManager", folderText + "\\Disabled\\");
  MemoryListView list;
  int listed = 0;
  const double floor = Best([&] {
    listed = 0;
    FoundFile entry;
    if (auto search = files.FindFirst(folderText + "\\*.lnk", entry)) {
      do ++listed;
      while (search->Next(entry));
    }
  });
  const double withTargets = Best([&] {
    FoundFile entry;
    if (auto search = files.FindFirst(folderText + "\\*.lnk", entry)) {
      do shell.ShortcutTarget(folderText + "\\" + entry.name);
      while (search->Next(entry));
    }
  });
  const double load = Best([&] { engine.LoadStartUpFiles(list, false); });
  std::error_code ec;
  fsys::remove_all(folder, ec);
  std::printf("shortcuts %5d files: listing %9.2f ms, listing and reading targets %9.2f ms, engine %9.2f ms, "
              "ratio to listing %5.2f, ratio to listing and targets %5.2f\n",
              entries, floor, withTargets, load, load / floor, load / withTargets);
  return list.Count() == entries && listed == entries ? 0 : 1;
}

}  // namespace
}  // namespace kqm

int main() {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int failures = 0;
  failures += kqm::TimeRegistry(1000);
  failures += kqm::TimeRegistry(10000);
  failures += kqm::TimeShortcuts(1000);
  std::printf("%s\n", failures == 0 ? "every entry listed" : "SOME ENTRIES WERE NOT LISTED");
  CoUninitialize();
  return failures == 0 ? 0 : 1;
}
