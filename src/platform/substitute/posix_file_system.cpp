#include "platform/substitute/posix_file_system.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <random>
#include <system_error>
#include <vector>
// The two host calls the portable library lacks: flushing a file to the disk, and a rename that never replaces.
// The substitute also builds for Windows (its tests run under Wine), where the C runtime offers the first.
#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

#include "platform/expanded_name.h"
#include "platform/sha256.h"
#include "platform/substitute/host_file_facts.h"
#include "platform/text.h"

namespace kqm {

namespace fsys = std::filesystem;

namespace {

constexpr uint32_t kStoredBits =
    file_attribute::kHidden | file_attribute::kSystem | file_attribute::kArchive | file_attribute::kTemporary;
constexpr uint32_t kErrorDirectory = 267;
constexpr uint32_t kGenFailure = 31;
constexpr uint32_t kFilenameTooLong = 206;

fsys::path FromUtf8(const std::string& s) { return fsys::path(std::u8string(s.begin(), s.end())); }

std::string ToUtf8(const fsys::path& p) {
  const std::u8string s = p.filename().u8string();
  return std::string(s.begin(), s.end());
}

std::u16string Fold(const std::string& utf8) { return FoldCase(Utf8ToUtf16(utf8)); }

std::u16string HostKey(const fsys::path& host) {
  const std::u8string s = host.lexically_normal().u8string();
  return Fold(std::string(s.begin(), s.end()));
}

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

uint32_t FromErrorCode(const std::error_code& ec, uint32_t notFound = fs_error::kFileNotFound) {
  const std::error_condition c = ec.default_error_condition();
  if (c == std::errc::no_such_file_or_directory) return notFound;
  if (c == std::errc::not_a_directory) return fs_error::kPathNotFound;
  if (c == std::errc::permission_denied || c == std::errc::operation_not_permitted ||
      c == std::errc::read_only_file_system)
    return fs_error::kAccessDenied;
  if (c == std::errc::file_exists) return fs_error::kAlreadyExists;
  if (c == std::errc::directory_not_empty) return fs_error::kDirNotEmpty;
  if (c == std::errc::no_space_on_device) return fs_error::kDiskFull;
  if (c == std::errc::cross_device_link) return fs_error::kNotSameDevice;
  if (c == std::errc::filename_too_long) return kFilenameTooLong;
  if (c == std::errc::is_a_directory) return fs_error::kAccessDenied;
  if (c == std::errc::device_or_resource_busy || c == std::errc::text_file_busy) return fs_error::kSharingViolation;
  return kGenFailure;
}

template <typename T>
std::optional<T> Failed(uint32_t code, uint32_t* error) {
  if (error) *error = code;
  return std::nullopt;
}

FileTime ToFileTime(fsys::file_time_type t) {
  const auto sys = std::chrono::file_clock::to_sys(t);
  const auto ticks = std::chrono::duration_cast<std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>>(
                         sys.time_since_epoch())
                         .count();
  constexpr int64_t kUnixEpochInTicks = 116'444'736'000'000'000;
  return ticks + kUnixEpochInTicks > 0 ? static_cast<FileTime>(ticks + kUnixEpochInTicks) : 0;
}

// Windows matching of one name against a pattern of "*" and "?", without regard to case. As on Windows, a name
// without a dot also matches patterns that expect one ("*.*", "name.*", "*.").
bool Matches(std::u16string_view pattern, std::u16string_view name) {
  size_t p = 0, n = 0, starP = std::u16string_view::npos, starN = 0;
  while (n < name.size()) {
    if (p < pattern.size() && (pattern[p] == u'?' || pattern[p] == name[n])) {
      ++p;
      ++n;
    } else if (p < pattern.size() && pattern[p] == u'*') {
      starP = p++;
      starN = n;
    } else if (starP != std::u16string_view::npos) {
      p = starP + 1;
      n = ++starN;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == u'*') ++p;
  return p == pattern.size();
}

bool MatchesName(const std::u16string& foldedPattern, const std::u16string& foldedName) {
  if (foldedPattern == u"*" || foldedPattern == u"*.*") return true;
  if (Matches(foldedPattern, foldedName)) return true;
  return foldedName.find(u'.') == std::u16string::npos && Matches(foldedPattern, foldedName + u".");
}

class ListSearch final : public FileSearch {
 public:
  explicit ListSearch(std::vector<FoundFile> entries) : entries_(std::move(entries)) {}
  bool Next(FoundFile& entry) override {
    if (++position_ >= entries_.size()) return false;
    entry = entries_[position_];
    return true;
  }

 private:
  std::vector<FoundFile> entries_;
  size_t position_ = 0;
};

uint32_t Ask(const MoveStepCheck& beforeStep, MoveStep step) { return beforeStep ? beforeStep(step) : 0; }

std::error_code LastErrno() { return {errno, std::generic_category()}; }

// Writes a file's (or on POSIX a folder's) data through to the disk.
std::error_code FlushToDisk(const fsys::path& host, bool folder = false) {
#if defined(_WIN32)
  if (folder) return {};  // Windows keeps a folder's names with the files' metadata
  const int fd = _wopen(host.c_str(), _O_RDWR | _O_BINARY);
  if (fd < 0) return LastErrno();
  const std::error_code ec = _commit(fd) == 0 ? std::error_code() : LastErrno();
  _close(fd);
  return ec;
#else
  const int fd = open(host.c_str(), (folder ? O_RDONLY | O_DIRECTORY : O_RDWR) | O_CLOEXEC);
  if (fd < 0) return LastErrno();
  const std::error_code ec = fsync(fd) == 0 ? std::error_code() : LastErrno();
  close(fd);
  return ec;
#endif
}

// Gives a file a second name by a hard link, then drops the first: a name that exists fails the link. Where the
// volume has no hard links, a check and a rename (another program could slip in between).
std::error_code LinkThenUnlink(const fsys::path& from, const fsys::path& to) {
  std::error_code ec;
  fsys::create_hard_link(from, to, ec);
  const std::error_condition c = ec.default_error_condition();
  if (ec && c != std::errc::file_exists && c != std::errc::cross_device_link) {
    if (fsys::exists(fsys::symlink_status(to, ec))) return std::make_error_code(std::errc::file_exists);
    fsys::rename(from, to, ec);
    return ec;
  }
  if (ec) return ec;
  fsys::remove(from, ec);
  if (ec) {
    std::error_code ignored;
    fsys::remove(to, ignored);
  }
  return ec;
}

// Renames a file, never replacing one of the destination name (then file_exists) and never across host file
// systems (then cross_device_link).
std::error_code RenameNoReplace(const fsys::path& from, const fsys::path& to) {
#if !defined(_WIN32)
  if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return {};
  if (errno != EINVAL && errno != ENOSYS && errno != ENOTSUP) return LastErrno();
#endif
  return LinkThenUnlink(from, to);  // no rename of that kind on this host or file system
}

// A fresh name of the temporary form (file_system.h) in `folder`.
fsys::path TemporaryIn(const fsys::path& folder) {
  static std::atomic<uint32_t> counter{0};
  std::random_device random;
  const uint64_t value = ((uint64_t{random()} << 32) | random()) ^ ++counter;
  std::string digits(16, '0');
  for (size_t i = 0; i < digits.size(); ++i) digits[i] = "0123456789abcdef"[(value >> (60 - 4 * i)) & 0xF];
  return folder / FromUtf8(std::string(kMoveTemporaryPrefix) + digits + kMoveTemporarySuffix);
}

// Copies a file's bytes and last write time to a new file; false when it cannot.
bool CopyToNew(const fsys::path& from, const fsys::path& to) {
  std::ifstream in(from, std::ios::binary);
  if (!in) return false;
  std::error_code ec;
  if (fsys::exists(fsys::symlink_status(to, ec))) return false;
  std::ofstream out(to, std::ios::binary | std::ios::trunc);
  if (!out) return false;
  if (in.peek() != std::ifstream::traits_type::eof() && !(out << in.rdbuf())) return false;
  if (!out.flush()) return false;
  out.close();
  fsys::last_write_time(to, fsys::last_write_time(from, ec), ec);
  return !ec;
}

// The size and SHA-256 of a file's bytes; nullopt when it cannot be read.
std::optional<std::pair<uint64_t, std::array<uint8_t, 32>>> ReadDigest(const fsys::path& host) {
  std::ifstream in(host, std::ios::binary);
  if (!in) return std::nullopt;
  Sha256 hasher;
  uint64_t size = 0;
  std::vector<char> buffer(1 << 16);
  while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size())) || in.gcount() > 0) {
    hasher.Update(std::string_view(buffer.data(), static_cast<size_t>(in.gcount())));
    size += static_cast<uint64_t>(in.gcount());
  }
  if (in.bad()) return std::nullopt;
  return std::make_pair(size, hasher.Finish());
}

