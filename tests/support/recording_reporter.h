#pragma once
#include <string>
#include <vector>

#include "platform/error_reporter.h"

namespace kqm::test {

// Collects reports instead of showing them.
struct RecordingReporter : ErrorReporter {
  struct Report {
    std::string proc;
    int32_t number;
    std::string description;
  };
  void ShowError(const std::string& p, int32_t n, const std::string& d) override { reports.push_back({p, n, d}); }
  std::vector<Report> reports;
};

}  // namespace kqm::test
