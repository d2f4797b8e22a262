#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "context/start_context.h"
#include "platform/fake/fake_platform.h"
#include "platform/win32/win_processes.h"
#include "sequence/launch.h"
#include "ui/headless/headless_backend.h"

namespace twk::sequence {
namespace {

using platform::OwnedProcess;
using platform::win32::WinProcesses;

Text SystemFolder() {
  wchar_t buffer[MAX_PATH] = {};
  UINT length = GetSystemDirectoryW(buffer, MAX_PATH);
  return Text(reinterpret_cast<const char16_t*>(buffer), length);
}

// Waits for the process to end and returns its exit code through the port.
std::uint32_t ExitCodeAfterEnd(WinProcesses& processes, platform::ProcessHandle process) {
  EXPECT_EQ(WaitForSingleObject(reinterpret_cast<HANDLE>(process), 20000), WAIT_OBJECT_0);
  std::uint32_t code = 0xdeadbeef;
  EXPECT_TRUE(processes.GetExitCode(process, code));
  return code;
}

class LaunchWinTest : public ::testing::Test {
 protected:
  WinProcesses processes;
  const Text cmd = SystemFolder() + u"\\cmd.exe";
};

TEST_F(LaunchWinTest, ARunningProcessReportsStillActiveAndThenItsExitCode) {
  // ping waits about a second per extra echo request.
  OwnedProcess process(processes,
                       LaunchProcess(processes, SystemFolder() + u"\\ping.exe -n 3 127.0.0.1", u"",
                                     platform::ShowCommand::Hide, LaunchFlags::None));
  ASSERT_TRUE(process);
  std::uint32_t code = 0xdeadbeef;
  ASSERT_TRUE(processes.GetExitCode(process.get(), code));
  EXPECT_EQ(code, platform::kStillActive);
  TerminateProcess(reinterpret_cast<HANDLE>(process.get()), 3);
  EXPECT_EQ(ExitCodeAfterEnd(processes, process.get()), 3u);
}

TEST_F(LaunchWinTest, TheProcessStartsInTheWorkingDirectory) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const Text folder = reinterpret_cast<const char16_t*>(temp) + Text(u"TarnwickLaunch-") +
                      FromUtf8(std::to_string(GetCurrentProcessId()));
  ASSERT_TRUE(CreateDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr));
  const Text marker = folder + u"\\marker.txt";
  HANDLE file = CreateFileW(reinterpret_cast<const wchar_t*>(marker.c_str()), GENERIC_WRITE, 0,
                            nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  const Text probe = cmd + u" /c if exist marker.txt (exit 3) else (exit 4)";
  OwnedProcess inFolder(processes, LaunchProcess(processes, probe, folder, 0, LaunchFlags::None));
  ASSERT_TRUE(inFolder);
  EXPECT_EQ(ExitCodeAfterEnd(processes, inFolder.get()), 3u);
  OwnedProcess elsewhere(processes,
                         LaunchProcess(processes, probe, SystemFolder(), 0, LaunchFlags::None));
  ASSERT_TRUE(elsewhere);
  EXPECT_EQ(ExitCodeAfterEnd(processes, elsewhere.get()), 4u);

  DeleteFileW(reinterpret_cast<const wchar_t*>(marker.c_str()));
  RemoveDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()));
}

TEST_F(LaunchWinTest, NothingStartsWithoutACommandOrAProgram) {
  EXPECT_EQ(LaunchProcess(processes, u"", SystemFolder(), 5, LaunchFlags::None),
            platform::kNoProcess);
  EXPECT_EQ(LaunchProcess(processes, u"C:\\no\\such\\program.exe", u"", 5, LaunchFlags::None),
            platform::kNoProcess);
  // A folder that does not exist makes the creation fail too.
  EXPECT_EQ(
      LaunchProcess(processes, cmd + u" /c exit 0", u"C:\\no\\such\\folder", 5, LaunchFlags::None),
      platform::kNoProcess);
  std::uint32_t code = 0xdeadbeef;
  EXPECT_FALSE(processes.GetExitCode(platform::kNoProcess, code));
  EXPECT_EQ(code, 0xdeadbeefu);
  processes.Close(platform::kNoProcess);  // not a handle: ignored
}

TEST_F(LaunchWinTest, WithoutWow64TheRedirectionFlagChangesNothing) {
  SYSTEM_INFO native{};
  GetNativeSystemInfo(&native);
  if (sizeof(void*) == 4 && native.wProcessorArchitecture != PROCESSOR_ARCHITECTURE_INTEL) {
    GTEST_SKIP() << "a 32-bit process on 64-bit Windows";
  }
  EXPECT_FALSE(processes.IsWow64Process());
  std::uintptr_t old = 77;
  EXPECT_FALSE(DisableFsRedirection(processes, old));
  EXPECT_EQ(old, 0u);
  OwnedProcess process(processes, LaunchProcess(processes, cmd + u" /c exit 5", SystemFolder(), 0,
                                                LaunchFlags::NoFsRedirection));
  ASSERT_TRUE(process);
  EXPECT_EQ(ExitCodeAfterEnd(processes, process.get()), 5u);
}

// The program starting itself from a folder with a blank in its name, such as
// "C:\Program Files": unquoted, Windows would try "C:\Program.exe" first. A
// decoy stands there (a copy of ping, which fails on the rest of the line
// with another code); the program itself is a copy of cmd that exits with 7.
TEST_F(LaunchWinTest, TheProgramStartsItselfQuotedPastADecoy) {
  wchar_t temp[MAX_PATH] = {};
  ASSERT_NE(GetTempPathW(MAX_PATH, temp), 0u);
  const Text base = reinterpret_cast<const char16_t*>(temp) + Text(u"TwkQuote") +
                    FromUtf8(std::to_string(GetCurrentProcessId()));
  const Text folder = base + u" Folder";
  const Text program = folder + u"\\Tarnwick.exe";
  const Text decoy = base + u".exe";
  const auto w = [](const Text& t) { return reinterpret_cast<const wchar_t*>(t.c_str()); };
  ASSERT_TRUE(CreateDirectoryW(w(folder), nullptr));
  ASSERT_TRUE(CopyFileW(w(cmd), w(program), FALSE));
  ASSERT_TRUE(CopyFileW(w(SystemFolder() + u"\\ping.exe"), w(decoy), FALSE));

  platform::FakePlatform machine;
  machine.system.machine.programPath = program;
  ui::HeadlessBackend windows;
  context::StartContext start(machine.ports(), windows);
  start.Prepare(0, context::ReadCommandLine(u""));
  const Text line = start.SelfCommandLine(u"/c exit 7");
  OwnedProcess process(processes,
                       LaunchProcess(processes, line, start.paths().ProgramFolder(),
                                     platform::ShowCommand::Hide, LaunchFlags::NoFsRedirection));
  ASSERT_TRUE(process) << ToUtf8(line);
  EXPECT_EQ(ExitCodeAfterEnd(processes, process.get()), 7u) << ToUtf8(line);

  // The unquoted line really would have started the decoy here.
  Text unquoted = program + u" /c exit 7";
  OwnedProcess wrong(processes, LaunchProcess(processes, unquoted, Text(),
                                              platform::ShowCommand::Hide, LaunchFlags::None));
  ASSERT_TRUE(wrong);
  EXPECT_NE(ExitCodeAfterEnd(processes, wrong.get()), 7u);

  DeleteFileW(w(program));
  DeleteFileW(w(decoy));
  RemoveDirectoryW(w(folder));
}

}  // namespace
}  // namespace twk::sequence
