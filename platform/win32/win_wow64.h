#pragma once
// Run-time lookups in Kernel32.dll for the WOW64 functions, which old
// systems do not export: the program must start there all the same.
#include <windows.h>

#include <cstdint>

namespace twk::platform::win32 {

// Loads Kernel32.dll for the lifetime of one lookup and frees it afterwards
// (the load only adds a reference; the module stays mapped).
class Kernel32Module {
 public:
  Kernel32Module() : module_(LoadLibraryW(L"Kernel32.dll")) {}
  ~Kernel32Module() {
    if (module_ != nullptr) FreeLibrary(module_);
  }
  Kernel32Module(const Kernel32Module&) = delete;
  Kernel32Module& operator=(const Kernel32Module&) = delete;

  // The exported function as Fn, or null when it (or the module) is missing.
  template <class Fn>
  Fn Find(const char* name) const {
    if (module_ == nullptr) return nullptr;
    FARPROC proc = GetProcAddress(module_, name);
    // Through a generic function pointer: the cast between function pointer
    // types is what GetProcAddress is for.
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(proc));
  }

 private:
  HMODULE module_;
};

// IsWow64Process on the current process; a missing function or a failing
// call counts as not running under WOW64.
bool CurrentProcessIsWow64();

}  // namespace twk::platform::win32
