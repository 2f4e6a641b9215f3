#pragma once
#include <string>
#include <vector>

#include "platform/process_api.h"

namespace kqm {

// A process stand-in: a chosen executable folder, message boxes recorded instead of shown, and an end that
// is recorded and returns.
class RecordingProcess : public ProcessApi {
 public:
  struct Box {
    std::string title;
    std::string text;
  };

  explicit RecordingProcess(std::string folder = "C:\\Program Files\\Kestrum", std::string baseName = "QuorvelManager")
      : folder_(std::move(folder)), baseName_(std::move(baseName)) {}

  std::string ExecutableFolder() override { return folder_; }
  std::string ExecutableBaseName() override { return baseName_; }
  void MessageBoxOk(const std::string& title, const std::string& text) override { boxes.push_back({title, text}); }
  void EndProcess(int exitCode) override { endCodes.push_back(exitCode); }

  std::vector<Box> boxes;
  std::vector<int> endCodes;

 private:
  std::string folder_;
  std::string baseName_;
};

}  // namespace kqm
