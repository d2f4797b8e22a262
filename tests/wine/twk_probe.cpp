// Helper of the end-to-end scripts: looks at and pokes the windows of a
// running Tarnwick.exe from outside, as a user or the system would.
//
//   twk_probe wait <class> [ms]        waits for a visible window; prints its title
//   twk_probe gone <class> [ms]        waits until no window of the class is left
//   twk_probe title <class>            prints the window's title
//   twk_probe tree <class>             one line per control: id class x y w h visible "text"
//   twk_probe post <class> close|sysclose|queryend
//   twk_probe click <class> <id>       a left click in the middle of control <id>
//   twk_probe bmclick <class> <id>     a posted BM_CLICK to button <id>
//   twk_probe settext <class> <id> <text>  WM_SETTEXT to control <id>, as typing does
//   twk_probe key <class> tab|enter|escape|space  the key pressed and let go where the
//                                      window's focus is (the window itself when none)
//   twk_probe focus <class>            the focused control: id class "text"
//   twk_probe hold <path> <ms>         opens the file without sharing, as a sync tool or a
//                                      virus scanner may, and keeps it so for <ms>; prints
//                                      "held" once it holds it
//
// Exit code 0 on success, 1 when the window or control is not there.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

void Print(const std::wstring& text) {
  const int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                    nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), bytes.data(), n,
                      nullptr, nullptr);
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
}

std::wstring TextOf(HWND window) {
  // WM_GETTEXT, not GetWindowTextW: across processes the latter does not
  // return what an edit box holds.
  wchar_t text[1024] = {};
  DWORD_PTR copied = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                      2000, &copied);
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[256] = {};
  GetClassNameW(window, name, 256);
  return name;
}

HWND Find(const wchar_t* className) { return FindWindowW(className, nullptr); }

HWND WaitFor(const wchar_t* className, DWORD ms) {
  const DWORD start = GetTickCount();
  for (;;) {
    HWND window = Find(className);
    if (window != nullptr && IsWindowVisible(window)) return window;
    if (GetTickCount() - start > ms) return nullptr;
    Sleep(50);
  }
}

struct Search {
  int id;
  HWND found;
};

BOOL CALLBACK MatchId(HWND window, LPARAM parameter) {
  auto* search = reinterpret_cast<Search*>(parameter);
  if (GetDlgCtrlID(window) == search->id) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The control of the window's thread that has the focus, else null.
HWND Focused(HWND top) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

HWND Control(HWND top, int id) {
  Search search{id, nullptr};
  EnumChildWindows(top, MatchId, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

BOOL CALLBACK PrintControl(HWND window, LPARAM) {
  RECT r = {};
  GetWindowRect(window, &r);
  MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
  wchar_t line[256];
  swprintf(line, 256, L"%d %ls %ld %ld %ld %ld %d \"", GetDlgCtrlID(window),
           ClassOf(window).c_str(), r.left, r.top, r.right - r.left, r.bottom - r.top,
           (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0 ? 1 : 0);
  Print(line + TextOf(window) + L"\"\n");
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring command = argv[1];
  const wchar_t* className = argv[2];
  const DWORD ms = argc > 3 ? static_cast<DWORD>(_wtoi(argv[3])) : 10000;

  if (command == L"wait") {
    HWND window = WaitFor(className, ms);
    if (window == nullptr) return 1;
    Print(TextOf(window) + L"\n");
    return 0;
  }
  if (command == L"gone") {
    const DWORD start = GetTickCount();
    while (Find(className) != nullptr) {
      if (GetTickCount() - start > ms) return 1;
      Sleep(50);
    }
    return 0;
  }

  if (command == L"hold") {
    HANDLE file = CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 1;
    Print(L"held\n");
    Sleep(ms);
    CloseHandle(file);
    return 0;
  }

  HWND top = Find(className);
  if (top == nullptr) return 1;
  if (command == L"title") {
    Print(TextOf(top) + L"\n");
    return 0;
  }
  if (command == L"tree") {
    RECT client = {};
    GetClientRect(top, &client);
    wchar_t line[128];
    swprintf(line, 128, L"0 %ls 0 0 %ld %ld 1 \"", ClassOf(top).c_str(), client.right,
             client.bottom);
    Print(line + TextOf(top) + L"\"\n");
    EnumChildWindows(top, PrintControl, 0);
    return 0;
  }
  if (command == L"post" && argc > 3) {
    const std::wstring what = argv[3];
    if (what == L"close") return PostMessageW(top, WM_CLOSE, 0, 0) ? 0 : 1;
    if (what == L"sysclose") return PostMessageW(top, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1;
    if (what == L"queryend") {
      DWORD_PTR result = 0;
      SendMessageTimeoutW(top, WM_QUERYENDSESSION, 0, 0, SMTO_ABORTIFHUNG, 2000, &result);
      return 0;
    }
    return 2;
  }
  if (command == L"click" && argc > 3) {
    HWND control = Control(top, _wtoi(argv[3]));
    if (control == nullptr) return 1;
    RECT r = {};
    GetClientRect(control, &r);
    const LPARAM at = MAKELPARAM(r.right / 2, r.bottom / 2);
    PostMessageW(control, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(control, WM_LBUTTONUP, 0, at);
    return 0;
  }
  if (command == L"bmclick" && argc > 3) {
    // Posted, not sent: the clicked handler runs a loop of its own.
    HWND control = Control(top, _wtoi(argv[3]));
    if (control == nullptr) return 1;
    return PostMessageW(control, BM_CLICK, 0, 0) ? 0 : 1;
  }
  if (command == L"key" && argc > 3) {
    const std::wstring name = argv[3];
    const WPARAM key = name == L"tab"      ? VK_TAB
                       : name == L"enter"  ? VK_RETURN
                       : name == L"escape" ? VK_ESCAPE
                       : name == L"space"  ? VK_SPACE
                                           : 0;
    if (key == 0) return 2;
    HWND target = Focused(top);
    if (target == nullptr) target = top;
    // Posted as the keyboard would queue them: a repeat count of 1, the key's
    // scan code, and the up stroke with its transition bits.
    const LPARAM scan = static_cast<LPARAM>(MapVirtualKeyW(static_cast<UINT>(key), MAPVK_VK_TO_VSC))
                        << 16;
    const LPARAM released = static_cast<LPARAM>(0xC0000000UL);
    if (!PostMessageW(target, WM_KEYDOWN, key, 1 | scan)) return 1;
    return PostMessageW(target, WM_KEYUP, key, 1 | scan | released) ? 0 : 1;
  }
  if (command == L"focus") {
    HWND focus = Focused(top);
    if (focus == nullptr) return 1;
    wchar_t line[128];
    swprintf(line, 128, L"%d %ls \"", GetDlgCtrlID(focus), ClassOf(focus).c_str());
    Print(line + TextOf(focus) + L"\"\n");
    return 0;
  }
  if (command == L"settext" && argc > 4) {
    HWND control = Control(top, _wtoi(argv[3]));
    if (control == nullptr) return 1;
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                               SMTO_ABORTIFHUNG, 5000, &result) != 0 && result != 0
               ? 0
               : 1;
  }
  return 2;
}
