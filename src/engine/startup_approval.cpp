#include "engine/startup_approval.h"

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

int32_t ClearSwitchedOff(RegistryApi& api, int32_t root, const std::string& list, const std::string& name) {
  const RegPlace flags = ApprovalPlace(root, list);
  const RawRead flag = Read(api, flags, name);
  if (flag.status == kRegFileNotFound || (flag.status == kRegOk && !SwitchedOff(flag.value))) return kRegOk;
  return WriteAndVerify(api, flags, name, RawValue{kRegBinary, kApprovedOn}).status;
}

}  // namespace kqm
