#include "platform/win32/win_processes.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {
namespace {

HANDLE ToHandle(ProcessHandle process) { return reinterpret_cast<HANDLE>(process); }

bool IsHandle(ProcessHandle process) {
  return process != kNoProcess && process != ~ProcessHandle{0};
}

}  // namespace

ProcessHandle WinProcesses::Create(char16_t* commandLine, const char16_t* workingDirectory,
                                   int showCommand) {
  // CreateProcessW without an application name or a command line is an
  // error, but not every implementation says so: Wine reads through the
  // null pointer. Fail here instead.
  if (commandLine == nullptr || commandLine[0] == u'\0') return kNoProcess;
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  PROCESS_INFORMATION created{};
  if (!CreateProcessW(nullptr, reinterpret_cast<wchar_t*>(commandLine), nullptr, nullptr, FALSE, 0,
                      nullptr, reinterpret_cast<const wchar_t*>(workingDirectory), &startup,
                      &created)) {
    return kNoProcess;
  }
  // Only the process is handed out; the thread's handle goes at once.
  const KernelHandle thread(created.hThread);
  return reinterpret_cast<ProcessHandle>(created.hProcess);
}

bool WinProcesses::GetExitCode(ProcessHandle process, std::uint32_t& code) {
  if (!IsHandle(process)) return false;
  DWORD exitCode = 0;
  if (!GetExitCodeProcess(ToHandle(process), &exitCode)) return false;
  code = exitCode;
  return true;
}

void WinProcesses::Close(ProcessHandle process) {
  if (IsHandle(process)) CloseHandle(ToHandle(process));
}

bool WinProcesses::IsWow64Process() { return CurrentProcessIsWow64(); }

bool WinProcesses::DisableWow64FsRedirection(std::uintptr_t& oldValue) {
  using DisableFn = BOOL(WINAPI*)(PVOID*);
  oldValue = 0;
  Kernel32Module kernel32;
  auto disable = kernel32.Find<DisableFn>("Wow64DisableWow64FsRedirection");
  if (disable == nullptr) return false;
  PVOID old = nullptr;
  BOOL done = disable(&old);
  oldValue = reinterpret_cast<std::uintptr_t>(old);
  return done != FALSE;
}

bool WinProcesses::RevertWow64FsRedirection(std::uintptr_t oldValue) {
  using RevertFn = BOOL(WINAPI*)(PVOID);
  Kernel32Module kernel32;
  auto revert = kernel32.Find<RevertFn>("Wow64RevertWow64FsRedirection");
  if (revert == nullptr) return false;
  return revert(reinterpret_cast<PVOID>(oldValue)) != FALSE;
}

}  // namespace twk::platform::win32
