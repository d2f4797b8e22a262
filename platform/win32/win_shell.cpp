#include "platform/win32/win_shell.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>

#include "platform/win32/handles.h"

namespace twk::platform::win32 {
namespace {

const wchar_t* Wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

// Runs the request; the process id of what was started, or 0. Whether the
// call itself succeeded goes to `ok`.
std::uint32_t Execute(SHELLEXECUTEINFOW& info, bool& ok) {
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOCLOSEPROCESS;
  ok = ShellExecuteExW(&info) != FALSE;
  std::uint32_t id = 0;
  if (ok && info.hProcess != nullptr) {
    const KernelHandle process(info.hProcess);
    id = GetProcessId(process.get());
  }
  return id;
}

}  // namespace

std::uint32_t WinShell::OpenWebPage(const std::u16string& address) {
  SHELLEXECUTEINFOW info = {};
  info.lpFile = Wide(address);
  info.nShow = SW_SHOW;
  bool ok = false;
  return Execute(info, ok);
}

bool WinShell::RelaunchElevated(const std::u16string& program, const std::u16string& parameters,
                                const std::u16string& directory, int showCommand) {
  SHELLEXECUTEINFOW info = {};
  info.lpVerb = L"RunAs";
  info.lpFile = Wide(program);
  info.lpParameters = Wide(parameters);
  info.lpDirectory = Wide(directory);
  info.nShow = showCommand;
  bool ok = false;
  Execute(info, ok);
  return ok;
}

}  // namespace twk::platform::win32
