#pragma once
#include <memory>
#include <string>

#include "platform/file_system.h"
#include "platform/shell.h"

namespace kqm::contract {

// One backend of the file-system and shell seams, with an empty temporary folder of its own that it removes
// again. Built once against the substitutes and once against the real Windows services.
class FsShellBackend {
 public:
  virtual ~FsShellBackend() = default;
  virtual FileSystem& Files() = 0;
  virtual Shell& TheShell() = 0;
  // The temporary folder as a Windows path without a trailing backslash.
  virtual std::string Root() const = 0;
  // An empty temporary folder on another volume (another host file system), "" when there is none.
  virtual std::string OtherVolumeRoot() const = 0;
  // Sets a process environment variable the shell expands.
  virtual void SetEnvironment(const std::string& name, const std::string& value) = 0;
  // Makes `link` a symbolic link to the existing `target` (Windows paths; `folder` when the target is one), as a
  // user of this platform would; "" when made, else why links cannot be made here.
  virtual std::string MakeSymbolicLink(const std::string& link, const std::string& target, bool folder) = 0;
  // Makes `link` another name (hard link) of the file `target`; "" when made, else why not.
  virtual std::string MakeHardLink(const std::string& link, const std::string& target) = 0;
  // "" when a symbolic link to a file shows as a reparse point here, else why it does not.
  virtual std::string FileLinksUnmarkedBecause() const = 0;
  // Short name of the backend for messages.
  virtual std::string Name() const = 0;
};

std::unique_ptr<FsShellBackend> MakeFsShellBackend();

// A drive letter no test machine maps.
inline constexpr const char* kUnmappedRoot = "Q:\\";

}  // namespace kqm::contract
