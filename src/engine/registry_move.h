#pragma once
#include <functional>
#include <optional>
#include <string>

#include "engine/move_result.h"
#include "engine/registry_values.h"

namespace kqm {

// One move of a registry value between a launch key and a store.
struct RegistryMove {
  RegPlace from;
  RegPlace to;
  std::string name;
  // What the value held when it was shown; nullopt when it could not be read then (any value now is a change).
  std::optional<RawValue> shown;
  // Who is asked before a different value of that name at `to` is replaced (unset: never).
  ReplaceAsker askReplace;
  // Runs once the source has been checked, before anything is written, with the value about to move; false stops
  // the move with nothing written (may be unset).
  std::function<bool(const RawValue& moving)> beforeWriting;
};

// Moves the value with its type and bytes as stored: checks that the source still holds what was shown, clears
// the destination (the same value already there, or a different one replaced only on a yes), copies and reads the
// copy back, then removes the source and looks again; a failing step takes the destination back to what it was.
// The result says where the value is.
[[nodiscard]] MoveResult MoveRegistryValue(RegistryApi& api, const RegistryMove& move);

}  // namespace kqm
