#include "fileinfo/basFile_Kebbo.h"

#include <cmath>

#include "platform/error_reporter.h"
#include "platform/path_predicates.h"

namespace kqm {

namespace {

constexpr int64_t kTicksPerSecond = 10'000'000;
constexpr int64_t kSecondsPerDay = 86'400;

// Days since 1970-01-01 of a proleptic Gregorian date.
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

bool IsLeap(unsigned y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

unsigned DaysInMonth(unsigned y, unsigned m) {
  static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

}  // namespace

std::string WindowsFolder(Shell& shell) { return TrimAtNull(shell.WindowsFolder().value); }

std::string CurrentUserName(Shell& shell) {
  const ShellText expanded = shell.ExpandEnvironment("%USERNAME%");
  return expanded.ok() ? TrimAtNull(expanded.value) : std::string("%USERNAME%");
}

std::string FolderLocation(Shell& shell, ErrorReporter& reporter, int32_t lFolder, std::intptr_t hWnd) {
  const ShellText folder = shell.SpecialFolder(lFolder, hWnd);
  if (!folder.ok() || TrimAtNull(folder.value).empty()) {
    const int32_t number = folder.ok() ? static_cast<int32_t>(0x80004005) : folder.status;
    reporter.ShowError("FolderLocation", number,
                       "The shell gave no path for special folder " + std::to_string(lFolder) + ".");
    return "";
  }
  return TrimAtNull(folder.value);
}

std::string ShortcutTarget(Shell& shell, const std::string& sShortcutPath) {
  const ShellText target = shell.ShortcutTarget(sShortcutPath);
  return target.ok() ? target.value : std::string(kShortcutTargetError);
}

int32_t ShellOpen(Shell& shell, const std::string& sPathOrAddress) {
  return shell.OpenWithAssociatedProgram(sPathOrAddress);
}

std::string EnsureSuffix(const std::string& s, const std::string& sSuffix) {
  if (s.size() >= sSuffix.size() && s.compare(s.size() - sSuffix.size(), sSuffix.size(), sSuffix) == 0) return s;
  return s + sSuffix;
}

std::string SplitPath(const std::string& sPath, int32_t flags) {
  const size_t dot = sPath.rfind('.');
  const size_t slash = sPath.rfind('\\');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  const std::string folder = sPath.substr(0, nameStart);
  std::string name;
  std::string extension;
  if (dot != std::string::npos && (slash == std::string::npos || slash < dot)) {
    extension = sPath.substr(dot + 1);
    name = sPath.substr(nameStart, dot - nameStart);
  } else {
    name = sPath.substr(nameStart);
  }
  std::string result;
  if (flags & ptFolder) result += folder;
  if (flags & ptName) result += name;
  if (flags & ptExtension) {
    if (!result.empty() && !extension.empty()) result += '.';
    result += extension;
  }
  return result;
}

std::string PathRoot(const std::string& sPath) {
  std::string copy = TrimAtNull(sPath);
  return PathStripToRoot(copy) ? copy : std::string();
}

std::string TrimAtNull(const std::string& s) {
  const size_t nul = s.find('\0');
  return nul == std::string::npos ? s : s.substr(0, nul);
}

FileOpenInfo FileOpenRecord(FileSystem& fs, const std::string& sPath) {
  FileOpenInfo record;
  record.fFixedDisk = fs.OpenableOnFixedDisk(sPath) ? 1 : 0;
  return record;
}

FileInformationRecord FileInformation(FileSystem& fs, const std::string& sPath) {
  FileInformationRecord record;
  if (const auto facts = fs.FileInformation(sPath)) {
    record.ftCreationTime = facts->creationTime;
    record.ftLastAccessTime = facts->lastAccessTime;
    record.ftLastWriteTime = facts->lastWriteTime;
    record.dwVolumeSerialNumber = facts->volumeSerialNumber;
  }
  return record;
}

SystemTime FileTimeToSystemTime(FileTime ft) {
  if (ft > static_cast<FileTime>(INT64_MAX)) return SystemTime{};
  const auto totalSeconds = static_cast<int64_t>(ft / kTicksPerSecond);
  const int64_t days = totalSeconds / kSecondsPerDay;
  int64_t secondOfDay = totalSeconds % kSecondsPerDay;
  int64_t z = days - 134'774 + 719'468;  // days since 1970-01-01, shifted to the 0000-03-01 era origin
  const int64_t era = z / 146'097;
  const int64_t doe = z - era * 146'097;
  const int64_t yoe = (doe - doe / 1460 + doe / 36'524 - doe / 146'096) / 365;
  const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const int64_t mp = (5 * doy + 2) / 153;
  const int64_t d = doy - (153 * mp + 2) / 5 + 1;
  const int64_t m = mp < 10 ? mp + 3 : mp - 9;
  const int64_t y = yoe + era * 400 + (m <= 2);
  SystemTime st;
  st.wYear = static_cast<uint16_t>(y);
  st.wMonth = static_cast<uint16_t>(m);
  st.wDay = static_cast<uint16_t>(d);
  st.wDayOfWeek = static_cast<uint16_t>((days + 1) % 7);  // 1601-01-01 was a Monday
  st.wHour = static_cast<uint16_t>(secondOfDay / 3600);
  secondOfDay %= 3600;
  st.wMinute = static_cast<uint16_t>(secondOfDay / 60);
  st.wSecond = static_cast<uint16_t>(secondOfDay % 60);
  st.wMilliseconds = static_cast<uint16_t>((ft % kTicksPerSecond) / 10'000);
  return st;
}

double FileTimeToDate(FileTime ft) { return SystemTimeToDate(FileTimeToSystemTime(ft)); }

double SystemTimeToDate(const SystemTime& st) {
  if (st.wYear < 100 || st.wYear > 9999 || st.wMonth < 1 || st.wMonth > 12 || st.wDay < 1 ||
      st.wDay > DaysInMonth(st.wYear, st.wMonth) || st.wHour > 23 || st.wMinute > 59 || st.wSecond > 59)
    return 0.0;
  const int64_t days = DaysFromCivil(st.wYear, st.wMonth, st.wDay) - DaysFromCivil(1899, 12, 30);
  const double fraction = (st.wHour * 3600.0 + st.wMinute * 60.0 + st.wSecond) / kSecondsPerDay;
  // Automation dates before the origin keep a negative day count with a positive time of day: -1.25 is
  // 1899-12-29 06:00.
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::string ExpandedFileName(FileSystem& fs, const std::string& sPath) {
  return TrimAtNull(fs.ExpandedName(sPath).value_or(""));
}

std::string ShortPathName(FileSystem& fs, const std::string& sPath) {
  return TrimAtNull(fs.ShortPathName(sPath).value_or(""));
}

int32_t FileAttributes(FileSystem& fs, const std::string& sPath) {
  return static_cast<int32_t>(fs.Attributes(sPath).value_or(file_attribute::kInvalid));
}

int64_t FileLength(FileSystem& fs, const std::string& sPath) {
  return static_cast<int64_t>(fs.FileLength(sPath).value_or(0));
}

VolumeInfo VolumeInformation(FileSystem& fs, const std::string& sRoot) {
  VolumeInfo info;
  info.RootPathName = sRoot;
  if (const auto facts = fs.VolumeInformation(sRoot)) {
    info.VolumeName = TrimAtNull(facts->volumeName);
    info.VolumeSerialNumber = facts->serialNumber;
    info.MaximumComponentLength = facts->maximumComponentLength;
    info.FileSystemFlags = facts->fileSystemFlags;
    info.FileSystemName = TrimAtNull(facts->fileSystemName);
  }
  return info;
}

int32_t CountMatches(FileSystem& fs, const std::string& sSpec) {
  FoundFile entry;
  auto search = fs.FindFirst(sSpec, entry);
  if (!search) return 0;
  int32_t count = 0;
  do {
    ++count;
  } while (search->Next(entry));
  return count;
}

}  // namespace kqm
