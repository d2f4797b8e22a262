// The result report: its lines and figures, its window, the elevated
// relaunch and the post-operations it carries out once.
#include "sequence/result_report.h"

#include <gtest/gtest.h>

#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

using Lines = std::vector<Text>;
using sim::kProgram;
using sim::kProgramFolder;
using sim::SimulatedMachine;
using testing::DescribeAt;

TEST(ReportLinesTest, FiguresAreCutToTwoDecimalsAndTheLastLineComparesFirstAndLast) {
  EXPECT_EQ(ReportLines(2, 100.125, 50.5),
            (Lines{u"Tarnwick performed 2 sequential reboots successfully.",
                   u"The first reboot in the sequence took 100.12 seconds.",
                   u"The last reboot in the sequence took 50.5 seconds.",
                   u"The reboot time was improved by 49.56%."}));
  EXPECT_EQ(ReportLines(2, 60, 50).at(3), u"The reboot time was improved by 16.66%.");
  EXPECT_EQ(ReportLines(2, 45, 45).at(3), u"The reboot time was not improved this time.");
  EXPECT_EQ(ReportLines(2, 45, 50).at(3), u"The reboot time was not improved this time.");
  // A last restart that could not be measured is said to be so, not made up.
  EXPECT_EQ(ReportLines(2, 60, std::nullopt),
            (Lines{u"Tarnwick performed 2 sequential reboots successfully.",
                   u"The first reboot in the sequence took 60 seconds.",
                   u"The last reboot in the sequence could not be measured.",
                   u"Without it the improvement cannot be calculated."}));
}

class ResultReportTest : public ::testing::Test, public SimulatedMachine {
 protected:
  ResultReportTest() {
    postOperations.restoreIconLayout = [this](context::StartContext&) { done.push_back("icons"); };
    postOperations.switchOffAutoLogon = [this](context::StartContext&) {
      done.push_back("auto-logon off");
      return switchOffRuns;
    };
  }
  bool switchOffRuns = true;
  // The file as a finished two-restart sequence leaves it before the report,
  // with auto-logon to be switched off or not.
  void SequenceBeforeReport(bool autoLogonOff = true) {
    TwoRestartsBeforeReport(60, 45);
    if (autoLogonOff) Store(u"PostOperation", u"DisableAutoLogon", u"1");
  }

  std::vector<std::string> done;
};

TEST_F(ResultReportTest, WindowIsLaidOutAsDesigned) {
  SequenceBeforeReport(false);
  std::vector<std::string> seen;
  Text titleLabel;
  user = [&](ui::HeadlessBackend& ui, int) {
    ui.When([] { return true; },
            [&] {
              for (auto [x, y] : std::vector<std::pair<int, int>>{
                       {20, 90}, {20, 110}, {20, 130}, {20, 150}, {260, 420}, {430, 420}}) {
                seen.push_back(DescribeAt(ui, x, y));
              }
              titleLabel = ui.TextAt(78, 12);
            });
  };
  const sim::StartRecord& report = Start(*RunArguments());
  EXPECT_EQ(seen, (std::vector<std::string>{
                      "13 \"Tarnwick performed 2 sequential reboots successfully.\" "
                      "(20,90,560,18) Arial 10/400",
                      "13 \"The first reboot in the sequence took 60 seconds.\" (20,110,560,18) "
                      "Arial 10/400",
                      "13 \"The last reboot in the sequence took 45 seconds.\" (20,130,560,18) "
                      "Arial 10/400",
                      "13 \"The reboot time was improved by 25%.\" (20,150,560,18) Arial 10/400",
                      "3 \"  Close\" (260,420,150,36) Arial 12/800 image 141 24x24 hand cursor",
                      "3 \"  Setup\" (430,420,150,36) Arial 12/800 icon 107 24x24 hand cursor"}));
  EXPECT_EQ(titleLabel, u"Tarnwick - Result");
  EXPECT_TRUE(report.windowShown);
  EXPECT_EQ(report.exitCode, 0);
  // No countdown in the report start, and no keep-awake request either.
  EXPECT_EQ(machine.power.Count(platform::FakePower::Kind::KeepAwake), 1);
  EXPECT_TRUE(done.empty());
}

