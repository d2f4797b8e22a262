#pragma once
// Where the time of one restart goes. Our own split runs from the shutdown
// stamp to the moment Windows started (shutdown and firmware), from there to
// the moment the logon started this program (Windows' own start, the logon,
// the desktop, the Run value), and from there to the moment the desktop was
// ready (idle by the rule Windows' performance recorder uses for the end of
// a boot). Beside them are the firmware's share as Windows records it and
// Windows' own figures of that boot from its diagnostics log, when they can
// be read. Every figure is whole milliseconds or unknown, never made up.
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/strings.h"

namespace twk::sequence {

enum class Phase : std::size_t {
  ShutdownFirmware,  // shutdown stamp -> Windows started
  WindowsStart,      // Windows started -> this program created
  DesktopReady,      // program created -> desktop ready
  Firmware,          // the firmware's share (FwPOSTTime)
  WindowsBoot,       // Windows' BootTime
  WindowsMainPath,   // Windows' MainPathBootTime
  WindowsPostBoot,   // Windows' BootPostBootTime
  // The restart's two ends, in UTC milliseconds since 1601: the window in
  // which Windows' own record of this boot must have started.
  ShutdownAt,
  CreatedAt,
};
inline constexpr std::size_t kPhaseCount = 9;

struct RestartPhases {
  std::array<std::optional<std::int64_t>, kPhaseCount> ms;

  std::optional<std::int64_t>& operator[](Phase p) { return ms[static_cast<std::size_t>(p)]; }
  const std::optional<std::int64_t>& operator[](Phase p) const {
    return ms[static_cast<std::size_t>(p)];
  }
  [[nodiscard]] bool Any() const;
  // Takes every figure `known` has; true when one was new or different.
  bool Merge(const RestartPhases& known);
  bool operator==(const RestartPhases&) const = default;
};

// As kept in the settings file: nine tokens, whole milliseconds or "?",
// separated by one blank ("61200 3100 ? ? ? ? ? 13353768000000 13353768064300").
[[nodiscard]] Text FormatPhases(const RestartPhases& phases);
// None unless the text is exactly nine such tokens.
[[nodiscard]] std::optional<RestartPhases> ParsePhases(const Text& text);

// What decided the moment the desktop was ready: the processors alone, or
// the processors and the system disk together. The disk counts wherever its
// counters can be read; where they cannot (a driver without them, or Wine),
// the processors decide alone, and the figures of the two rules are not the
// same measurement: the rule is kept beside the moment.
enum class ReadyRule : std::uint8_t { Cpu, CpuAndDisk };

// As kept and exported: "cpu" or "cpu+disk".
[[nodiscard]] Text ReadyRuleName(ReadyRule rule);
// None for any other text.
[[nodiscard]] std::optional<ReadyRule> ParseReadyRule(const Text& text);

// The moments of one restart, each in UTC milliseconds since 1601 (none
// where unknown).
struct RestartMoments {
  std::optional<std::int64_t> shutdown;        // the shutdown stamp
  std::optional<std::int64_t> windowsStarted;  // a UTC reading minus the uptime then
  std::optional<std::int64_t> created;         // this program's creation
  std::optional<std::int64_t> firmwareMs;      // FwPOSTTime, when Windows wrote one
};

// Our split of the restart. A moment out of order makes the phases around
// it unknown: an uptime older than the shutdown stamp (as under Wine, whose
// uptime is the host's) cannot tell when this Windows started.
[[nodiscard]] RestartPhases SplitRestart(const RestartMoments& moments);

}  // namespace twk::sequence
