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
};

}  // namespace twk::platform::win32
