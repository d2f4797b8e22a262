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

}  // namespace twk::platform::win32
