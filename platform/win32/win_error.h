#pragma once
// The error code of a Win32 call that has just failed. Every adapter reads it
// here, once, directly after the failing call: any further API call (even
// one that succeeds) may overwrite it, and the code is only ever used to
// choose a result, never passed on.
#include <windows.h>

namespace twk::platform::win32 {

[[nodiscard]] inline DWORD LastError() { return ::GetLastError(); }

}  // namespace twk::platform::win32
