#pragma once
// The list of the restarts measured so far in this sequence, shown below the
// text of the countdown and of the result report: one row per History key in
// file order, and an "Average" row on top. Built once when the window is
// made; it is not refreshed afterwards.
#include <cstdint>
#include <optional>

#include "sequence/measurement_store.h"

namespace twk::ui {
class ToolkitWindow;
}

namespace twk::sequence {

// Creates the list in the frame and fills it from the sequence's figures.
// Returns the number of rows whose time column was set, the average row
// included.
int ShowRebootHistory(ui::ToolkitWindow& frame, const MeasurementStore& measurements);

}  // namespace twk::sequence
