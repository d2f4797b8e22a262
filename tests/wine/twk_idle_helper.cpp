// A program for the process tests to find and stop: it idles for at most
// 30 seconds. With the argument "window" it owns a top-level window and ends
// with exit code 7 as soon as that window is destroyed.
#include <windows.h>

namespace {

LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_DESTROY) {
    PostQuitMessage(7);
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc > 1 && lstrcmpiW(argv[1], L"window") == 0) {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"TWK_IDLE_HELPER";
    RegisterClassW(&windowClass);
    CreateWindowExW(0, L"TWK_IDLE_HELPER", L"idle helper", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                    nullptr, windowClass.hInstance, nullptr);
    SetTimer(nullptr, 0, 30000, nullptr);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
      if (message.message == WM_TIMER) return 1;
      DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
  }
  Sleep(30000);
  return 1;
}
