#pragma once
#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/registry_api.h"

namespace kqm {

// A registry place: a root, a key path below it and the view it is opened in (0 or kKeyWow64_32).
struct RegPlace {
  int32_t root;
  std::string path;
  uint32_t view = 0;
  bool operator==(const RegPlace&) const = default;
};

// A value's type and bytes as stored.
struct RawValue {
  uint32_t type = 0;
  std::string bytes;
  bool operator==(const RawValue&) const = default;
};

// A read of one value: status 0 with the value, 2 when the key or the value is not there, else the failure.
struct RawRead {
  int32_t status = kRegOk;
  RawValue value;
};

// Opens the place's key with `access` in the place's view; the status of the open.
int32_t OpenPlace(RegistryApi& api, const RegPlace& place, uint32_t access, UniqueRegKey& key);

// Writes the place's key to the disk (opened with the access the flush needs, in the place's view); the status of
// the open, else of the flush.
int32_t FlushPlace(RegistryApi& api, const RegPlace& place);

// Reads one value of an open key.
RawRead ReadValue(RegistryApi& api, RegKey key, const std::u16string& name16);

// Calls `each(name)` for the value names of an open key in order until it returns false, making the buffer
// bigger for a name longer than `chars` (one added meanwhile). Returns the status that ended the listing
// (259 at its end, 0 when `each` stopped it).
template <typename Each>
int32_t ForEachValueName(RegistryApi& api, RegKey key, size_t chars, Each each) {
  std::u16string buffer(std::max<size_t>(chars, 1), u'\0');
  for (uint32_t i = 0;;) {
    uint32_t count = static_cast<uint32_t>(buffer.size());
    const int32_t status = api.EnumValue(key, i, buffer.data(), &count);
    if (status == kRegMoreData && buffer.size() < 0x8000) {
      buffer.assign(std::max<size_t>(buffer.size() * 2, 256), u'\0');
      continue;
    }
    if (status != kRegOk) return status;
    if (!each(std::u16string(buffer.data(), count))) return kRegOk;
    ++i;
  }
}

// Calls `each(name, data)` for every value of an open key in order, names and data in one call a value (one
// round trip each to the registry, and a listing quick enough that a program changing the key meanwhile shifts
// little under it). The buffers start at the key's longest name and largest value and grow for one added
// meanwhile; a value that keeps outgrowing them is read by its name. Returns the status that ended the listing.
template <typename Each>
int32_t ForEachValue(RegistryApi& api, RegKey key, size_t chars, size_t bytes, Each each) {
  std::u16string name(std::max<size_t>(chars, 1), u'\0');
  std::string data(std::max<size_t>(bytes, 2), '\0');
  for (uint32_t i = 0, attempts = 0;;) {
    uint32_t nameChars = static_cast<uint32_t>(name.size()), dataBytes = static_cast<uint32_t>(data.size());
    RawRead r;
    r.status = api.EnumValueData(key, i, name.data(), &nameChars, &r.value.type, reinterpret_cast<uint8_t*>(data.data()),
                                 &dataBytes);
    if (r.status == kRegMoreData && ++attempts < 8) {
      if (name.size() < 0x8000) name.assign(std::max<size_t>(name.size() * 2, 256), u'\0');
      data.assign(std::max<size_t>(dataBytes, data.size()), '\0');
      continue;
    }
    if (r.status == kRegMoreData) {  // still too small: the name alone, then the value by that name
      nameChars = static_cast<uint32_t>(name.size());
      r.status = api.EnumValue(key, i, name.data(), &nameChars);
      if (r.status == kRegOk) {
        const std::u16string found(name.data(), nameChars);
        each(found, ReadValue(api, key, found));
      }
    } else if (r.status == kRegOk) {
      r.value.bytes.assign(data.data(), dataBytes);
      each(std::u16string(name.data(), nameChars), r);
    }
    if (r.status != kRegOk) return r.status;
    ++i;
    attempts = 0;
  }
}

// Reads one value of the place (opening and closing its key), asked once more when the first answer was neither
// the value nor its absence.
RawRead Read(RegistryApi& api, const RegPlace& place, const std::string& name);

// Writes the value and reads it back: status 0 when the place now holds exactly `value`; `wrote` when the
// write itself was accepted (so a copy may be there even if the read-back failed).
struct WriteResult {
  int32_t status = kRegOk;
  bool wrote = false;
};
WriteResult WriteAndVerify(RegistryApi& api, const RegPlace& place, const std::string& name, const RawValue& value);

// Deletes the value and looks again; 0 when it is gone, 2 never, else the delete's failure (5 when the delete
// answered success but the value is still there) or -1 when the look could not tell.
int32_t DeleteAndVerify(RegistryApi& api, const RegPlace& place, const std::string& name);

// The name a value of the key is stored under when it matches `name` without regard to case; the failing
// status when the key cannot be listed, 2 when no such value is listed.
struct StoredNameRead {
  int32_t status = kRegOk;
  std::string name;
};
StoredNameRead StoredName(RegistryApi& api, const RegPlace& place, const std::string& name);

}  // namespace kqm
