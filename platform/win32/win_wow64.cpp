#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {

bool CurrentProcessIsWow64() {
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  Kernel32Module kernel32;
  auto isWow64Process = kernel32.Find<IsWow64ProcessFn>("IsWow64Process");
  if (isWow64Process == nullptr) return false;
  BOOL wow64 = FALSE;
  if (!isWow64Process(GetCurrentProcess(), &wow64)) return false;
  return wow64 != FALSE;
}

}  // namespace twk::platform::win32
