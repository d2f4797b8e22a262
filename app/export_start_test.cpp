// A start with /Export: writes the history file and nothing else: no window,
// no settings written, no hand-over to a running instance. (How the switch is
// found, in any letter case, is the command line's test.)
#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "sequence/measurement_store.h"

namespace twk::app::apptest {
namespace {

constexpr char16_t kDocuments[] = u"C:\\Users\\alice\\Documents";
constexpr char16_t kCsv[] = u"C:\\Users\\alice\\Documents\\my history.csv";

class ExportStartTest : public ::testing::Test, public AppFixture {
 protected:
  ExportStartTest() {
    machine.files.AddFolder(kDocuments);
    Store(sequence::file::section::Sequences, u"Sequence 4", u"2024-02-01 08:30;41;40 42");
    Store(sequence::file::section::TimeStamps, sequence::file::key::FirstShutDown, u"13353768000");
    Store(sequence::file::section::History, u"Reboot 1", u"30");
    Store(sequence::file::section::Machine, sequence::file::key::ComputerName, u"LAB-07");
    Store(sequence::file::section::Machine, sequence::file::key::DiskKind, u"ssd");
    settingsBefore = *machine.files.FileBytes(kSettingsPath);
  }
  std::string settingsBefore;
};

TEST_F(ExportStartTest, WritesTheFileWithoutAWindowEvenWhileAnInstanceRuns) {
  ui.SetExistingInstance(ui::InstanceLookup::BroughtToFront);
  EXPECT_EQ(Start(u"/Export:\"" + Text(kCsv) + u"\""), 0);
  EXPECT_EQ(machine.files.FileBytes(kCsv),
            std::optional<std::string>(
                "\xEF\xBB\xBF"
                "sequence,started,restart,seconds,exact_s,shutdown_firmware_s,windows_start_s,"
                "desktop_ready_s,ready_by,windows_boot_s,windows_mainpath_s,windows_postboot_s,"
                "computer,disk,mark\r\n"
                "4,2024-02-01 08:30,1,40,,,,,,,,,LAB-07,ssd,\r\n"
                "4,2024-02-01 08:30,2,42,,,,,,,,,LAB-07,ssd,\r\n"
                "5,2024-03-01 12:00,1,30,,,,,,,,,LAB-07,ssd,\r\n"));
  EXPECT_EQ(ui.instanceLookups(), 0);
  EXPECT_EQ(setupRuns + stepRuns, 0);
  EXPECT_EQ(ui.frame(), 0u);
  EXPECT_FALSE(ui.heartbeatRunning());
  app.reset();  // the start's tear-down would be where a save happens
  EXPECT_EQ(machine.files.FileBytes(kSettingsPath), std::optional<std::string>(settingsBefore));
  EXPECT_EQ(machine.identity.OpenTokens(), 0);
}

TEST_F(ExportStartTest, AFailureEndsWithOneWritesNothingAndTellsTheCallerWhy) {
  const Text missing = u"C:\\Users\\alice\\Nowhere\\h.csv";
  EXPECT_EQ(Start(u"/Export:" + missing), 1);
  EXPECT_FALSE(machine.files.FolderExists(u"C:\\Users\\alice\\Nowhere"));
  EXPECT_EQ(ui.messages(), std::vector<Text>{u"Tarnwick did not export the history: The file "
                                             u"could not be created there."});
  machine.console.parentHasConsole = true;
  EXPECT_EQ(Start(u"/Export:"), 1);
  EXPECT_EQ(machine.console.written,
            u"Tarnwick did not export the history: No file was named.\r\n");
  EXPECT_EQ(ui.messages().size(), 1u);
  app.reset();
  EXPECT_EQ(machine.files.FileBytes(kSettingsPath), std::optional<std::string>(settingsBefore));
}

TEST_F(ExportStartTest, WithoutASettingsFileOnlyTheHeaderIsWrittenAndNoneIsMade) {
  ASSERT_TRUE(machine.files.Delete(kSettingsPath));
  EXPECT_EQ(Start(u"/Export:\"" + Text(kCsv) + u"\""), 0);
  EXPECT_EQ(machine.files.FileBytes(kCsv),
            std::optional<std::string>("\xEF\xBB\xBF"
                                       "sequence,started,restart,seconds,exact_s,"
                                       "shutdown_firmware_s,windows_start_s,desktop_ready_s,"
                                       "ready_by,windows_boot_s,windows_mainpath_s,"
                                       "windows_postboot_s,computer,disk,mark\r\n"));
  app.reset();
  EXPECT_FALSE(machine.files.FileExists(kSettingsPath));
}

TEST_F(ExportStartTest, TheBusyProgramsGoToTheirOwnFileOneRowPerProgramOfEveryRestart) {
  // Sequence 4's second restart was read before its desktop was ready; the
  // current sequence's restart with a path that needs quoting and I/O
  // counted; sequence 4's first restart was never read.
  Store(sequence::file::section::SequencesBusy, u"Sequence 4",
        u">before|Sync.exe*C:\\Sync\\Sync.exe*startup*8150*?|x.exe**other*5*?");
  Store(sequence::file::section::RestartBusy, u"Reboot 1",
        u"ready|idx.exe*C:\\A, B\\idx.exe*service*900*3250586");
  const Text csv = u"C:\\Users\\alice\\Documents\\busy.csv";
  EXPECT_EQ(Start(u"/exportPROCESSES:\"" + csv + u"\""), 0);
  EXPECT_EQ(machine.files.FileBytes(csv),
            std::optional<std::string>(
                "\xEF\xBB\xBF"
                "sequence,started,restart,process,path,kind,cpu_s,io_mb,impact,at_ready,computer\r\n"
                "4,2024-02-01 08:30,2,Sync.exe,C:\\Sync\\Sync.exe,start-up program,8.15,,High,0,"
                "LAB-07\r\n"
                "4,2024-02-01 08:30,2,x.exe,,other,0.005,,Low,0,LAB-07\r\n"
                // 3250586 bytes are 3.1 MB (3.09999 rounds to 3.1): above 3 MB, High.
                "5,2024-03-01 12:00,1,idx.exe,\"C:\\A, B\\idx.exe\",service,0.9,3.1,High,1,"
                "LAB-07\r\n"));
  EXPECT_FALSE(machine.files.FileExists(kCsv));  // the history's file was not asked for
  EXPECT_EQ(ui.frame(), 0u);

  // Both at once: each file, and a failure of one says which and ends with 1.
  EXPECT_EQ(Start(u"/Export:\"" + Text(kCsv) + u"\" /ExportProcesses:C:\\Nowhere\\p.csv"), 1);
  EXPECT_TRUE(machine.files.FileExists(kCsv));
  EXPECT_EQ(ui.messages(), std::vector<Text>{u"Tarnwick did not export the busy programs: The "
                                             u"file could not be created there."});
  app.reset();
}

}  // namespace
}  // namespace twk::app::apptest
