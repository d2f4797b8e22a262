#include "platform/win32/win_console.h"

#include <windows.h>

#include "platform/win32/handles.h"
#include "platform/win32/win_error.h"

namespace twk::platform::win32 {

bool WinConsole::AttachToParent() {
  // Refused as "access denied" when the process already has a console,
  // which some systems give a GUI program started from one: that console
  // is the caller's too.
  if (!attached_) {
    attached_ = AttachConsole(ATTACH_PARENT_PROCESS) != FALSE || LastError() == ERROR_ACCESS_DENIED;
  }
  return attached_;
}

bool WinConsole::Write(const std::u16string& text) {
  if (!attached_) return false;
  // The screen buffer itself rather than the standard handles: a GUI program
  // is given none, or ones that the attach does not replace.
  const UniqueFile out(CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, 0, nullptr));
  if (!out) return false;
  const auto* data = reinterpret_cast<const wchar_t*>(text.data());
  DWORD left = static_cast<DWORD>(text.size());
  while (left > 0) {
    DWORD written = 0;
    if (!WriteConsoleW(out.get(), data, left, &written, nullptr) || written == 0) return false;
    data += written;
    left -= written;
  }
  return true;
}

bool WinConsole::DesktopIsVisible() {
  // Session 0 holds only services from Vista on; before, it is also the
  // console user's own session, whose desktop is seen.
  OSVERSIONINFOEXW vista{};
  vista.dwOSVersionInfoSize = sizeof(vista);
  vista.dwMajorVersion = 6;
  const DWORDLONG atLeast = VerSetConditionMask(0, VER_MAJORVERSION, VER_GREATER_EQUAL);
  DWORD session = 0;
  if (ProcessIdToSessionId(GetCurrentProcessId(), &session) && session == 0 &&
      VerifyVersionInfoW(&vista, VER_MAJORVERSION, atLeast)) {
    return false;
  }
  // The station's handle belongs to the process and is not closed.
  USEROBJECTFLAGS flags{};
  DWORD needed = 0;
  HWINSTA station = GetProcessWindowStation();
  if (station != nullptr &&
      GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof(flags), &needed) &&
      (flags.dwFlags & WSF_VISIBLE) == 0) {
    return false;
  }
  return true;
}

}  // namespace twk::platform::win32
