#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <map>
#include <ostream>
#include <set>
#include <vector>

#include "fs_contract_backend.h"
#include "platform/substitute/failing_file_system.h"

namespace kqm {
// Failures show an identity as its two numbers.
void PrintTo(const FileIdentity& identity, std::ostream* out) {
  *out << "{volume " << std::hex << identity.volume << ", file " << identity.file << std::dec << "}";
}
}  // namespace kqm

namespace kqm::contract {
namespace {

constexpr const char* kZurich = "Z\xC3\xBCrich";
constexpr const char* kGruesse = "Gr\xC3\xBC\xC3\x9F" "e \xE2\x9C\x93.lnk";

class FileSystemContract : public ::testing::Test {
 protected:
  void SetUp() override { backend_ = MakeFsShellBackend(); }
  FileSystem& fs() { return backend_->Files(); }
  std::string At(const std::string& relative) const { return backend_->Root() + "\\" + relative; }
  void Write(const std::string& relative, const std::string& bytes) {
    ASSERT_EQ(fs().WriteWholeFile(At(relative), bytes), 0u) << relative;
  }
  std::string Read(const std::string& path) { return fs().ReadWholeFile(path).value_or("<missing>"); }
  std::set<std::string> List(const std::string& spec, uint32_t* error = nullptr) {
    std::set<std::string> names;
    FoundFile entry;
    if (auto search = fs().FindFirst(spec, entry, error)) {
      do {
        names.insert(entry.name + ((entry.attributes & file_attribute::kDirectory) ? "\\" : ""));
      } while (search->Next(entry));
    }
    return names;
  }
  // Attribute bits of each entry a search of `spec` lists, by name.
  std::map<std::string, uint32_t> ListedAttributes(const std::string& spec) {
    std::map<std::string, uint32_t> listed;
    FoundFile entry;
    if (auto search = fs().FindFirst(spec, entry)) {
      do {
        listed[entry.name] = entry.attributes;
      } while (search->Next(entry));
    }
    return listed;
  }
  // The folder on another volume with a trailing backslash, "" when there is none.
  std::string OtherVolume() const {
    std::string other = backend_->OtherVolumeRoot();
    if (!other.empty() && other.back() != '\\') other += '\\';
    return other;
  }
  // The names in a folder (given with its trailing backslash), without "." and "..".
  std::set<std::string> Names(const std::string& folder) {
    std::set<std::string> names = List(folder + "*");
    names.erase(".\\");
    names.erase("..\\");
    return names;
  }
  // The names of moves' temporaries in a folder.
  std::set<std::string> Temporaries(const std::string& folder) {
    std::set<std::string> found;
    for (const std::string& name : Names(folder))
      if (name.rfind(kMoveTemporaryPrefix, 0) == 0) found.insert(name);
    return found;
  }
  static FileTime Now() {
    const auto since1970 = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::system_clock::now().time_since_epoch());
    return (static_cast<FileTime>(since1970.count()) + 11'644'473'600ull) * 10'000'000ull;
  }

