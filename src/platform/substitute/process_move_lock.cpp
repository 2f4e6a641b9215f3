#include "platform/substitute/process_move_lock.h"

#include <chrono>

namespace kqm {

namespace {
std::timed_mutex& SharedLock() {
  static std::timed_mutex lock;
  return lock;
}
}  // namespace

bool ProcessMoveLock::Acquire(uint32_t timeoutMs) {
  return SharedLock().try_lock_for(std::chrono::milliseconds(timeoutMs));
}

void ProcessMoveLock::Release() { SharedLock().unlock(); }

}  // namespace kqm
