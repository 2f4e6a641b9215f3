#pragma once
#include <string>

namespace kqm {

// What the process shell needs of the platform: where the executable is, a modal OK box, and ending at once.
class ProcessApi {
 public:
  virtual ~ProcessApi() = default;
  // The executable's folder as the platform reports it: no trailing "\" except for a drive root ("C:\").
  virtual std::string ExecutableFolder() = 0;
  // The executable's file name without folder and extension ("QuorvelManager").
  virtual std::string ExecutableBaseName() = 0;
  // A modal message box with an OK button and no icon; returns when the user closes it.
  virtual void MessageBoxOk(const std::string& title, const std::string& text) = 0;
  // Ends the process at once with the given exit code; does not return on a real platform.
  virtual void EndProcess(int exitCode) = 0;
};

}  // namespace kqm
