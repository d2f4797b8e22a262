#pragma once
// The measurements of a reboot sequence. A restart's duration is the
// difference of two clock readings kept in the settings document: one taken
// just before the restart is requested (a shutdown stamp), one when the
// program runs again after logon (a boot-up stamp). These operations never
// save the file; their callers do, at their commit points.
#include <cstdint>

#include "platform/clock.h"
#include "settings/catalogue.h"
#include "settings/ini_document.h"
#include "base/strings.h"

namespace twk::sequence {

enum class TimeStampKind : int {
  SequenceStart = 1,  // clears both sections, stamps FirstShutDown
  FirstBootUp = 2,    // stamps FirstBootUp and records restart 1
  LastShutDown = 3,   // stamps LastShutDown
  LastBootUp = 4,     // stamps LastBootUp, only the first time
};

// The number rule of every measured value: whole numbers as plain signed
// decimals; a fraction with as many decimals as it needs (at most 11), the
// last one truncated, never rounded. 16.666... gives 16.6666666666.
[[nodiscard]] Text FormatNumber(double value);

// A stored stamp as a number, read the way wcstod reads decimal notation
// (leading white space, sign, digits, a point, an exponent; it stops at the
// first character that does not fit). No number at all reads as 0.
[[nodiscard]] double ParseStamp(const Text& text);

// section/key := FormatNumber(seconds), where seconds 0 means the clock
// reading now. True when the document accepted the value.
bool StoreTimeStamp(settings::SettingsFile& settings, platform::Clock& clock,
                    const Text& key = settings::key::LastShutDown,
                    const Text& section = settings::section::TimeStamps, double seconds = 0);

// Writes the History value of restart currentReboot - 1 (the restart that
// has just ended): bootSecond (0 = now) minus the shutdown stamp before it
// (FirstShutDown for restart 1, LastShutDown for every later one). A value
// already there is kept: a start repeated with the same command line must
// not measure again. True when a value was written.
bool RecordRebootDuration(settings::SettingsFile& settings, platform::Clock& clock,
                          std::uint32_t currentReboot, std::uint64_t bootSecond);

// One stamp of the kinds above. False for an unknown kind, which does nothing.
bool RecordTimeStamp(settings::SettingsFile& settings, platform::Clock& clock,
                     std::uint32_t currentReboot, TimeStampKind kind);

}  // namespace twk::sequence
