#include "platform/substitute/memory_registry.h"

#include <algorithm>
#include <cstring>

#include "platform/text.h"

namespace kqm {

namespace {
constexpr size_t kMaxKeyNameChars = 255;
constexpr size_t kMaxValueNameChars = 16383;

std::vector<std::u16string> SplitPath(const std::u16string& path) {
  std::vector<std::u16string> parts;
  std::u16string cur;
  for (char16_t c : path) {
    if (c == u'\\') {
      if (!cur.empty()) parts.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) parts.push_back(cur);
  return parts;
}

// The path a key opened from HKEY_LOCAL_MACHINE in the 32-bit view really has: "Software\X" lies at
// "Software\WOW6432Node\X", as on 64-bit Windows.
std::u16string ViewPath(RegKey root, const std::u16string& path, uint32_t access) {
  if (!(access & kKeyWow64_32) || root != RootKey(kHkeyLocalMachine)) return path;
  const auto parts = SplitPath(path);
  if (parts.empty() || FoldCase(parts[0]) != u"SOFTWARE") return path;
  if (parts.size() > 1 && FoldCase(parts[1]) == u"WOW6432NODE") return path;
  std::u16string out = parts[0] + u"\\WOW6432Node";
  for (size_t i = 1; i < parts.size(); ++i) out += u"\\" + parts[i];
  return out;
}
}  // namespace

std::vector<MemoryRegistry::SubkeyTable::Entry>::const_iterator MemoryRegistry::SubkeyTable::LowerBound(
    const std::u16string& folded) const {
  return std::lower_bound(entries_.begin(), entries_.end(), folded,
                          [](const Entry& entry, const std::u16string& name) { return entry.first < name; });
}

std::shared_ptr<MemoryRegistry::Node> MemoryRegistry::SubkeyTable::Find(const std::u16string& folded) const {
  const auto it = LowerBound(folded);
  return it != entries_.end() && it->first == folded ? it->second : nullptr;
}

void MemoryRegistry::SubkeyTable::Insert(std::u16string folded, std::shared_ptr<Node> node) {
  const auto at = LowerBound(folded);
  entries_.emplace(at, std::move(folded), std::move(node));
}

bool MemoryRegistry::SubkeyTable::Erase(const std::u16string& folded) {
  const auto it = LowerBound(folded);
  if (it == entries_.end() || it->first != folded) return false;
  entries_.erase(it);
  return true;
}

MemoryRegistry::MemoryRegistry() {
  for (int32_t root : {kHkeyClassesRoot, kHkeyCurrentUser, kHkeyLocalMachine, kHkeyUsers, kHkeyCurrentConfig,
                       kHkeyDynData})
    roots_[root] = std::make_shared<Node>();
}

int32_t MemoryRegistry::Resolve(RegKey key, uint32_t needAccess, std::shared_ptr<Node>& node) const {
  const auto asRoot = static_cast<int32_t>(static_cast<std::intptr_t>(key));
  if (RootKey(asRoot) == key) {
    auto it = roots_.find(asRoot);
    if (it != roots_.end()) {
      node = it->second;
      return kRegOk;
    }
  }
  auto it = handles_.find(key);
  if (it == handles_.end()) return kRegInvalidHandle;
  if (it->second.node->deleted) return kRegKeyDeleted;
  if ((it->second.access & needAccess) != needAccess) return kRegAccessDenied;
  node = it->second.node;
  return kRegOk;
}

int32_t MemoryRegistry::Walk(RegKey root, const std::u16string& path, bool create, std::shared_ptr<Node>& node) {
  std::shared_ptr<Node> cur;
  const uint32_t need = create ? uint32_t{kKeyCreateSubKey} : 0u;
  if (int32_t r = Resolve(root, need, cur); r != kRegOk) return r;
  for (const auto& part : SplitPath(path)) {
    if (part.size() > kMaxKeyNameChars) return kRegInvalidParameter;
    auto folded = FoldCase(part);
    std::shared_ptr<Node> child = cur->subkeys.Find(folded);
    if (!child) {
      if (!create) return kRegFileNotFound;
      child = std::make_shared<Node>();
      child->name = part;
      cur->subkeys.Insert(std::move(folded), child);
    }
    cur = std::move(child);
  }
  node = cur;
  return kRegOk;
}

MemoryRegistry::Value* MemoryRegistry::Node::Find(const std::u16string& valueName) {
  auto it = valueIndex.find(FoldCase(valueName));
  return it == valueIndex.end() ? nullptr : &values[it->second];
}

RegKey MemoryRegistry::NewHandle(std::shared_ptr<Node> node, uint32_t access) {
  const RegKey h = nextHandle_;
  nextHandle_ += 4;
  handles_[h] = Handle{std::move(node), access};
  return h;
}

int32_t MemoryRegistry::OpenKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) {
  out = 0;
  std::shared_ptr<Node> node;
  if (int32_t r = Walk(root, ViewPath(root, path, access), false, node); r != kRegOk) return r;
  out = NewHandle(node, access);
  return kRegOk;
}

int32_t MemoryRegistry::CreateKey(RegKey root, const std::u16string& path, uint32_t access, RegKey& out) {
  out = 0;
  std::shared_ptr<Node> node;
  if (int32_t r = Walk(root, ViewPath(root, path, access), true, node); r != kRegOk) return r;
  out = NewHandle(node, access);
  return kRegOk;
}

int32_t MemoryRegistry::CloseKey(RegKey key) {
  const auto asRoot = static_cast<int32_t>(static_cast<std::intptr_t>(key));
  if (roots_.count(asRoot) && RootKey(asRoot) == key) return kRegOk;
  return handles_.erase(key) ? kRegOk : kRegInvalidHandle;
}

int32_t MemoryRegistry::QueryValue(RegKey key, const std::u16string& name, uint32_t* type, uint8_t* data,
                                   uint32_t* byteCount) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeyQueryValue, node); r != kRegOk) return r;
  if (data && !byteCount) return kRegInvalidParameter;
  const Value* v = node->Find(name);
  if (!v) return kRegFileNotFound;
  if (type) *type = v->type;
  if (!byteCount) return kRegOk;
  const auto size = static_cast<uint32_t>(v->data.size());
  if (data && *byteCount < size) {
    *byteCount = size;
    return kRegMoreData;
  }
  if (data) std::memcpy(data, v->data.data(), size);
  *byteCount = size;
  return kRegOk;
}

