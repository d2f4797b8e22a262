/* The floor under the countdown's CPU figure: the smallest program with the
   same wake-up scheme (a thread posting a null message to a window every
   20 ms, a GetMessageW loop) and nothing else. It runs for the number of
   seconds given on its command line (default 25) and ends. */
#include <stdlib.h>
#include <windows.h>

static DWORD WINAPI Beat(LPVOID window) {
  while (IsWindow((HWND)window)) {
    PostMessageW((HWND)window, 0, 0, 0);
    Sleep(20);
  }
  return 0;
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR args, int show) {
  (void)previous;
  (void)show;
  DWORD seconds = args && *args ? (DWORD)atoi(args) : 25;
  HWND window = CreateWindowExW(0, L"STATIC", L"heartbeat floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 200, 100, NULL, NULL, instance, NULL);
  CloseHandle(CreateThread(NULL, 0, Beat, window, 0, NULL));
  DWORD start = GetTickCount();
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    if (message.message != 0) DispatchMessageW(&message);
    if (GetTickCount() - start > seconds * 1000) break;
  }
  DestroyWindow(window);
  return 0;
}
