#include "platform/win32/win_power.h"

#include <windows.h>
// After windows.h, whose types it uses.
#include <mmsystem.h>

namespace twk::platform::win32 {

bool WinPower::RequestRestart() { return ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, 0) != FALSE; }

void WinPower::KeepSystemAwake() { SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED); }

bool WinPower::PlaySoundFile(const std::u16string& path) {
  return PlaySoundW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                    SND_FILENAME | SND_ASYNC) != FALSE;
}

}  // namespace twk::platform::win32
