#include "reg_helpers.h"

#include "platform/text.h"

namespace kqm::test {

bool Put(RegistryApi& api, int32_t root, const std::string& path, const std::string& name, uint32_t type,
         const std::string& bytes) {
  RegKey key = 0;
  if (api.CreateKey(RootKey(root), Utf8ToUtf16(path), kKeyAll63, key) != kRegOk) return false;
  // Stored as given: no NUL character after the data that the platform could take for a forgotten terminator.
  const std::string buffer = bytes + "\xFF\xFF\xFF";
  const int32_t r = api.SetValue(key, Utf8ToUtf16(name), type, reinterpret_cast<const uint8_t*>(buffer.data()),
                                 static_cast<uint32_t>(bytes.size()));
  api.CloseKey(key);
  return r == kRegOk;
}

std::string TextBytes(const std::string& text) { return Utf16ToBytes(Utf8ToUtf16(text), true); }

bool PutText(RegistryApi& api, int32_t root, const std::string& path, const std::string& name,
             const std::string& text, uint32_t type) {
  return Put(api, root, path, name, type, TextBytes(text));
}

bool PutDword(RegistryApi& api, int32_t root, const std::string& path, const std::string& name, uint32_t value) {
  const std::string bytes{static_cast<char>(value), static_cast<char>(value >> 8), static_cast<char>(value >> 16),
                          static_cast<char>(value >> 24)};
  return Put(api, root, path, name, kRegDword, bytes);
}

std::optional<Stored> Read(RegistryApi& api, int32_t root, const std::string& path, const std::string& name) {
  RegKey key = 0;
  if (api.OpenKey(RootKey(root), Utf8ToUtf16(path), kKeyQueryValue, key) != kRegOk) return std::nullopt;
  Stored stored;
  uint32_t size = 0;
  std::optional<Stored> result;
  if (api.QueryValue(key, Utf8ToUtf16(name), &stored.type, nullptr, &size) == kRegOk) {
    stored.bytes.assign(size, '\0');
    if (api.QueryValue(key, Utf8ToUtf16(name), &stored.type, reinterpret_cast<uint8_t*>(stored.bytes.data()),
                       &size) == kRegOk) {
      stored.bytes.resize(size);
      result = stored;
    }
  }
  api.CloseKey(key);
  return result;
}

std::optional<std::string> ReadText(RegistryApi& api, int32_t root, const std::string& path,
                                    const std::string& name) {
  const auto stored = Read(api, root, path, name);
  if (!stored || (stored->type != kRegSz && stored->type != kRegExpandSz)) return std::nullopt;
  auto text = BytesToUtf16(stored->bytes.data(), stored->bytes.size());
  if (!text.empty() && text.back() == u'\0') text.pop_back();
  return Utf16ToUtf8(text);
}

bool KeyExists(RegistryApi& api, int32_t root, const std::string& path) {
  RegKey key = 0;
  if (api.OpenKey(RootKey(root), Utf8ToUtf16(path), kKeyQueryValue, key) != kRegOk) return false;
  api.CloseKey(key);
  return true;
}

std::vector<std::string> ValueNames(RegistryApi& api, int32_t root, const std::string& path) {
  std::vector<std::string> names;
  RegKey key = 0;
  if (api.OpenKey(RootKey(root), Utf8ToUtf16(path), kKeyQueryValue, key) != kRegOk) return names;
  char16_t buffer[16384];
  for (uint32_t i = 0;; ++i) {
    uint32_t chars = 16384;
    if (api.EnumValue(key, i, buffer, &chars) != kRegOk) break;
    names.push_back(Utf16ToUtf8(std::u16string_view(buffer, chars)));
  }
  api.CloseKey(key);
  return names;
}

void Remove(RegistryApi& api, int32_t root, const std::string& path, const std::string& name) {
  RegKey key = 0;
  if (api.OpenKey(RootKey(root), Utf8ToUtf16(path), kKeyAll63, key) != kRegOk) return;
  api.DeleteValue(key, Utf8ToUtf16(name));
  api.CloseKey(key);
}

}  // namespace kqm::test
