#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "fileinfo/clsFile_Kebbo.h"
#include "platform/file_system.h"

namespace kqm {

// What a search reports its progress to (a progress bar). A call that throws is ignored.
class SearchProgress {
 public:
  virtual ~SearchProgress() = default;
  virtual void Min(int32_t value) = 0;
  virtual void Max(int32_t value) = 0;
  virtual int32_t Value() = 0;
  virtual void Value(int32_t value) = 0;
  virtual void Refresh() = 0;
};

// An ordered collection of file objects, counted from 1, with optional unique keys compared without regard to
// letter case, filled by a wildcard search.
class colFiles_Kebbo {
 public:
  using FilePtr = std::shared_ptr<clsFile_Kebbo>;

  explicit colFiles_Kebbo(FileSystem& fs) : fs_(&fs) {}

  // Fills the collection with the files matching `sFileSpec` (folder + pattern such as "*.lnk"), with
  // `bRecursive` the files of all subfolders first (depth first); an outer call starts from an empty collection.
  // Returns Count afterwards. A folder that cannot be searched contributes nothing.
  int32_t LoadFiles(const std::string& sFileSpec, bool bRecursive, SearchProgress* pb = nullptr);
  // Removes every item.
  void Clear();
  // Creates a file object for `sFileName` and stores it under `key` (or under `sFileName` when `key` is empty);
  // when the key is taken the object is returned but not stored.
  FilePtr Add(const std::string& sFileName, const std::string& key = "");
  // The item at 1-based `index`, or nullptr.
  FilePtr Item(int32_t index) const;
  // The item stored under `key` (any letter case), or nullptr.
  FilePtr Item(const std::string& key) const;
  // The attributes the folder listing reported for the item at 1-based `index` (no second look at the file), or
  // nullopt for an item stored with Add or outside the range.
  std::optional<uint32_t> ListedAttributes(int32_t index) const;
  // What the folder listing reported for the item at 1-based `index` (name, attributes, times, size), or nullopt
  // for an item stored with Add or outside the range.
  std::optional<FoundFile> Listed(int32_t index) const;
  // Number of items.
  int32_t Count() const { return static_cast<int32_t>(files_.size()); }
  // Removes the item at 1-based `index`; nothing when there is none.
  void Remove(int32_t index);
  // Removes the item stored under `key`; nothing when there is none.
  void Remove(const std::string& key);
  // Iteration in order (for-each).
  std::vector<FilePtr>::const_iterator begin() const { return files_.begin(); }
  // End of the iteration.
  std::vector<FilePtr>::const_iterator end() const { return files_.end(); }

  // Number of LoadFiles calls running on this collection (0 between searches).
  int32_t SearchDepth() const { return depth_; }

 private:
  void Search(const std::string& sFileSpec, bool bRecursive, SearchProgress* pb);
  void RemoveAt(size_t position);

  FileSystem* fs_;
  std::vector<FilePtr> files_;
  std::vector<std::u16string> keys_;  // folded key per item, parallel to files_; empty = stored without a key
  std::vector<std::optional<FoundFile>> listed_;  // what the listing reported per item, parallel to files_
  std::unordered_map<std::u16string, FilePtr> byKey_;  // folded key -> its item, for the items that have one
  int32_t depth_ = 0;
};

}  // namespace kqm
