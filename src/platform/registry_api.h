#pragma once
#include <cstdint>
#include <string>

namespace kqm {

// Registry status codes, the platform's numbering.
enum RegStatus : int32_t {
  kRegOk = 0,
  kRegFileNotFound = 2,
  kRegAccessDenied = 5,
  kRegInvalidHandle = 6,
  kRegInvalidData = 13,
  kRegInvalidParameter = 87,
  kRegMoreData = 234,
  kRegNoMoreItems = 259,
  kRegKeyDeleted = 1018,
};

// Registry data types, the platform's numbering.
enum RegType : uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
  kRegDwordBigEndian = 5,
  kRegLink = 6,
  kRegMultiSz = 7,
};

// Access rights, the platform's bit values.
enum RegAccess : uint32_t {
  kKeyQueryValue = 0x1,
  kKeySetValue = 0x2,
  kKeyCreateSubKey = 0x4,
  kKeyEnumerateSubKeys = 0x8,
  kKeyNotify = 0x10,
  kKeyCreateLink = 0x20,
  kKeyAll63 = 0x3F,
  // The registry view a 64-bit process opens HKEY_LOCAL_MACHINE\Software in: its own, or the one 32-bit programs
  // see (HKEY_LOCAL_MACHINE\Software\WOW6432Node). Meaningful for OpenKey and CreateKey from a root.
  kKeyWow64_64 = 0x100,
  kKeyWow64_32 = 0x200,
};

// An open key or a predefined root. Roots are their 32-bit value sign-extended, as Windows defines them.
using RegKey = std::uintptr_t;

// The predefined root for a root tag such as 0x80000001 (HKEY_CURRENT_USER).
inline RegKey RootKey(int32_t rootTag) { return static_cast<RegKey>(static_cast<std::intptr_t>(rootTag)); }

constexpr int32_t kHkeyClassesRoot = static_cast<int32_t>(0x80000000u);
constexpr int32_t kHkeyCurrentUser = static_cast<int32_t>(0x80000001u);
constexpr int32_t kHkeyLocalMachine = static_cast<int32_t>(0x80000002u);
constexpr int32_t kHkeyUsers = static_cast<int32_t>(0x80000003u);
constexpr int32_t kHkeyCurrentConfig = static_cast<int32_t>(0x80000005u);
constexpr int32_t kHkeyDynData = static_cast<int32_t>(0x80000006u);

// The registry entry points the program uses, mirroring the wide (W) functions of advapi32: names are UTF-16,
// string data travels as UTF-16LE bytes, sizes are byte counts, results are the platform's status codes.
class RegistryApi {
 public:
  virtual ~RegistryApi() = default;
  // RegOpenKeyExW: opens root\path (an empty path reopens root itself).
  virtual int32_t OpenKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) = 0;
  // RegCreateKeyExW (non-volatile, default security): opens or creates every missing key of the path.
  virtual int32_t CreateKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) = 0;
  // RegCloseKey.
  virtual int32_t CloseKey(RegKey key) = 0;
  // RegQueryValueExW: with data null only type and size; when *byteCount is smaller than the stored size
  // the result is 234 and *byteCount holds the size; type is delivered in both cases.
  virtual int32_t QueryValue(RegKey key, const std::u16string& name, uint32_t* type, uint8_t* data,
                             uint32_t* byteCount) = 0;
  // RegSetValueExW: stores byteCount bytes of data with the given type.
  virtual int32_t SetValue(RegKey key, const std::u16string& name, uint32_t type, const uint8_t* data,
                           uint32_t byteCount) = 0;
  // RegEnumValueW (name only): *nameChars in = buffer size in characters with terminator,
  // out = name length without terminator; 234 when the buffer is too small, 259 past the end.
  virtual int32_t EnumValue(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars) = 0;
  // RegEnumValueW with the value: the name as EnumValue, then *type and the data into `data` (*dataBytes in =
  // its size, out = the value's size). 234 when the name or the data does not fit (the data's size is then in
  // *dataBytes, the buffers' contents undefined), 259 past the end.
  virtual int32_t EnumValueData(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars, uint32_t* type,
                                uint8_t* data, uint32_t* dataBytes) = 0;
  // RegEnumKeyW: a NUL-terminated subkey name into a buffer of nameChars characters; 234 when it does not fit.
  virtual int32_t EnumKey(RegKey key, uint32_t index, char16_t* name, uint32_t nameChars) = 0;
  // RegQueryInfoKeyW subset: counts, longest names in characters without terminator, largest value in bytes.
  virtual int32_t QueryInfoKey(RegKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                               uint32_t* maxValueNameLen, uint32_t* maxValueBytes = nullptr) = 0;
  // RegDeleteKeyW: deletes root\path, refused (5) while the key has subkeys.
  virtual int32_t DeleteKey(RegKey root, const std::u16string& path) = 0;
  // RegDeleteValueW.
  virtual int32_t DeleteValue(RegKey key, const std::u16string& name) = 0;
  // RegFlushKey: returns once what was written to the key's hive is on the disk. The key is opened with
  // kKeyQueryValue (Windows refuses others with 5; Wine 8 asks for no right); 1018 when the key was deleted.
  virtual int32_t FlushKey(RegKey key) = 0;
  // ExpandEnvironmentStringsW: characters needed including the terminator; copies when size suffices.
  virtual uint32_t ExpandEnvironment(const std::u16string& source, char16_t* buffer, uint32_t size) = 0;
};

}  // namespace kqm

#include "platform/unique_handle.h"

namespace kqm {

// Closes a key through the registry it came from.
struct RegKeyCloser {
  RegistryApi* api = nullptr;
  void operator()(RegKey k) const { api->CloseKey(k); }
};
// An open key, closed when the owner goes.
using UniqueRegKey = UniqueHandle<RegKey, RegKeyCloser>;

}  // namespace kqm
