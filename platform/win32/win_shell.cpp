#include "platform/win32/win_shell.h"

#include "platform/win32/wide_text.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "platform/win32/handles.h"

namespace twk::platform::win32 {
namespace {

// Runs the request; the process that was started stays in `process` when
// one came back. Whether the call itself succeeded is the result.
bool Execute(SHELLEXECUTEINFOW& info, KernelHandle& process) {
  info.cbSize = sizeof info;
  info.fMask |= SEE_MASK_NOCLOSEPROCESS;
  const bool ok = ShellExecuteExW(&info) != FALSE;
  if (ok && info.hProcess != nullptr) process = KernelHandle(info.hProcess);
  return ok;
}

}  // namespace

std::uint32_t WinShell::OpenWebPage(const std::u16string& address) {
  SHELLEXECUTEINFOW info = {};
  info.lpFile = Wide(address);
  info.nShow = SW_SHOW;
  KernelHandle process;
  if (!Execute(info, process) || !process) return 0;
  return GetProcessId(process.get());
}

bool WinShell::RelaunchElevated(const std::u16string& program, const std::u16string& parameters,
                                const std::u16string& directory, int showCommand,
                                std::uint32_t* exitCode) {
  SHELLEXECUTEINFOW info = {};
  info.lpVerb = L"RunAs";
  info.lpFile = Wide(program);
  info.lpParameters = Wide(parameters);
  info.lpDirectory = Wide(directory);
  info.nShow = showCommand;
  // A caller that waits is a script, which cannot answer the shell's own
  // error dialog: the failure comes back as the result instead.
  if (exitCode != nullptr) info.fMask = SEE_MASK_FLAG_NO_UI;
  KernelHandle process;
  if (!Execute(info, process)) return false;
  if (exitCode == nullptr) return true;
  // Nothing to wait for (the start went through some other handler): the
  // outcome is unknown, which is not success.
  if (!process) return false;
  if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0) return false;
  DWORD code = 0;
  if (!GetExitCodeProcess(process.get(), &code)) return false;
  *exitCode = code;
  return true;
}

}  // namespace twk::platform::win32
