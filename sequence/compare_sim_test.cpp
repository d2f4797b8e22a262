// Two sequences of six restarts on the simulated machine, the second after a
// change that made Windows start ten seconds faster: the history list says
// so in its Verdict column, and Compare shows the verdict's lines and every
// restart of both as dots.
#include <gtest/gtest.h>

#include "sequence/sequence_sim.h"

namespace twk::sequence::sim {
namespace {

class CompareSimTest : public ::testing::Test, public SimulatedMachine {
 protected:
  // Six restarts of these seconds, up to the start of the report.
  void SixRestarts(const std::vector<std::uint64_t>& boots) {
    SetupStartsSequence(6, 1);
    RunSequence(std::vector<std::uint64_t>(boots.begin(), boots.end() - 1));
    Boot(boots.back());
  }
  const ui::HeadlessBackend::Window* At(ui::HeadlessBackend& ui, int x, int y) {
    return ui.Find(ui.FindAt(x, y));
  }
};

TEST_F(CompareSimTest, AFasterSecondSequenceIsCalledFasterInTheListAndInTheCompareView) {
  SixRestarts({61, 60, 62, 59, 63, 64});
  Start(*RunArguments());  // its report; the next sequence keeps it
  // The change that made it faster went with a program that now starts
  // with Windows.
  machine.registry.PutString(platform::RegistryRoot::Users, RunKeyPath(machine.identity.consoleUser->sid).substr(4),
                             u"Updater", u"C:\\Updater\\up.exe /silent");
  SixRestarts({51, 50, 52, 49, 53, 54});

  std::vector<std::vector<Text>> rows;
  Text heading, lines;
  std::vector<ui::ChartBar> columns;
  std::vector<std::vector<Text>> changes;
  std::vector<Text> changesHeader;
  bool listHidden = false, listBack = false;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([&ui] { return ui.FindByText(u"  History") != 0; },
            [&ui] { ui.Click(ui.FindByText(u"  History")); });
    ui.When([&ui] { return ui.FindByText(u"  Compare") != 0; },
            [&] {
              rows = At(ui, 20, 230)->rows;
              // Nothing selected: the newest against the one before it.
              ui.Click(ui.FindByText(u"  Compare"));
              ui.AfterWakes(2, [&] {
                listHidden = !At(ui, 20, 230)->visible && ui.FindByText(u"  Restarts") == 0;
                heading = ui.TextAt(20, 88);
                lines = ui.TextAt(20, 108);
                changes = At(ui, 20, 182)->rows;
                changesHeader = At(ui, 20, 182)->columns;
                columns = At(ui, 20, 288)->chart.bars;
                ui.Click(ui.FindByText(u"  Back"));
                ui.AfterWakes(2, [&] {
                  listBack = At(ui, 20, 230)->visible && At(ui, 20, 230)->rows == rows;
                  ui.Close();
                });
              });
            });
  };
  Start(*RunArguments());

  ASSERT_EQ(rows.size(), 2u);
  EXPECT_EQ(rows[0].back(), u"faster");  // sequence 2 against sequence 1
  EXPECT_EQ(rows[1].back(), u"");        // nothing before the oldest
  EXPECT_TRUE(listHidden);
  EXPECT_EQ(heading, u"Sequence 2 against sequence 1 (5 and 5 restarts, the first of each left out):");
  // Every restart used 10 s faster, on a median of 62 s. No value twice, so
  // the exact distribution of U for five against five: all apart is 2 of
  // the 252 ways (p = 0.008); P(U <= 2) = 4/252 is the last within 2.5 %, so
  // the interval runs from the 2nd to the 24th of the 25 differences
  // (-14 and -6), worked out by hand.
  EXPECT_TRUE(lines.starts_with(u"Restart: faster by 10.0 s (-16.1 %), between 6.0 and 14.0 s "
                                u"faster (95 % confidence, p = 0.008).\r\n"))
      << ToUtf8(lines);
  EXPECT_EQ(changesHeader, std::vector<Text>{u"What changed"});
  EXPECT_EQ(changes, (std::vector<std::vector<Text>>{{u"Added: Updater (Run (user))"}}));
  ASSERT_EQ(columns.size(), 2u);
  EXPECT_EQ(columns[0].dots, (std::vector<double>{60, 62, 59, 63, 64}));
  EXPECT_EQ(columns[1].dots, (std::vector<double>{50, 52, 49, 53, 54}));
  EXPECT_EQ(columns[0].line, 62.0);
  EXPECT_EQ(columns[1].line, 52.0);
  EXPECT_EQ(columns[0].label, u"Sequence 1 (before)");
  EXPECT_EQ(columns[1].label + (columns[1].highlighted ? u"*" : u""), u"Sequence 2 (after)*");
  EXPECT_TRUE(listBack);
}

}  // namespace
}  // namespace twk::sequence::sim
