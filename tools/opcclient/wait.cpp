#include "wait.h"

#include <thread>

#ifdef _WIN32
#include <windows.h>
#endif

namespace opcclient {

void WaitDispatching(std::chrono::milliseconds duration) {
#ifdef _WIN32
  const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(duration.count());
  for (ULONGLONG now = GetTickCount64(); now < deadline; now = GetTickCount64()) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(deadline - now), QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
  }
#else
  // The native COM layer calls back within the server's call: nothing to dispatch.
  std::this_thread::sleep_for(duration);
#endif
}

}  // namespace opcclient
