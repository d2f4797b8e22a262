// A program that keeps every processor busy for a while, as a desktop still
// starting its programs does: "twk_busy_helper <seconds> [<Run value>
// [<linger>]]" spins one thread per processor for that many seconds. Given a
// value name, it first deletes that value from the user's Run key, so that
// it runs after one restart only. Given a linger, it then stays idle that
// many seconds more, as a tray program that has finished starting does.
#include <windows.h>

#include <cwchar>

namespace {

DWORD g_until = 0;

DWORD WINAPI Spin(LPVOID) {
  volatile unsigned long long n = 0;
  while (static_cast<LONG>(GetTickCount() - g_until) < 0) ++n;
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const DWORD seconds = static_cast<DWORD>(std::wcstoul(argv[1], nullptr, 10));
  if (argc > 2) {
    HKEY run = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", 0,
                      KEY_SET_VALUE, &run) == ERROR_SUCCESS) {
      RegDeleteValueW(run, argv[2]);
      RegCloseKey(run);
    }
  }
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  g_until = GetTickCount() + seconds * 1000;
  HANDLE threads[64] = {};
  DWORD count = info.dwNumberOfProcessors < 64 ? info.dwNumberOfProcessors : 64;
  for (DWORD i = 0; i < count; ++i) threads[i] = CreateThread(nullptr, 0, Spin, nullptr, 0, nullptr);
  WaitForMultipleObjects(count, threads, TRUE, INFINITE);
  for (DWORD i = 0; i < count; ++i) CloseHandle(threads[i]);
  if (argc > 3) Sleep(static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10)) * 1000);
  return 0;
}
