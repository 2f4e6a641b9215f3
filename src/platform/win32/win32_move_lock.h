#pragma once
#include "platform/move_lock.h"

namespace kqm {

// The move lock as a named mutex in the machine's Global namespace (every session and user), or, where this user
// may not make one there, in his session's.
class Win32MoveLock final : public MoveLock {
 public:
  Win32MoveLock();
  ~Win32MoveLock() override;
  Win32MoveLock(const Win32MoveLock&) = delete;
  Win32MoveLock& operator=(const Win32MoveLock&) = delete;
  bool Acquire(uint32_t timeoutMs) override;
  void Release() override;

 private:
  void* mutex_ = nullptr;
};

}  // namespace kqm