// True when the folder of `host` holds a name equal to its last one without regard to case (Windows names are one
// name however spelled; the host's are not).
bool NameTaken(const fsys::path& host) {
  const std::u16string wanted = Fold(ToUtf8(host));
  std::error_code ec;
  for (fsys::directory_iterator it(host.parent_path(), ec), end; !ec && it != end; it.increment(ec))
    if (Fold(ToUtf8(it->path())) == wanted) return true;
  return false;
}

// The move of MoveFileInSteps once a rename has failed because `target` lies on another host file system.
uint32_t MoveAcrossVolumes(const fsys::path& source, const fsys::path& target, const MoveStepCheck& beforeStep) {
  if (const uint32_t stop = Ask(beforeStep, MoveStep::kCopy)) return stop;
  std::error_code ec;
  fsys::path temporary = TemporaryIn(target.parent_path());
  for (int attempt = 0; attempt < 8 && fsys::exists(fsys::symlink_status(temporary, ec)); ++attempt)
    temporary = TemporaryIn(target.parent_path());
  auto fail = [&](uint32_t status) {
    std::error_code ignored;
    fsys::remove(temporary, ignored);
    return status;
  };
  if (!CopyToNew(source, temporary)) {
    const bool readable = std::ifstream(source, std::ios::binary).good();
    return fail(readable ? fs_error::kWriteFault : fs_error::kAccessDenied);
  }

  if (const uint32_t stop = Ask(beforeStep, MoveStep::kFlush)) return fail(stop);
  if (const std::error_code flushed = FlushToDisk(temporary)) return fail(FromErrorCode(flushed));

  if (const uint32_t stop = Ask(beforeStep, MoveStep::kVerify)) return fail(stop);
  const auto original = ReadDigest(source);
  const auto copy = ReadDigest(temporary);
  if (!original || !copy || *original != *copy) return fail(fs_error::kWriteFault);

  if (const uint32_t stop = Ask(beforeStep, MoveStep::kPlace)) return fail(stop);
  if (NameTaken(target)) return fail(fs_error::kAlreadyExists);
  // The source's permissions (a read-only file stays one) once the copy no longer needs writing.
  fsys::permissions(temporary, fsys::status(source, ec).permissions(), ec);
  if (ec) return fail(FromErrorCode(ec));
  if (const std::error_code placed = RenameNoReplace(temporary, target)) return fail(FromErrorCode(placed));
  FlushToDisk(target.parent_path(), true);

  // From here the file is in both places until the source goes; a source that stays takes the copy back.
  auto takeBack = [&](uint32_t status) {
    std::error_code ignored;
    fsys::remove(target, ignored);
    return status;
  };
  if (const uint32_t stop = Ask(beforeStep, MoveStep::kRemoveSource)) return takeBack(stop);
  fsys::remove(source, ec);
  if (ec) return takeBack(FromErrorCode(ec));
  FlushToDisk(source.parent_path(), true);
  return 0;
}

}  // namespace

