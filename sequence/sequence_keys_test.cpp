// The sequence's windows from the keyboard: the countdown, the countdown
// stopped, the report and the history, each with the way Tab takes through
// it and what its controls are called; Escape ending a countdown as its
// close button does, Enter closing the report, and the history's columns
// holding their headers and cells.
#include <gtest/gtest.h>

#include <algorithm>

#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"
#include "ui/headless/keyboard_test_support.h"

namespace twk::sequence {
namespace {

using sim::SimulatedMachine;
using ui::testing::NamedAt;
using ui::testing::WalkTabs;

const std::vector<Text> kHeaderLinks = {u"Powered by Tarnwick Software.", u"Check for updates",
                                        u"Online help"};

std::vector<Text> After(std::vector<Text> first, const std::vector<Text>& then) {
  first.insert(first.end(), then.begin(), then.end());
  return first;
}

class SequenceKeysTest : public ::testing::Test, public SimulatedMachine {
 protected:
  // Tab round the whole window and one further, then Shift+Tab once; then `then`.
  void RoundTrip(ui::HeadlessBackend& ui, int stops, std::vector<Text>& seen,
                 std::function<void()> then) {
    WalkTabs(ui, stops + 1, false, seen, [&ui, &seen, then] { WalkTabs(ui, 1, true, seen, then); });
  }
  // The way Tab takes through `order`, round the end, and one step back.
  static std::vector<Text> RoundTripOf(const std::vector<Text>& order) {
    std::vector<Text> seen = order;
    seen.push_back(order.front());
    seen.push_back(order.back());
    return seen;
  }
};

TEST_F(SequenceKeysTest, CountdownTabsInReadingOrderAndNamesEveryControl) {
  SetupStartsSequence(3, 1);
  const std::vector<Text> order =
      After(kHeaderLinks, {u"Play a sound each of the last 10 seconds before rebooting.",
                           u"Reboot history", u"Pause", u"Setup"});
  const std::vector<NamedAt> table = {
      {20, 105, u"Next reboot in"},
      {410, 105, u"seconds."},
      {30, 150, u"Play a sound each of the last 10 seconds before rebooting."},
      {20, 180, u"Reboot history"},
      {260, 420, u"Pause"},
      {430, 420, u"Setup"},
      {78, 12, u"Tarnwick - Reboot 2 of 3"},
  };
  std::vector<Text> seen;
  std::vector<std::string> names, unnamed;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  Pause") != 0; },
            [&] {
              names = ui::testing::NamesAt(ui, table);
              unnamed = ui::testing::Unnamed(ui, ui.frame());
              RoundTrip(ui, static_cast<int>(order.size()), seen, [&ui] { ui.Close(); });
            });
  };
  RunSequence({60});
  EXPECT_EQ(seen, RoundTripOf(order));
  EXPECT_EQ(names, ui::testing::Expected(table));
  EXPECT_EQ(unnamed, std::vector<std::string>{});
}

// Whichever control has the focus, Escape is the close button: the step
// ends, and with it the sequence (no next start registered, no restart).
TEST_F(SequenceKeysTest, EscapeEndsTheCountdownAsItsCloseButtonDoes) {
  struct Ending {
    bool restartRequested = true;
    std::optional<Text> runValue = u"?";
    int exitCode = -1;
  };
  const auto end = [this](std::function<void(ui::HeadlessBackend&)> how) {
    SetupStartsSequence(3, 1);
    user = [how](ui::HeadlessBackend& ui, int) {
      ui.When([&ui] { return ui.FindByText(u"  Pause") != 0; }, [&ui, how] { how(ui); });
    };
    RunSequence({60});
    const sim::StartRecord& step = starts.back();
    return Ending{step.restartRequested, RunValue(), step.exitCode};
  };
  const Ending closed = end([](ui::HeadlessBackend& ui) { ui.Click(ui.FindAt(569, 5)); });
  EXPECT_FALSE(closed.restartRequested);
  EXPECT_EQ(closed.runValue, std::nullopt);
  for (const char16_t* focus : {u"", u"  Pause", u"  Setup"}) {
    SCOPED_TRACE(ToUtf8(focus));
    const Ending escaped = end([focus](ui::HeadlessBackend& ui) {
      if (*focus != u'\0') ui.MoveKeyboardFocus(ui.FindByText(focus));
      ui.PressKey(ui::msg::VkEscape);
    });
    EXPECT_EQ(escaped.restartRequested, closed.restartRequested);
    EXPECT_EQ(escaped.runValue, closed.runValue);
    EXPECT_EQ(escaped.exitCode, closed.exitCode);
  }
}

// The measurements cannot be saved as the countdown ends: the window stops
// and says why in the countdown's place.
TEST_F(SequenceKeysTest, AStoppedCountdownTabsOverWhatIsLeftAndNamesItsReason) {
  SetupStartsSequence(3, 1);
  Boot(60);
  machine.files.FailOn(platform::FakeFileSystem::Op::ReplaceWith, app::apptest::kSettingsPath);
  std::vector<Text> seen;
  Text reason;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When(
        [&ui] {
          return ui.FindAt(20, 95) != 0 && ui.Find(ui.FindAt(20, 95))->visible &&
                 ui.Find(ui.FindAt(20, 95))->kind == ui::ControlKind::Label;
        },
        [&] {
          reason = ui.Find(ui.FindAt(20, 95))->accessibleName;
          RoundTrip(ui, 5, seen, [&ui] { ui.Close(); });
        });
  };
  (void)Start(*RunArguments());
  EXPECT_EQ(seen, RoundTripOf(After(kHeaderLinks, {u"Reboot history", u"Setup"})));
  EXPECT_EQ(reason, context::kMeasurementsUnsaved);
}

