#pragma once
#include <functional>
#include <string>
#include <vector>

#include "engine/move_result.h"
#include "engine/startup_entry.h"
#include "platform/registry_api.h"

namespace kqm {

// Marks every live entry whose twin (the same identity) is also switched off in the program's store: its program
// added it again after it was switched off.
void MarkAlsoOff(std::vector<StartupEntry>& entries);

// After a successful move into the store (`moved`), writes Windows' own "off" flag for the entry's name where
// Windows keeps one (Run of both roots and views, the StartUp folders), so that Windows keeps the entry from
// starting should its program add it again. A flag that cannot be written is a note: the move itself is done.
void KeepOffByWindows(RegistryApi& api, const StartupEntry& entry, MoveResult& moved);

// Asked when the user switches on an entry its program added again while the program kept a switched-off copy.
struct KeepQuestion {
  std::string name;         // the entry's caption
  std::string reAdded;      // what the one added again starts
  std::string switchedOff;  // what the switched-off copy starts
  std::string storedIn;     // where the switched-off copy is kept
};
enum class KeepChoice : uint8_t {
  kReAdded,      // the one added again starts; the switched-off copy is removed
  kSwitchedOff,  // the switched-off copy goes back in its place (replacing the one added again) and starts
  kBoth,         // nothing changes
};
// Answers the question; without one, both are kept.
using KeepAsker = std::function<KeepChoice(const KeepQuestion&)>;

// The question's text, and the captions of its three answers in KeepChoice's order.
std::string KeepQuestionText(const KeepQuestion& question);
std::vector<std::string> KeepChoiceCaptions();

}  // namespace kqm