PosixFileSystem::Drive& PosixFileSystem::MapDrive(char letter, const fsys::path& hostFolder) {
  const char upper = static_cast<char>(letter >= 'a' && letter <= 'z' ? letter - 32 : letter);
  Drive& drive = drives_[upper];
  drive.hostFolder = hostFolder;
  if (drive.serialNumber == 0) drive.serialNumber = 0x4B510000u | static_cast<uint32_t>(upper);
  return drive;
}

PosixFileSystem::Resolved PosixFileSystem::Resolve(const std::string& windowsPath) const {
  Resolved r;
  std::string p = windowsPath;
  if (p.compare(0, 4, "\\\\?\\") == 0) p.erase(0, 4);
  if (p.empty()) {
    r.error = fs_error::kPathNotFound;
    return r;
  }
  if (p.size() >= 2 && IsSeparator(p[0]) && IsSeparator(p[1])) {
    r.error = fs_error::kBadNetPath;
    return r;
  }
  char letter = 0;
  std::string rest;
  if (p.size() >= 2 && p[1] == ':') {
    letter = p[0];
    rest = p.substr(2);
  } else if (IsSeparator(p[0])) {
    letter = currentDirectory_.empty() ? 'C' : currentDirectory_[0];
    rest = p;
  } else {
    letter = currentDirectory_.empty() ? 'C' : currentDirectory_[0];
    rest = currentDirectory_.substr(std::min<size_t>(2, currentDirectory_.size())) + "\\" + p;
  }
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  const auto drive = drives_.find(letter);
  if (drive == drives_.end()) {
    r.error = fs_error::kPathNotFound;
    return r;
  }
  r.drive = &drive->second;

  std::vector<std::string> parts;
  size_t start = 0;
  while (start <= rest.size()) {
    size_t end = start;
    while (end < rest.size() && !IsSeparator(rest[end])) ++end;
    std::string part = rest.substr(start, end - start);
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (part != "." && !part.empty()) {
      // Windows drops trailing dots and spaces of a name.
      while (!part.empty() && (part.back() == '.' || part.back() == ' ')) part.pop_back();
      if (part.empty()) {
        r.error = fs_error::kInvalidName;
        return r;
      }
      if (part.find_first_of("*?\"<>|:") != std::string::npos) {
        r.error = fs_error::kInvalidName;
        return r;
      }
      parts.push_back(part);
    }
    start = end + 1;
  }

  r.host = r.drive->hostFolder;
  r.isRoot = parts.empty();
  bool walking = true;
  for (size_t i = 0; i < parts.size(); ++i) {
    if (i + 1 == parts.size()) {
      std::error_code ec;
      r.parentExists = walking && fsys::is_directory(r.host, ec);
    }
    fsys::path next = r.host / FromUtf8(parts[i]);
    std::error_code ec;
    if (walking && !fsys::exists(fsys::symlink_status(next, ec))) {
      bool found = false;
      const std::u16string wanted = Fold(parts[i]);
      for (fsys::directory_iterator it(r.host, ec), end; !ec && it != end; it.increment(ec)) {
        if (Fold(ToUtf8(it->path())) == wanted) {
          next = it->path();
          found = true;
          break;
        }
      }
      walking = found;
    }
    r.host = next;
  }
  return r;
}

