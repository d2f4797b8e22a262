#pragma once
#include "platform/boot_events.h"

namespace twk::platform::win32 {

// The boot records through the Windows Event Log API. wevtapi.dll is loaded
// from the system folder for each read and freed afterwards, not imported:
// the program must start on systems and under hosts where it is missing or
// only a stub, and a start that never reads the log never loads it.
class WinBootEventLog final : public BootEventLog {
 public:
  [[nodiscard]] Answer<std::vector<Text>> NewestBootRecords(std::size_t maxCount) override;
  [[nodiscard]] Answer<std::vector<Text>> NewestDegradationRecords(std::size_t maxCount) override;
};

}  // namespace twk::platform::win32
