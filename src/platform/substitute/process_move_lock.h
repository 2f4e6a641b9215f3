#pragma once
#include <mutex>

#include "platform/move_lock.h"

namespace kqm {

// The move lock within one process: every ProcessMoveLock shares one lock, as every copy of the program shares
// the machine's.
class ProcessMoveLock final : public MoveLock {
 public:
  bool Acquire(uint32_t timeoutMs) override;
  void Release() override;
};

}  // namespace kqm
