// Writes the sample shortcut files kept under data/lnk (run once under Wine; the outputs are committed).
#include <cstdio>
#include <string>

#include "win32_shortcut_writer.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fputs("usage: make_shortcut_samples <output folder as a Windows path>\n", stderr);
    return 2;
  }
  const std::string out = std::string(argv[1]) + "\\";
  struct Sample {
    const char* file;
    const char* target;
    const char* arguments;
    const char* workingDirectory;
    const char* description;
  };
  const Sample samples[] = {
      {"plain.lnk", "C:\\probe\\My App\\Target App.exe", "", "", ""},
      {"full.lnk", "C:\\probe\\My App\\Target App.exe", "--start /q", "C:\\probe\\My App", "Starts the probe"},
      {"described.lnk", "C:\\windows\\notepad.exe", "", "", "Notes"},
      {"unicode.lnk", "C:\\probe\\Z\xC3\xBCrich\\Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93.exe", "", "", ""},
      {"folder.lnk", "C:\\probe\\Documents", "", "", ""},
      {"document.lnk", "C:\\probe\\Documents\\readme.txt", "", "", ""},
  };
  int failures = 0;
  for (const Sample& s : samples) {
    const int32_t hr =
        kqm::test::WriteShortcutWithShell(out + s.file, s.target, s.arguments, s.workingDirectory, s.description);
    std::printf("%s: 0x%08lx\n", s.file, static_cast<unsigned long>(hr));
    if (hr != 0) ++failures;
  }
  return failures == 0 ? 0 : 1;
}
