// The Windows entry point: COM and GDI+ around one Application built on the
// Win32 adapters and the real window backend.
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <algorithm>
#include <cstdlib>
// The GDI+ headers use min and max unqualified.
using std::max;
using std::min;
#include <gdiplus.h>

#include "app/application.h"
#include "platform/win32/win_accounts.h"
#include "platform/win32/win_boot_events.h"
#include "platform/win32/win_clock.h"
#include "platform/win32/win_code_page.h"
#include "platform/win32/win_console.h"
#include "platform/win32/win_devices.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_identity.h"
#include "platform/win32/win_key_security.h"
#include "platform/win32/win_lsa_secrets.h"
#include "platform/win32/win_power.h"
#include "platform/win32/win_processes.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_remote_list_view.h"
#include "platform/win32/win_shell.h"
#include "platform/win32/win_system_info.h"
#include "platform/win32/win_window_tree.h"
#include "ui/win32/win32_backend.h"

// The C++ runtime's default answer to an uncaught exception writes the
// exception's demangled type name to the standard error stream, which a GUI
// program does not have. Defined here, the program ends the same way
// (abnormally) without carrying the runtime's demangler, a tenth of its
// size.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx

namespace {

// COM and GDI+ for the windows of a start, from the moment the start knows it
// will show any until the end of the process's work.
class WindowingRuntime {
 public:
  WindowingRuntime() = default;
  ~WindowingRuntime() {
    if (gdiplusToken_ != 0) Gdiplus::GdiplusShutdown(gdiplusToken_);
    if (comStarted_) CoUninitialize();
  }
  WindowingRuntime(const WindowingRuntime&) = delete;
  WindowingRuntime& operator=(const WindowingRuntime&) = delete;

  void Start() {
    comStarted_ = SUCCEEDED(CoInitialize(nullptr));
    Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread
    // A failed start leaves the token 0: GDI+ drawing then fails softly.
    if (Gdiplus::GdiplusStartup(&gdiplusToken_, &input, nullptr) != Gdiplus::Ok) gdiplusToken_ = 0;
  }

 private:
  bool comStarted_ = false;
  ULONG_PTR gdiplusToken_ = 0;
};

int RunApplication(HINSTANCE instance, PWSTR arguments, int show, WindowingRuntime& runtime) {
  using namespace twk::platform::win32;
  WinFileSystem files;
  WinAnsiCodePage ansi;
  WinClock clock;
  WinRegistry registry;
  WinProcesses processes;
  WinIdentity identity;
  WinSystemInfo system;
  WinShell shell;
  WinPower power;
  WinWindowTree windowTree;
  WinRemoteListViews listViews;
  WinDevices devices;
  WinLsaSecrets secrets;
  WinAccounts accounts;
  WinKeySecurity keySecurity;
  WinConsole console;
  WinBootEventLog bootEvents;
  twk::platform::Ports ports;
  ports.files = &files;
  ports.ansi = &ansi;
  ports.clock = &clock;
  ports.registry = &registry;
  ports.processes = &processes;
  ports.identity = &identity;
  ports.system = &system;
  ports.shell = &shell;
  ports.power = &power;
  ports.windows = &windowTree;
  ports.listViews = &listViews;
  ports.devices = &devices;
  ports.secrets = &secrets;
  ports.accounts = &accounts;
  ports.keySecurity = &keySecurity;
  ports.console = &console;
  ports.bootEvents = &bootEvents;

  twk::ui::Win32Backend windows(instance);
  twk::app::Application application(ports, windows);
  // No critical-error or open-file message boxes: nobody may be there to
  // answer them during an unattended sequence.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const twk::Text argumentText =
      arguments != nullptr ? twk::Text(reinterpret_cast<const char16_t*>(arguments)) : twk::Text();
  // COM and GDI+ start only once this start is known to show windows: a
  // second start that just brings the first one forward loads neither.
  return application.Run(twk::ui::ToHandle(instance), argumentText, show,
                         [&runtime] { runtime.Start(); });
  // Leaving the scope tears the application down: the settings are saved,
  // the images deleted and the frame destroyed, before GDI+ shuts down.
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
  WindowingRuntime runtime;
  return RunApplication(instance, arguments, show, runtime);
}
