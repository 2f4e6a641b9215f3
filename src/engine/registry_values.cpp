#include "engine/registry_values.h"

#include "platform/text.h"

namespace kqm {

namespace {

RawRead ReadOnce(RegistryApi& api, const RegPlace& place, const std::string& name) {
  UniqueRegKey key;
  RawRead r;
  r.status = OpenPlace(api, place, kKeyQueryValue, key);
  return r.status == kRegOk ? ReadValue(api, key.get(), Utf8ToUtf16(name)) : r;
}

}  // namespace

int32_t OpenPlace(RegistryApi& api, const RegPlace& place, uint32_t access, UniqueRegKey& key) {
  RegKey opened = 0;
  const int32_t status = api.OpenKey(RootKey(place.root), Utf8ToUtf16(place.path), access | place.view, opened);
  if (status == kRegOk) key = UniqueRegKey(opened, RegKeyCloser{&api});
  return status;
}

int32_t FlushPlace(RegistryApi& api, const RegPlace& place) {
  UniqueRegKey key;
  const int32_t status = OpenPlace(api, place, kKeyQueryValue, key);
  return status == kRegOk ? api.FlushKey(key.get()) : status;
}

RawRead ReadValue(RegistryApi& api, RegKey key, const std::u16string& name16) {
  RawRead r;
  uint32_t size = 0;
  r.status = api.QueryValue(key, name16, &r.value.type, nullptr, &size);
  // A value that grows between the size probe and the read answers 234 with its new size.
  for (int attempt = 0; r.status == kRegOk && attempt < 8; ++attempt) {
    r.value.bytes.assign(size, '\0');
    r.status = api.QueryValue(key, name16, &r.value.type, reinterpret_cast<uint8_t*>(r.value.bytes.data()), &size);
    if (r.status == kRegOk) {
      r.value.bytes.resize(size);
      return r;
    }
    if (r.status == kRegMoreData) r.status = kRegOk;
  }
  if (r.status == kRegOk) r.status = kRegMoreData;
  return r;
}

RawRead Read(RegistryApi& api, const RegPlace& place, const std::string& name) {
  RawRead r = ReadOnce(api, place, name);
  if (r.status != kRegOk && r.status != kRegFileNotFound) r = ReadOnce(api, place, name);
  return r;
}

WriteResult WriteAndVerify(RegistryApi& api, const RegPlace& place, const std::string& name, const RawValue& value) {
  RegKey opened = 0;
  WriteResult w;
  w.status = api.CreateKey(RootKey(place.root), Utf8ToUtf16(place.path), kKeySetValue | place.view, opened);
  if (w.status != kRegOk) return w;
  {
    const UniqueRegKey key(opened, RegKeyCloser{&api});
    // Text stored without its terminating NUL (as careless installers write it) gets one added by the platform
    // when a NUL character happens to follow the data in memory: one that is not keeps the bytes as they are.
    std::string buffer = value.bytes;
    buffer.append("\xFF\xFF\xFF", 3);
    w.status = api.SetValue(key.get(), Utf8ToUtf16(name), value.type, reinterpret_cast<const uint8_t*>(buffer.data()),
                            static_cast<uint32_t>(value.bytes.size()));
  }
  if (w.status != kRegOk) return w;
  w.wrote = true;
  const RawRead back = Read(api, place, name);
  w.status = back.status != kRegOk ? back.status : back.value == value ? kRegOk : kRegInvalidData;
  return w;
}

int32_t DeleteAndVerify(RegistryApi& api, const RegPlace& place, const std::string& name) {
  UniqueRegKey key;
  int32_t status = OpenPlace(api, place, kKeySetValue, key);
  if (status == kRegOk) status = api.DeleteValue(key.get(), Utf8ToUtf16(name));
  key.reset();
  const RawRead after = Read(api, place, name);
  if (after.status == kRegFileNotFound) return kRegOk;
  if (after.status != kRegOk) return -1;
  return status == kRegOk || status == kRegFileNotFound ? kRegAccessDenied : status;
}


StoredNameRead StoredName(RegistryApi& api, const RegPlace& place, const std::string& name) {
  UniqueRegKey key;
  StoredNameRead r;
  r.status = OpenPlace(api, place, kKeyQueryValue, key);
  if (r.status != kRegOk) return r;
  const std::u16string folded = FoldCase(Utf8ToUtf16(name));
  r.status = ForEachValueName(api, key.get(), folded.size() + 1, [&](const std::u16string& found) {
    if (FoldCase(found) != folded) return true;
    r.name = Utf16ToUtf8Exact(found);
    return false;
  });
  if (r.status == kRegNoMoreItems) r.status = kRegFileNotFound;
  return r;
}


}  // namespace kqm