TEST_F(ResultReportTest, NonAdministratorRelaunchesElevatedWithItsNumbersWrittenAfresh) {
  SequenceBeforeReport();
  machine.identity.administrator = false;
  // The numbers go on as read, not the text as received. Refused elevation
  // keeps the post-operation for later.
  const Text arguments = u"/CurrentReboot:3  /TotalReboots:9 /Delay:1 x";
  machine.shell.relaunchSucceeds = false;
  const sim::StartRecord& refused = Start(arguments);
  EXPECT_FALSE(refused.windowShown);
  EXPECT_EQ(refused.exitCode, 0);
  machine.shell.relaunchSucceeds = true;
  const sim::StartRecord& first = Start(arguments);
  EXPECT_FALSE(first.windowShown);
  EXPECT_TRUE(first.reportLines.empty());
  ASSERT_EQ(machine.shell.relaunches.size(), 2u);
  EXPECT_EQ(machine.shell.relaunches[0].program, kProgram);
  EXPECT_EQ(machine.shell.relaunches[0].parameters, u"/CurrentReboot:3 /TotalReboots:2 /Delay:1");
  EXPECT_EQ(machine.shell.relaunches[0].directory, kProgramFolder);
  EXPECT_EQ(machine.shell.relaunches[0].showCommand, 5);
  EXPECT_TRUE(done.empty());
  // The elevated instance finds the measurements in the file.
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"1");
  const std::string lastBootUp = first.measurements.at("TimeStamps/LastBootUp");
  EXPECT_EQ(first.measurements.at("History/Reboot 2"), "45");

  machine.identity.administrator = true;
  Boot(3);
  const sim::StartRecord& elevated = Start(arguments);
  EXPECT_TRUE(elevated.windowShown);
  EXPECT_EQ(done, (std::vector<std::string>{"auto-logon off"}));
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
  EXPECT_EQ(elevated.measurements.at("TimeStamps/LastBootUp"), lastBootUp);
  EXPECT_EQ(elevated.reportLines.at(2), u"The last reboot in the sequence took 45 seconds.");

  // A third start switches nothing again.
  Start(arguments);
  EXPECT_EQ(done.size(), 1u);
}

TEST_F(ResultReportTest, ASwitchOffThatDidNotRunStaysAskedFor) {
  SequenceBeforeReport();
  switchOffRuns = false;
  Start(*RunArguments());
  EXPECT_EQ(done, (std::vector<std::string>{"auto-logon off"}));
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"1");
}

TEST_F(ResultReportTest, NoFirstDurationRunsThePostOperationsButShowsNoWindow) {
  Store(u"Setup", u"TimesToReboot", u"2");
  Store(u"Setup", u"BackupRestoreIcons", u"1");
  Store(u"PostOperation", u"DisableAutoLogon", u"1");
  const sim::StartRecord& report = Start(u"/CurrentReboot:3 /TotalReboots:2 /Delay:1");
  EXPECT_FALSE(report.windowShown);
  EXPECT_EQ(report.exitCode, 0);
  EXPECT_EQ(report.reportLines, (Lines{u"Tarnwick performed 2 sequential reboots successfully.",
                                       u"The first reboot in the sequence took 0 seconds."}));
  EXPECT_TRUE(report.historyRows.empty());
  EXPECT_EQ(report.dump.find("  Close"), std::string::npos);
  EXPECT_EQ(done, (std::vector<std::string>{"icons", "auto-logon off"}));
  EXPECT_EQ(Stored(u"PostOperation", u"DisableAutoLogon"), u"");
}

}  // namespace
}  // namespace twk::sequence
