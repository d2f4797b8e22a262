#pragma once
// What a bar chart control shows, worked out by the mode that fills it: the
// backends only draw (ui/win32) or record (ui/headless) it.
#include <optional>
#include <vector>

#include "base/text.h"
#include "ui/types.h"

namespace twk::ui {

// 0x00BBGGRR, the form Colour has everywhere in the toolkit.
constexpr Colour Rgb(int red, int green, int blue) { return red | green << 8 | blue << 16; }

// One part of a stacked bar, on the same value scale as the bar.
struct ChartSegment {
  double value = 0;
  Colour colour = 0;
  bool operator==(const ChartSegment&) const = default;
};

struct ChartBar {
  double value = 0;  // height on the value scale; at most the top tick
  Text valueText;    // written above the bar
  Text label;        // written under the bar
  bool highlighted = false;
  // Stacked from the baseline up, first segment lowest; when there are any,
  // they are the bar (value is then their sum) and highlighted is not drawn.
  std::vector<ChartSegment> segments;
  // A column of dots instead of a bar, one per value (each restart of a
  // sequence), with a line across the column at `line` (their median) when
  // there is one; value is then the highest of them, where valueText goes.
  // highlighted draws them in the highlight's colour.
  std::vector<double> dots;
  std::optional<double> line;
};

struct ChartTick {
  double value = 0;
  Text label;
};

// A colour swatch and what it stands for, written across the top of the chart.
struct ChartLegendEntry {
  Text text;
  Colour colour = 0;
  bool operator==(const ChartLegendEntry&) const = default;
};

struct ChartData {
  std::vector<ChartBar> bars;            // left to right
  std::vector<ChartTick> ticks;          // ascending from 0; the last one is the top of the scale
  std::vector<ChartLegendEntry> legend;  // left to right; none: no legend row
  // The display scale it is drawn at: the toolkit fills it in.
  int dpi = kBaseDpi;
  // What the chart shows, in words, for those who cannot see it (a screen
  // reader says it as the chart's name).
  Text description;
};

// The room the plot leaves at the chart's sides (the scale's labels on the
// left): the bars share the rest in equal slots.
inline constexpr int kChartPlotLeft = 40;
inline constexpr int kChartPlotRight = 10;

// The bar whose slot holds x (pixels from the left edge of a chart `width`
// wide, both at the chart's scale), as a click there chooses it; -1 beside
// every slot.
inline int ChartBarAt(const ChartData& chart, int width, int x) {
  const int left = ScaleToDpi(kChartPlotLeft, chart.dpi);
  const int plot = width - left - ScaleToDpi(kChartPlotRight, chart.dpi);
  if (chart.bars.empty() || plot <= 0 || x < left || x >= left + plot) return -1;
  const auto bars = static_cast<long long>(chart.bars.size());
  return static_cast<int>((static_cast<long long>(x - left) * bars) / plot);
}

}  // namespace twk::ui
