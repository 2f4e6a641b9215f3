#pragma once
#include <cstdint>

namespace kqm {

// One lock shared by every copy of the program on the machine (the window and a script, two windows, two users),
// held around each move of a startup entry, so that no copy acts on what it read while another is moving.
class MoveLock {
 public:
  virtual ~MoveLock() = default;
  // Takes the lock, waiting at most `timeoutMs` milliseconds; true when this thread holds it now. A copy that
  // ended while holding it leaves it free.
  virtual bool Acquire(uint32_t timeoutMs) = 0;
  // Lets go of a lock Acquire took.
  virtual void Release() = 0;
};

// Holds a lock for one scope.
class MoveLockScope {
 public:
  // Takes `lock` (when there is one), waiting at most `timeoutMs`.
  MoveLockScope(MoveLock* lock, uint32_t timeoutMs) : lock_(lock), held_(!lock || lock->Acquire(timeoutMs)) {}
  ~MoveLockScope() {
    if (lock_ && held_) lock_->Release();
  }
  MoveLockScope(const MoveLockScope&) = delete;
  MoveLockScope& operator=(const MoveLockScope&) = delete;
  // True when the scope may go ahead: the lock is held (or there is none).
  bool Held() const { return held_; }

 private:
  MoveLock* lock_;
  bool held_;
};

}  // namespace kqm
