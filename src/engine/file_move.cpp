#include "engine/file_move.h"

#include <algorithm>
#include <vector>

#include "engine/entry_places.h"
#include "platform/text.h"

namespace kqm {

namespace {

// The names in `folder` that equal `name` without regard to case (on a case-sensitive volume there may be
// several), with the size of the one that is exactly `name`; status 0, or the failure of the listing. A missing
// file or folder lists nothing.
struct Matches {
  uint32_t status = fs_error::kOk;
  std::vector<std::string> names;
  uint64_t exactSize = 0;
  bool Has(const std::string& name) const { return std::find(names.begin(), names.end(), name) != names.end(); }
};

Matches MatchesOnce(FileSystem& fs, const std::string& folder, const std::string& name) {
  Matches m;
  FoundFile entry;
  uint32_t error = 0;
  auto search = fs.FindFirst(folder + name, entry, &error);
  if (!search) {
    if (error != fs_error::kFileNotFound && error != fs_error::kPathNotFound && error != fs_error::kNoMoreFiles)
      m.status = error ? error : fs_error::kAccessDenied;
    return m;
  }
  const std::u16string folded = FoldCase(Utf8ToUtf16(name));
  do {
    // The pattern may also match through a short name; only the name itself counts.
    if (FoldCase(Utf8ToUtf16(entry.name)) != folded) continue;
    m.names.push_back(entry.name);
    if (entry.name == name) m.exactSize = entry.size;
  } while (search->Next(entry));
  return m;
}

Matches MatchesIn(FileSystem& fs, const std::string& folder, const std::string& name) {
  Matches m = MatchesOnce(fs, folder, name);
  if (m.status != fs_error::kOk) m = MatchesOnce(fs, folder, name);
  return m;
}

// A free name beside `name` in `folder` to park a file under while it is being replaced.
std::string AsideName(FileSystem& fs, const std::string& folder, const std::string& name) {
  for (int n = 1;; ++n) {
    const std::string candidate = name + ".replaced-" + std::to_string(n);
    uint32_t error = 0;
    if (!fs.Attributes(folder + candidate, &error) && error == fs_error::kFileNotFound) return candidate;
    if (n == 100) return {};
  }
}

bool SameFileBytes(FileSystem& fs, const std::string& a, const std::string& b) {
  const auto first = fs.ReadWholeFile(a);
  if (!first) return false;
  const auto second = fs.ReadWholeFile(b);
  return second && *first == *second;
}

class Mover {
 public:
  Mover(FileSystem& fs, const FileMove& move) : fs_(fs), m_(move) {
    r_.source = WithoutTrailingSeparator(m_.fromFolder);
    r_.destination = WithoutTrailingSeparator(m_.toFolder);
  }

  MoveResult Run() {
    if (std::optional<MoveResult> stop = CheckSource()) return *stop;
    if (std::optional<MoveResult> stop = ClearDestination()) return *stop;
    if (m_.beforeWriting && !m_.beforeWriting(aside_, replaced_)) return Failed(r_, MoveFailure::kNotRecorded);
    if (!aside_.empty()) {
      const uint32_t parked = fs_.MoveFileNoReplace(m_.toFolder + replaced_, m_.toFolder + aside_);
      if (parked != fs_error::kOk) {
        aside_.clear();
        return FileFailed(r_, parked, r_.destination);
      }
    }
    return MoveAndVerify();
  }

 private:
  std::string From() const { return m_.fromFolder + m_.name; }
  std::string To() const { return m_.toFolder + m_.name; }

  std::optional<MoveResult> CheckSource() {
    const Matches source = MatchesIn(fs_, m_.fromFolder, m_.name);
    if (source.status != fs_error::kOk) return FileFailed(r_, source.status, r_.source);
    if (!source.Has(m_.name)) return Failed(r_, MoveFailure::kGone);
    if (IsLink(fs_, From())) return Linked(From());
    if (m_.shownSize && source.exactSize != *m_.shownSize) return Failed(r_, MoveFailure::kChanged);
    return std::nullopt;
  }

  // A file of that name at the destination: the same file already there, or another one, replaced only on a
  // yes. A name that differs in letter case is another file.
  std::optional<MoveResult> ClearDestination() {
    const Matches existing = MatchesIn(fs_, m_.toFolder, m_.name);
    if (existing.status != fs_error::kOk) return FileFailed(r_, existing.status, r_.destination);
    if (existing.names.empty()) return std::nullopt;
    replaced_ = existing.Has(m_.name) ? m_.name : existing.names.front();
    if (IsLink(fs_, m_.toFolder + replaced_)) return Linked(m_.toFolder + replaced_);
    if (replaced_ == m_.name && SameFileBytes(fs_, From(), To())) return RemoveSourceOfSameBytes();
    const std::optional<std::string> asked = fs_.ReadWholeFile(m_.toFolder + replaced_);
    if (!m_.askReplace || !m_.askReplace(ReplaceQuestion{m_.name, replaced_, r_.destination}))
      return Failed(r_, MoveFailure::kNameTaken);
    // The answer is about what the question named: anything else there now is not replaced.
    if (!asked || fs_.ReadWholeFile(m_.toFolder + replaced_) != asked) return Failed(r_, MoveFailure::kDestinationChanged);
    r_.replaced = ReplacedContent{replaced_, 0, *asked};
    // The file replaced is parked beside its place until the move is done, so that a failure can put it back.
    aside_ = AsideName(fs_, m_.toFolder, replaced_);
    if (aside_.empty()) return FileFailed(r_, fs_error::kAlreadyExists, r_.destination);
    return std::nullopt;
  }

