#pragma once
// A process table. Every creation is recorded as the platform would have
// seen it (the command line in the buffer, the working directory, the show
// command, and whether WOW64 file-system redirection was off at that moment).
// What each process does is scripted: fail to start, run for some seconds of
// a fake clock or for some exit-code queries, then end with a code; or run
// until the test ends it. Tests also put processes of their own in the table
// (with an image path, and how they take being asked or made to end).
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/fake/fake_clock.h"
#include "platform/processes.h"

namespace twk::platform {

class FakeProcesses final : public Processes {
 public:
  struct Plan {
    bool failToStart = false;
    std::uint32_t exitCode = 0;
    // The process ends when either limit is reached; with neither it runs
    // until EndProcess. runSeconds needs the clock given to the constructor.
    std::optional<std::uint64_t> runSeconds;
    std::optional<int> runQueries = 0;  // exit-code queries answered "still active"
    // Ends the process the first time it holds when the process is looked at.
    std::function<bool()> endsWhen;
    bool exitCodeQueryFails = false;
  };

  struct Launch {
    std::uint32_t id = 0;  // 0 when creation failed
    ProcessHandle handle = kNoProcess;
    bool hadCommandLine = false;
    std::u16string commandLine;  // the buffer's text up to its NUL
    std::optional<std::u16string> workingDirectory;
    int showCommand = 0;
    bool redirectionOff = false;
  };

  // A process the test puts in the table; it runs until something ends it.
  struct Listed {
    std::optional<std::u16string> imagePath;  // none: the path cannot be read
    bool endsOnDestroy = false;               // has a window, and ends when that gets WM_DESTROY
    int survivesTerminations = 0;             // terminations it outlives
    bool terminateDenied = false;             // cannot be opened for termination
    bool endsWithThreads = true;              // ends when its threads are terminated
  };

  explicit FakeProcesses(FakeClock* clock = nullptr) : clock_(clock) {}

  // ---- test controls -------------------------------------------------------
  // The machine: 64-bit Windows or not, and whether this process is a 32-bit
  // one on it (only then can file-system redirection be switched off).
  void SetMachine(bool windows64, bool wow64Process) { wow64_ = windows64 && wow64Process; }
  // As on systems older than the WOW64 functions: lookups find nothing.
  void SetWow64FunctionsMissing(bool missing) { functionsMissing_ = missing; }
  void FailNextDisable() { failNextDisable_ = true; }

  void SetDefaultPlan(const Plan& plan) { defaultPlan_ = plan; }
  // Called as each creation begins, e.g. to look at the disk a new process reads.
  std::function<void()> onCreate;
  // Processes whose command line contains this text (without regard to case)
  // follow the plan; the first matching rule wins, later rules are added last.
  void AddRule(const std::u16string& commandLineContains, const Plan& plan);

  void AddProcess(std::uint32_t id, const Listed& listed);
  void SetSystemRootFolder(const std::u16string& folder) { systemRoot_ = folder; }
  // The process list itself cannot be read, or threads cannot be listed.
  void SetListFails(bool fails) { listFails_ = fails; }
  void SetThreadSnapshotFails(bool fails) { threadSnapshotFails_ = fails; }
  int terminations(std::uint32_t id) const;
  int threadTerminations() const { return threadTerminations_; }
  int destroyPosts() const { return destroyPosts_; }

  // The system's process list as ProcessUsages answers it (or the status it
  // fails with), this process's own id, and how often the list was read.
  void SetUsages(std::vector<ProcessUsage> usages) { usages_ = std::move(usages); }
  void SetUsagesStatus(Status status) { usagesStatus_ = status; }
  void SetOwnId(std::uint32_t id) { ownId_ = id; }
  int usageReads() const { return usageReads_; }

  void EndProcess(std::uint32_t id, std::uint32_t exitCode);
  [[nodiscard]] bool IsRunning(std::uint32_t id);

  const std::vector<Launch>& launches() const { return launches_; }
  bool redirectionOff() const { return redirectionOff_; }
  int disableCalls() const { return disableCalls_; }
  int revertCalls() const { return revertCalls_; }
  int wow64Queries() const { return wow64Queries_; }
  std::size_t openHandleCount() const { return handles_.size(); }
  int badCloses() const { return badCloses_; }

  // ---- Processes -----------------------------------------------------------
  [[nodiscard]] ProcessHandle Create(char16_t* commandLine, const char16_t* workingDirectory,
                                     int showCommand) override;
  [[nodiscard]] bool GetExitCode(ProcessHandle process, std::uint32_t& code) override;
  void Close(ProcessHandle process) override;
  [[nodiscard]] bool IsWow64Process() override;
  [[nodiscard]] bool DisableWow64FsRedirection(std::uintptr_t& oldValue) override;
  bool RevertWow64FsRedirection(std::uintptr_t oldValue) override;
  [[nodiscard]] std::vector<std::uint32_t> ListProcessIds() override;
  [[nodiscard]] Answer<std::u16string> ImagePath(std::uint32_t id) override;
  [[nodiscard]] std::u16string SystemRootFolder() override { return systemRoot_; }
  [[nodiscard]] bool ProcessRuns(std::uint32_t id) override { return IsRunning(id); }
  void PostDestroyToWindows(std::uint32_t id) override;
  [[nodiscard]] Status Terminate(std::uint32_t id) override;
  [[nodiscard]] bool TerminateThreads(std::uint32_t id) override;
  [[nodiscard]] Answer<std::vector<ProcessUsage>> ProcessUsages() override;
  [[nodiscard]] std::uint32_t OwnProcessId() override { return ownId_; }

 private:
  struct Process {
    Plan plan;
    Listed listed;
    int terminations = 0;
    std::uint64_t startMilliseconds = 0;
    int queries = 0;
    bool ended = false;
    std::uint32_t exitCode = 0;
  };

  const Plan& PlanFor(const std::u16string& commandLine) const;
  void Update(Process& process);

  FakeClock* clock_;
  Plan defaultPlan_;
  std::vector<std::pair<std::u16string, Plan>> rules_;
  std::map<std::uint32_t, Process> processes_;
  std::map<ProcessHandle, std::uint32_t> handles_;
  std::vector<Launch> launches_;
  std::uint32_t nextId_ = 1000;
  ProcessHandle nextHandle_ = 0x2000;
  std::uintptr_t nextToken_ = 0x51;
  std::uintptr_t disableToken_ = 0;
  bool wow64_ = false;
  bool functionsMissing_ = false;
  bool failNextDisable_ = false;
  bool redirectionOff_ = false;
  int disableCalls_ = 0;
  int revertCalls_ = 0;
  int wow64Queries_ = 0;
  int badCloses_ = 0;
  std::u16string systemRoot_ = u"C:\\Windows";
  bool listFails_ = false;
  std::vector<ProcessUsage> usages_;
  Status usagesStatus_ = Status::Ok;
  std::uint32_t ownId_ = 4242;
  int usageReads_ = 0;
  bool threadSnapshotFails_ = false;
  int threadTerminations_ = 0;
  int destroyPosts_ = 0;
};

}  // namespace twk::platform
