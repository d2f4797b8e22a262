#pragma once
#include "platform/processes.h"

namespace twk::platform::win32 {

class WinProcesses final : public Processes {
 public:
  ProcessHandle Create(char16_t* commandLine, const char16_t* workingDirectory,
                       int showCommand) override;
  bool GetExitCode(ProcessHandle process, std::uint32_t& code) override;
  void Close(ProcessHandle process) override;
  bool IsWow64Process() override;
  bool DisableWow64FsRedirection(std::uintptr_t& oldValue) override;
  bool RevertWow64FsRedirection(std::uintptr_t oldValue) override;
  std::vector<std::uint32_t> ListProcessIds() override;
  Answer<Text> ImagePath(std::uint32_t id) override;
  Text SystemRootFolder() override;
  bool ProcessRuns(std::uint32_t id) override;
  void PostDestroyToWindows(std::uint32_t id) override;
  Status Terminate(std::uint32_t id) override;
  bool TerminateThreads(std::uint32_t id) override;
};

}  // namespace twk::platform::win32
