#pragma once
// The list of the restarts measured so far in this sequence, shown below the
// text of the countdown and of the result report: one row per History key in
// file order, and an "Average" row on top. Built once when the window is
// made; it is not refreshed afterwards.
#include <cstdint>
#include <optional>

#include "settings/ini_document.h"

namespace twk::ui {
class ToolkitWindow;
}

namespace twk::sequence {

// The average of the History values, truncated toward zero: none when no row
// was counted or the values add up to 0 (no "Average" row then). The sum is
// kept in 64 bits, so values at the top of the 32-bit range still average
// correctly.
[[nodiscard]] std::optional<std::int32_t> HistoryAverage(std::int64_t sum, std::int32_t count);

// Creates the list in the frame and fills it. Returns the number of rows
// whose time column was set, the average row included.
int ShowRebootHistory(ui::ToolkitWindow& frame, const settings::SettingsFile& settings);

}  // namespace twk::sequence
