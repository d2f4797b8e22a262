#include "platform/win32/win_power.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

#include <string>

#include "platform/win32/win_error.h"

namespace twk::platform::win32 {

RestartAnswer WinPower::RequestRestart() {
  if (ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, 0) != FALSE) return {};
  const DWORD error = LastError();
  RestartAnswer answer;
  // Never Ok: a refusal whose code says success is still a refusal.
  answer.status = error == ERROR_SUCCESS ? Status::Failed : StatusFromError(error);
  std::u16string& reason = answer.reason;
  wchar_t text[512] = {};
  DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                error, 0, text, 512, nullptr);
  // The system's sentences end in a full stop and a line break; the caller
  // puts the words in brackets.
  while (length > 0 && (text[length - 1] == L'\r' || text[length - 1] == L'\n' ||
                        text[length - 1] == L'.' || text[length - 1] == L' ')) {
    --length;
  }
  reason.assign(reinterpret_cast<const char16_t*>(text), length);
  if (reason.empty()) {
    reason = u"error ";
    for (char c : std::to_string(error)) reason += static_cast<char16_t>(c);
  }
  return answer;
}

void WinPower::KeepSystemAwake() { SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED); }

bool WinPower::PlaySoundFile(const std::u16string& path) {
  return PlaySoundW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                    SND_FILENAME | SND_ASYNC) != FALSE;
}

}  // namespace twk::platform::win32
