#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "engine/move_result.h"
#include "platform/file_system.h"

namespace kqm {

// One move of a file between a StartUp folder and its Disabled subfolder (folders end in "\").
struct FileMove {
  std::string fromFolder;
  std::string toFolder;
  std::string name;  // the file's name with its extension, exactly as listed
  // The size it had when it was shown; nullopt: not compared.
  std::optional<uint64_t> shownSize;
  // Who is asked before a different file of that name at the destination is replaced (unset: never).
  ReplaceAsker askReplace;
  // Runs before the first write, with the name the file replaced is parked under and its own name ("" for none);
  // false stops the move with nothing written (may be unset).
  std::function<bool(const std::string& aside, const std::string& replaced)> beforeWriting;
};

// Moves the file: checks that the source still holds it, clears the destination (the same bytes already there
// remove the source; a different file is replaced only on a yes, parked beside its place until the move is
// done), moves it, and looks at both folders rather than trusting the answer; a failing step takes the
// destination back to what it was. The result says where the file is.
[[nodiscard]] MoveResult MoveStartUpFile(FileSystem& fs, const FileMove& move);

// Makes the Disabled folder and its subfolder (ending in "\") where they are missing; 0 when the subfolder
// exists afterwards, else the failure.
uint32_t PrepareDisabledFolders(FileSystem& fs, const std::string& sDisabledPath, const std::string& subfolder);

// Whether `folder` holds a file named exactly `name` (letter case included): status 0 and `found`, or the
// failure of the listing.
struct FileLook {
  uint32_t status = fs_error::kOk;
  bool found = false;
};
FileLook LookForFile(FileSystem& fs, const std::string& folder, const std::string& name);

// Whether the file system says `path` is a symbolic link, junction or other reparse point (not following it).
bool IsLink(FileSystem& fs, const std::string& path);

// A failure of a file step at `place`: a taken name, access denied, or another refusal.
MoveResult FileFailed(MoveResult r, uint32_t code, const std::string& place);

}  // namespace kqm
