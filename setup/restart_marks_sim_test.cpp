// Restarts that were not plain ones, over a whole sequence on the simulated
// machine: started by a script while updates wait, with restarts in which
// Windows started once, three times, and with its boot counter unreadable.
// The marked ones keep their figures in the report and the file but count in
// no figure of the history, and the export names their marks. And the setup
// window's word about waiting updates.
#include <gtest/gtest.h>

#include "base/strings.h"
#include "sequence/csv_export.h"
#include "sequence/history_window.h"
#include "sequence/restart_marks.h"
#include "settings/text_file.h"
#include "setup/setup_test_support.h"
#include "setup/setup_window_impl.h"

namespace twk::setup {
namespace {

using namespace testing;
using platform::RegistryRoot;

constexpr char16_t kRebootRequired[] =
    u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WindowsUpdate\\Auto Update\\RebootRequired";
constexpr char16_t kPrefetch[] =
    u"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Memory Management\\"
    u"PrefetchParameters";
constexpr char16_t kCsv[] = u"C:\\Users\\alice\\restarts.csv";

class RestartMarksSimTest : public ::testing::Test, public SetupMachine {
 protected:
  RestartMarksSimTest() {
    // A 32-bit program on 64-bit Windows: the keys are in the 64-bit view.
    machine.registry.SetMachine(true, true);
  }
  void UpdatesWaiting(bool waiting) {
    if (waiting) {
      machine.registry.AddKey(RegistryRoot::LocalMachine, kRebootRequired);
    } else {
      ASSERT_TRUE(machine.registry.RemoveKey(RegistryRoot::LocalMachine, kRebootRequired));
    }
  }
  void BootCounter(std::optional<std::uint32_t> value) {
    if (!value) {
      ASSERT_TRUE(machine.registry.RemoveKey(RegistryRoot::LocalMachine, kPrefetch));
      return;
    }
    machine.registry.PutValue(
        RegistryRoot::LocalMachine, kPrefetch, sequence::kBootIdValue, platform::ValueType::Dword,
        {static_cast<std::uint8_t>(*value), static_cast<std::uint8_t>(*value >> 8), 0, 0});
  }
  // The next step after a boot of `seconds` in which Windows counted its
  // boots up to `counter`.
  sequence::sim::StartRecord& BootAndStep(std::uint64_t seconds,
                                          std::optional<std::uint32_t> counter) {
    BootCounter(counter);
    Boot(seconds);
    return Start(*RunArguments());
  }
};

TEST_F(RestartMarksSimTest, MarkedRestartsKeepTheirFiguresButCountInNoneOfTheHistorysFigures) {
  machine.console.parentHasConsole = true;
  UpdatesWaiting(true);
  BootCounter(100);
  const auto& started = Start(u"/Start /TotalReboots:5 /Delay:1");
  ASSERT_TRUE(started.restartRequested) << started.dump;
  EXPECT_EQ(started.exitCode, 0);
  // Said on the console, and the start went on without a message box.
  EXPECT_EQ(machine.console.written, Text(kUpdatesWaiting) + u"\r\n");
  EXPECT_TRUE(started.messages.empty());

  // Restart 1 installs the updates, which take three boots.
  UpdatesWaiting(false);
  ASSERT_TRUE(BootAndStep(300, 103).restartRequested);
  EXPECT_EQ(Stored(u"RestartMarks", u"Reboot 1"), u"updates");
  ASSERT_TRUE(BootAndStep(50, 104).restartRequested);   // one boot
  ASSERT_TRUE(BootAndStep(120, 106).restartRequested);  // two
  // The counter cannot be read after restart 4, and so not at the request
  // of restart 5 either, after which Windows is many boots further.
  ASSERT_TRUE(BootAndStep(55, std::nullopt).restartRequested);
  const auto& report = BootAndStep(52, 200);
  ASSERT_FALSE(report.restartRequested);

  settings::SettingsFile file(machine.files, machine.ansi);
  ASSERT_TRUE(file.Load(app::apptest::kSettingsPath));
  EXPECT_EQ(
      file.Entries(u"RestartMarks"),
      (std::vector<settings::KeyValue>{{u"Reboot 1", u"updates"}, {u"Reboot 3", u"extra boots"}}));
  // Nothing of the last request is left to pair with a later restart.
  EXPECT_EQ(report.measurements.count("TimeStamps/ShutDownBootId"), 0u);
  EXPECT_EQ(report.measurements.count("TimeStamps/ShutDownUpdatesWaiting"), 0u);
  // The report and its list show every figure as measured.
  EXPECT_EQ(report.historyRows, (std::vector<std::vector<Text>>{{u"Average", u"115 seconds"},
                                                                {u"Reboot 1", u"300 seconds"},
                                                                {u"Reboot 2", u"50 seconds"},
                                                                {u"Reboot 3", u"120 seconds"},
                                                                {u"Reboot 4", u"55 seconds"},
                                                                {u"Reboot 5", u"52 seconds"}}));
  EXPECT_EQ(report.reportLines.at(1), u"The first reboot in the sequence took 300 seconds.");
  // The history counts restarts 2, 4 and 5 only.
  const auto rows = sequence::HistoryRows(sequence::MeasurementStore::Read(file).AllSequences());
  ASSERT_EQ(rows.size(), 1u);
  EXPECT_EQ(std::vector<Text>(rows[0].begin() + 1, rows[0].end()),
            (std::vector<Text>{u"5", u"52 s", u"52 s", u"2.5 s", u"50 s", u"\u2013", u""}));

  // Kept with the sequence when the next one starts, and exported with it.
  SetupStartsSequence(2, 1);
  ASSERT_EQ(Start(u"/Export:\"" + Text(kCsv) + u"\"").exitCode, 0);
  const std::vector<Text> lines =
      Split(FromUtf8(machine.files.FileBytes(kCsv).value_or("")), u"\r\n");
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(SplitFields(lines[0], u',').back(), u"mark");
  std::vector<Text> marks;  // each restart's seconds (the 4th field) and mark (the last)
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::vector<Text> fields = SplitFields(lines[i], u',');
    marks.push_back(fields.at(3) + u":" + fields.back());
  }
  EXPECT_EQ(marks, (std::vector<Text>{u"300:updates", u"50:", u"120:extra boots", u"55:", u"52:"}));
}

TEST_F(RestartMarksSimTest,
       TheSetupSaysUpdatesWaitInsteadOfItsFirstTextAndAScriptOnlyOnItsConsole) {
  for (const bool waiting : {false, true}) {
    SCOPED_TRACE(waiting ? "updates waiting" : "none waiting");
    if (waiting) UpdatesWaiting(true);
    Text shown;
    PlainStart([&shown](ui::HeadlessBackend& ui) {
      shown = Status(ui);
      ui.Close();
    });
    EXPECT_EQ(shown, waiting ? Text(kUpdatesWaiting)
                             : Text(u"Set the desired options and press 'Start operation'"));
  }
  // A script started where there is no console is told nothing, and goes on.
  user = [](ui::HeadlessBackend&, int) {};
  const auto& scripted = Start(u"/Start /TotalReboots:2 /Delay:1");
  EXPECT_TRUE(scripted.restartRequested);
  EXPECT_TRUE(scripted.messages.empty());
  EXPECT_TRUE(machine.console.written.empty());
  EXPECT_EQ(Stored(u"TimeStamps", u"ShutDownUpdatesWaiting"), u"1");
}

}  // namespace
}  // namespace twk::setup
