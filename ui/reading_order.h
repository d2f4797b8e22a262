#pragma once
// The order in which a reader takes in the controls of a window: line by
// line from the top, each line from the left. Controls that stand side by
// side share a line even when their tops differ by a few pixels (a check
// box's text beside a taller button).
#include <vector>

namespace twk::ui {

struct PlacedControl {
  int id = 0;
  int x = 0, y = 0, width = 0, height = 0;  // in the window's client area
};

// The ids in reading order. A line starts at the highest control left; every
// other control whose middle lies within that control's height joins it.
std::vector<int> ReadingOrder(std::vector<PlacedControl> controls);

}  // namespace twk::ui
