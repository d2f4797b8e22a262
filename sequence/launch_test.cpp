#include "sequence/launch.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_processes.h"

namespace twk::sequence {
namespace {

using platform::FakeProcesses;
using platform::OwnedProcess;

class LaunchTest : public ::testing::Test {
 protected:
  platform::ProcessHandle Launch(const Text& command, std::uint32_t flags,
                                 const Text& folder = u"C:\\Tools") {
    return LaunchProcess(processes, command, folder, platform::ShowCommand::Show, flags);
  }
  const FakeProcesses::Launch& Last() const { return processes.launches().back(); }

  FakeProcesses processes;
};

TEST_F(LaunchTest, EmptyTextsMeanNone) {
  OwnedProcess process(processes, LaunchProcess(processes, u"x.exe", u"", 0, 0));
  EXPECT_TRUE(process);
  EXPECT_FALSE(Last().workingDirectory.has_value()) << "the caller's folder";

  EXPECT_EQ(LaunchProcess(processes, u"", u"C:\\", 5, 0), platform::kNoProcess);
  EXPECT_FALSE(Last().hadCommandLine);
}

TEST_F(LaunchTest, ACommandLineIsCutAfter32000Characters) {
  Text exact(kMaxCommandLine, u'a');
  OwnedProcess first(processes, Launch(exact, 0));
  EXPECT_EQ(Last().commandLine, exact);

  Text longer = u"run " + Text(kMaxCommandLine, u'b');
  OwnedProcess second(processes, Launch(longer, 0));
  EXPECT_EQ(Last().commandLine, longer.substr(0, kMaxCommandLine));
}

TEST_F(LaunchTest, RedirectionIsOffOnlyAroundTheCreationUnderWow64) {
  processes.SetMachine(true, true);
  OwnedProcess process(processes, Launch(u"C:\\Windows\\System32\\defrag.exe C:", 2));
  ASSERT_TRUE(process);
  EXPECT_TRUE(Last().redirectionOff);
  EXPECT_FALSE(processes.redirectionOff()) << "reverted before returning";
  EXPECT_EQ(processes.disableCalls(), 1);
  EXPECT_EQ(processes.revertCalls(), 1);

  // Reverted too when the creation failed, which leaves no handle open.
  FakeProcesses::Plan refuse;
  refuse.failToStart = true;
  processes.AddRule(u"missing", refuse);
  process.Reset();
  EXPECT_EQ(Launch(u"missing.exe", LaunchFlags::NoFsRedirection), platform::kNoProcess);
  EXPECT_TRUE(Last().redirectionOff);
  EXPECT_FALSE(processes.redirectionOff());
  EXPECT_EQ(processes.revertCalls(), 2);
  EXPECT_EQ(processes.openHandleCount(), 0u);
}

TEST_F(LaunchTest, WithoutTheFlagWow64OrTheSwitchRedirectionStaysOnAndTheProcessStarts) {
  const struct {
    const char* what;
    bool wow64;
    std::uint32_t flags;
    bool functionsMissing, disableFails;
  } cases[] = {
      {"without the flag", true, LaunchFlags::None, false, false},
      {"a 64-bit process or 32-bit Windows", false, LaunchFlags::NoFsRedirection, false, false},
      {"without the Wow64 functions", true, LaunchFlags::NoFsRedirection, true, false},
      {"switch refused", true, LaunchFlags::NoFsRedirection, false, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    processes.SetMachine(true, c.wow64);
    processes.SetWow64FunctionsMissing(c.functionsMissing);
    if (c.disableFails) processes.FailNextDisable();
    OwnedProcess process(processes, Launch(u"defrag.exe", c.flags));
    EXPECT_TRUE(process);
    EXPECT_FALSE(Last().redirectionOff);
    EXPECT_EQ(processes.revertCalls(), 0) << "nothing to revert";
  }
}

}  // namespace
}  // namespace twk::sequence