uint32_t PosixFileSystem::AttributesOf(const fsys::path& host, const std::string& name) const {
  std::error_code ec;
  const fsys::file_status st = fsys::status(host, ec);
  const bool folder = fsys::is_directory(st);
  uint32_t bits = folder ? file_attribute::kDirectory : file_attribute::kArchive;
  if (!name.empty() && name[0] == '.' && name != "." && name != "..") bits |= file_attribute::kHidden;
  if (const auto stored = storedBits_.find(HostKey(host)); stored != storedBits_.end())
    bits = (bits & file_attribute::kDirectory) | stored->second;
  if (!folder && (st.permissions() & fsys::perms::owner_write) == fsys::perms::none) bits |= file_attribute::kReadOnly;
  if (HostIsLink(host)) bits |= file_attribute::kReparsePoint;
  return bits == 0 ? file_attribute::kNormal : bits;
}

std::optional<fsys::path> PosixFileSystem::HostPath(const std::string& windowsPath) const {
  Resolved r = Resolve(windowsPath);
  if (r.error) return std::nullopt;
  return r.host;
}

std::unique_ptr<FileSearch> PosixFileSystem::FindFirst(const std::string& spec, FoundFile& first, uint32_t* error) {
  const size_t cut = spec.find_last_of("\\/");
  std::string folder = cut == std::string::npos ? std::string() : spec.substr(0, cut + 1);
  const std::string pattern = cut == std::string::npos ? spec : spec.substr(cut + 1);
  if (folder.empty() && spec.size() >= 2 && spec[1] == ':') folder = spec.substr(0, 2);
  const std::string patternPart = folder.size() == 2 && folder[1] == ':' ? spec.substr(2) : pattern;
  auto fail = [&](uint32_t code) -> std::unique_ptr<FileSearch> {
    if (error) *error = code;
    return nullptr;
  };
  if (patternPart.empty()) return fail(fs_error::kFileNotFound);
  const Resolved where = Resolve(folder.empty() ? currentDirectory_ : folder);
  if (where.error) return fail(where.error == fs_error::kInvalidName ? fs_error::kInvalidName : fs_error::kPathNotFound);
  std::error_code ec;
  if (!fsys::is_directory(where.host, ec)) return fail(fs_error::kPathNotFound);

  const std::u16string foldedPattern = Fold(patternPart);
  std::vector<std::pair<std::u16string, FoundFile>> found;
  auto add = [&](const fsys::path& host, const std::string& name) {
    const std::u16string folded = Fold(name);
    if (!MatchesName(foldedPattern, folded)) return;
    FoundFile f;
    f.name = name;
    f.attributes = AttributesOf(host, name);
    std::error_code e;
    f.lastWriteTime = ToFileTime(fsys::last_write_time(host, e));
    if (e) f.lastWriteTime = 0;
    f.creationTime = f.lastAccessTime = f.lastWriteTime;
    if (!(f.attributes & file_attribute::kDirectory)) {
      const auto size = fsys::file_size(host, e);
      f.size = e ? 0 : size;
    }
    // "." and ".." sort before every name, as the folder listing of Windows gives them first.
    found.emplace_back(name == "." ? u"\x01" : name == ".." ? u"\x02" : folded, std::move(f));
  };
  if (!where.isRoot) {
    add(where.host, ".");
    add(where.host.parent_path(), "..");
  }
  for (fsys::directory_iterator it(where.host, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = ToUtf8(it->path());
    if (name.find_first_of("\\:*?\"<>|") != std::string::npos) continue;  // no Windows name for it
    add(it->path(), name);
  }
  if (found.empty()) return fail(fs_error::kFileNotFound);
  std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<FoundFile> entries;
  entries.reserve(found.size());
  for (auto& f : found) entries.push_back(std::move(f.second));
  first = entries.front();
  return std::make_unique<ListSearch>(std::move(entries));
}

std::optional<uint32_t> PosixFileSystem::Attributes(const std::string& path, uint32_t* error) {
  const Resolved r = Resolve(path);
  if (r.error) return Failed<uint32_t>(r.error, error);
  std::error_code ec;
  // The link itself is asked about, so a link whose target is gone still answers (as a reparse point).
  if (!fsys::exists(fsys::symlink_status(r.host, ec)))
    return Failed<uint32_t>(r.parentExists || r.isRoot ? fs_error::kFileNotFound : fs_error::kPathNotFound, error);
  return AttributesOf(r.host, ToUtf8(r.host));
}

uint32_t PosixFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  const Resolved r = Resolve(path);
  if (r.error) return r.error;
  std::error_code ec;
  const fsys::file_status st = fsys::status(r.host, ec);
  if (!fsys::exists(st)) return r.parentExists ? fs_error::kFileNotFound : fs_error::kPathNotFound;
  if (!fsys::is_directory(st)) {
    const bool readOnly = attributes & file_attribute::kReadOnly;
    fsys::permissions(r.host, fsys::perms::owner_write | fsys::perms::group_write,
                      readOnly ? fsys::perm_options::remove : fsys::perm_options::add, ec);
    if (ec) return FromErrorCode(ec);
  }
  storedBits_[HostKey(r.host)] = attributes & kStoredBits;
  return 0;
}

