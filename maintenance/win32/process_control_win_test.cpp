#include <gtest/gtest.h>
#include <windows.h>

#include "base/strings.h"
#include "maintenance/process_control.h"
#include "platform/win32/win_file_system_test_util.h"
#include "platform/win32/win_processes.h"
#include "sequence/launch.h"

namespace twk::maintenance {
namespace {

using platform::win32::WinProcesses;
using platform::win32::test::BesideThisProgram;

Text SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  const UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return Text(buffer, buffer + length);
}

Text Upper(Text text) {
  for (char16_t& c : text) c = static_cast<char16_t>(towupper(c));
  return text;
}

class HelperProcessTest : public ::testing::Test {
 protected:
  void Start(const Text& arguments) {
    ASSERT_NE(GetFileAttributesW(reinterpret_cast<const wchar_t*>(helper.c_str())),
              INVALID_FILE_ATTRIBUTES);
    process = sequence::LaunchProcess(processes, helper + arguments, u"",
                                      platform::ShowCommand::Hide, sequence::LaunchFlags::None);
    ASSERT_NE(process, platform::kNoProcess);
    id = GetProcessId(reinterpret_cast<HANDLE>(process));
    // Let it get as far as its window, when it makes one.
    WaitForInputIdle(reinterpret_cast<HANDLE>(process), 5000);
  }
  ~HelperProcessTest() override {
    if (process == platform::kNoProcess) return;
    TerminateProcess(reinterpret_cast<HANDLE>(process), 99);
    processes.Close(process);
  }
  DWORD ExitCode() {
    EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(process), 5000), WAIT_OBJECT_0);
    DWORD code = 0xdeadbeef;
    GetExitCodeProcess(reinterpret_cast<HANDLE>(process), &code);
    return code;
  }

  WinProcesses processes;
  const Text helper = BesideThisProgram(u"twk_idle_helper.exe");
  platform::ProcessHandle process = platform::kNoProcess;
  DWORD id = 0;
};

TEST_F(HelperProcessTest, FoundByItsPathInAnotherCaseAndTerminated) {
  Start(u"");
  EXPECT_TRUE(IsProcessRunning(processes, id));
  std::optional<Text> image = GetProcessImagePath(processes, id);
  ASSERT_TRUE(image.has_value());
  EXPECT_TRUE(EqualsIgnoreCase(*image, helper)) << ToUtf8(*image);
  EXPECT_EQ(FindProcessByImagePath(processes, Upper(helper)), id);
  EXPECT_TRUE(StopProcess(processes, id));
  EXPECT_EQ(ExitCode(), 0u);  // terminated with code 0, not its own 1
  EXPECT_FALSE(IsProcessRunning(processes, id));
  EXPECT_EQ(FindProcessByImagePath(processes, helper), 0u);
}

TEST_F(HelperProcessTest, AProgramWithAWindowGoesWhenTheWindowIsDestroyed) {
  Start(u" window");
  EXPECT_TRUE(StopProcess(processes, id));
  // Terminated would be 0; 7 says it left through its destroyed window,
  // or the termination came after the message had ended it.
  const DWORD code = ExitCode();
  EXPECT_TRUE(code == 7u || code == 0u) << code;
}

TEST(ProcessesWin, TheSystemAnswersForProcessesThatAreNotThere) {
  WinProcesses processes;
  const std::vector<std::uint32_t> ids = processes.ListProcessIds();
  EXPECT_NE(std::find(ids.begin(), ids.end(), GetCurrentProcessId()), ids.end());
  EXPECT_TRUE(processes.ProcessRuns(GetCurrentProcessId()));
  // Ids are multiples of 4: this one names no process.
  EXPECT_FALSE(processes.ProcessRuns(0x7FFFFFF1));
  EXPECT_FALSE(processes.ImagePath(0x7FFFFFF1).ok());
  EXPECT_NE(processes.Terminate(0x7FFFFFF1), platform::Status::Ok);
  const Text root = processes.SystemRootFolder();
  EXPECT_TRUE(EqualsIgnoreCase(root + u"\\system32", SystemFolder())) << ToUtf8(root);
}

}  // namespace
}  // namespace twk::maintenance
