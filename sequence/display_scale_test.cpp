// The countdown, the report and the history window at display scales of 125, 150 and 200 %:
// every control's place, size, font and picture is the one at 96 DPI times
// the scale, the history's chart drawn at the window's scale.
#include <gtest/gtest.h>

#include "sequence/sequence_sim.h"
#include "ui/headless/layout_test_support.h"

namespace twk::sequence {
namespace {

using ui::testing::Layout;

struct Windows {
  Layout countdown, report, history;
  int chartDpi = 0;
};

Layout CountdownAt(int dpi) {
  sim::SimulatedMachine machine;
  machine.SetupStartsSequence(3, 1);
  Layout seen;
  machine.user = [&seen, dpi](ui::HeadlessBackend& ui, int) {
    ui.SetDpi(dpi);
    ui.When([&ui] { return ui.FindByText(u"  Pause") != 0; },
            [&ui, &seen] {
              seen = ui::testing::LayoutOf(ui, ui.frame());
              ui.Close();
            });
  };
  machine.Start(*machine.RunArguments());
  return seen;
}

// A fresh machine for each scale: the report's start ends its sequence.
Windows ReportAndHistoryAt(int dpi) {
  sim::SimulatedMachine machine;
  machine.TwoRestartsBeforeReport(60, 45);
  Windows seen;
  machine.user = [&seen, dpi](ui::HeadlessBackend& ui, int) {
    ui.SetDpi(dpi);
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&ui, &seen] {
              seen.report = ui::testing::LayoutOf(ui, ui.frame());
              ui.Click(ui.FindByText(u"  History"));
            });
    ui.When([&ui] { return ui.FindByText(u"  Export") != 0; },
            [&ui, &seen] {
              seen.history = ui::testing::LayoutOf(ui, ui.frame());
              for (const auto* w : ui.ControlsOf(ui.frame())) {
                if (w->kind == ui::ControlKind::Chart) seen.chartDpi = w->chart.dpi;
              }
              ui.Close();
            });
  };
  machine.Start(*machine.RunArguments());
  seen.countdown = CountdownAt(dpi);
  return seen;
}

TEST(DisplayScaleSequenceTest, TheCountdownTheReportAndTheHistoryAreTheirLayoutTimesTheScale) {
  const Windows base = ReportAndHistoryAt(96);
  ASSERT_GE(base.countdown.controls.size(), 12u);
  ASSERT_GE(base.report.controls.size(), 15u);
  ASSERT_GE(base.history.controls.size(), 15u);
  EXPECT_EQ(base.chartDpi, 96);
  for (const int dpi : {120, 144, 192}) {
    SCOPED_TRACE(dpi);
    const Windows at = ReportAndHistoryAt(dpi);
    ui::testing::ExpectScaled(base.countdown, at.countdown, dpi);
    ui::testing::ExpectScaled(base.report, at.report, dpi);
    ui::testing::ExpectScaled(base.history, at.history, dpi);
    EXPECT_EQ(at.chartDpi, dpi);
  }
}

}  // namespace
}  // namespace twk::sequence
