#pragma once
// What a bar chart control shows, worked out by the mode that fills it: the
// backends only draw (ui/win32) or record (ui/headless) it.
#include <vector>

#include "base/text.h"

namespace twk::ui {

struct ChartBar {
  double value = 0;  // height on the value scale; at most the top tick
  Text valueText;    // written above the bar
  Text label;        // written under the bar
  bool highlighted = false;
};

struct ChartTick {
  double value = 0;
  Text label;
};

struct ChartData {
  std::vector<ChartBar> bars;    // left to right
  std::vector<ChartTick> ticks;  // ascending from 0; the last one is the top of the scale
};

}  // namespace twk::ui
