#pragma once
// Whether the tests run under Wine, where some system features are stubs:
// a test states what Wine answers and what Windows does, each where it runs.
#include <windows.h>

namespace twk::platform::win32::test {

inline bool RunsUnderWine() {
  HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

}  // namespace twk::platform::win32::test
