#include "platform/win32/win_clock.h"

#include <windows.h>

namespace twk::platform::win32 {

std::uint64_t WinClock::CurrentSecond() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  FILETIME asFileTime{};
  if (!SystemTimeToFileTime(&local, &asFileTime)) return 0;
  ULARGE_INTEGER ticks{};
  ticks.LowPart = asFileTime.dwLowDateTime;
  ticks.HighPart = asFileTime.dwHighDateTime;
  return ticks.QuadPart / 10000000ULL;  // 100-ns units to whole seconds, truncated
}

std::uint64_t WinClock::TickMilliseconds() {
  // GetTickCount64 is missing before Windows Vista; the 32-bit counter wraps
  // after 49.7 days, which this widening carries over.
  const DWORD now = GetTickCount();
  if (now < lastTick_) wraps_ += 1ULL << 32;
  lastTick_ = now;
  return wraps_ + now;
}

}  // namespace twk::platform::win32
