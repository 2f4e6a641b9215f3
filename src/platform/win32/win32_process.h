#pragma once
#include "platform/process_api.h"

namespace kqm {

// The running process: GetModuleFileNameW, MessageBoxW and ExitProcess.
class Win32Process final : public ProcessApi {
 public:
  std::string ExecutableFolder() override;
  std::string ExecutableBaseName() override;
  void MessageBoxOk(const std::string& title, const std::string& text) override;
  void EndProcess(int exitCode) override;
};

}  // namespace kqm
