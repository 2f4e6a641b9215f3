#pragma once
#include <string>

#include "kqm_version.h"

namespace kqm {

inline constexpr char kAppTitle[] = "Kestrum Quorvel Manager";
inline constexpr int kAppMajor = KQM_VERSION_MAJOR;
inline constexpr int kAppMinor = KQM_VERSION_MINOR;
inline constexpr int kAppRevision = KQM_VERSION_BUILD;

// The main window's caption: "<title> <major>.<minor> Build <revision>".
inline std::string AppCaption() {
  return std::string(kAppTitle) + " " + std::to_string(kAppMajor) + "." + std::to_string(kAppMinor) + " Build " +
         std::to_string(kAppRevision);
}

}  // namespace kqm
