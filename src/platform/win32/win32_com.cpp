#include "platform/win32/win32_com.h"

#include <windows.h>

#include <objbase.h>

namespace kqm {

void KeepComOnThisThread() {
  // A thread that already runs another model keeps it (RPC_E_CHANGED_MODE): COM is usable there as it is.
  thread_local const HRESULT started = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  (void)started;
}

}  // namespace kqm
