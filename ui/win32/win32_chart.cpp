// The bar chart control: a static window whose painting is taken over.
// Every paint draws the whole chart with GDI+ into a memory bitmap and copies
// it to the window in one BitBlt, and the background is never erased on its
// own, so a repaint does not flicker. Bars are plain or stacked from
// coloured segments; a legend, when the chart has one, takes a row above
// the plot.
#include <algorithm>
#include <cstdint>
#include <utility>
#include <vector>

#include "ui/win32/gdiplus_owners.h"
#include "ui/win32/win32_backend.h"
// after windows.h
#include <commctrl.h>

namespace twk::ui {
namespace {

namespace gp = Gdiplus::DllExports;
using Gdiplus::Ok;
using gdiplus::UniqueGpBrush;
using gdiplus::UniqueGpFont;
using gdiplus::UniqueGpGraphics;
using gdiplus::UniqueGpPen;
using gdiplus::UniqueGpStringFormat;

// Colours (ARGB).
constexpr Gdiplus::ARGB kBackground = 0xFFFFFFFF;
constexpr Gdiplus::ARGB kBorder = 0xFFC8C8C8;
constexpr Gdiplus::ARGB kGrid = 0xFFE4E4E4;
constexpr Gdiplus::ARGB kAxis = 0xFF707070;
constexpr Gdiplus::ARGB kText = 0xFF303030;
constexpr Gdiplus::ARGB kBar = 0xFF6F93BF;          // the kept sequences: muted blue
constexpr Gdiplus::ARGB kHighlighted = 0xFFE07A1F;  // the current one: orange

// Room around the plot: tick labels on the left, values above the bars,
// labels below the axis.
constexpr float kLeft = static_cast<float>(kChartPlotLeft);
constexpr float kRight = static_cast<float>(kChartPlotRight);
constexpr float kTop = 18.0f;
constexpr float kBottom = 20.0f;
constexpr float kMaxBarWidth = 30.0f;
constexpr float kTextHeight = 14.0f;
constexpr float kLegendRow = 18.0f;  // above the values of the tallest bars
constexpr float kSwatch = 10.0f;
constexpr float kTextGap = 4.0f;  // the least room between two texts side by side

// The toolkit's 0x00BBGGRR as GDI+'s opaque ARGB.
Gdiplus::ARGB ArgbOf(Colour colour) {
  const auto c = static_cast<std::uint32_t>(colour);
  return 0xFF000000u | (c & 0xFFu) << 16 | (c & 0xFF00u) | (c >> 16 & 0xFFu);
}

UniqueGpBrush SolidBrush(Gdiplus::ARGB colour) {
  Gdiplus::GpSolidFill* fill = nullptr;
  if (gp::GdipCreateSolidFill(colour, &fill) != Ok) return UniqueGpBrush();
  return UniqueGpBrush(fill);
}

UniqueGpPen SolidPen(Gdiplus::ARGB colour) {
  UniqueGpPen pen;
  if (gp::GdipCreatePen1(colour, 1.0f, Gdiplus::UnitPixel, pen.Receive()) != Ok) pen.Reset();
  return pen;
}

UniqueGpStringFormat AlignedFormat(Gdiplus::StringAlignment horizontal) {
  UniqueGpStringFormat format;
  if (gp::GdipCreateStringFormat(0, LANG_NEUTRAL, format.Receive()) != Ok)
    return UniqueGpStringFormat();
  gp::GdipSetStringFormatAlign(format.get(), horizontal);
  gp::GdipSetStringFormatLineAlign(format.get(), Gdiplus::StringAlignmentCenter);
  gp::GdipSetStringFormatFlags(format.get(), Gdiplus::StringFormatFlagsNoWrap);
  return format;
}

void DrawText(Gdiplus::GpGraphics* g, const Text& text, Gdiplus::GpFont* font,
              Gdiplus::GpStringFormat* format, Gdiplus::GpBrush* brush, float x, float y, float w,
              float h) {
  if (text.empty() || font == nullptr || format == nullptr || brush == nullptr) return;
  const Gdiplus::RectF box(x, y, w, h);
  gp::GdipDrawString(g, reinterpret_cast<const WCHAR*>(text.c_str()), static_cast<INT>(text.size()),
                     font, &box, format, brush);
}

// The width the text takes in this font; 0 when it cannot be measured.
float TextWidth(Gdiplus::GpGraphics* g, const Text& text, Gdiplus::GpFont* font,
                Gdiplus::GpStringFormat* format) {
  if (text.empty() || font == nullptr || format == nullptr) return 0.0f;
  const Gdiplus::RectF layout(0.0f, 0.0f, 10000.0f, kTextHeight);
  Gdiplus::RectF bound;
  if (gp::GdipMeasureString(g, reinterpret_cast<const WCHAR*>(text.c_str()),
                            static_cast<INT>(text.size()), font, &layout, format, &bound, nullptr,
                            nullptr) != Ok) {
    return 0.0f;
  }
  return bound.Width;
}

// Every how many bars a row of texts is written: 1, 2 or 5 times a power of
// ten, the fewest that keep the widest text of the row clear of the next.
// A chart of a hundred restarts then numbers every fifth bar.
std::size_t TextStep(float widest, float slot) {
  if (widest <= 0.0f || slot <= 0.0f) return 1;
  for (std::size_t magnitude = 1;; magnitude *= 10) {
    for (const std::size_t factor : {1u, 2u, 5u}) {
      const std::size_t step = magnitude * factor;
      if (static_cast<float>(step) * slot >= widest + kTextGap || magnitude > 100000) return step;
    }
  }
}

// Which bars get their text: all of them when the texts fit side by side,
// else every step-th counted from 1 (the 5th, the 10th...), as a scale is read.
bool Written(std::size_t index, std::size_t step) { return step == 1 || (index + 1) % step == 0; }

void DrawLegend(Gdiplus::GpGraphics* g, const ChartData& chart, Gdiplus::GpFont* font,
                Gdiplus::GpStringFormat* left, Gdiplus::GpBrush* ink, float x, float right) {
  const float y = 3.0f;
  for (const ChartLegendEntry& entry : chart.legend) {
    const float textWidth = TextWidth(g, entry.text, font, left);
    if (x + kSwatch + kTextGap + textWidth > right) break;  // no half entries
    const UniqueGpBrush swatch = SolidBrush(ArgbOf(entry.colour));
    if (swatch) {
      gp::GdipFillRectangle(g, swatch.get(), x, y + (kTextHeight - kSwatch) / 2, kSwatch, kSwatch);
    }
    x += kSwatch + kTextGap;
    DrawText(g, entry.text, font, left, ink, x, y, textWidth + 2.0f, kTextHeight);
    x += textWidth + 3.0f * kTextGap;
  }
}

// A column of dots, one per value, set side by side in five lanes so that
// equal values stay countable, and the line across them; answers the top
// of the highest, where the column's text goes.
template <class YOf>
float DrawDots(Gdiplus::GpGraphics* g, const ChartBar& bar, float centre, float barWidth,
               const YOf& yOf, const UniqueGpBrush& fill) {
  constexpr float kDot = 8.0f;
  constexpr float kLane = 7.0f;
  float highest = yOf(bar.line.value_or(0.0));
  gp::GdipSetSmoothingMode(g, Gdiplus::SmoothingModeAntiAlias);
  for (std::size_t k = 0; k < bar.dots.size(); ++k) {
    const float x = centre + (static_cast<float>(k % 5) - 2.0f) * kLane;
    const float y = yOf(bar.dots[k]);
    if (fill) gp::GdipFillEllipse(g, fill.get(), x - kDot / 2, y - kDot / 2, kDot, kDot);
    highest = std::min(highest, y - kDot / 2);
  }
  gp::GdipSetSmoothingMode(g, Gdiplus::SmoothingModeNone);
  if (bar.line) {
    UniqueGpPen pen;
    if (gp::GdipCreatePen1(kText, 2.0f, Gdiplus::UnitPixel, pen.Receive()) == Ok) {
      const float y = yOf(*bar.line);
      const float half = std::max(barWidth, 5 * kLane + kDot) / 2 + 4.0f;
      gp::GdipDrawLine(g, pen.get(), centre - half, y, centre + half, y);
    }
  }
  return highest;
}

void DrawChart(Gdiplus::GpGraphics* g, HDC dc, const ChartData& chart, int width, int height) {
  gp::GdipSetSmoothingMode(g, Gdiplus::SmoothingModeNone);
  gp::GdipSetTextRenderingHint(g, Gdiplus::TextRenderingHintAntiAliasGridFit);
  gp::GdipGraphicsClear(g, kBackground);
  // Laid out at 96 DPI, on a drawing scaled to the chart's display scale.
  const float scale = static_cast<float>(chart.dpi > 0 ? chart.dpi : kBaseDpi) / kBaseDpi;
  if (scale != 1.0f) {
    gp::GdipScaleWorldTransform(g, scale, scale, Gdiplus::MatrixOrderPrepend);
    width = static_cast<int>(static_cast<float>(width) / scale + 0.5f);
    height = static_cast<int>(static_cast<float>(height) / scale + 0.5f);
  }
  const UniqueGpPen border = SolidPen(kBorder);
  if (border) gp::GdipDrawRectangleI(g, border.get(), 0, 0, width - 1, height - 1);

  // The control's own font (given through the toolkit, so GDI's font
  // substitution has found a face for it); a generic sans-serif face of the
  // same size when GDI+ cannot take it.
  UniqueGpFont font;
  if (dc != nullptr && gp::GdipCreateFontFromDC(dc, font.Receive()) == Ok && scale != 1.0f) {
    // The control's font is at the display scale already; under the scaled
    // drawing below it is wanted at its 96-DPI size.
    Gdiplus::GpFontFamily* family = nullptr;
    float size = 0;
    INT style = 0;
    Gdiplus::Unit unit = Gdiplus::UnitPixel;
    UniqueGpFont unscaled;
    if (gp::GdipGetFamily(font.get(), &family) == Ok && gp::GdipGetFontSize(font.get(), &size) == Ok &&
        gp::GdipGetFontStyle(font.get(), &style) == Ok && gp::GdipGetFontUnit(font.get(), &unit) == Ok &&
        gp::GdipCreateFont(family, size / scale, style, unit, unscaled.Receive()) == Ok) {
      font = std::move(unscaled);
    }
    if (family != nullptr) gp::GdipDeleteFontFamily(family);
  }
  if (!font) {
    font.Reset();
    // The generic family belongs to GDI+ and is not deleted.
    Gdiplus::GpFontFamily* family = nullptr;
    if (gp::GdipGetGenericFontFamilySansSerif(&family) == Ok &&
        gp::GdipCreateFont(family, 11.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel,
                           font.Receive()) != Ok) {
      font.Reset();
    }
  }
  const UniqueGpStringFormat centred = AlignedFormat(Gdiplus::StringAlignmentCenter);
  const UniqueGpStringFormat right = AlignedFormat(Gdiplus::StringAlignmentFar);
  const UniqueGpStringFormat left = AlignedFormat(Gdiplus::StringAlignmentNear);
  const UniqueGpBrush ink = SolidBrush(kText);

  const float plotLeft = kLeft;
  const float plotRight = static_cast<float>(width) - kRight;
  const float plotTop = kTop + (chart.legend.empty() ? 0.0f : kLegendRow);
  if (!chart.legend.empty()) {
    DrawLegend(g, chart, font.get(), left.get(), ink.get(), plotLeft, plotRight);
  }
  const float baseline = static_cast<float>(height) - kBottom;
  const double top = chart.ticks.empty() ? 0.0 : chart.ticks.back().value;
  auto yOf = [&](double value) {
    if (top <= 0) return baseline;
    const double clamped = std::clamp(value, 0.0, top);
    return baseline - static_cast<float>(clamped / top) * (baseline - plotTop);
  };

  const UniqueGpPen grid = SolidPen(kGrid);
  for (const ChartTick& tick : chart.ticks) {
    const float y = yOf(tick.value);
    if (grid && tick.value > 0) gp::GdipDrawLine(g, grid.get(), plotLeft, y, plotRight, y);
    DrawText(g, tick.label, font.get(), right.get(), ink.get(), 0.0f, y - kTextHeight / 2,
             plotLeft - 6.0f, kTextHeight);
  }
  const UniqueGpPen axis = SolidPen(kAxis);
  if (axis) gp::GdipDrawLine(g, axis.get(), plotLeft, baseline, plotRight, baseline);

  if (chart.bars.empty()) return;
  const float slot = (plotRight - plotLeft) / static_cast<float>(chart.bars.size());
  const float barWidth = std::min(kMaxBarWidth, slot * 0.6f);
  const UniqueGpBrush normal = SolidBrush(kBar);
  const UniqueGpBrush highlighted = SolidBrush(kHighlighted);
  // One brush per colour of the segments, made once for the whole chart.
  std::vector<std::pair<Colour, UniqueGpBrush>> segmentBrushes;
  const auto brushOf = [&segmentBrushes](Colour colour) -> Gdiplus::GpBrush* {
    for (const auto& [c, brush] : segmentBrushes) {
      if (c == colour) return brush.get();
    }
    segmentBrushes.emplace_back(colour, SolidBrush(ArgbOf(colour)));
    return segmentBrushes.back().second.get();
  };
  // Values and labels are measured once per row: a hundred bars leave about
  // five pixels each, and their texts would run into each other.
  float widestValue = 0.0f, widestLabel = 0.0f;
  for (const ChartBar& bar : chart.bars) {
    widestValue = std::max(widestValue, TextWidth(g, bar.valueText, font.get(), centred.get()));
    widestLabel = std::max(widestLabel, TextWidth(g, bar.label, font.get(), centred.get()));
  }
  const std::size_t valueStep = TextStep(widestValue, slot);
  const std::size_t labelStep = TextStep(widestLabel, slot);
  const float valueBox = std::max(slot, widestValue + kTextGap);
  const float labelBox = std::max(slot, widestLabel + kTextGap);

  for (std::size_t i = 0; i < chart.bars.size(); ++i) {
    const ChartBar& bar = chart.bars[i];
    const float centre = plotLeft + slot * (static_cast<float>(i) + 0.5f);
    float y = yOf(bar.value);
    if (!bar.dots.empty() || bar.line) {
      y = DrawDots(g, bar, centre, barWidth, yOf, bar.highlighted ? highlighted : normal);
    } else if (bar.segments.empty()) {
      const UniqueGpBrush& fill = bar.highlighted ? highlighted : normal;
      if (fill && baseline - y >= 1.0f) {
        gp::GdipFillRectangle(g, fill.get(), centre - barWidth / 2, y, barWidth, baseline - y);
      }
    } else {
      // Each segment from where the one below ended, on the running sum, so
      // that rounding never leaves a gap between two of them.
      double sum = 0;
      float bottom = baseline;
      for (const ChartSegment& segment : bar.segments) {
        sum += std::max(0.0, segment.value);
        const float top = yOf(sum);
        Gdiplus::GpBrush* fill = brushOf(segment.colour);
        if (fill != nullptr && bottom - top >= 1.0f) {
          gp::GdipFillRectangle(g, fill, centre - barWidth / 2, top, barWidth, bottom - top);
        }
        bottom = top;
      }
      y = bottom;
    }
    if (Written(i, valueStep)) {
      DrawText(g, bar.valueText, font.get(), centred.get(), ink.get(), centre - valueBox / 2,
               y - kTextHeight - 1.0f, valueBox, kTextHeight);
    }
    if (Written(i, labelStep)) {
      DrawText(g, bar.label, font.get(), centred.get(), ink.get(), centre - labelBox / 2,
               baseline + 3.0f, labelBox, kTextHeight);
    }
  }
}

}  // namespace

void Win32Backend::SetChartData(Handle chart, const ChartData& data) {
  const HWND window = ToHwnd(chart);
  ControlInfo* info = FindControl(window);
  if (info == nullptr || info->kind != ControlKind::Chart) return;
  info->chart = data;
  info->clickedBar = -1;
  InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR ref) {
  auto& info = *reinterpret_cast<Win32Backend::ControlInfo*>(ref);
  if (message == WM_ERASEBKGND) return 1;  // the paint covers every pixel
  if (message == WM_LBUTTONDOWN) {
    // The bar under the click, for the window that the click (a notifying
    // static's command) tells.
    RECT client = {};
    GetClientRect(window, &client);
    info.clickedBar = ChartBarAt(info.chart, client.right, static_cast<short>(LOWORD(lParam)));
  }
  if (message != WM_PAINT) return DefSubclassProc(window, message, wParam, lParam);
  using namespace platform::win32;
  const PaintGuard paint(window);
  RECT client = {};
  GetClientRect(window, &client);
  const int width = client.right;
  const int height = client.bottom;
  if (paint.dc() == nullptr || width <= 0 || height <= 0) return 0;
  const UniqueMemoryDc memoryDc(CreateCompatibleDC(paint.dc()));
  const UniqueBitmap bitmap(CreateCompatibleBitmap(paint.dc(), width, height));
  if (!memoryDc || !bitmap) return 0;
  {
    const SelectedObject selected(memoryDc.get(), bitmap.get());
    // The font is only read from the DC here: GDI+ makes its own of it.
    const HGDIOBJ font =
        info.font ? static_cast<HGDIOBJ>(info.font.get()) : GetStockObject(DEFAULT_GUI_FONT);
    const SelectedObject selectedFont(memoryDc.get(), font);
    {
      UniqueGpGraphics g;
      if (gp::GdipCreateFromHDC(memoryDc.get(), g.Receive()) == Ok) {
        DrawChart(g.get(), memoryDc.get(), info.chart, width, height);
      }
    }  // GDI+ lets go of the memory DC before it is copied
    BitBlt(paint.dc(), 0, 0, width, height, memoryDc.get(), 0, 0, SRCCOPY);
  }
  return 0;
}

}  // namespace twk::ui
