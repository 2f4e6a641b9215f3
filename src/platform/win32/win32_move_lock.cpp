#include "platform/win32/win32_move_lock.h"

#include <windows.h>

namespace kqm {

namespace {
constexpr wchar_t kGlobalName[] = L"Global\\KestrumQuorvelManager.Moves";
constexpr wchar_t kSessionName[] = L"Local\\KestrumQuorvelManager.Moves";
}  // namespace

Win32MoveLock::Win32MoveLock() {
  // Making or opening a Global object can be refused to a standard user; the session's lock still keeps his own
  // copies apart.
  mutex_ = CreateMutexW(nullptr, FALSE, kGlobalName);
  if (!mutex_) mutex_ = CreateMutexW(nullptr, FALSE, kSessionName);
}

Win32MoveLock::~Win32MoveLock() {
  if (mutex_) CloseHandle(mutex_);
}

bool Win32MoveLock::Acquire(uint32_t timeoutMs) {
  if (!mutex_) return false;
  // An abandoned mutex (its holder ended mid-move) is ours now; the move reads everything again anyway.
  const DWORD waited = WaitForSingleObject(mutex_, timeoutMs);
  return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
}

void Win32MoveLock::Release() {
  if (mutex_) ReleaseMutex(mutex_);
}

}  // namespace kqm
