#include "platform/substitute/failing_registry.h"

namespace kqm {

void FailingRegistry::FailCall(uint32_t n, int32_t status, bool andAfter) {
  failAt_ = n;
  status_ = status;
  andAfter_ = andAfter;
  calls_ = 0;
  failed_ = false;
}

bool FailingRegistry::Fails() {
  ++calls_;
  if (beforeCall_) beforeCall_(calls_);
  if (end_ && end_->Counts()) {
    failed_ = true;
    return true;
  }
  if (failAt_ == 0) return false;
  if (calls_ == failAt_ || (andAfter_ && calls_ > failAt_)) {
    failed_ = true;
    return true;
  }
  return false;
}

namespace {
constexpr uint32_t kWriteRights = kKeySetValue | kKeyCreateSubKey | kKeyCreateLink;
}

int32_t FailingRegistry::OpenKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) {
  if (Fails()) return status_;
  if (readOnlyRoot_ && root == RootKey(*readOnlyRoot_) && (access & kWriteRights)) return kRegAccessDenied;
  return inner_.OpenKey(root, path, access, out);
}

int32_t FailingRegistry::CreateKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) {
  if (Fails()) return status_;
  if (readOnlyRoot_ && root == RootKey(*readOnlyRoot_)) return kRegAccessDenied;
  return inner_.CreateKey(root, path, access, out);
}

int32_t FailingRegistry::CloseKey(RegKey key) {
  // A close that fails still lets the handle go: the caller cannot do anything else with it.
  const bool fail = Fails();
  const int32_t r = inner_.CloseKey(key);
  return fail ? status_ : r;
}

int32_t FailingRegistry::QueryValue(RegKey key, const std::u16string& name, uint32_t* type, uint8_t* data,
                                    uint32_t* byteCount) {
  if (Fails()) return status_;
  return inner_.QueryValue(key, name, type, data, byteCount);
}

int32_t FailingRegistry::SetValue(RegKey key, const std::u16string& name, uint32_t type, const uint8_t* data,
                                  uint32_t byteCount) {
  if (Fails()) return status_;
  return inner_.SetValue(key, name, type, data, byteCount);
}

int32_t FailingRegistry::EnumValue(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars) {
  if (Fails()) return status_;
  return inner_.EnumValue(key, index, name, nameChars);
}

int32_t FailingRegistry::EnumValueData(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars,
                                       uint32_t* type, uint8_t* data, uint32_t* dataBytes) {
  if (Fails()) return status_;
  return inner_.EnumValueData(key, index, name, nameChars, type, data, dataBytes);
}

int32_t FailingRegistry::EnumKey(RegKey key, uint32_t index, char16_t* name, uint32_t nameChars) {
  if (Fails()) return status_;
  return inner_.EnumKey(key, index, name, nameChars);
}

int32_t FailingRegistry::QueryInfoKey(RegKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                                      uint32_t* maxValueNameLen, uint32_t* maxValueBytes) {
  if (Fails()) return status_;
  return inner_.QueryInfoKey(key, subKeys, maxSubKeyLen, values, maxValueNameLen, maxValueBytes);
}

int32_t FailingRegistry::DeleteKey(RegKey root, const std::u16string& path) {
  if (Fails()) return status_;
  return inner_.DeleteKey(root, path);
}

int32_t FailingRegistry::DeleteValue(RegKey key, const std::u16string& name) {
  if (Fails()) return status_;
  return inner_.DeleteValue(key, name);
}

int32_t FailingRegistry::FlushKey(RegKey key) {
  if (Fails()) return status_;
  return inner_.FlushKey(key);
}

uint32_t FailingRegistry::ExpandEnvironment(const std::u16string& source, char16_t* buffer, uint32_t size) {
  if (Fails()) return 0;
  return inner_.ExpandEnvironment(source, buffer, size);
}

}  // namespace kqm
