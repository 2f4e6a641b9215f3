#pragma once
#include "platform/registry_api.h"

namespace kqm {

// The real registry through advapi32's wide entry points.
class Win32Registry final : public RegistryApi {
 public:
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
};

}  // namespace kqm