std::optional<FileFacts> PosixFileSystem::FileInformation(const std::string& path, uint32_t* error) {
  const Resolved r = Resolve(path);
  if (r.error) return Failed<FileFacts>(r.error, error);
  std::error_code ec;
  const fsys::file_status st = fsys::status(r.host, ec);
  if (!fsys::exists(st))
    return Failed<FileFacts>(r.parentExists ? fs_error::kFileNotFound : fs_error::kPathNotFound, error);
  if (fsys::is_directory(st)) return Failed<FileFacts>(fs_error::kAccessDenied, error);
  std::ifstream probe(r.host, std::ios::binary);
  if (!probe) return Failed<FileFacts>(fs_error::kAccessDenied, error);
  FileFacts facts;
  facts.attributes = AttributesOf(r.host, ToUtf8(r.host));
  facts.lastWriteTime = ToFileTime(fsys::last_write_time(r.host, ec));
  facts.creationTime = facts.lastAccessTime = facts.lastWriteTime;
  facts.size = fsys::file_size(r.host, ec);
  facts.volumeSerialNumber = r.drive->serialNumber;
  return facts;
}

std::optional<FileIdentity> PosixFileSystem::Identity(const std::string& path, uint32_t* error) {
  const Resolved r = Resolve(path);
  if (r.error) return Failed<FileIdentity>(r.error, error);
  std::error_code ec;
  const auto identity = HostIdentity(r.host, ec);
  if (!identity)
    return Failed<FileIdentity>(
        FromErrorCode(ec, r.parentExists || r.isRoot ? fs_error::kFileNotFound : fs_error::kPathNotFound), error);
  return identity;
}

