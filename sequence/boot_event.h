#pragma once
// Windows' own figures of a boot, read from the record its boot performance
// diagnostics write some minutes after each logon (event 100), beside the
// durations the sequence measures itself: the two disagree on where a
// restart begins and ends, and the user can compare them.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/text.h"
#include "platform/boot_events.h"
#include "platform/status.h"

namespace twk::sequence {

struct WindowsBootFigures {
  std::int64_t bootStartUtcMs = 0;  // ms since 1601-01-01 UTC, from BootStartTime
  // Milliseconds as Windows counts them; unknown when the record lacks the
  // value (older versions of the record, or a boot it did not finish timing).
  std::optional<std::int64_t> bootTimeMs;          // BootTime
  std::optional<std::int64_t> mainPathBootTimeMs;  // MainPathBootTime
  std::optional<std::int64_t> postBootTimeMs;      // BootPostBootTime
};

// One rendered record. None when it is damaged: not a complete <Event>
// document, not event 100 of the boot performance provider, BootStartTime
// missing or unreadable, or one of the figures (or a second copy of one)
// not a plain unsigned 32-bit number. A figure that is missing or empty is
// unknown and the rest are still read.
[[nodiscard]] std::optional<WindowsBootFigures> ParseBootEvent(std::u16string_view xml);

// The log's newest records, read and parsed, newest first. Damaged records
// are left out (one bad record must not cost the others); a log that cannot
// be read answers why.
[[nodiscard]] platform::Answer<std::vector<WindowsBootFigures>> ReadWindowsBootFigures(
    platform::BootEventLog& log, std::size_t maxCount);

// The record of one restart's boot: the one whose BootStartTime lies in
// [afterUtcMs, beforeUtcMs], from the restart's shutdown stamp to the start
// of the program after it. Should several lie there (a boot Windows began
// on its own in between), the last one is the boot that led to the program.
// None when no record lies there.
[[nodiscard]] std::optional<WindowsBootFigures> MatchBootEvent(
    const std::vector<WindowsBootFigures>& records, std::int64_t afterUtcMs,
    std::int64_t beforeUtcMs);

// What Windows names, in the same log, as having made a boot slower than
// usual (events 101 to 110): an application, a driver, a service, a device,
// the policies, ... with how long it took and how much longer than usual.
struct BootCulprit {
  std::uint16_t event = 0;         // 101 to 110, which says its kind
  Text name;                       // Name, else FriendlyName; empty where it has neither
  std::int64_t totalMs = 0;        // TotalTime
  std::int64_t degradationMs = 0;  // DegradationTime
  bool operator==(const BootCulprit&) const = default;
};

// "application", "driver", "service", "system component", "background
// optimisation", "machine policy", "user policy", "device", "session
// manager" for events 101 to 110.
[[nodiscard]] Text CulpritKind(std::uint16_t event);

// A record as read, with the moment it was written (TimeCreated).
struct WrittenCulprit {
  std::int64_t writtenUtcMs = 0;
  BootCulprit culprit;
};

// One rendered record; none when it is damaged or no event 101 to 110 of
// the boot performance provider, or lacks its time of writing, TotalTime or
// DegradationTime.
[[nodiscard]] std::optional<WrittenCulprit> ParseCulpritEvent(std::u16string_view xml);

// The log's newest such records, read and parsed, newest first; damaged
// ones left out; a log that cannot be read answers why.
[[nodiscard]] platform::Answer<std::vector<WrittenCulprit>> ReadBootCulprits(
    platform::BootEventLog& log, std::size_t maxCount);

// The culprits of one restart's boot: the records written after the
// restart ended (the program's start after it) and before the next restart
// was asked for, oldest first. Windows writes them some minutes after the
// logon.
[[nodiscard]] std::vector<BootCulprit> CulpritsWrittenBetween(
    const std::vector<WrittenCulprit>& records, std::int64_t afterUtcMs, std::int64_t beforeUtcMs);

}  // namespace twk::sequence
