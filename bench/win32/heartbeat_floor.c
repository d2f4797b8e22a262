/* The floor under the countdown's CPU figure: the smallest program with the
   same wake-up scheme (a thread posting a null message to a window every
   20 ms, a GetMessageW loop) and nothing else. It runs for the number of
   seconds given on its command line (default 25) and ends.

   With "work" after the seconds it also does, in the plainest way, what a
   countdown cannot leave out: a label showing a new number once a second
   and the processors' times read every 100 ms. Beside the bare heartbeat
   this tells what that work costs on the platform itself (under Wine a
   repaint reaches the X server, and GetSystemTimes parses /proc/stat),
   apart from what the countdown adds on top of it. */
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
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
  const int work = args && strstr(args, "work") != NULL;
  HWND window = CreateWindowExW(0, L"STATIC", L"heartbeat floor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                0, 0, 200, 100, NULL, NULL, instance, NULL);
  HWND label = work ? CreateWindowExW(0, L"STATIC", L"60", WS_CHILD | WS_VISIBLE, 10, 10, 80, 40,
                                      window, NULL, instance, NULL)
                    : NULL;
  CloseHandle(CreateThread(NULL, 0, Beat, window, 0, NULL));
  DWORD start = GetTickCount();
  DWORD nextSample = start;
  DWORD shown = 0;
  MSG message;
  while (GetMessageW(&message, NULL, 0, 0) > 0) {
    if (message.message != 0) DispatchMessageW(&message);
    DWORD now = GetTickCount();
    if (now - start > seconds * 1000) break;
    if (!work) continue;
    if ((LONG)(now - nextSample) >= 0) {
      FILETIME idle, kernel, user;
      GetSystemTimes(&idle, &kernel, &user);
      nextSample = now + 100;
    }
    if ((now - start) / 1000 != shown) {
      wchar_t text[16];
      shown = (now - start) / 1000;
      swprintf(text, 16, L"%lu", (unsigned long)(60 - shown % 60));
      SetWindowTextW(label, text);
    }
  }
  DestroyWindow(window);
  return 0;
}
