#pragma once
#include <string>

namespace kqm {

inline constexpr char kAppTitle[] = "Kestrum Quorvel Manager";
inline constexpr int kAppMajor = 1;
inline constexpr int kAppMinor = 0;
inline constexpr int kAppRevision = 45;

// The main window's caption: "<title> <major>.<minor> Build <revision>".
inline std::string AppCaption() {
  return std::string(kAppTitle) + " " + std::to_string(kAppMajor) + "." + std::to_string(kAppMinor) + " Build " +
         std::to_string(kAppRevision);
}

}  // namespace kqm