std::optional<uint64_t> PosixFileSystem::FileLength(const std::string& path, uint32_t* error) {
  const auto facts = FileInformation(path, error);
  if (!facts) return std::nullopt;
  return facts->size;
}

bool PosixFileSystem::OpenableOnFixedDisk(const std::string& path) {
  const Resolved r = Resolve(path);
  return FileInformation(path).has_value() && r.drive && r.drive->type == drive_type::kFixed;
}

std::optional<std::string> PosixFileSystem::ShortPathName(const std::string& path, uint32_t* error) {
  const Resolved r = Resolve(path);
  if (r.error) return Failed<std::string>(r.error, error);
  std::error_code ec;
  if (!fsys::exists(r.host, ec))
    return Failed<std::string>(r.parentExists || r.isRoot ? fs_error::kFileNotFound : fs_error::kPathNotFound, error);
  return path;
}

std::optional<std::string> PosixFileSystem::ExpandedName(const std::string& path, uint32_t* error) {
  const Resolved r = Resolve(path);
  if (r.error) return Failed<std::string>(r.error, error);
  std::ifstream in(r.host, std::ios::binary);
  std::error_code ec;
  if (!in || fsys::is_directory(r.host, ec)) return Failed<std::string>(fs_error::kFileNotFound, error);
  char header[14] = {};
  in.read(header, sizeof header);
  return ExpandedNameFromHeader(path, std::string_view(header, static_cast<size_t>(in.gcount())));
}

const PosixFileSystem::Drive* PosixFileSystem::DriveOfRoot(const std::string& root) const {
  if (root.size() < 2 || root[1] != ':' || (root.size() > 2 && !(root.size() == 3 && IsSeparator(root[2]))))
    return nullptr;
  char letter = root[0];
  if (letter >= 'a' && letter <= 'z') letter = static_cast<char>(letter - 32);
  const auto it = drives_.find(letter);
  return it == drives_.end() ? nullptr : &it->second;
}

std::optional<VolumeFacts> PosixFileSystem::VolumeInformation(const std::string& root, uint32_t* error) {
  if (root.size() != 3) return Failed<VolumeFacts>(fs_error::kInvalidName, error);
  const Drive* drive = DriveOfRoot(root);
  if (!drive) return Failed<VolumeFacts>(fs_error::kPathNotFound, error);
  VolumeFacts facts;
  facts.volumeName = drive->volumeName;
  facts.serialNumber = drive->serialNumber;
  facts.maximumComponentLength = drive->maximumComponentLength;
  facts.fileSystemFlags = drive->fileSystemFlags;
  facts.fileSystemName = drive->fileSystemName;
  return facts;
}

uint32_t PosixFileSystem::DriveType(const std::string& root) {
  const Drive* drive = DriveOfRoot(root);
  return drive ? drive->type : drive_type::kNoRootDir;
}

bool PosixFileSystem::FolderExists(const std::string& path) {
  const Resolved r = Resolve(path);
  std::error_code ec;
  return !r.error && fsys::is_directory(r.host, ec);
}

uint32_t PosixFileSystem::CreateFolder(const std::string& path) {
  const Resolved r = Resolve(path);
  if (r.error) return r.error;
  std::error_code ec;
  if (r.isRoot || fsys::exists(fsys::symlink_status(r.host, ec))) return fs_error::kAlreadyExists;
  if (!r.parentExists) return fs_error::kPathNotFound;
  if (!fsys::create_directory(r.host, ec)) return ec ? FromErrorCode(ec, fs_error::kPathNotFound) : fs_error::kAlreadyExists;
  return 0;
}

uint32_t PosixFileSystem::MoveFileNoReplace(const std::string& from, const std::string& to) {
  return MoveFileInSteps(from, to, nullptr);
}

