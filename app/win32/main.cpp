// Entry point for now: loads the settings file, shows the main window until
// it is closed, and writes the settings back. The run modes come later.
#include <windows.h>
#include <shlobj.h>

#include <string>

#include "platform/win32/win_file_system.h"
#include "settings/ini_document.h"

namespace {

constexpr wchar_t kWindowClass[] = L"TWK_GUI_CLASS";
constexpr wchar_t kTitle[] = L"Tarnwick";

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// %APPDATA%\Tarnwick\TWK.ini, or empty when the folder is unknown.
twk::Text SettingsPath() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) {
    return {};
  }
  return reinterpret_cast<const char16_t*>(folder) + twk::Text(u"\\Tarnwick\\TWK.ini");
}

int RunWindow(HINSTANCE instance, int show) {
  WNDCLASSEXW windowClass = {};
  windowClass.cbSize = sizeof windowClass;
  windowClass.lpfnWndProc = WindowProc;
  windowClass.hInstance = instance;
  windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  windowClass.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&windowClass)) return 1;

  HWND window = CreateWindowExW(0, kWindowClass, kTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, 480, 320, nullptr, nullptr, instance, nullptr);
  if (!window) return 1;
  ShowWindow(window, show);
  UpdateWindow(window);

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  twk::platform::win32::WinFileSystem files;
  twk::settings::SettingsFile settings(files);
  const twk::Text path = SettingsPath();
  if (!path.empty()) {
    (void)settings.Load(path);  // a missing file is an empty document
    settings.saveOnClose = true;
  }
  const int exitCode = RunWindow(instance, show);
  settings.Close();  // writes the settings back
  return exitCode;
}
