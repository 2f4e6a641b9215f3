#pragma once
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/registry_api.h"

namespace kqm {

// An in-memory registry behaving like the real one in the ways the program relies on: the predefined roots,
// case-insensitive key and value names, subkeys enumerated in name order, values in insertion order,
// handle access rights, and the platform's status codes.
class MemoryRegistry : public RegistryApi {
 public:
  MemoryRegistry();

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

  // Sets (or with an empty value, still defines) an environment variable used by ExpandEnvironmentStrings.
  void SetEnvironment(const std::string& name, const std::string& value);
  // Number of keys currently open; a test's way to prove every operation closes what it opens.
  size_t OpenHandleCount() const { return handles_.size(); }

 private:
  struct Value {
    std::u16string name;
    uint32_t type = 0;
    std::string data;
  };
  struct Node;
  // Subkeys by folded name, kept in name order in one array: found by binary search, enumerated by position in
  // constant time (a walk of a tree to the n-th key made enumerating all keys quadratic).
  class SubkeyTable {
   public:
    using Entry = std::pair<std::u16string, std::shared_ptr<Node>>;
    // The subkey with this folded name, or nullptr.
    std::shared_ptr<Node> Find(const std::u16string& folded) const;
    // Adds a subkey whose folded name is not taken yet.
    void Insert(std::u16string folded, std::shared_ptr<Node> node);
    // Removes the subkey with this folded name; false when there is none.
    bool Erase(const std::u16string& folded);
    // The subkey at 0-based position `index` in name order (index < size()).
    const Entry& At(size_t index) const { return entries_[index]; }
    size_t size() const { return entries_.size(); }
    bool empty() const { return entries_.empty(); }
    std::vector<Entry>::const_iterator begin() const { return entries_.begin(); }
    std::vector<Entry>::const_iterator end() const { return entries_.end(); }

   private:
    std::vector<Entry>::const_iterator LowerBound(const std::u16string& folded) const;
    std::vector<Entry> entries_;
  };
  struct Node {
    std::u16string name;
    SubkeyTable subkeys;                                       // by folded name: enumeration order
    std::vector<Value> values;                                 // insertion order
    std::unordered_map<std::u16string, size_t> valueIndex;     // folded name -> position in values
    bool deleted = false;
    Value* Find(const std::u16string& valueName);
  };
  struct Handle {
    std::shared_ptr<Node> node;
    uint32_t access = 0;
  };

  int32_t Resolve(RegKey key, uint32_t needAccess, std::shared_ptr<Node>& node) const;
  int32_t Walk(RegKey root, const std::u16string& path, bool create, std::shared_ptr<Node>& node);
  RegKey NewHandle(std::shared_ptr<Node> node, uint32_t access);
  static void MarkDeleted(Node& node);

  std::map<int32_t, std::shared_ptr<Node>> roots_;
  std::map<RegKey, Handle> handles_;
  RegKey nextHandle_ = 0x1000;
  std::map<std::u16string, std::u16string> environment_;  // by folded name
};

}  // namespace kqm
