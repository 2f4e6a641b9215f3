#include "platform/substitute/failing_file_system.h"

#include <algorithm>

namespace kqm {

namespace {

// Thrown through the wrapped file system's move when the process ends before one of its steps: nothing of the move
// runs any more, not even its clean-up.
struct EndedBefore {
  MoveStep step;
};

}  // namespace

bool FailingFileSystem::Fails(uint32_t* error) {
  const bool ended = end_ && end_->Counts();
  if (++calls_ != failingCall_ && !ended) return false;
  failed_ = true;
  if (error) *error = error_;
  return true;
}

std::vector<std::string> FailingFileSystem::TemporariesIn(const std::string& folder) {
  std::vector<std::string> names;
  FoundFile found;
  auto search = inner_->FindFirst(folder + kMoveTemporaryPrefix + "*" + kMoveTemporarySuffix, found);
  if (search) do
      if (IsMoveTemporaryName(found.name)) names.push_back(found.name);
    while (search->Next(found));
  return names;
}

std::unique_ptr<FileSearch> FailingFileSystem::FindFirst(const std::string& spec, FoundFile& first, uint32_t* error) {
  if (Fails(error)) return nullptr;
  return inner_->FindFirst(spec, first, error);
}

std::optional<uint32_t> FailingFileSystem::Attributes(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->Attributes(path, error);
}

uint32_t FailingFileSystem::SetAttributes(const std::string& path, uint32_t attributes) {
  return Fails() ? error_ : inner_->SetAttributes(path, attributes);
}

std::optional<FileFacts> FailingFileSystem::FileInformation(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->FileInformation(path, error);
}

std::optional<FileIdentity> FailingFileSystem::Identity(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->Identity(path, error);
}

std::optional<uint64_t> FailingFileSystem::FileLength(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->FileLength(path, error);
}

bool FailingFileSystem::OpenableOnFixedDisk(const std::string& path) {
  return !Fails() && inner_->OpenableOnFixedDisk(path);
}

std::optional<std::string> FailingFileSystem::ShortPathName(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->ShortPathName(path, error);
}

std::optional<std::string> FailingFileSystem::ExpandedName(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->ExpandedName(path, error);
}

std::optional<VolumeFacts> FailingFileSystem::VolumeInformation(const std::string& root, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->VolumeInformation(root, error);
}

uint32_t FailingFileSystem::DriveType(const std::string& root) {
  return Fails() ? drive_type::kUnknown : inner_->DriveType(root);
}

bool FailingFileSystem::FolderExists(const std::string& path) { return !Fails() && inner_->FolderExists(path); }

uint32_t FailingFileSystem::CreateFolder(const std::string& path) {
  return Fails() ? error_ : inner_->CreateFolder(path);
}

uint32_t FailingFileSystem::MoveFileNoReplace(const std::string& from, const std::string& to) {
  return MoveFileInSteps(from, to, nullptr);
}

uint32_t FailingFileSystem::MoveFileInSteps(const std::string& from, const std::string& to,
                                            const MoveStepCheck& beforeStep) {
  if (Fails()) return error_;
  if (!copyOnMove_) {
    const std::string folder = to.substr(0, to.find_last_of("\\/") + 1);
    const std::vector<std::string> before = end_ ? TemporariesIn(folder) : std::vector<std::string>{};
    try {
      return inner_->MoveFileInSteps(from, to, [&](MoveStep step) -> uint32_t {
        if (Fails()) {
          if (end_ && end_->Ended()) throw EndedBefore{step};
          return error_;
        }
        return beforeStep ? beforeStep(step) : 0;
      });
    } catch (const EndedBefore& ended) {
      // Ended while copying: what the copy had written is all its temporary holds.
      if (ended.step == MoveStep::kFlush)
        for (const std::string& name : TemporariesIn(folder))
          if (std::find(before.begin(), before.end(), name) == before.end())
            if (const auto bytes = inner_->ReadWholeFile(folder + name))
              inner_->WriteWholeFile(folder + name, bytes->substr(0, bytes->size() / 2));
      return error_;
    }
  }
  const auto bytes = inner_->ReadWholeFile(from);
  if (!bytes) return fs_error::kFileNotFound;
  if (inner_->Attributes(to)) return fs_error::kAlreadyExists;
  return inner_->WriteWholeFile(to, *bytes);
}

uint32_t FailingFileSystem::WriteWholeFile(const std::string& path, const std::string& bytes) {
  return Fails() ? error_ : inner_->WriteWholeFile(path, bytes);
}

std::optional<std::string> FailingFileSystem::ReadWholeFile(const std::string& path, uint32_t* error) {
  if (Fails(error)) return std::nullopt;
  return inner_->ReadWholeFile(path, error);
}

uint32_t FailingFileSystem::RemoveFile(const std::string& path) { return Fails() ? error_ : inner_->RemoveFile(path); }

uint32_t FailingFileSystem::RemoveFolder(const std::string& path) {
  return Fails() ? error_ : inner_->RemoveFolder(path);
}

}  // namespace kqm
