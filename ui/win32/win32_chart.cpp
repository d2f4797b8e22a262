// The bar chart control: a static window whose painting is taken over.
// Every paint draws the whole chart with GDI+ into a memory bitmap and copies
// it to the window in one BitBlt, and the background is never erased on its
// own, so a repaint does not flicker.
#include <objidl.h>

#include <algorithm>
// The GDI+ headers use min and max unqualified.
using std::max;
using std::min;
#include <gdiplus.h>

#include "platform/win32/handles.h"
#include "ui/win32/win32_backend.h"
// after windows.h
#include <commctrl.h>

namespace twk::ui {
namespace {

namespace gp = Gdiplus::DllExports;
using Gdiplus::Ok;
using platform::win32::NullIsNone;
using platform::win32::UniqueHandle;

void DeleteGraphics(Gdiplus::GpGraphics* g) { gp::GdipDeleteGraphics(g); }
void DeleteBrush(Gdiplus::GpBrush* b) { gp::GdipDeleteBrush(b); }
void DeletePen(Gdiplus::GpPen* p) { gp::GdipDeletePen(p); }
void DeleteFont(Gdiplus::GpFont* f) { gp::GdipDeleteFont(f); }
void DeleteFormat(Gdiplus::GpStringFormat* f) { gp::GdipDeleteStringFormat(f); }
using Graphics = UniqueHandle<NullIsNone<Gdiplus::GpGraphics*, DeleteGraphics>>;
using Brush = UniqueHandle<NullIsNone<Gdiplus::GpBrush*, DeleteBrush>>;
using Pen = UniqueHandle<NullIsNone<Gdiplus::GpPen*, DeletePen>>;
using Font = UniqueHandle<NullIsNone<Gdiplus::GpFont*, DeleteFont>>;
using Format = UniqueHandle<NullIsNone<Gdiplus::GpStringFormat*, DeleteFormat>>;

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
constexpr float kLeft = 40.0f;
constexpr float kRight = 10.0f;
constexpr float kTop = 18.0f;
constexpr float kBottom = 20.0f;
constexpr float kMaxBarWidth = 30.0f;
constexpr float kTextHeight = 14.0f;

Brush SolidBrush(Gdiplus::ARGB colour) {
  Gdiplus::GpSolidFill* fill = nullptr;
  if (gp::GdipCreateSolidFill(colour, &fill) != Ok) return Brush();
  return Brush(fill);
}

Pen SolidPen(Gdiplus::ARGB colour) {
  Pen pen;
  if (gp::GdipCreatePen1(colour, 1.0f, Gdiplus::UnitPixel, pen.Receive()) != Ok) pen.Reset();
  return pen;
}

Format AlignedFormat(Gdiplus::StringAlignment horizontal) {
  Format format;
  if (gp::GdipCreateStringFormat(0, LANG_NEUTRAL, format.Receive()) != Ok) return Format();
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

void DrawChart(Gdiplus::GpGraphics* g, HDC dc, const ChartData& chart, int width, int height) {
  gp::GdipSetSmoothingMode(g, Gdiplus::SmoothingModeNone);
  gp::GdipSetTextRenderingHint(g, Gdiplus::TextRenderingHintAntiAliasGridFit);
  gp::GdipGraphicsClear(g, kBackground);
  const Pen border = SolidPen(kBorder);
  if (border) gp::GdipDrawRectangleI(g, border.get(), 0, 0, width - 1, height - 1);

  // The control's own font (given through the toolkit, so GDI's font
  // substitution has found a face for it); a generic sans-serif face of the
  // same size when GDI+ cannot take it.
  Font font;
  if (dc == nullptr || gp::GdipCreateFontFromDC(dc, font.Receive()) != Ok) {
    font.Reset();
    // The generic family belongs to GDI+ and is not deleted.
    Gdiplus::GpFontFamily* family = nullptr;
    if (gp::GdipGetGenericFontFamilySansSerif(&family) == Ok &&
        gp::GdipCreateFont(family, 11.0f, Gdiplus::FontStyleRegular, Gdiplus::UnitPixel,
                           font.Receive()) != Ok) {
      font.Reset();
    }
  }
  const Format centred = AlignedFormat(Gdiplus::StringAlignmentCenter);
  const Format right = AlignedFormat(Gdiplus::StringAlignmentFar);
  const Brush ink = SolidBrush(kText);

  const float plotLeft = kLeft;
  const float plotRight = static_cast<float>(width) - kRight;
  const float plotTop = kTop;
  const float baseline = static_cast<float>(height) - kBottom;
  const double top = chart.ticks.empty() ? 0.0 : chart.ticks.back().value;
  auto yOf = [&](double value) {
    if (top <= 0) return baseline;
    const double clamped = std::clamp(value, 0.0, top);
    return baseline - static_cast<float>(clamped / top) * (baseline - plotTop);
  };

  const Pen grid = SolidPen(kGrid);
  for (const ChartTick& tick : chart.ticks) {
    const float y = yOf(tick.value);
    if (grid && tick.value > 0) gp::GdipDrawLine(g, grid.get(), plotLeft, y, plotRight, y);
    DrawText(g, tick.label, font.get(), right.get(), ink.get(), 0.0f, y - kTextHeight / 2,
             plotLeft - 6.0f, kTextHeight);
  }
  const Pen axis = SolidPen(kAxis);
  if (axis) gp::GdipDrawLine(g, axis.get(), plotLeft, baseline, plotRight, baseline);

  if (chart.bars.empty()) return;
  const float slot = (plotRight - plotLeft) / static_cast<float>(chart.bars.size());
  const float barWidth = std::min(kMaxBarWidth, slot * 0.6f);
  const Brush normal = SolidBrush(kBar);
  const Brush highlighted = SolidBrush(kHighlighted);
  for (std::size_t i = 0; i < chart.bars.size(); ++i) {
    const ChartBar& bar = chart.bars[i];
    const float centre = plotLeft + slot * (static_cast<float>(i) + 0.5f);
    const float y = yOf(bar.value);
    const Brush& fill = bar.highlighted ? highlighted : normal;
    if (fill && baseline - y >= 1.0f) {
      gp::GdipFillRectangle(g, fill.get(), centre - barWidth / 2, y, barWidth, baseline - y);
    }
    DrawText(g, bar.valueText, font.get(), centred.get(), ink.get(), centre - slot / 2,
             y - kTextHeight - 1.0f, slot, kTextHeight);
    DrawText(g, bar.label, font.get(), centred.get(), ink.get(), centre - slot / 2, baseline + 3.0f,
             slot, kTextHeight);
  }
}

}  // namespace

void Win32Backend::SetChartData(Handle chart, const ChartData& data) {
  const HWND window = ToHwnd(chart);
  ControlInfo* info = FindControl(window);
  if (info == nullptr || info->kind != ControlKind::Chart) return;
  info->chart = data;
  InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK ChartProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR ref) {
  const auto& info = *reinterpret_cast<const Win32Backend::ControlInfo*>(ref);
  if (message == WM_ERASEBKGND) return 1;  // the paint covers every pixel
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
      Graphics g;
      if (gp::GdipCreateFromHDC(memoryDc.get(), g.Receive()) == Ok) {
        DrawChart(g.get(), memoryDc.get(), info.chart, width, height);
      }
    }  // GDI+ lets go of the memory DC before it is copied
    BitBlt(paint.dc(), 0, 0, width, height, memoryDc.get(), 0, 0, SRCCOPY);
  }
  return 0;
}

}  // namespace twk::ui
