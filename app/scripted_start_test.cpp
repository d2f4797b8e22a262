// A start with "/Start" on a simulated machine: a bad line and every start
// that cannot go ahead end with 1 and say why, on the calling script's
// console when there is one and in a message box otherwise, before anything
// is read or written; a start without administrator rights waits for the
// elevated one and answers with its exit code. (The console's text for a bad
// line is also pinned end to end in tests/wine/script_e2e.sh; a scripted
// start that goes ahead is setup/scripted_start_sim_test.cpp's.)
#include <gtest/gtest.h>

#include "app/app_fixture.h"

namespace twk::app {
namespace {

using apptest::AppFixture;
using apptest::kSettingsFolder;

class ScriptedStartAppTest : public ::testing::Test, public AppFixture {
 protected:
  // Nothing of the machine was read, made or changed.
  void ExpectUntouched() {
    EXPECT_EQ(scriptedRuns + setupRuns + stepRuns, 0);
    EXPECT_FALSE(machine.files.FolderExists(kSettingsFolder));
    EXPECT_EQ(ui.frame(), 0u);
    EXPECT_FALSE(ui.heartbeatRunning());
    EXPECT_EQ(machine.identity.OpenTokens(), 0);
  }
};

// Without a console the box says it: tests/wine/script_e2e.sh.
TEST_F(ScriptedStartAppTest, WhenTheConsoleCannotBeWrittenAMessageBoxSaysIt) {
  machine.console.parentHasConsole = true;
  machine.console.writeSucceeds = false;
  EXPECT_EQ(Start(u"/Start /TotalReboots:3 /Delay:1 /Bogus"), 1);
  ExpectUntouched();
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_NE(ui.messages()[0].find(u"Unknown argument: /Bogus.\r\nUsage: Tarnwick.exe /Start "),
            Text::npos)
      << ToUtf8(ui.messages()[0]);
}

TEST_F(ScriptedStartAppTest, InASessionNobodySeesNoMessageBoxIsShownButTheConsoleIsStillTold) {
  machine.console.desktopVisible = false;
  EXPECT_EQ(Start(u"/Start /Delay:1"), 1);
  EXPECT_EQ(Start(u"/Export:"), 1);
  ExpectUntouched();
  EXPECT_TRUE(ui.messages().empty());
  machine.console.parentHasConsole = true;
  EXPECT_EQ(Start(u"/Start /Delay:1"), 1);
  EXPECT_NE(machine.console.written.find(u"Missing /TotalReboots:N."), Text::npos);
}

TEST_F(ScriptedStartAppTest, ARunningInstanceIsNotAStartedSequence) {
  ui.SetExistingInstance(ui::InstanceLookup::BroughtToFront);
  machine.console.parentHasConsole = true;
  EXPECT_EQ(Start(u"/Start /TotalReboots:3 /Delay:1"), 1);
  ExpectUntouched();
  EXPECT_NE(machine.console.written.find(u"another instance is running"), Text::npos);
  // Without /Start the hand-over stays the quiet success it always was.
  machine.console.written.clear();
  EXPECT_EQ(Start(u""), 0);
  ExpectUntouched();
  EXPECT_TRUE(machine.console.written.empty());
  // Nor was the system asked about itself: the folder query alone loads the shell.
  EXPECT_EQ(machine.system.versionQueries, 0);
  EXPECT_TRUE(machine.system.appDataTokens.empty());
}

TEST_F(ScriptedStartAppTest, WithoutAdministratorRightsItAnswersWithTheElevatedExitCode) {
  machine.identity.administrator = false;
  machine.system.machine.programPath = u"C:\\Tools\\Tarnwick.exe";
  const Text line = u"/Start /TotalReboots:3 /Delay:1 /Icons";
  for (const std::uint32_t elevated : {0u, 1u, 7u}) {
    machine.shell.elevatedInstance = [&](const platform::FakeShell::Relaunch&) {
      // The script's console is joined before: the elevated child finds it.
      EXPECT_GT(machine.console.attachCalls, 0);
      return elevated;
    };
    EXPECT_EQ(Start(line, 2), static_cast<int>(elevated));
    const auto& r = machine.shell.relaunches.back();
    EXPECT_EQ(r.program, u"C:\\Tools\\Tarnwick.exe");
    EXPECT_EQ(r.parameters, line);
    EXPECT_EQ(r.directory, u"C:\\Tools");
    EXPECT_EQ(r.showCommand, 2);
    EXPECT_TRUE(r.waited);
    // This instance only waited: the elevated one does the work.
    ExpectUntouched();
  }
  EXPECT_TRUE(ui.messages().empty());

  // Elevation refused: nothing was started, and the caller hears so.
  machine.shell.relaunchSucceeds = false;
  EXPECT_EQ(Start(line), 1);
  ASSERT_EQ(ui.messages().size(), 1u);
  EXPECT_NE(ui.messages()[0].find(u"administrator rights"), Text::npos);

  // A bad line is refused before elevation is asked for.
  const std::size_t asked = machine.shell.relaunches.size();
  EXPECT_EQ(Start(u"/Start /TotalReboots:3"), 1);
  EXPECT_EQ(machine.shell.relaunches.size(), asked);
}

}  // namespace
}  // namespace twk::app