  std::unique_ptr<FsShellBackend> backend_;
};

TEST_F(FileSystemContract, SearchMatchesPatternWithoutRegardToCaseAndFlagsFolders) {
  Write("a.lnk", "a");
  Write("b.pif", "b");
  Write("desktop.ini", "d");
  Write("UPPER.LNK", "u");
  ASSERT_EQ(fs().CreateFolder(At("sub.lnk")), 0u);
  EXPECT_EQ(List(At("*.lnk")), (std::set<std::string>{"a.lnk", "UPPER.LNK", "sub.lnk\\"}));
  EXPECT_EQ(List(At("*.LnK")), (std::set<std::string>{"a.lnk", "UPPER.LNK", "sub.lnk\\"}));
  EXPECT_EQ(List(At("?.pif")), (std::set<std::string>{"b.pif"}));
  EXPECT_EQ(List(At("*.*")),
            (std::set<std::string>{".\\", "..\\", "a.lnk", "b.pif", "desktop.ini", "UPPER.LNK", "sub.lnk\\"}));
}

TEST_F(FileSystemContract, SearchReportsSizesAndNamesOutsideTheCodePage) {
  ASSERT_EQ(fs().CreateFolder(At(kZurich)), 0u);
  Write(std::string(kZurich) + "\\" + kGruesse, "12345");
  FoundFile entry;
  auto search = fs().FindFirst(At(kZurich) + "\\*.lnk", entry);
  ASSERT_TRUE(search);
  EXPECT_EQ(entry.name, kGruesse);
  EXPECT_EQ(entry.size, 5u);
  EXPECT_EQ(entry.attributes & file_attribute::kDirectory, 0u);
  EXPECT_FALSE(search->Next(entry));
}

TEST_F(FileSystemContract, SearchOfMissingFolderOrUnmatchedPatternFails) {
  uint32_t error = 0;
  EXPECT_TRUE(List(At("missing\\*.lnk"), &error).empty());
  EXPECT_EQ(error, fs_error::kPathNotFound);
  error = 0;
  EXPECT_TRUE(List(At("*.lnk"), &error).empty());
  EXPECT_EQ(error, fs_error::kFileNotFound);
}

TEST_F(FileSystemContract, AttributesOfFilesFoldersAndMissingPaths) {
  Write("f.txt", "x");
  EXPECT_EQ(fs().Attributes(At("f.txt")).value_or(0) & (file_attribute::kDirectory | file_attribute::kArchive),
            file_attribute::kArchive);
  EXPECT_EQ(fs().Attributes(At("F.TXT")).value_or(0) & file_attribute::kArchive, file_attribute::kArchive);
  EXPECT_NE(fs().Attributes(backend_->Root()).value_or(0) & file_attribute::kDirectory, 0u);
  uint32_t error = 0;
  EXPECT_FALSE(fs().Attributes(At("missing.txt"), &error));
  EXPECT_EQ(error, fs_error::kFileNotFound);
  EXPECT_FALSE(fs().Attributes(At("missing\\f.txt"), &error));
  EXPECT_EQ(error, fs_error::kPathNotFound);
}

TEST_F(FileSystemContract, AttributesCanBeSetAndCleared) {
  Write("f.txt", "x");
  ASSERT_EQ(fs().SetAttributes(At("f.txt"), file_attribute::kReadOnly | file_attribute::kHidden), 0u);
  const uint32_t set = fs().Attributes(At("f.txt")).value_or(0);
  EXPECT_EQ(set & (file_attribute::kReadOnly | file_attribute::kHidden),
            file_attribute::kReadOnly | file_attribute::kHidden);
  EXPECT_NE(fs().RemoveFile(At("f.txt")), 0u) << "a read-only file is not deleted";
  ASSERT_EQ(fs().SetAttributes(At("f.txt"), file_attribute::kNormal), 0u);
  EXPECT_EQ(fs().Attributes(At("f.txt")).value_or(0) & (file_attribute::kReadOnly | file_attribute::kHidden), 0u);
  EXPECT_EQ(fs().RemoveFile(At("f.txt")), 0u);
  EXPECT_EQ(fs().SetAttributes(At("f.txt"), file_attribute::kNormal), fs_error::kFileNotFound);
}

TEST_F(FileSystemContract, FileInformationThroughAHandle) {
  Write("f.bin", std::string(3000, 'x'));
  const auto facts = fs().FileInformation(At("f.bin"));
  ASSERT_TRUE(facts);
  EXPECT_EQ(facts->size, 3000u);
  const FileTime now = Now();
  constexpr FileTime kTenMinutes = 10ull * 60 * 10'000'000;
  EXPECT_LT(facts->lastWriteTime, now + kTenMinutes);
  EXPECT_GT(facts->lastWriteTime, now - kTenMinutes);
  EXPECT_GT(facts->creationTime, now - kTenMinutes);
  EXPECT_EQ(fs().FileLength(At("f.bin")).value_or(0), 3000u);
  uint32_t error = 0;
  EXPECT_FALSE(fs().FileInformation(At("missing.bin"), &error));
  EXPECT_EQ(error, fs_error::kFileNotFound);
  EXPECT_FALSE(fs().FileLength(At("missing.bin")));
  EXPECT_FALSE(fs().FileInformation(backend_->Root())) << "a folder does not open as a file";
}

TEST_F(FileSystemContract, VolumeFactsOfTheFixedDriveAndOfAnUnmappedOne) {
  const std::string root = backend_->Root().substr(0, 3);
  const auto volume = fs().VolumeInformation(root);
  ASSERT_TRUE(volume);
  EXPECT_FALSE(volume->fileSystemName.empty());
  EXPECT_GT(volume->maximumComponentLength, 0u);
  EXPECT_EQ(fs().DriveType(root), drive_type::kFixed);
  uint32_t error = 0;
  EXPECT_FALSE(fs().VolumeInformation(kUnmappedRoot, &error));
  EXPECT_NE(error, 0u);
  EXPECT_EQ(fs().DriveType(kUnmappedRoot), drive_type::kNoRootDir);
  EXPECT_EQ(fs().DriveType("relative\\"), drive_type::kNoRootDir);
  EXPECT_EQ(fs().DriveType(""), drive_type::kNoRootDir);
  Write("f.bin", "x");
  EXPECT_EQ(fs().FileInformation(At("f.bin")).value_or(FileFacts{}).volumeSerialNumber, volume->serialNumber);
  EXPECT_TRUE(fs().OpenableOnFixedDisk(At("f.bin")));
  EXPECT_FALSE(fs().OpenableOnFixedDisk(At("missing.bin")));
}

TEST_F(FileSystemContract, ShortAndExpandedNames) {
  Write("a long file name.text", "abc");
  const auto shortName = fs().ShortPathName(At("a long file name.text"));
  ASSERT_TRUE(shortName);
  EXPECT_EQ(Read(*shortName), "abc") << *shortName;
  uint32_t error = 0;
  EXPECT_FALSE(fs().ShortPathName(At("missing.txt"), &error));
  EXPECT_EQ(error, fs_error::kFileNotFound);

  EXPECT_EQ(fs().ExpandedName(At("a long file name.text")).value_or(""), At("a long file name.text"));
  Write("setup.tx_", std::string("SZDD\x88\xF0\x27\x33" "At\x03\x00\x00\x00", 14) + "abc");
  Write("LOUD.IN_", std::string("SZDD\x88\xF0\x27\x33" "Af\x03\x00\x00\x00", 14) + "abc");
  EXPECT_EQ(fs().ExpandedName(At("setup.tx_")).value_or(""), At("setup.txt"));
  EXPECT_EQ(fs().ExpandedName(At("LOUD.IN_")).value_or(""), At("LOUD.INF"));
  EXPECT_FALSE(fs().ExpandedName(At("missing.tx_")));
  Write(kGruesse, "not compressed");
  EXPECT_EQ(fs().ExpandedName(At(kGruesse)).value_or("<none>"), At(kGruesse));
  const auto shortUnicode = fs().ShortPathName(At(kGruesse));
  ASSERT_TRUE(shortUnicode);
  EXPECT_EQ(Read(*shortUnicode), "not compressed");
}

TEST_F(FileSystemContract, FoldersAreCreatedOneLevelAtATime) {
  EXPECT_FALSE(fs().FolderExists(At("Disabled")));
  EXPECT_EQ(fs().CreateFolder(At("Disabled")), 0u);
  EXPECT_TRUE(fs().FolderExists(At("Disabled")));
  EXPECT_TRUE(fs().FolderExists(At("DISABLED\\")));
  EXPECT_EQ(fs().CreateFolder(At("disabled")), fs_error::kAlreadyExists);
  EXPECT_EQ(fs().CreateFolder(At("missing\\child")), fs_error::kPathNotFound);
  Write("file", "x");
  EXPECT_FALSE(fs().FolderExists(At("file")));
  EXPECT_EQ(fs().CreateFolder(At(std::string(kZurich))), 0u);
  EXPECT_TRUE(fs().FolderExists(At(std::string(kZurich))));
}

TEST_F(FileSystemContract, MoveLeavesNoFileBehindAndKeepsItsBytes) {
  ASSERT_EQ(fs().CreateFolder(At("Disabled")), 0u);
  Write(kGruesse, "payload");
  EXPECT_EQ(fs().MoveFileNoReplace(At(kGruesse), At(std::string("Disabled\\") + kGruesse)), 0u);
  EXPECT_FALSE(fs().Attributes(At(kGruesse)));
  EXPECT_EQ(Read(At(std::string("Disabled\\") + kGruesse)), "payload");
}

TEST_F(FileSystemContract, MoveNeverReplacesAnExistingFile) {
  ASSERT_EQ(fs().CreateFolder(At("Disabled")), 0u);
  Write("a.lnk", "live");
  Write("Disabled\\A.LNK", "disabled");
  const uint32_t status = fs().MoveFileNoReplace(At("a.lnk"), At("Disabled\\a.lnk"));
  EXPECT_TRUE(status == fs_error::kAlreadyExists || status == fs_error::kFileExists) << status;
  EXPECT_EQ(Read(At("a.lnk")), "live");
  EXPECT_EQ(Read(At("Disabled\\a.lnk")), "disabled");
}

TEST_F(FileSystemContract, MoveFailsCleanlyWhenSourceOrDestinationFolderIsMissing) {
  Write("a.lnk", "live");
  EXPECT_EQ(fs().MoveFileNoReplace(At("gone.lnk"), At("b.lnk")), fs_error::kFileNotFound);
  EXPECT_FALSE(fs().Attributes(At("b.lnk")));
  EXPECT_EQ(fs().MoveFileNoReplace(At("a.lnk"), At("missing\\a.lnk")), fs_error::kPathNotFound);
  EXPECT_EQ(Read(At("a.lnk")), "live");
}

TEST_F(FileSystemContract, MoveAcrossVolumes) {
  const std::string other = backend_->OtherVolumeRoot();
  if (other.empty()) GTEST_SKIP() << "no second volume on this machine";
  const std::string away = other + (other.back() == '\\' ? "" : "\\") + kGruesse;
  Write("a.lnk", std::string(100000, 'z'));
  ASSERT_EQ(fs().MoveFileNoReplace(At("a.lnk"), away), 0u);
  EXPECT_FALSE(fs().Attributes(At("a.lnk")));
  EXPECT_EQ(Read(away), std::string(100000, 'z'));
  Write("a.lnk", "new");
  const uint32_t status = fs().MoveFileNoReplace(away, At("a.lnk"));
  EXPECT_TRUE(status == fs_error::kAlreadyExists || status == fs_error::kFileExists) << status;
  EXPECT_EQ(Read(At("a.lnk")), "new");
  EXPECT_EQ(Read(away).size(), 100000u);
  EXPECT_EQ(fs().RemoveFile(away), 0u);
}

TEST_F(FileSystemContract, AMoveAcrossVolumesCopiesUnderATemporaryNameAndRenamesTheFlushedCopyIntoPlace) {
  const std::string other = OtherVolume();
  if (other.empty()) GTEST_SKIP() << "no second volume on this machine";
  std::string bytes(2'500'007, '\0');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 131 + i / 4096);
  Write("a.lnk", bytes);
  std::vector<MoveStep> steps;
  const uint32_t status = fs().MoveFileInSteps(At("a.lnk"), other + "a.lnk", [&](MoveStep step) {
    steps.push_back(step);
    const bool placed = step == MoveStep::kRemoveSource;
    EXPECT_EQ(placed, fs().Attributes(other + "a.lnk").has_value()) << "before step " << static_cast<int>(step);
    EXPECT_EQ(step == MoveStep::kCopy || placed ? 0u : 1u, Temporaries(other).size())
        << "before step " << static_cast<int>(step);
    EXPECT_EQ(Read(At("a.lnk")), bytes) << "before step " << static_cast<int>(step);
    return 0u;
  });
  ASSERT_EQ(status, 0u);
  EXPECT_EQ(steps, (std::vector<MoveStep>{MoveStep::kCopy, MoveStep::kFlush, MoveStep::kVerify, MoveStep::kPlace,
                                          MoveStep::kRemoveSource}));
  EXPECT_FALSE(fs().Attributes(At("a.lnk")));
  EXPECT_TRUE(Read(other + "a.lnk") == bytes) << "the moved file differs from its source";
  EXPECT_EQ(Names(other), std::set<std::string>{"a.lnk"});
}

TEST_F(FileSystemContract, AMoveAcrossVolumesNeverReplacesANameTakenBeforeOrDuringTheCopy) {
  const std::string other = OtherVolume();
  if (other.empty()) GTEST_SKIP() << "no second volume on this machine";
  for (bool takenBefore : {true, false}) {
    Write("a.lnk", "live");
    if (takenBefore) {
      ASSERT_EQ(fs().WriteWholeFile(other + "A.LNK", "taken"), 0u);
    }
    const uint32_t status = fs().MoveFileInSteps(At("a.lnk"), other + "a.lnk", [&](MoveStep step) {
      if (step == MoveStep::kVerify && !takenBefore) {
        EXPECT_EQ(fs().WriteWholeFile(other + "A.LNK", "taken"), 0u);
      }
      return 0u;
    });
    EXPECT_TRUE(status == fs_error::kAlreadyExists || status == fs_error::kFileExists) << status;
    EXPECT_EQ(Read(At("a.lnk")), "live") << "taken before: " << takenBefore;
    EXPECT_EQ(Read(other + "a.lnk"), "taken") << "taken before: " << takenBefore;
    EXPECT_EQ(Names(other), std::set<std::string>{"A.LNK"}) << "taken before: " << takenBefore;
    ASSERT_EQ(fs().RemoveFile(other + "a.lnk"), 0u);
  }
}

TEST_F(FileSystemContract, AFailingStepOfAMoveAcrossVolumesLeavesTheFileAtItsSourceAndNothingAtTheDestination) {
  const std::string other = OtherVolume();
  if (other.empty()) GTEST_SKIP() << "no second volume on this machine";
  const std::string bytes(70'000, 'q');
  Write("a.lnk", bytes);
  uint64_t failures = 0;
  for (uint64_t n = 1; n < 20; ++n) {
    FailingFileSystem failing(fs(), n, fs_error::kSharingViolation);
    const uint32_t status = failing.MoveFileNoReplace(At("a.lnk"), other + "a.lnk");
    if (!failing.Failed()) {
      EXPECT_EQ(status, 0u);
      break;
    }
    ++failures;
    EXPECT_EQ(status, fs_error::kSharingViolation) << "call " << n;
    EXPECT_TRUE(Read(At("a.lnk")) == bytes) << "call " << n;
    EXPECT_EQ(Names(other), std::set<std::string>{}) << "call " << n;
  }
  EXPECT_EQ(failures, 6u) << "the move itself and each of its five steps";
  EXPECT_FALSE(fs().Attributes(At("a.lnk")));
  EXPECT_TRUE(Read(other + "a.lnk") == bytes);
}

TEST_F(FileSystemContract, AReadOnlyFileMovesAcrossVolumesAndStaysReadOnly) {
  const std::string other = OtherVolume();
  if (other.empty()) GTEST_SKIP() << "no second volume on this machine";
  Write("a.lnk", "kept");
  ASSERT_EQ(fs().SetAttributes(At("a.lnk"), file_attribute::kReadOnly), 0u);
  EXPECT_EQ(fs().MoveFileNoReplace(At("a.lnk"), other + "a.lnk"), 0u);
  EXPECT_FALSE(fs().Attributes(At("a.lnk"))) << "the source went";
  EXPECT_EQ(Read(other + "a.lnk"), "kept");
  EXPECT_TRUE(fs().Attributes(other + "a.lnk").value_or(0) & file_attribute::kReadOnly);
  fs().SetAttributes(At("a.lnk"), file_attribute::kNormal);
  fs().SetAttributes(other + "a.lnk", file_attribute::kNormal);
}

TEST_F(FileSystemContract, FilesAndFoldersAreRemoved) {
  ASSERT_EQ(fs().CreateFolder(At("d")), 0u);
  Write("d\\f", "x");
  EXPECT_EQ(fs().RemoveFolder(At("d")), fs_error::kDirNotEmpty);
  EXPECT_EQ(fs().RemoveFile(At("d")), fs_error::kAccessDenied);
  EXPECT_EQ(fs().RemoveFile(At("d\\f")), 0u);
  EXPECT_EQ(fs().RemoveFile(At("d\\f")), fs_error::kFileNotFound);
  EXPECT_EQ(fs().RemoveFolder(At("d")), 0u);
  EXPECT_FALSE(fs().FolderExists(At("d")));
  uint32_t error = 0;
  EXPECT_FALSE(fs().ReadWholeFile(At("d\\f"), &error));
  EXPECT_EQ(error, fs_error::kPathNotFound);
}

// A Disabled folder (or a folder in it) that is a link into a StartUp folder must be seen before anything is moved.
TEST_F(FileSystemContract, ALinkToAFolderIsAReparsePointWhereAPlainFolderOrFileIsNot) {
  using file_attribute::kDirectory;
  using file_attribute::kReparsePoint;
  ASSERT_EQ(fs().CreateFolder(At("real")), 0u);
  Write("real\\f.txt", "x");
  if (const std::string why = backend_->MakeSymbolicLink(At("link"), At("real"), true); !why.empty())
    GTEST_SKIP() << why;
  EXPECT_EQ(fs().Attributes(At("link")).value_or(0) & (kDirectory | kReparsePoint), kDirectory | kReparsePoint);
  EXPECT_EQ(fs().Attributes(At("real")).value_or(kReparsePoint) & kReparsePoint, 0u);
  EXPECT_EQ(fs().Attributes(At("real\\f.txt")).value_or(kReparsePoint) & kReparsePoint, 0u);
  const auto listed = ListedAttributes(At("*"));
  ASSERT_TRUE(listed.count("link") && listed.count("real"));
  EXPECT_EQ(listed.at("link") & (kDirectory | kReparsePoint), kDirectory | kReparsePoint);
  EXPECT_EQ(listed.at("real") & kReparsePoint, 0u);
  const auto inside = ListedAttributes(At("real\\*"));
  ASSERT_TRUE(inside.count("f.txt"));
  EXPECT_EQ(inside.at("f.txt") & kReparsePoint, 0u);
}

// A file in the Disabled folder that is a link to the entry in the StartUp folder must be seen as one.
TEST_F(FileSystemContract, ALinkToAFileIsAReparsePoint) {
  using file_attribute::kDirectory;
  using file_attribute::kReparsePoint;
  if (const std::string why = backend_->FileLinksUnmarkedBecause(); !why.empty()) GTEST_SKIP() << why;
  Write("f.txt", "x");
  if (const std::string why = backend_->MakeSymbolicLink(At("link.txt"), At("f.txt"), false); !why.empty())
    GTEST_SKIP() << why;
  EXPECT_EQ(fs().Attributes(At("link.txt")).value_or(kDirectory) & (kDirectory | kReparsePoint), kReparsePoint);
  EXPECT_EQ(fs().Attributes(At("f.txt")).value_or(kReparsePoint) & kReparsePoint, 0u);
  const auto listed = ListedAttributes(At("*.txt"));
  ASSERT_TRUE(listed.count("link.txt") && listed.count("f.txt"));
  EXPECT_EQ(listed.at("link.txt") & (kDirectory | kReparsePoint), kReparsePoint);
  EXPECT_EQ(listed.at("f.txt") & kReparsePoint, 0u);
}

// "The same bytes are already at the destination, so remove the source" is safe only for two different files.
TEST_F(FileSystemContract, IdentityIsTheFileWhicheverPathReachesItAndNotItsBytes) {
  ASSERT_EQ(fs().CreateFolder(At("real")), 0u);
  Write("real\\f.txt", "same bytes");
  Write("real\\copy.txt", "same bytes");
  ASSERT_EQ(backend_->MakeHardLink(At("real\\hard.txt"), At("real\\f.txt")), "");
  if (const std::string why = backend_->MakeSymbolicLink(At("link"), At("real"), true); !why.empty())
    GTEST_SKIP() << why;
  const auto file = fs().Identity(At("real\\f.txt"));
  const auto copy = fs().Identity(At("real\\copy.txt"));
  const auto folder = fs().Identity(At("real"));
  ASSERT_TRUE(file && copy && folder);
  EXPECT_EQ(fs().Identity(At("link\\f.txt")), file) << "through the linked folder";
  EXPECT_EQ(fs().Identity(At("real\\hard.txt")), file) << "another name of the file";
  EXPECT_NE(*copy, *file) << "a copy with the same bytes";
  EXPECT_EQ(fs().Identity(At("link")), folder) << "the linked folder is the folder";
  EXPECT_NE(*folder, *file);
  uint32_t error = 0;
  EXPECT_FALSE(fs().Identity(At("missing.txt"), &error));
  EXPECT_EQ(error, fs_error::kFileNotFound);
}

}  // namespace
}  // namespace kqm::contract
