#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace kqm {

// The registry view an HKEY_LOCAL_MACHINE entry lives in: the program's own (64-bit) one, or the one 32-bit
// programs write (below Software\WOW6432Node).
enum class RegView { kNative, k32 };

// What a row knows about its entry beyond the root (or file name) its tag starts with.
struct EntryMarks {
  RegView view = RegView::kNative;
  bool offByWindows = false;  // a live entry that Windows' own startup approval keeps from starting
  bool userStore = false;     // a switched-off entry kept in the per-user store
  bool operator==(const EntryMarks&) const = default;
};

// A row's tag: `base` (a root tag or a file name), then "|32", "|off" and "|user" for the marks that are set.
std::string MarkedTag(const std::string& base, const EntryMarks& marks);
// The part of a row's tag before its marks.
std::string TagBase(const std::string& tag);
// The marks a row's tag carries.
EntryMarks TagMarks(const std::string& tag);
// The "Path" column's text for an entry's data: `shown`, then "  [32-bit]" and "  [switched off by Windows]".
std::string MarkedText(const std::string& shown, const EntryMarks& marks);

// The "Path" column's mark of a user's entry kept in the machine's store, shared by all users.
inline constexpr const char* kSharedStoreMark = "  [in the machine's shared store]";

// The "Path" column's marks of a file in the Disabled folder that the program did not put there, or that has
// changed since it did.
inline constexpr const char* kUnrecordedMark = "  [not switched off by this program]";
inline constexpr const char* kChangedMark = "  [changed since it was switched off]";

// The "Path" column's marks of a live entry that its program added again while the program keeps a switched-off
// copy: kept off by Windows' own flag, or (RunOnce, RunServices, or where the flag could not be written) on.
inline constexpr const char* kReAddedMark = "  [re-added by its program, kept off by Windows]";
inline constexpr const char* kAlsoOffMark = "  [also switched off]";

// A root tag's text as a 32-bit signed integer (optional sign, surrounding blanks allowed); nullopt otherwise.
std::optional<int32_t> RootTagValue(const std::string& text);

}  // namespace kqm
