#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>

namespace kqm {

// A structured error raised to a caller: number, source and description, as the caller's handler sees them.
class AppError : public std::runtime_error {
 public:
  AppError(int32_t number, std::string source, std::string description)
      : std::runtime_error(description), number_(number), source_(std::move(source)),
        description_(std::move(description)) {}
  int32_t Number() const { return number_; }
  const std::string& Source() const { return source_; }
  const std::string& Description() const { return description_; }

 private:
  int32_t number_;
  std::string source_;
  std::string description_;
};

// Reports a trapped failure to the user: one OK message box naming the procedure, the number and the description.
class ErrorReporter {
 public:
  virtual ~ErrorReporter() = default;
  virtual void ShowError(const std::string& sProcName, int32_t number, const std::string& description) = 0;
};

}  // namespace kqm
