// The Windows entry point: COM and GDI+ around one Application built on the
// Win32 adapters and the real window backend.
#include <windows.h>
// after windows.h
#include <objbase.h>

#include <algorithm>
// The GDI+ headers use min and max unqualified.
using std::max;
using std::min;
#include <gdiplus.h>

#include "app/application.h"
#include "platform/win32/win_clock.h"
#include "platform/win32/win_code_page.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_identity.h"
#include "platform/win32/win_power.h"
#include "platform/win32/win_processes.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_shell.h"
#include "platform/win32/win_system_info.h"
#include "ui/win32/win32_backend.h"

namespace {

int RunApplication(HINSTANCE instance, PWSTR arguments, int show) {
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

  twk::ui::Win32Backend windows(instance);
  twk::app::Application application(ports, windows);
  // No critical-error or open-file message boxes: nobody may be there to
  // answer them during an unattended sequence.
  SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  const twk::Text argumentText =
      arguments != nullptr ? twk::Text(reinterpret_cast<const char16_t*>(arguments)) : twk::Text();
  return application.Run(twk::ui::ToHandle(instance), argumentText, show);
  // Leaving the scope tears the application down: the settings are saved,
  // the images deleted and the frame destroyed, before GDI+ shuts down.
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR arguments, int show) {
  CoInitialize(nullptr);
  ULONG_PTR gdiplusToken = 0;
  Gdiplus::GdiplusStartupInput input;  // version 1, no debug callback, background thread
  if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok) gdiplusToken = 0;

  const int exitCode = RunApplication(instance, arguments, show);

  if (gdiplusToken != 0) Gdiplus::GdiplusShutdown(gdiplusToken);
  CoUninitialize();
  return exitCode;
}
