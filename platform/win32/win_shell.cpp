#include "platform/win32/win_shell.h"

#include "platform/win32/wide_text.h"

#include <windows.h>
// after windows.h
#include <shellapi.h>
#include <shlguid.h>
#include <shlobj.h>

#include <vector>

#include "platform/win32/com_apartment.h"
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

// Room for a link's target and for its arguments: the longest path and the
// longest command line Windows takes. The link object cuts what does not
// fit rather than failing, so the room must be enough for anything a link
// can hold.
constexpr int kLinkTextRoom = 32768;

std::u16string FromBuffer(const std::vector<wchar_t>& buffer) {
  return std::u16string(reinterpret_cast<const char16_t*>(buffer.data()));
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

std::optional<std::u16string> WinShell::ShortcutTarget(const std::u16string& path) {
  // Declared first, so that it ends last: every interface below is released
  // while COM is still up.
  const ComApartment apartment;
  if (!apartment.usable()) return std::nullopt;
  ComRef<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(link.Receive())))) {
    return std::nullopt;
  }
  ComRef<IPersistFile> file;
  if (FAILED(
          link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.Receive())))) {
    return std::nullopt;
  }
  // Loading only reads the file: the link is not resolved, so a target that
  // has moved is reported where the link says, and nothing goes looking for it.
  if (FAILED(file.get()->Load(Wide(path), STGM_READ))) return std::nullopt;

  std::vector<wchar_t> buffer(kLinkTextRoom, L'\0');
  // The raw path: environment variables stay as written (%windir%\...).
  // S_FALSE is a link to something that is no file (a Control Panel item).
  if (link.get()->GetPath(buffer.data(), kLinkTextRoom, nullptr, SLGP_RAWPATH) != S_OK) {
    return std::nullopt;
  }
  std::u16string target = FromBuffer(buffer);
  if (target.empty()) return std::nullopt;

  buffer.assign(kLinkTextRoom, L'\0');
  if (FAILED(link.get()->GetArguments(buffer.data(), kLinkTextRoom))) return std::nullopt;
  const std::u16string arguments = FromBuffer(buffer);
  if (!arguments.empty()) target += u' ' + arguments;
  return target;
}

}  // namespace twk::platform::win32
