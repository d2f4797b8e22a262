#pragma once
// What the boot figures need of the event log: the records Windows writes
// after each logon with its own durations of that boot (event 100 of its
// boot performance log), as the XML the log renders them to. Reading them is
// the logic's business (sequence/boot_event.h), so that damaged or unusual
// records can be tried on the fakes.
#include <cstddef>
#include <vector>

#include "base/text.h"
#include "platform/status.h"

namespace twk::platform {

class BootEventLog {
 public:
  virtual ~BootEventLog() = default;

  // The rendered XML of the newest boot records, newest first, at most
  // maxCount of them (none asked, none answered). An empty list is an
  // answer: the log is there and holds no boot yet. Reading that log
  // usually needs administrator rights, so Denied is kept apart: it says
  // "ask again elevated", which Failed or NotFound (no such log on this
  // edition of Windows) do not.
  [[nodiscard]] virtual Answer<std::vector<Text>> NewestBootRecords(std::size_t maxCount) = 0;
  // The same for the records that name what made a boot slower than usual
  // (events 101 to 110 of the same log: an application, a driver, a
  // service, ...), newest first.
  [[nodiscard]] virtual Answer<std::vector<Text>> NewestDegradationRecords(
      std::size_t maxCount) = 0;
};

}  // namespace twk::platform
