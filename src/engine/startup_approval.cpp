#include "engine/startup_approval.h"

#include <chrono>

#include "platform/text.h"

namespace kqm {

namespace {
// The form Windows writes for an entry switched on again.
const std::string kApprovedOn("\x02\0\0\0\0\0\0\0\0\0\0\0", 12);
}  // namespace

RegPlace ApprovalPlace(int32_t root, const std::string& list) { return {root, kApprovedBase + list}; }

bool SwitchedOff(const RawValue& flag) { return !flag.bytes.empty() && (flag.bytes[0] & 1); }

std::unordered_set<std::u16string> SwitchedOffNames(RegistryApi& api, int32_t root, const std::string& list) {
  std::unordered_set<std::u16string> off;
  UniqueRegKey key;
  if (OpenPlace(api, ApprovalPlace(root, list), kKeyQueryValue, key) != kRegOk) return off;
  ForEachValueName(api, key.get(), 256, [&](const std::u16string& found) {
    const RawRead flag = ReadValue(api, key.get(), found);
    if (flag.status == kRegOk && SwitchedOff(flag.value)) off.insert(FoldCase(found));
    return true;
  });
  return off;
}

int32_t SetSwitchedOff(RegistryApi& api, int32_t root, const std::string& list, const std::string& name,
                       uint64_t fileTime) {
  std::string flag("\x03\0\0\0", 4);
  for (int i = 0; i < 8; ++i) flag += static_cast<char>((fileTime >> (8 * i)) & 0xFF);
  return WriteAndVerify(api, ApprovalPlace(root, list), name, RawValue{kRegBinary, flag}).status;
}

uint64_t FileTimeNow() {
  // 1601-01-01 lies 11,644,473,600 seconds before 1970-01-01.
  const auto since1970 = std::chrono::duration_cast<std::chrono::microseconds>(
      std::chrono::system_clock::now().time_since_epoch());
  return static_cast<uint64_t>(since1970.count()) * 10 + 116444736000000000ULL;
}

int32_t ClearSwitchedOff(RegistryApi& api, int32_t root, const std::string& list, const std::string& name) {
  const RegPlace flags = ApprovalPlace(root, list);
  const RawRead flag = Read(api, flags, name);
  if (flag.status == kRegFileNotFound || (flag.status == kRegOk && !SwitchedOff(flag.value))) return kRegOk;
  return WriteAndVerify(api, flags, name, RawValue{kRegBinary, kApprovedOn}).status;
}

}  // namespace kqm
