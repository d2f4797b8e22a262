// Finding a process by its image path (in the forms the kernel reports
// them) and stopping it, round by round, with the least force that works.
#include "maintenance/process_control.h"

#include <gtest/gtest.h>

#include "base/strings.h"
#include "platform/fake/fake_processes.h"

namespace twk::maintenance {
namespace {

using platform::FakeProcesses;

TEST(ImagePaths, KernelFormsBecomeProgramPaths) {
  // The root in any case (the usual forms are met in the next test).
  const Text windows = u"C:\\Windows";
  EXPECT_EQ(NormalizeImagePath(u"\\SYSTEMROOT\\x.exe", windows), u"C:\\Windows\\x.exe");
  // Not kernel forms: two backslashes, a root without the folder's
  // backslash, a lower-case object prefix that is no prefix at all.
  for (const Text& kept : {Text(u"\\\\??\\C:\\x.exe"), Text(u"\\SystemRootX\\x.exe"),
                           Text(u"\\SystemRoot"), Text(u"C:\\x.exe"), Text(u"\\"), Text()}) {
    EXPECT_EQ(NormalizeImagePath(kept, windows), kept) << ToUtf8(kept);
  }
}

TEST(ImagePaths, AProcessIsFoundByItsPathInAnyCaseAndAnyKernelForm) {
  FakeProcesses processes;
  processes.SetSystemRootFolder(u"D:\\WinNT");
  processes.AddProcess(8, FakeProcesses::Listed{});  // path unreadable
  processes.AddProcess(12, {.imagePath = u"\\??\\C:\\Tools\\a.exe"});
  processes.AddProcess(16, {.imagePath = u"\\SystemRoot\\System32\\defrag.exe"});
  processes.AddProcess(20, {.imagePath = u"d:\\winnt\\system32\\DEFRAG.exe"});
  EXPECT_EQ(FindProcessByImagePath(processes, u"D:\\WINNT\\System32\\defrag.exe"), 16u);
  EXPECT_EQ(GetProcessImagePath(processes, 16), Text(u"D:\\WinNT\\System32\\defrag.exe"));
  EXPECT_EQ(FindProcessByImagePath(processes, u"c:\\tools\\A.EXE"), 12u);
  EXPECT_EQ(FindProcessByImagePath(processes, u"C:\\Tools"), 0u);
  EXPECT_EQ(GetProcessImagePath(processes, 8), std::nullopt);
  processes.EndProcess(16, 0);
  EXPECT_EQ(FindProcessByImagePath(processes, u"D:\\WINNT\\System32\\defrag.exe"), 20u);
  processes.SetListFails(true);
  EXPECT_EQ(FindProcessByImagePath(processes, u"c:\\tools\\a.exe"), 0u);
}

TEST(Running, TheLowestIdsAreTheIdleAndSystemProcesses) {
  FakeProcesses processes;
  processes.AddProcess(4, FakeProcesses::Listed{});
  processes.AddProcess(5, FakeProcesses::Listed{});
  for (std::uint32_t id : {0u, 3u, 4u, 5u, 6u}) {
    EXPECT_EQ(IsProcessRunning(processes, id), id == 4 || id == 5) << id;
  }
}

TEST(Stopping, EachStepIsTakenOnlyWhenTheOneBeforeFailed) {
  struct Case {
    const char* name;
    FakeProcesses::Listed listed;
    bool snapshotFails;
    bool stopped;
    int destroyPosts, terminations, threadTerminations;
  };
  FakeProcesses::Listed window, plain, tough, stuck, denied;
  window.endsOnDestroy = true;
  tough.survivesTerminations = stuck.survivesTerminations = 40;
  stuck.endsWithThreads = false;
  denied.terminateDenied = true;
  const Case cases[] = {
      {"goes when its window is destroyed", window, false, true, 1, 0, 0},
      {"ends in the first round", plain, false, true, 1, 1, 0},
      {"outlives 30 rounds, not its threads", tough, false, true, 1, 30, 1},
      {"outlives its threads, not 11 more rounds", stuck, false, true, 1, 41, 1},
      {"threads cannot be listed", tough, true, false, 1, 30, 0},
      {"may not be terminated, threads may", denied, false, true, 1, 0, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeProcesses processes;
    processes.AddProcess(100, c.listed);
    processes.SetThreadSnapshotFails(c.snapshotFails);
    EXPECT_EQ(StopProcess(processes, 100), c.stopped);
    EXPECT_EQ(processes.IsRunning(100), !c.stopped);
    EXPECT_EQ(processes.destroyPosts(), c.destroyPosts);
    EXPECT_EQ(processes.terminations(100), c.terminations);
    EXPECT_EQ(processes.threadTerminations(), c.threadTerminations);
  }
  FakeProcesses none;
  EXPECT_TRUE(StopProcess(none, 1234));  // not running: nothing to do
}

}  // namespace
}  // namespace twk::maintenance
