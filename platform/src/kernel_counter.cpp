// Monotonic clocks: the performance counter, the tick count and Sleep.
#include <cerrno>
#include <ctime>

#include <winbase.h>

namespace {

constexpr LONGLONG kCounterFrequency = 10'000'000;  // 100 ns units, as Windows reports today
constexpr LONGLONG kNanosecondsPerCount = 1'000'000'000 / kCounterFrequency;

timespec Monotonic() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now;
}

}  // namespace

WINBASEAPI BOOL WINAPI QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount) {
  if (lpPerformanceCount == nullptr) return FALSE;
  const timespec now = Monotonic();
  lpPerformanceCount->QuadPart =
      static_cast<LONGLONG>(now.tv_sec) * kCounterFrequency + now.tv_nsec / kNanosecondsPerCount;
  return TRUE;
}

WINBASEAPI BOOL WINAPI QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency) {
  if (lpFrequency == nullptr) return FALSE;
  lpFrequency->QuadPart = kCounterFrequency;
  return TRUE;
}

WINBASEAPI DWORD WINAPI GetTickCount(void) {
  const timespec now = Monotonic();
  // Wraps every 49.7 days, like the Windows tick count.
  const uint64_t milliseconds = static_cast<uint64_t>(now.tv_sec) * 1000 + static_cast<uint64_t>(now.tv_nsec) / 1'000'000;
  return static_cast<DWORD>(milliseconds);
}

WINBASEAPI void WINAPI Sleep(DWORD dwMilliseconds) {
  timespec remaining{static_cast<time_t>(dwMilliseconds / 1000), static_cast<long>(dwMilliseconds % 1000) * 1'000'000};
  // A signal must not cut the sleep short.
  while (nanosleep(&remaining, &remaining) != 0 && errno == EINTR) {
  }
}
