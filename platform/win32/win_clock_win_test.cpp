#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <ctime>
#include <optional>

#include "platform/win32/win_clock.h"
#include "platform/win32/win_power.h"

namespace twk::platform::win32 {
namespace {

// Days from 1601-01-01 to the given civil date (proleptic Gregorian), worked
// out independently of the Windows time conversions under test.
std::int64_t DaysSince1601(int year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  const std::int64_t daysSince0000 = era * 146097 + dayOfEra;
  return daysSince0000 - 584694;  // 1601-03-01 based count shifted to 1601-01-01
}

// The C library's local time of the Unix clock, in seconds since 1601.
std::uint64_t ExpectedLocalSecond() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_s(&local, &now) != 0) return 0;
  return static_cast<std::uint64_t>(
      DaysSince1601(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday) * 86400 +
      local.tm_hour * 3600 + local.tm_min * 60 + local.tm_sec);
}

// The reading is local time in seconds since 1601 (eleven digits today),
// and follows the clock.
TEST(WinClockTest, CurrentSecondIsLocalTimeInSecondsSince1601) {
  WinClock clock;
  const std::uint64_t expected = ExpectedLocalSecond();
  const std::uint64_t reading = clock.CurrentSecond();
  ASSERT_NE(expected, 0u);
  const std::int64_t difference =
      static_cast<std::int64_t>(reading) - static_cast<std::int64_t>(expected);
  EXPECT_LE(difference < 0 ? -difference : difference, 2)
      << "reading " << reading << " expected " << expected;
  EXPECT_GE(reading, 10000000000u);
  EXPECT_LT(reading, 100000000000u);

  Sleep(1100);
  const std::uint64_t after = clock.CurrentSecond();
  EXPECT_GE(after, reading + 1);
  EXPECT_LE(after, reading + 3);
}

// Both clocks of one reading: the local second as CurrentSecond has it, the
// UTC milliseconds as the Unix clock has them (1601 to 1970 is 11644473600
// seconds); and the process was created before now, not long ago.
TEST(WinClockTest, NowAndTheProcessCreationReadBothClocks) {
  WinClock clock;
  const ClockReading now = clock.Now();
  const std::uint64_t second = clock.CurrentSecond();
  EXPECT_LE(second - now.localSecond, 1u) << now.localSecond << " vs " << second;
  const std::int64_t unixMs =
      (static_cast<std::int64_t>(std::time(nullptr)) + 11644473600LL) * 1000;
  const std::int64_t apart = now.utcMilliseconds - unixMs;
  EXPECT_LE(apart < 0 ? -apart : apart, 2000) << now.utcMilliseconds << " vs " << unixMs;
  // Local minus UTC is the zone's offset: whole quarter hours within a day.
  const std::int64_t offset =
      static_cast<std::int64_t>(now.localSecond) - now.utcMilliseconds / 1000;
  EXPECT_LE(offset < 0 ? -offset : offset, 14 * 3600) << offset;
  EXPECT_EQ(offset % 900, 0) << "offset " << offset;

  const ClockReading created = clock.ProcessCreated();
  ASSERT_GT(created.utcMilliseconds, 0);
  EXPECT_LE(created.utcMilliseconds, now.utcMilliseconds);
  EXPECT_LT(now.utcMilliseconds - created.utcMilliseconds, 10 * 60 * 1000);
  EXPECT_EQ(static_cast<std::int64_t>(created.localSecond) - created.utcMilliseconds / 1000, offset)
      << "the creation moment converts with the same offset";
}

// The system's processor times only grow, the idle time is part of the
// kernel time, and between two readings all processors together account for
// about the time that passed.
TEST(WinClockTest, SystemCpuTimesGrowAndKernelTimeHoldsTheIdleTime) {
  WinClock clock;
  const DWORD startTick = GetTickCount();
  const std::optional<CpuTimes> first = clock.SystemCpuTimes();
  Sleep(200);
  const std::optional<CpuTimes> second = clock.SystemCpuTimes();
  const DWORD elapsedMs = GetTickCount() - startTick;
  ASSERT_TRUE(first.has_value()) << "GetSystemTimes failed, error " << GetLastError();
  ASSERT_TRUE(second.has_value()) << "GetSystemTimes failed, error " << GetLastError();
  ASSERT_GE(second->idle, first->idle) << first->idle << " then " << second->idle;
  ASSERT_GE(second->kernel, first->kernel) << first->kernel << " then " << second->kernel;
  ASSERT_GE(second->user, first->user) << first->user << " then " << second->user;

  const std::uint64_t idle = second->idle - first->idle;
  const std::uint64_t kernel = second->kernel - first->kernel;
  const std::uint64_t user = second->user - first->user;
  EXPECT_GE(kernel, idle) << "idle " << idle << " kernel " << kernel;
  SYSTEM_INFO system{};
  GetSystemInfo(&system);
  const std::uint64_t expected = std::uint64_t{elapsedMs} * 10000 * system.dwNumberOfProcessors;
  EXPECT_GE((kernel + user) * 2, expected)
      << "kernel + user " << kernel + user << " over " << elapsedMs << " ms on "
      << system.dwNumberOfProcessors << " processors";
  EXPECT_LE(kernel + user, expected * 2)
      << "kernel + user " << kernel + user << " over " << elapsedMs << " ms on "
      << system.dwNumberOfProcessors << " processors";
}

TEST(WinPowerTest, KeepSystemAwakeLeavesTheSystemRequiredStateSet) {
  WinPower power;
  power.KeepSystemAwake();
  // SetThreadExecutionState returns the state it replaces.
  const EXECUTION_STATE previous = SetThreadExecutionState(ES_CONTINUOUS);
  EXPECT_EQ(previous & (ES_CONTINUOUS | ES_SYSTEM_REQUIRED), ES_CONTINUOUS | ES_SYSTEM_REQUIRED)
      << std::hex << previous;
}

}  // namespace
}  // namespace twk::platform::win32