TEST_F(SequenceKeysTest, TheReportTabsInReadingOrderAndEnterClosesIt) {
  TwoRestartsBeforeReport(60, 45);
  const std::vector<Text> order =
      After(kHeaderLinks, {u"Reboot history", u"History", u"Close", u"Setup"});
  std::vector<Text> seen;
  std::vector<std::string> unnamed;
  Text firstLine;
  bool stillOpen = false;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  Close") != 0; },
            [&] {
              unnamed = ui::testing::Unnamed(ui, ui.frame());
              firstLine = ui.Find(ui.FindAt(20, 90))->accessibleName;
              RoundTrip(ui, static_cast<int>(order.size()), seen, [&] {
                // From the list, with no row chosen, Enter is the Close button's.
                ui.MoveKeyboardFocus(ui.FindAt(20, 180));
                ui.PressKey(ui::msg::VkReturn);
                ui.AfterWakes(50, [&] { stillOpen = true; });
                ui.SetWakeLimit(ui.wakes() + 100);
              });
            });
  };
  const sim::StartRecord& report = Start(*RunArguments());
  EXPECT_EQ(seen, RoundTripOf(order));
  EXPECT_EQ(unnamed, std::vector<std::string>{});
  EXPECT_EQ(firstLine, u"Tarnwick performed 2 sequential reboots successfully.");
  EXPECT_FALSE(stillOpen);
  EXPECT_EQ(report.exitCode, 0);
}

// The history's controls are made after the report's, its restarts' list
// after the Back button: the order is still the window's lines.
TEST_F(SequenceKeysTest, TheHistoryTabsInReadingOrderInBothViewsAndItsColumnsHoldTheirTexts) {
  TwoRestartsBeforeReport(60, 45);
  Start(*RunArguments());
  TwoRestartsBeforeReport(50, 40);
  const std::vector<Text> sequences =
      After(kHeaderLinks, {u"Sequences", u"Restarts", u"Compare", u"Export", u"Back"});
  const std::vector<Text> restarts = After(kHeaderLinks, {u"Restarts of sequence 2", u"Back"});
  std::vector<Text> seenSequences, seenRestarts;
  Text chartName, restartChartName;
  std::vector<std::string> unnamed;
  std::vector<Text> headers;
  std::vector<int> widths, needs;  // needs: the widest text of each column with its margins
  int room = 0;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  History")); });
    ui.When([&ui] { return ui.FindByText(u"  Export") != 0; },
            [&] {
              const ui::HeadlessBackend::Window* list = ui.Find(ui.FindAt(20, 230));
              chartName = ui.Find(ui.FindAt(20, 80))->accessibleName;
              unnamed = ui::testing::Unnamed(ui, ui.frame());
              headers = list->columns;
              widths = list->columnWidths;
              room = ui.MeasureListRoom(list->handle).columnsWidth;
              for (std::size_t k = 0; k < headers.size(); ++k) {
                int widest = ui.MeasureText(list->handle, headers[k]);
                for (const auto& row : list->rows) {
                  widest = std::max(widest, ui.MeasureText(list->handle, row.at(k)));
                }
                needs.push_back(widest + ui.MeasureListRoom(list->handle).cellMargins);
              }
              RoundTrip(ui, static_cast<int>(sequences.size()), seenSequences, [&] {
                ui.Click(ui.FindByText(u"  Restarts"));
                ui.When([&ui] { return ui.FindAt(20, 288) != 0; },
                        [&] {
                          restartChartName = ui.Find(ui.FindAt(20, 144))->accessibleName;
                          RoundTrip(ui, static_cast<int>(restarts.size()), seenRestarts,
                                    [&ui] { ui.Close(); });
                        });
              });
            });
  };
  (void)Start(*RunArguments());
  EXPECT_EQ(seenSequences, RoundTripOf(sequences));
  EXPECT_EQ(seenRestarts, RoundTripOf(restarts));
  EXPECT_EQ(chartName, u"Average restart time of 2 sequences: 52 and 45 seconds");
  EXPECT_EQ(restartChartName, u"Restart time of 2 restarts, split by phase: 50 and 40 seconds");
  EXPECT_EQ(unnamed, std::vector<std::string>{});

  // Every column holds its header and its cells; together they fill the list.
  ASSERT_EQ(widths.size(), headers.size());
  ASSERT_EQ(needs.size(), headers.size());
  int total = 0;
  for (std::size_t k = 0; k < headers.size(); ++k) {
    EXPECT_GE(widths[k], needs[k]) << ToUtf8(headers[k]);
    total += widths[k];
  }
  EXPECT_EQ(total, room);
}

}  // namespace
}  // namespace twk::sequence
