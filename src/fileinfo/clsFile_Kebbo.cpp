#include "fileinfo/clsFile_Kebbo.h"

#include "fileinfo/basFile_Kebbo.h"
#include "platform/path_predicates.h"

namespace kqm {

bool clsFile_Kebbo::bFixedDisk() const { return FileOpenRecord(*fs_, sFileName_).fFixedDisk != 0; }

double clsFile_Kebbo::dCreated() const { return FileTimeToDate(FileInformation(*fs_, sFileName_).ftCreationTime); }

double clsFile_Kebbo::dLastAccessed() const {
  return FileTimeToDate(FileInformation(*fs_, sFileName_).ftLastAccessTime);
}

std::string clsFile_Kebbo::sExpandedName() const { return ExpandedFileName(*fs_, sFileName_); }

std::string clsFile_Kebbo::sShortName() const { return ShortPathName(*fs_, sFileName_); }

int32_t clsFile_Kebbo::eAttributes() const { return FileAttributes(*fs_, sFileName_); }

void clsFile_Kebbo::eAttributes(int32_t value) {
  static_cast<void>(fs_->SetAttributes(sFileName(), static_cast<uint32_t>(value)));
}

int64_t clsFile_Kebbo::lSize() const {
  // The by-name query reads the size the folder listing records; a name with wildcards would match other
  // files, so such a name is measured through an open handle only.
  if (!sFileName_.empty() && sFileName_.find_first_of("*?") == std::string::npos) {
    FoundFile entry;
    if (fs_->FindFirst(sFileName_, entry) && (entry.attributes & file_attribute::kDirectory) == 0)
      return static_cast<int64_t>(entry.size);
  }
  return FileLength(*fs_, sFileName_);
}

double clsFile_Kebbo::dLastModified() const {
  return FileTimeToDate(FileInformation(*fs_, ShortPathName(*fs_, sFileName_)).ftLastWriteTime);
}

std::string clsFile_Kebbo::sName() const { return SplitPath(sFileName_, ptName); }

std::string clsFile_Kebbo::sNameAndExtension() const { return SplitPath(sFileName_, ptName | ptExtension); }

std::string clsFile_Kebbo::sExtension() const { return SplitPath(sFileName_, ptExtension); }

std::string clsFile_Kebbo::sPath() const { return SplitPath(sFileName_, ptFolder); }

std::string clsFile_Kebbo::sDriveLetter() const {
  const int n = PathGetDriveNumber(sFileName_);
  if (n < 0) return "";
  return std::string(1, static_cast<char>('A' + n)) + ":";
}

std::string clsFile_Kebbo::sPathRoot() const {
  std::string root = PathRoot(sFileName_);
  if (root.find_first_not_of(' ') != std::string::npos && root.back() != '\\') root += '\\';
  return root;
}

bool clsFile_Kebbo::bNetworkPath() const { return PathIsNetworkPath(sFileName_); }

bool clsFile_Kebbo::bUNCServerShare() const { return PathIsUNCServerShare(sFileName_); }

bool clsFile_Kebbo::bUNCServer() const { return PathIsUNCServer(sFileName_); }

bool clsFile_Kebbo::bUNC() const { return PathIsUNC(sFileName_); }

int32_t clsFile_Kebbo::eVolumeType() const { return static_cast<int32_t>(fs_->DriveType(sPathRoot())); }

int32_t clsFile_Kebbo::lVolumeSerialNo() const {
  return static_cast<int32_t>(FileInformation(*fs_, sFileName_).dwVolumeSerialNumber);
}

std::string clsFile_Kebbo::sVolumeName() const { return VolumeInformation(*fs_, sPathRoot()).VolumeName; }

}  // namespace kqm