  // The destination already holds the same bytes: the source only goes, provided the two are two files (the same
  // file reached through a link holds the same bytes too). One delete: nothing to note in the ledger first.
  MoveResult RemoveSourceOfSameBytes() {
    const std::optional<FileIdentity> source = fs_.Identity(From()), destination = fs_.Identity(To());
    if (!source || !destination || *source == *destination) return Failed(r_, MoveFailure::kSameFile);
    const uint32_t removed = fs_.RemoveFile(From());
    const Matches after = MatchesIn(fs_, m_.fromFolder, m_.name);
    if (after.status == fs_error::kOk && !after.Has(m_.name)) return r_;
    r_.inBothPlaces = true;
    return after.status != fs_error::kOk ? Failed(r_, MoveFailure::kUnconfirmed)
                                         : FileFailed(r_, removed ? removed : fs_error::kAccessDenied, r_.source);
  }

  // Moves the file, then looks rather than trusts the answer: a copy to another volume can succeed while the
  // source stays.
  MoveResult MoveAndVerify() {
    const uint32_t moved = fs_.MoveFileNoReplace(From(), To());
    const Matches atDestination = MatchesIn(fs_, m_.toFolder, m_.name);
    const Matches atSource = MatchesIn(fs_, m_.fromFolder, m_.name);
    if (atDestination.status != fs_error::kOk || atSource.status != fs_error::kOk) {
      r_.inBothPlaces = true;
      return Failed(r_, MoveFailure::kUnconfirmed);
    }
    const bool arrived = atDestination.Has(m_.name), stayed = atSource.Has(m_.name);
    if (arrived && !stayed) {
      if (!aside_.empty() && fs_.RemoveFile(m_.toFolder + aside_) != fs_error::kOk)
        r_.notes.push_back("The entry it replaced could not be removed: it is still in " + r_.destination + " as \"" +
                           aside_ + "\".");
      return r_;
    }
    if (arrived && stayed) {
      // A copy whose source could not be removed: take the copy back.
      fs_.RemoveFile(To());
      const Matches again = MatchesIn(fs_, m_.toFolder, m_.name);
      r_.inBothPlaces = again.status != fs_error::kOk || again.Has(m_.name);
      if (!r_.inBothPlaces) TakeBack();
      return FileFailed(r_, moved != fs_error::kOk ? moved : fs_error::kAccessDenied, r_.source);
    }
    TakeBack();
    if (!stayed) return Failed(r_, MoveFailure::kGone);
    return FileFailed(r_, moved != fs_error::kOk ? moved : fs_error::kWriteFault, r_.destination);
  }

  MoveResult Linked(const std::string& path) {
    r_.failedAt = path;
    return Failed(r_, MoveFailure::kLinked);
  }

  // Puts a parked file back under its name.
  void TakeBack() {
    if (!aside_.empty() && fs_.MoveFileNoReplace(m_.toFolder + aside_, m_.toFolder + replaced_) != fs_error::kOk)
      r_.notes.push_back("The entry it would have replaced could not be put back: it is in " + r_.destination +
                         " as \"" + aside_ + "\".");
  }

  FileSystem& fs_;
  const FileMove& m_;
  MoveResult r_;
  std::string replaced_, aside_;
};

}  // namespace

MoveResult FileFailed(MoveResult r, uint32_t code, const std::string& place) {
  if (code == fs_error::kAlreadyExists || code == fs_error::kFileExists) {
    r.failure = MoveFailure::kNameTaken;
    r.code = code;
    return r;
  }
  return Failed(std::move(r), code, place);
}

bool IsLink(FileSystem& fs, const std::string& path) {
  const std::optional<uint32_t> attributes = fs.Attributes(path);
  return attributes && *attributes != file_attribute::kInvalid && (*attributes & file_attribute::kReparsePoint);
}

FileLook LookForFile(FileSystem& fs, const std::string& folder, const std::string& name) {
  const Matches m = MatchesIn(fs, folder, name);
  return {m.status, m.Has(name)};
}

MoveResult MoveStartUpFile(FileSystem& fs, const FileMove& move) { return Mover(fs, move).Run(); }

uint32_t PrepareDisabledFolders(FileSystem& fs, const std::string& sDisabledPath, const std::string& subfolder) {
  const std::string base = WithoutTrailingSeparator(sDisabledPath);
  uint32_t status = fs_error::kOk;
  if (!fs.FolderExists(base)) status = fs.CreateFolder(base);
  const std::string folder = WithoutTrailingSeparator(subfolder);
  if (!fs.FolderExists(folder)) status = fs.CreateFolder(folder);
  if (fs.FolderExists(folder)) return fs_error::kOk;
  return status == fs_error::kOk ? fs_error::kPathNotFound : status;
}

}  // namespace kqm
