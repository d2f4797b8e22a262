// A start of the program on a simulated machine: command line, user and
// settings, defaults, single instance, the frame, the choice of mode and the
// elevated relaunch. (That no start leaves a drawing object behind is the
// whole-sequence simulation's check.)
#include "app/application.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "app/app_fixture.h"
#include "app/run_modes.h"

namespace twk::app {
namespace {

using apptest::AppFixture;
using apptest::kSettingsFolder;
using apptest::kSettingsPath;

class ApplicationTest : public ::testing::Test, public AppFixture {
 protected:
  // A start with the program's own modes; the frame is closed soon unless
  // the test plans other input.
  int RunProduct(const Text& arguments, bool closeSoon = true) {
    app.reset();
    app.emplace(machine.ports(), ui);
    if (closeSoon) ui.AfterWakes(5, [this] { ui.Close(); });
    return app->Run(0, arguments, 1);
  }
  // The desktop's icon list, holding these icons.
  void DesktopIcons(std::vector<platform::FakeRemoteListViews::Item> items) {
    platform::FakeWindowTree& tree = machine.windows;
    machine.listViews.window =
        tree.Add(tree.Add(tree.Add(tree.desktop(), u"Progman"), u"SHELLDLL_DefView"),
                 u"SysListView32", u"FolderView", 1);
    machine.listViews.items = std::move(items);
  }
  // A sequence of one restart, measured, before its report.
  void StoreOneRestart() {
    Store(u"Setup", u"TimesToReboot", u"1");
    Store(u"TimeStamps", u"FirstShutDown", u"1000");
    Store(u"TimeStamps", u"FirstBootUp", u"1060");
  }
};

// The paths and the user are checked where the setup uses them: the Run
// value and key, the password prompt, the idle-task tool, the stored choices.
TEST_F(ApplicationTest, PlainStartRunsTheSetupWithDefaults) {
  EXPECT_EQ(Start(u""), 11);
  EXPECT_EQ(app->context().run().currentReboot, 0u);
  EXPECT_EQ(app->context().run().totalReboots, 5u);
  EXPECT_EQ(app->context().run().delayMinutes, 5u);
  EXPECT_EQ(app->context().paths().systemDrive, u"C:");
  EXPECT_DOUBLE_EQ(app->context().windowsVersion(), 10.0);
  EXPECT_TRUE(machine.files.FolderExists(kSettingsFolder));  // made at once, before any save
  // The console user's token went to the folder query and was closed.
  EXPECT_EQ(machine.system.appDataTokens,
            std::vector<platform::TokenHandle>{platform::kFakeConsoleToken});
  EXPECT_EQ(machine.identity.OpenTokens(), 0);
  EXPECT_EQ(machine.identity.badCloses, 0);
}

TEST_F(ApplicationTest, AStepTakesTheStoredTotalAndTheDelayOfTheSwitchOrTheSettings) {
  const struct {
    const char16_t *storedTotal, *storedDelay, *arguments;
    std::uint32_t current, total, delay;
  } cases[] = {
      {u"4", u"", u"/CurrentReboot:2 /TotalReboots:9 /Delay:3", 2, 4, 3},
      {u"4", u"7", u"/CurrentReboot:3", 3, 4, 7},
      {u"4", u"7", u"/CurrentReboot:3 /Delay:12", 3, 4, 12},
      {u"0", u"zero", u"/CurrentReboot:3 /TotalReboots:8", 3, 5, 5},  // the defaults
      // Odd switches are read as the command line's tests show; current
      // above total gets no correction here either.
      {u"2", u"", u" /CurrentReboot:3 /TotalReboots:2 /Delay:1", 3, 2, 1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.arguments));
    Store(u"Setup", u"TimesToReboot", c.storedTotal);
    Store(u"Setup", u"RebootDelay", c.storedDelay);
    EXPECT_EQ(Start(c.arguments), 22);
    EXPECT_EQ(app->context().run().currentReboot, c.current);
    EXPECT_EQ(app->context().run().totalReboots, c.total);
    EXPECT_EQ(app->context().run().delayMinutes, c.delay);
    EXPECT_EQ(app->context().paths().commandLine, c.arguments);
  }
  // A reboot step makes no administrator test.
  EXPECT_EQ(machine.identity.administratorQueries, 0);
}

// That it reads, makes and shows nothing: the scripted start's hand-over test.
TEST_F(ApplicationTest, ARunningInstanceIsBroughtToTheFrontInstead) {
  ui.SetExistingInstance(ui::InstanceLookup::BroughtToFront);
  EXPECT_EQ(Start(u"/CurrentReboot:2"), 0);
  EXPECT_EQ(ui.instanceLookups(), 1);
  // A hidden window of a dying instance does not stop the start.
  ui.SetExistingInstance(ui::InstanceLookup::WasHidden);
  EXPECT_EQ(Start(u""), 11);
  EXPECT_EQ(setupRuns, 1);
}

TEST_F(ApplicationTest, NonAdministratorRelaunchesElevatedWithTheSameArguments) {
  machine.identity.administrator = false;
  machine.system.machine.programPath = u"C:\\Tools\\Tarnwick\\Tarnwick.exe";
  EXPECT_EQ(Start(u"  /x \"a b\"", 3), 0);  // not the setup's 11
  ASSERT_EQ(machine.shell.relaunches.size(), 1u);
  const auto& r = machine.shell.relaunches[0];
  EXPECT_EQ(r.program, u"C:\\Tools\\Tarnwick\\Tarnwick.exe");
  EXPECT_EQ(r.parameters, u"  /x \"a b\"");
  EXPECT_EQ(r.directory, u"C:\\Tools\\Tarnwick");
  EXPECT_EQ(r.showCommand, 3);

  // Refused elevation ends the same way.
  machine.shell.relaunchSucceeds = false;
  machine.system.machine.programPath = u"C:\\Tarnwick.exe";
  EXPECT_EQ(Start(u""), 0);
  EXPECT_EQ(machine.shell.relaunches.back().directory, u"C:");
}

TEST_F(ApplicationTest, WithoutAConsoleUserTheProcessUserOrElseTheDefaultProfileIsUsed) {
  // A remote session or a start by a script: nobody at the console, but the
  // program runs as a real user, whose folder and Run key it takes.
  machine.identity.consoleUser.reset();
  machine.identity.processUser = platform::FakeIdentity::ConsoleUser{
      .name = u"ops", .sid = u"S-1-5-21-7-7-7-1107", .token = 0x7002};
  machine.system.machine.appData[0x7002] = u"C:\\Users\\ops\\AppData\\Roaming";
  Start(u"");
  EXPECT_EQ(app->context().user().name, u"ops");
  EXPECT_EQ(app->context().user().sid, u"S-1-5-21-7-7-7-1107");
  EXPECT_EQ(app->context().paths().settingsFolder, u"C:\\Users\\ops\\AppData\\Roaming\\Tarnwick");
  EXPECT_EQ(machine.identity.OpenTokens(), 0);

  machine.identity.processUser.reset();
  Start(u"");
  EXPECT_EQ(app->context().user().name, u"");
  EXPECT_EQ(app->context().user().sid, u"");
  EXPECT_EQ(app->context().paths().settingsFolder,
            u"C:\\Users\\Default\\AppData\\Roaming\\Tarnwick");
  EXPECT_EQ(machine.identity.badCloses, 0);
}

TEST_F(ApplicationTest, SettingsAreWrittenBackWhenTheStartEnds) {
  inMode = [](context::StartContext& a) {
    a.settings().SetValue(u"Setup", u"PlayWarningSound", u"1");
  };
  Start(u"");
  EXPECT_EQ(Stored(u"Setup", u"PlayWarningSound"), u"");
  app.reset();
  EXPECT_EQ(Stored(u"Setup", u"PlayWarningSound"), u"1");

  // A mode that saved for good (before a restart or a hand-over) is not
  // saved again: later edits stay in memory.
  inMode = [](context::StartContext& a) {
    a.settings().SetValue(u"Setup", u"PlayWarningSound", u"0");
    EXPECT_TRUE(a.settings().SaveNow());
    a.settings().SetValue(u"Setup", u"PlayWarningSound", u"2");
  };
  Start(u"");
  EXPECT_EQ(Stored(u"Setup", u"PlayWarningSound"), u"0");
  app.reset();
  EXPECT_EQ(Stored(u"Setup", u"PlayWarningSound"), u"0");
}

// Where the header's parts sit, and their classes, are pinned end to end by
// tests/wine/app_start.sh, its pictures on real windows in
// application_win_test.cpp; here what only the toolkit's records show.
TEST_F(ApplicationTest, TheFrameCarriesItsFixedDecoration) {
  inMode = [this](context::StartContext& a) {
    const ui::Handle frame = ui.frame();
    ASSERT_EQ(frame, a.frame().handle());
    const auto* w = ui.Find(frame);
    EXPECT_EQ(w->skinCorner, 4);
    EXPECT_NE(w->background, 0u);

    const auto at = [&](int id) { return *ui.Find(a.frame().Control(id)->window); };
    const auto& band = at(1);
    EXPECT_NE(band.eraseBrush, 0u);
    const auto& icon = at(2);
    EXPECT_EQ(icon.kind, ui::ControlKind::IconPicture);
    EXPECT_EQ(icon.parent, band.handle);
    EXPECT_EQ(ui.ResourceIdOf(icon.image), 107);
    EXPECT_EQ(ui.FindObject(icon.image)->width, 64);

    const auto& title = at(a.frame().header().title);
    EXPECT_EQ(title.font.points, 14.0);
    EXPECT_EQ(title.font.weight, 800);
    EXPECT_EQ(a.frame().Control(a.frame().header().title)->textColour, 0xFFFFFF);
    EXPECT_EQ(a.frame().Control(a.frame().header().title)->backColour, -1);
    EXPECT_EQ(at(a.frame().header().minimize).tip, u"Minimize this dialog box");
    EXPECT_EQ(at(a.frame().header().close).tip, u"Close this dialog box");

    // The links are made alike; their texts and tips differ.
    const auto& help = at(a.frame().header().helpLink);
    EXPECT_EQ(help.font.points, 11.0);
    EXPECT_EQ(help.eraseBrush, band.eraseBrush);
    EXPECT_EQ(a.frame().Control(a.frame().header().helpLink)->backColour, 0);
    for (const auto& [id, text, tip] : std::vector<std::tuple<int, Text, Text>>{
             {a.frame().header().homeLink, u"Powered by <a>Tarnwick Software</a>.",
              u"Visit our website"},
             {a.frame().header().updateLink, u"<a>Check for updates</a>",
              u"Check if a new version of this application is available"},
             {a.frame().header().helpLink, u"<a>Online help</a>",
              u"Go to the online help page now"},
         }) {
      EXPECT_EQ(at(id).text, text);
      EXPECT_EQ(at(id).tip, tip);
    }
    // Mode controls go to the frame itself, in Arial 11 and default colours.
    const int next = a.frame().CreateLabel(u"mode", 30, 110, 425, 18);
    EXPECT_EQ(at(next).parent, frame);
    EXPECT_EQ(at(next).font.points, 11.0);
    EXPECT_EQ(a.frame().Control(next)->backColour, -1);
    EXPECT_EQ(ui.FindObject(a.frame().checkedImage())->flags, 1u);
    EXPECT_EQ(ui.FindObject(a.frame().uncheckedImage())->flags, 0u);
  };
  Start(u"");
  EXPECT_EQ(setupRuns, 1);
}

// The composition root wires the setup's buttons to the partition
// optimisation and the icon layout, and the icon layout into the report: a
// sequence that backed the icons up finds them where they were.
TEST_F(ApplicationTest, TheProductSetupOptimisesAndBacksTheIconsUpAndTheReportPutsThemBack) {
  DesktopIcons({{u"Recycle Bin", {10, 20}}, {u"Notes", {10, 90}}});
  ui.AfterWakes(5, [this] { ui.Click(ui.FindByText(u"Optimize now")); });
  ui.AfterWakes(400, [this] { ui.Click(ui.FindByText(u"Backup now")); });
  ui.AfterWakes(800, [this] { ui.Close(); });
  EXPECT_EQ(RunProduct(u"", false), 0);
  const auto& launches = machine.processes.launches();
  EXPECT_TRUE(std::any_of(launches.begin(), launches.end(), [](const auto& launch) {
    return launch.commandLine.find(u"defrag.exe") != Text::npos;
  }));
  app.reset();
  EXPECT_EQ(Stored(u"DesktopIconLayout", u"Recycle Bin"), u"10x20");

  machine.listViews.items[0].position = {300, 400};
  StoreOneRestart();
  Store(u"Setup", u"BackupRestoreIcons", u"1");
  EXPECT_EQ(RunProduct(u"/CurrentReboot:2 /TotalReboots:1 /Delay:1"), 0);
  EXPECT_EQ(ui.TextOf(ui.frame()), u"Tarnwick - Result");
  EXPECT_EQ(machine.listViews.items[0].position, (platform::IconPoint{10, 20}));
  EXPECT_EQ(machine.listViews.items[1].position, (platform::IconPoint{10, 90}));
  EXPECT_EQ(machine.listViews.openNow, 0);
}

}  // namespace
}  // namespace twk::app
