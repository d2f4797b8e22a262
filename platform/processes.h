#pragma once
// What the program needs of processes it starts: create one from a command
// line, ask whether it has ended, release it; and the WOW64 file-system
// redirection switch, so that a 32-bit process on 64-bit Windows can start
// the native programs of the system folder. Also what it needs of processes
// it did not start: list them, read their image paths, end them.
#include <cstdint>
#include <utility>
#include <vector>

#include "base/text.h"
#include "platform/status.h"
#include "platform/port_handle.h"

namespace twk::platform {

using ProcessHandle = std::uintptr_t;  // 0 = none
inline constexpr ProcessHandle kNoProcess = 0;

// The exit code a process reports while it is still running.
inline constexpr std::uint32_t kStillActive = 259;

// Show commands of the new process's first window.
namespace ShowCommand {
inline constexpr int Hide = 0;  // SW_HIDE
inline constexpr int Show = 5;  // SW_SHOW
}  // namespace ShowCommand

// One process as the system's own process list reports it (the list Task
// Manager reads): everything there without opening the process.
struct ProcessUsage {
  std::uint32_t id = 0;
  Text imageName;                 // "explorer.exe" as listed; empty for the idle process
  std::int64_t createdUtcMs = 0;  // ms since 1601-01-01 UTC; 0 when the list has none
  std::uint64_t cpu100ns = 0;     // kernel and user time since it began, in 100 ns
  std::uint64_t readBytes = 0;    // bytes read and written since it began, every
  std::uint64_t writeBytes = 0;   // kind of I/O; 0 where the system keeps no count
  bool operator==(const ProcessUsage&) const = default;
};

class Processes {
 public:
  virtual ~Processes() = default;

  // CreateProcessW with no application name, this command line (a writable,
  // NUL-terminated buffer, because process creation may write into it; null
  // means none and fails), no inherited handles, no creation flags, the
  // caller's environment, the working directory (null: the caller's), and
  // start-up information that carries only the show command. The new
  // thread's handle is released at once. 0 when creation failed.
  [[nodiscard]] virtual ProcessHandle Create(char16_t* commandLine,
                                             const char16_t* workingDirectory, int showCommand) = 0;
  // GetExitCodeProcess: kStillActive while the process runs.
  [[nodiscard]] virtual bool GetExitCode(ProcessHandle process, std::uint32_t& code) = 0;
  // CloseHandle; 0 and all-ones are not handles and are ignored.
  virtual void Close(ProcessHandle process) = 0;

  // IsWow64Process on the current process, looked up at run time because
  // old systems lack it. Missing counts as no.
  [[nodiscard]] virtual bool IsWow64Process() = 0;
  // Wow64DisableWow64FsRedirection / Wow64RevertWow64FsRedirection for the
  // calling thread, looked up at run time; false when missing or refused.
  [[nodiscard]] virtual bool DisableWow64FsRedirection(std::uintptr_t& oldValue) = 0;
  virtual bool RevertWow64FsRedirection(std::uintptr_t oldValue) = 0;

  // ---- processes by id ----------------------------------------------------
  // K32EnumProcesses with room for 2000 ids, in the order the system gives;
  // empty when the call fails.
  [[nodiscard]] virtual std::vector<std::uint32_t> ListProcessIds() = 0;
  // The image path of a process with room for 4096 characters, as the
  // system gives it: QueryFullProcessImageNameW on a limited-information
  // open where the system has it (looked up at run time), else
  // K32GetModuleFileNameExW on a query-and-read open. Kernel forms such as
  // "\SystemRoot\..." and "\??\C:\..." come back unchanged.
  [[nodiscard]] virtual Answer<Text> ImagePath(std::uint32_t id) = 0;
  // GetSystemWindowsDirectoryW: the folder that kernel paths call \SystemRoot
  // (empty when it cannot be read).
  [[nodiscard]] virtual Text SystemRootFolder() = 0;
  // Opens the process with SYNCHRONIZE and asks, without waiting, whether it
  // has ended. A process that cannot be opened counts as not running.
  [[nodiscard]] virtual bool ProcessRuns(std::uint32_t id) = 0;
  // Posts WM_DESTROY to every top-level window that the process owns.
  virtual void PostDestroyToWindows(std::uint32_t id) = 0;
  // Opens the process with PROCESS_TERMINATE, terminates it with exit code
  // 0, sleeps 20 ms and closes it. The status is that of the open.
  [[nodiscard]] virtual Status Terminate(std::uint32_t id) = 0;
  // Terminates every thread of the process, each opened with
  // THREAD_TERMINATE | THREAD_SUSPEND_RESUME. False when the threads could
  // not be listed.
  [[nodiscard]] virtual bool TerminateThreads(std::uint32_t id) = 0;

  // ---- what processes cost ------------------------------------------------
  // Every process with its CPU time and I/O, from one call of
  // NtQuerySystemInformation(SystemProcessInformation) (looked up at run
  // time), the buffer grown until the list fits. Failed when the call is
  // missing or keeps refusing.
  [[nodiscard]] virtual Answer<std::vector<ProcessUsage>> ProcessUsages() = 0;
  // GetCurrentProcessId.
  [[nodiscard]] virtual std::uint32_t OwnProcessId() = 0;
};

// Closes the process handle it holds when it goes out of scope.
using OwnedProcess = PortHandle<Processes, ProcessHandle, &Processes::Close>;

}  // namespace twk::platform
