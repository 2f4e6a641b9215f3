#include "fileinfo/colFiles_Kebbo.h"

#include "fileinfo/basFile_Kebbo.h"
#include "platform/text.h"

namespace kqm {

namespace {

constexpr uint32_t kReparsePoint = 0x400;

std::u16string FoldKey(const std::string& key) { return FoldCase(Utf8ToUtf16(key)); }

// Progress calls come from outside code; a failing one is skipped and the search goes on.
template <typename Call>
void Ignoring(Call&& call) {
  try {
    call();
  } catch (...) {
  }
}

void Advance(SearchProgress* pb) {
  if (!pb) return;
  Ignoring([&] { pb->Value(pb->Value() + 1); });
  Ignoring([&] { pb->Refresh(); });
}

}  // namespace

int32_t colFiles_Kebbo::LoadFiles(const std::string& sFileSpec, bool bRecursive, SearchProgress* pb) {
  if (++depth_ == 1) Clear();
  struct DepthGuard {
    int32_t& depth;
    ~DepthGuard() { --depth; }
  } guard{depth_};
  Search(sFileSpec, bRecursive, pb);
  return Count();
}

void colFiles_Kebbo::Search(const std::string& sFileSpec, bool bRecursive, SearchProgress* pb) {
  if (pb) {
    Ignoring([&] { pb->Min(0); });
    Ignoring([&] { pb->Value(0); });
    Ignoring([&] { pb->Max(CountMatches(*fs_, sFileSpec) + 1); });
  }
  const std::string folder = SplitPath(sFileSpec, ptFolder);
  FoundFile entry;
  if (bRecursive) {
    const std::string pattern = SplitPath(sFileSpec, ptName | ptExtension);
    // A pattern without a folder searches the current folder, not the root of the current drive.
    const std::string searchFolder = folder.empty() ? folder : EnsureSuffix(folder, "\\");
    if (auto search = fs_->FindFirst(searchFolder + "*.*", entry)) {
      do {
        const std::string name = TrimAtNull(entry.name);
        // Linked folders are not entered: a link back to an outer folder would never end the search.
        if ((entry.attributes & file_attribute::kDirectory) && !(entry.attributes & kReparsePoint) && name != "." &&
            name != "..")
          LoadFiles(EnsureSuffix(searchFolder + name, "\\") + pattern, bRecursive, pb);
      } while (search->Next(entry));
    }
  }
  if (auto search = fs_->FindFirst(sFileSpec, entry)) {
    do {
      if ((entry.attributes & file_attribute::kDirectory) == 0) {
        auto file = std::make_shared<clsFile_Kebbo>(*fs_);
        file->sFileName(folder + TrimAtNull(entry.name));
        files_.push_back(std::move(file));
        keys_.emplace_back();
        listed_.push_back(FoundFile{entry});
      }
      Advance(pb);
    } while (search->Next(entry));
  }
}

void colFiles_Kebbo::Clear() {
  files_.clear();
  keys_.clear();
  listed_.clear();
  byKey_.clear();
}

colFiles_Kebbo::FilePtr colFiles_Kebbo::Add(const std::string& sFileName, const std::string& key) {
  auto file = std::make_shared<clsFile_Kebbo>(*fs_);
  file->sFileName(sFileName);
  std::u16string folded = FoldKey(key.empty() ? sFileName : key);
  if (!folded.empty() && !byKey_.emplace(folded, file).second) return file;
  files_.push_back(file);
  keys_.push_back(std::move(folded));
  listed_.emplace_back();
  return file;
}

colFiles_Kebbo::FilePtr colFiles_Kebbo::Item(int32_t index) const {
  if (index < 1 || index > Count()) return nullptr;
  return files_[static_cast<size_t>(index - 1)];
}

colFiles_Kebbo::FilePtr colFiles_Kebbo::Item(const std::string& key) const {
  const std::u16string folded = FoldKey(key);
  if (folded.empty()) return nullptr;
  const auto it = byKey_.find(folded);
  return it == byKey_.end() ? nullptr : it->second;
}

void colFiles_Kebbo::Remove(int32_t index) {
  if (index >= 1 && index <= Count()) RemoveAt(static_cast<size_t>(index - 1));
}

void colFiles_Kebbo::Remove(const std::string& key) {
  const std::u16string folded = FoldKey(key);
  if (folded.empty() || !byKey_.count(folded)) return;
  for (size_t i = 0; i < keys_.size(); ++i)
    if (keys_[i] == folded) return RemoveAt(i);
}

void colFiles_Kebbo::RemoveAt(size_t position) {
  if (!keys_[position].empty()) byKey_.erase(keys_[position]);
  files_.erase(files_.begin() + static_cast<std::ptrdiff_t>(position));
  keys_.erase(keys_.begin() + static_cast<std::ptrdiff_t>(position));
  listed_.erase(listed_.begin() + static_cast<std::ptrdiff_t>(position));
}

std::optional<uint32_t> colFiles_Kebbo::ListedAttributes(int32_t index) const {
  const std::optional<FoundFile> listed = Listed(index);
  return listed ? std::optional<uint32_t>(listed->attributes) : std::nullopt;
}

std::optional<FoundFile> colFiles_Kebbo::Listed(int32_t index) const {
  return index >= 1 && index <= Count() ? listed_[static_cast<size_t>(index - 1)] : std::nullopt;
}

}  // namespace kqm
