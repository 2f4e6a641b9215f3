#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/file_system.h"
#include "platform/substitute/process_end.h"

namespace kqm {

// Wraps a file system and makes its N-th call (counted from 1 over every seam call) fail with a given error,
// without reaching the wrapped one; for proving that callers survive a failure at any step. Each step of a move to
// another volume the wrapped one takes counts as a call of its own: failing it fails the move at that step.
// Sharing a ProcessEnd instead ends the process at a call: that call and every later one fail, and a move to another
// volume ended at one of its steps leaves behind what it had made, as a killed process does (its temporary, cut
// short when it ended before the flush, or the placed copy beside its source).
class FailingFileSystem final : public FileSystem {
 public:
  // failingCall 0 never fails.
  FailingFileSystem(FileSystem& inner, uint64_t failingCall, uint32_t error = fs_error::kAccessDenied)
      : inner_(&inner), failingCall_(failingCall), error_(error) {}

  // Number of seam calls so far.
  uint64_t Calls() const { return calls_; }
  // True once the failing call has happened.
  bool Failed() const { return failed_; }
  // Fails call `failingCall` from now on (counting continues).
  void FailCall(uint64_t failingCall, uint32_t error = fs_error::kAccessDenied) {
    failingCall_ = failingCall;
    error_ = error;
    failed_ = false;
  }

  // Counts every call towards `end` too, and fails each from the call it ends at on (nullptr: none).
  void EndWith(ProcessEnd* end) { end_ = end; }

  // With `on`, a move only copies and still answers success, as a copy to another volume does when the source
  // cannot be deleted.
  void CopyOnMove(bool on) { copyOnMove_ = on; }

  std::unique_ptr<FileSearch> FindFirst(const std::string& spec, FoundFile& first, uint32_t* error = nullptr) override;
  std::optional<uint32_t> Attributes(const std::string& path, uint32_t* error = nullptr) override;
  uint32_t SetAttributes(const std::string& path, uint32_t attributes) override;
  std::optional<FileFacts> FileInformation(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<FileIdentity> Identity(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<uint64_t> FileLength(const std::string& path, uint32_t* error = nullptr) override;
  bool OpenableOnFixedDisk(const std::string& path) override;
  std::optional<std::string> ShortPathName(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<std::string> ExpandedName(const std::string& path, uint32_t* error = nullptr) override;
  std::optional<VolumeFacts> VolumeInformation(const std::string& root, uint32_t* error = nullptr) override;
  uint32_t DriveType(const std::string& root) override;
  bool FolderExists(const std::string& path) override;
  uint32_t CreateFolder(const std::string& path) override;
  uint32_t MoveFileNoReplace(const std::string& from, const std::string& to) override;
  uint32_t MoveFileInSteps(const std::string& from, const std::string& to, const MoveStepCheck& beforeStep) override;
  uint32_t WriteWholeFile(const std::string& path, const std::string& bytes) override;
  std::optional<std::string> ReadWholeFile(const std::string& path, uint32_t* error = nullptr) override;
  uint32_t RemoveFile(const std::string& path) override;
  uint32_t RemoveFolder(const std::string& path) override;

 private:
  // Counts a call; true when this one must fail (then `*error` is set).
  bool Fails(uint32_t* error = nullptr);
  // The names of moves' temporaries in `folder` (ending in "\").
  std::vector<std::string> TemporariesIn(const std::string& folder);

  FileSystem* inner_;
  bool copyOnMove_ = false;
  uint64_t failingCall_;
  uint32_t error_;
  uint64_t calls_ = 0;
  bool failed_ = false;
  ProcessEnd* end_ = nullptr;
};

}  // namespace kqm