int32_t MemoryRegistry::SetValue(RegKey key, const std::u16string& name, uint32_t type, const uint8_t* data,
                                 uint32_t byteCount) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeySetValue, node); r != kRegOk) return r;
  if (name.size() > kMaxValueNameChars) return kRegInvalidParameter;
  if (!data && byteCount) return kRegInvalidParameter;
  std::string bytes(reinterpret_cast<const char*>(data), data ? byteCount : 0);
  if (Value* v = node->Find(name)) {
    v->type = type;
    v->data = std::move(bytes);
    return kRegOk;
  }
  node->valueIndex.emplace(FoldCase(name), node->values.size());
  node->values.push_back(Value{name, type, std::move(bytes)});
  return kRegOk;
}

int32_t MemoryRegistry::EnumValue(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeyQueryValue, node); r != kRegOk) return r;
  if (index >= node->values.size()) return kRegNoMoreItems;
  const auto& n = node->values[index].name;
  if (n.size() + 1 > *nameChars) return kRegMoreData;
  std::copy(n.begin(), n.end(), name);
  name[n.size()] = 0;
  *nameChars = static_cast<uint32_t>(n.size());
  return kRegOk;
}

int32_t MemoryRegistry::EnumValueData(RegKey key, uint32_t index, char16_t* name, uint32_t* nameChars,
                                      uint32_t* type, uint8_t* data, uint32_t* dataBytes) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeyQueryValue, node); r != kRegOk) return r;
  if (index >= node->values.size()) return kRegNoMoreItems;
  const Value& v = node->values[index];
  const auto size = static_cast<uint32_t>(v.data.size());
  const bool fits = v.name.size() + 1 <= *nameChars && size <= *dataBytes;
  *type = v.type;
  *dataBytes = size;
  if (!fits) return kRegMoreData;
  std::copy(v.name.begin(), v.name.end(), name);
  name[v.name.size()] = 0;
  *nameChars = static_cast<uint32_t>(v.name.size());
  std::memcpy(data, v.data.data(), size);
  return kRegOk;
}

