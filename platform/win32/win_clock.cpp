#include "platform/win32/win_clock.h"

#include <windows.h>

namespace twk::platform::win32 {
namespace {

std::uint64_t Ticks(const FILETIME& time) {
  ULARGE_INTEGER ticks{};
  ticks.LowPart = time.dwLowDateTime;
  ticks.HighPart = time.dwHighDateTime;
  return ticks.QuadPart;
}

// A UTC file time in both clocks. The local second goes through the same
// conversion GetLocalTime uses (the bias in force now), so that it matches
// CurrentSecond for the same moment.
ClockReading ReadingOf(const FILETIME& utc) {
  ClockReading reading;
  reading.utcMilliseconds = static_cast<std::int64_t>(Ticks(utc) / 10000ULL);
  FILETIME local{};
  if (FileTimeToLocalFileTime(&utc, &local)) reading.localSecond = Ticks(local) / 10000000ULL;
  return reading;
}

}  // namespace

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

ClockReading WinClock::Now() {
  FILETIME utc{};
  GetSystemTimeAsFileTime(&utc);
  return ReadingOf(utc);
}

ClockReading WinClock::ProcessCreated() {
  FILETIME created{}, exited{}, kernel{}, user{};
  if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return {};
  return ReadingOf(created);
}

std::optional<CpuTimes> WinClock::SystemCpuTimes() {
  FILETIME idle{}, kernel{}, user{};
  if (!GetSystemTimes(&idle, &kernel, &user)) return std::nullopt;
  return CpuTimes{Ticks(idle), Ticks(kernel), Ticks(user)};
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