uint32_t PosixFileSystem::MoveFileInSteps(const std::string& from, const std::string& to,
                                          const MoveStepCheck& beforeStep) {
  const Resolved source = Resolve(from);
  if (source.error) return source.error;
  std::error_code ec;
  if (!fsys::exists(fsys::symlink_status(source.host, ec)))
    return source.parentExists ? fs_error::kFileNotFound : fs_error::kPathNotFound;
  const Resolved target = Resolve(to);
  if (target.error) return target.error;
  if (target.isRoot || fsys::exists(fsys::symlink_status(target.host, ec))) return fs_error::kAlreadyExists;
  if (!target.parentExists) return fs_error::kPathNotFound;
  const bool folder = fsys::is_directory(fsys::symlink_status(source.host, ec));

  if (!folder) {
    // One rename that never replaces; across host file systems the steps of a move to another volume.
    const std::error_code renamed = RenameNoReplace(source.host, target.host);
    if (renamed.default_error_condition() == std::errc::cross_device_link) {
      if (const uint32_t status = MoveAcrossVolumes(source.host, target.host, beforeStep)) return status;
    } else if (renamed) {
      return FromErrorCode(renamed);
    } else {
      FlushToDisk(target.host.parent_path(), true);
    }
  } else {
    fsys::rename(source.host, target.host, ec);
    if (ec) return ec.default_error_condition() == std::errc::cross_device_link ? fs_error::kAccessDenied
                                                                                 : FromErrorCode(ec);
  }
  if (const auto stored = storedBits_.find(HostKey(source.host)); stored != storedBits_.end()) {
    const uint32_t bits = stored->second;
    storedBits_.erase(stored);
    storedBits_[HostKey(target.host)] = bits;
  }
  return 0;
}

uint32_t PosixFileSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  const Resolved r = Resolve(path);
  if (r.error) return r.error;
  std::error_code ec;
  if (fsys::is_directory(r.host, ec) || r.isRoot) return fs_error::kAccessDenied;
  if (!r.parentExists) return fs_error::kPathNotFound;
  std::ofstream out(r.host, std::ios::binary | std::ios::trunc);
  if (!out) return fs_error::kAccessDenied;
  if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())) || !out.flush()) return fs_error::kWriteFault;
  return 0;
}

std::optional<std::string> PosixFileSystem::ReadWholeFile(const std::string& path, uint32_t* error) {
  const Resolved r = Resolve(path);
  if (r.error) return Failed<std::string>(r.error, error);
  std::error_code ec;
  if (fsys::is_directory(r.host, ec)) return Failed<std::string>(fs_error::kAccessDenied, error);
  std::ifstream in(r.host, std::ios::binary);
  if (!in) {
    const bool exists = fsys::exists(r.host, ec);
    return Failed<std::string>(exists                ? fs_error::kAccessDenied
                               : r.parentExists ? fs_error::kFileNotFound
                                                : fs_error::kPathNotFound,
                               error);
  }
  std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return content;
}

uint32_t PosixFileSystem::RemoveFile(const std::string& path) {
  const Resolved r = Resolve(path);
  if (r.error) return r.error;
  std::error_code ec;
  const fsys::file_status st = fsys::symlink_status(r.host, ec);
  if (!fsys::exists(st)) return r.parentExists ? fs_error::kFileNotFound : fs_error::kPathNotFound;
  if (fsys::is_directory(st)) return fs_error::kAccessDenied;
  if ((fsys::status(r.host, ec).permissions() & fsys::perms::owner_write) == fsys::perms::none)
    return fs_error::kAccessDenied;
  if (!fsys::remove(r.host, ec)) return FromErrorCode(ec);
  storedBits_.erase(HostKey(r.host));
  return 0;
}

uint32_t PosixFileSystem::RemoveFolder(const std::string& path) {
  const Resolved r = Resolve(path);
  if (r.error) return r.error;
  std::error_code ec;
  const fsys::file_status st = fsys::symlink_status(r.host, ec);
  if (!fsys::exists(st)) return r.parentExists ? fs_error::kFileNotFound : fs_error::kPathNotFound;
  if (!fsys::is_directory(st)) return kErrorDirectory;
  if (!fsys::is_empty(r.host, ec)) return fs_error::kDirNotEmpty;
  if (!fsys::remove(r.host, ec)) return FromErrorCode(ec);
  storedBits_.erase(HostKey(r.host));
  return 0;
}

}  // namespace kqm
