#pragma once

namespace kqm::contract {

// How the shell's path predicates answer for each path (checked against the real ones under Wine).
struct PathCase {
  const char* path;
  int driveNumber;
  bool hasRoot;
  const char* root;  // the path cut to its root; what is left when there is none
  bool network;
  bool uncServerShare;
  bool uncServer;
  bool unc;
};

inline constexpr PathCase kPathCases[] = {
    {"D:\\Tools\\viewer.exe", 3, true, "D:\\", false, false, false, false},
    {"c:\\", 2, true, "c:\\", false, false, false, false},
    {"z:", 25, false, "z:", false, false, false, false},
    {"C:dir\\file", 2, false, "C:", false, false, false, false},
    {"\\\\srv\\share\\a.lnk", -1, true, "\\\\srv\\share", true, false, false, true},
    {"\\\\srv\\share", -1, true, "\\\\srv\\share", true, true, false, true},
    {"\\\\srv\\share\\", -1, true, "\\\\srv\\share", true, false, false, true},
    {"\\\\srv", -1, true, "\\\\srv", true, false, true, true},
    {"\\\\srv\\", -1, true, "\\\\srv\\", true, true, false, true},
    {"\\\\", -1, true, "\\\\", true, false, true, true},
    {"\\dir\\file.txt", -1, true, "\\", false, false, false, false},
    {"dir\\file.txt", -1, false, "", false, false, false, false},
    {"file.txt", -1, false, "", false, false, false, false},
    {"", -1, false, "", false, false, false, false},
    {"1:\\x", -1, true, "1:\\", false, false, false, false},
    {"\\\\?\\C:\\dir", 2, false, "\\\\?\\C:\\", true, false, false, true},
    {"\\\\?\\UNC\\srv\\share", -1, true, "\\\\?\\UNC", true, false, false, true},
    {"C:/dir/file", 2, false, "C:", false, false, false, false},
    {"D:\\Dir.old\\Report.final.txt", 3, true, "D:\\", false, false, false, false},
};

}  // namespace kqm::contract
