#pragma once
#include <cstdint>
#include <functional>
#include <optional>

#include "platform/registry_api.h"
#include "platform/substitute/process_end.h"

namespace kqm {

// A registry that passes every call on to another one, except the chosen N-th call (counted from 1 across all
// entry points), which fails with `status` without reaching the inner registry. With `andAfter` every later call
// fails too. Counting goes on after the failure, so a test can learn how many calls an operation makes.
class FailingRegistry final : public RegistryApi {
 public:
  explicit FailingRegistry(RegistryApi& inner) : inner_(inner) {}

  // Fails call number `n` (0 = none) with `status`; with `andAfter` also every call after it. Resets the count.
  void FailCall(uint32_t n, int32_t status = kRegAccessDenied, bool andAfter = false);
  // Calls made since the last FailCall (or since creation).
  uint32_t Calls() const { return calls_; }
  // Runs `hook` with the call's number before each call reaches the inner registry (another program acting
  // between two calls); an empty function removes it.
  void BeforeCall(std::function<void(uint32_t)> hook) { beforeCall_ = std::move(hook); }
  // Refuses (5) every open of a key below `root` that asks to write, and every create there, as the machine's
  // keys refuse a standard user; nullopt lifts it.
  void ReadOnlyRoot(std::optional<int32_t> root) { readOnlyRoot_ = root; }
  // True once the chosen call has been reached and failed.
  bool Failed() const { return failed_; }
  // Counts every call towards `end` too, and fails each from the call it ends at on (nullptr: none).
  void EndWith(ProcessEnd* end) { end_ = end; }

  int32_t OpenKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) override;
  int32_t CreateKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) override;
  int32_t CloseKey(RegKey key) override;
  int32_t QueryValue(RegKey key, const std::u16string& name, uint32_t* type, uint8_t* data,
                     uint32_t* byteCount) override;
  int32_t SetValue(RegKey key, const std::u16string& name, uint32_t type, const uint8_t* data,
                   uint32_t byteCount) override;
  int32_t EnumValue(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars) override;
  int32_t EnumValueData(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars, uint32_t* type, uint8_t* data,
                        uint32_t* dataBytes) override;
  int32_t EnumKey(RegKey key, uint32_t index, char16_t* name, uint32_t nameChars) override;
  int32_t QueryInfoKey(RegKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                       uint32_t* maxValueNameLen,
                       uint32_t* maxValueBytes = nullptr) override;
  int32_t DeleteKey(RegKey root, const std::u16string& path) override;
  int32_t DeleteValue(RegKey key, const std::u16string& name) override;
  int32_t FlushKey(RegKey key) override;
  uint32_t ExpandEnvironment(const std::u16string& source, char16_t* buffer, uint32_t size) override;

 private:
  // Counts one call; true when it is to fail.
  bool Fails();

  RegistryApi& inner_;
  uint32_t failAt_ = 0;
  int32_t status_ = kRegAccessDenied;
  bool andAfter_ = false;
  uint32_t calls_ = 0;
  bool failed_ = false;
  std::function<void(uint32_t)> beforeCall_;
  std::optional<int32_t> readOnlyRoot_;
  ProcessEnd* end_ = nullptr;
};

}  // namespace kqm