int32_t MemoryRegistry::EnumKey(RegKey key, uint32_t index, char16_t* name, uint32_t nameChars) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeyEnumerateSubKeys, node); r != kRegOk) return r;
  if (index >= node->subkeys.size()) return kRegNoMoreItems;
  const auto& n = node->subkeys.At(index).second->name;
  if (n.size() + 1 > nameChars) return kRegMoreData;
  std::copy(n.begin(), n.end(), name);
  name[n.size()] = 0;
  return kRegOk;
}

int32_t MemoryRegistry::QueryInfoKey(RegKey key, uint32_t* subKeys, uint32_t* maxSubKeyLen, uint32_t* values,
                                     uint32_t* maxValueNameLen, uint32_t* maxValueBytes) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeyQueryValue, node); r != kRegOk) return r;
  uint32_t msk = 0, mv = 0, mb = 0;
  for (const auto& [folded, child] : node->subkeys) msk = std::max<uint32_t>(msk, child->name.size());
  for (const auto& v : node->values) {
    mv = std::max<uint32_t>(mv, v.name.size());
    mb = std::max<uint32_t>(mb, v.data.size());
  }
  if (maxValueBytes) *maxValueBytes = mb;
  if (subKeys) *subKeys = static_cast<uint32_t>(node->subkeys.size());
  if (maxSubKeyLen) *maxSubKeyLen = msk;
  if (values) *values = static_cast<uint32_t>(node->values.size());
  if (maxValueNameLen) *maxValueNameLen = mv;
  return kRegOk;
}

void MemoryRegistry::MarkDeleted(Node& node) {
  node.deleted = true;
  for (auto& [folded, child] : node.subkeys) MarkDeleted(*child);
}

int32_t MemoryRegistry::DeleteKey(RegKey root, const std::u16string& path) {
  auto parts = SplitPath(path);
  if (parts.empty()) return kRegAccessDenied;
  const auto leaf = parts.back();
  parts.pop_back();
  std::u16string parentPath;
  for (const auto& p : parts) parentPath += p + u"\\";
  std::shared_ptr<Node> parent;
  if (int32_t r = Walk(root, parentPath, false, parent); r != kRegOk) return r;
  const std::u16string folded = FoldCase(leaf);
  const std::shared_ptr<Node> child = parent->subkeys.Find(folded);
  if (!child) return kRegFileNotFound;
  if (!child->subkeys.empty()) return kRegAccessDenied;
  MarkDeleted(*child);
  parent->subkeys.Erase(folded);
  return kRegOk;
}

int32_t MemoryRegistry::DeleteValue(RegKey key, const std::u16string& name) {
  std::shared_ptr<Node> node;
  if (int32_t r = Resolve(key, kKeySetValue, node); r != kRegOk) return r;
  auto it = node->valueIndex.find(FoldCase(name));
  if (it == node->valueIndex.end()) return kRegFileNotFound;
  const size_t pos = it->second;
  node->valueIndex.erase(it);
  node->values.erase(node->values.begin() + static_cast<std::ptrdiff_t>(pos));
  for (auto& [folded, index] : node->valueIndex)
    if (index > pos) --index;
  return kRegOk;
}

int32_t MemoryRegistry::FlushKey(RegKey key) {
  // Nothing to write out; the handle is checked as Windows checks it.
  std::shared_ptr<Node> node;
  return Resolve(key, kKeyQueryValue, node);
}

void MemoryRegistry::SetEnvironment(const std::string& name, const std::string& value) {
  environment_[FoldCase(Utf8ToUtf16(name))] = Utf8ToUtf16(value);
}

uint32_t MemoryRegistry::ExpandEnvironment(const std::u16string& source, char16_t* buffer, uint32_t size) {
  std::u16string out;
  size_t i = 0;
  while (i < source.size()) {
    if (source[i] == u'%') {
      const size_t close = source.find(u'%', i + 1);
      if (close != std::u16string::npos) {
        auto it = environment_.find(FoldCase(source.substr(i + 1, close - i - 1)));
        if (it != environment_.end() && close > i + 1) {
          out += it->second;
          i = close + 1;
          continue;
        }
        // An unknown name stays as written; its closing "%" may open the next reference.
        out.append(source, i, close - i);
        i = close;
        continue;
      }
    }
    out += source[i++];
  }
  const auto needed = static_cast<uint32_t>(out.size() + 1);
  if (buffer && size >= needed) {
    std::copy(out.begin(), out.end(), buffer);
    buffer[out.size()] = 0;
  }
  return needed;
}

}  // namespace kqm
