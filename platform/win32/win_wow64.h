#pragma once
// Run-time lookups in Kernel32.dll for functions that old systems do not
// export (the WOW64 functions, and any other a caller needs): the program
// must start there all the same.
#include <windows.h>

#include "platform/win32/handles.h"

namespace twk::platform::win32 {

// Loads Kernel32.dll for the lifetime of one lookup and frees it afterwards
// (the load only adds a reference; the module stays mapped).
class Kernel32Module {
 public:
  Kernel32Module() : module_(LoadLibraryW(L"Kernel32.dll")) {}

  // The exported function as Fn, or null when it (or the module) is missing.
  template <class Fn>
  Fn Find(const char* name) const {
    if (!module_) return nullptr;
    FARPROC proc = GetProcAddress(module_.get(), name);
    // Through a generic function pointer: the cast between function pointer
    // types is what GetProcAddress is for.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
  }

 private:
  UniqueModule module_;
};

// IsWow64Process on the current process; a missing function or a failing
// call counts as not running under WOW64.
bool CurrentProcessIsWow64();

}  // namespace twk::platform::win32
