// Helper of the Windows tests: a stand-in for the shell's desktop, whose list
// view another process reads and moves across the process boundary. See
// icon_host.h for the command line, the messages and the report.
#include <windows.h>
// (after windows.h, which it needs)
#include <commctrl.h>

#include <string>
#include <vector>

#include "tests/wine/icon_host.h"

namespace {

using namespace twk::test::icon_host;

struct Icon {
  std::wstring text;
  POINT position;
};

std::wstring g_reportPath;
HWND g_listView = nullptr;
WNDPROC g_listViewProc = nullptr;
int g_refreshes = 0, g_redrawOff = 0, g_redrawOn = 0;

std::vector<Icon> InitialIcons() {
  return {{L"Recycle Bin", {20, 10}},
          {L"Notes.txt", {20, 110}},
          {L"R\u00e9sum\u00e9 \u65e5\u672c.doc", {120, 10}},
          // Longer than the text area: read back as its first 511 characters.
          {std::wstring(600, L'L'), {120, 110}}};
}

// Counts what the list view is told, then lets it do its work.
LRESULT CALLBACK ListViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_KEYDOWN && wParam == VK_F5) ++g_refreshes;
  if (message == WM_SETREDRAW) ++(wParam ? g_redrawOn : g_redrawOff);
  return CallWindowProcW(g_listViewProc, window, message, wParam, lParam);
}

void WriteReport() {
  std::wstring report = L"refreshes " + std::to_wstring(g_refreshes) + L"\nredrawOff " +
                        std::to_wstring(g_redrawOff) + L"\nredrawOn " +
                        std::to_wstring(g_redrawOn) + L"\n";
  const int count = static_cast<int>(SendMessageW(g_listView, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    POINT p{};
    SendMessageW(g_listView, LVM_GETITEMPOSITION, i, reinterpret_cast<LPARAM>(&p));
    wchar_t text[1024] = {};
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = text;
    item.cchTextMax = 1024;
    SendMessageW(g_listView, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    report += std::to_wstring(p.x) + L" " + std::to_wstring(p.y) + L" " + text + L"\n";
  }
  const std::wstring partial = g_reportPath + L".part";
  HANDLE file = CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, report.data(), static_cast<DWORD>(report.size() * sizeof(wchar_t)), &written,
            nullptr);
  CloseHandle(file);
  MoveFileExW(partial.c_str(), g_reportPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

LRESULT CALLBACK HostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kScatter: {
      const int count = static_cast<int>(SendMessageW(g_listView, LVM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < count; ++i) {
        POINT p{300 + 40 * i, 200 + 30 * i};
        SendMessageW(g_listView, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&p));
      }
      WriteReport();
      return 0;
    }
    case WM_DESTROY:
      WriteReport();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// Handles whatever is waiting, so that the view has done its own layout
// (sizing, first paint) before the icons are placed and reported.
void Pump() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  g_reportPath = argv[1];
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_LISTVIEW_CLASSES};
  InitCommonControlsEx(&controls);
  const HINSTANCE instance = GetModuleHandleW(nullptr);

  WNDCLASSW host{};
  host.lpfnWndProc = HostProc;
  host.hInstance = instance;
  host.lpszClassName = kWindowClass;
  WNDCLASSW defView{};
  defView.lpfnWndProc = DefWindowProcW;
  defView.hInstance = instance;
  defView.lpszClassName = L"SHELLDLL_DefView";
  if (!RegisterClassW(&host) || !RegisterClassW(&defView)) return 3;

  const HWND top = CreateWindowExW(0, kWindowClass, L"Icon host", WS_OVERLAPPEDWINDOW, 0, 0, 640,
                                   480, nullptr, nullptr, instance, nullptr);
  const HWND view = CreateWindowExW(0, L"SHELLDLL_DefView", L"", WS_CHILD | WS_VISIBLE, 0, 0, 620,
                                    440, top, nullptr, instance, nullptr);
  g_listView = CreateWindowExW(0, WC_LISTVIEWW, L"FolderView", WS_CHILD | WS_VISIBLE | LVS_ICON, 0,
                               0, 620, 440, view, reinterpret_cast<HMENU>(1), instance, nullptr);
  if (!top || !view || !g_listView) return 4;
  ShowWindow(top, SW_SHOWNOACTIVATE);
  UpdateWindow(top);
  Pump();

  const std::vector<Icon> icons = InitialIcons();
  for (int i = 0; i < static_cast<int>(icons.size()); ++i) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = i;
    item.pszText = const_cast<wchar_t*>(icons[i].text.c_str());
    if (SendMessageW(g_listView, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)) != i) {
      return 5;
    }
  }
  Pump();
  for (int i = 0; i < static_cast<int>(icons.size()); ++i) {
    POINT p = icons[i].position;
    SendMessageW(g_listView, LVM_SETITEMPOSITION32, i, reinterpret_cast<LPARAM>(&p));
  }
  Pump();
  g_listViewProc = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(g_listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ListViewProc)));
  WriteReport();

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return 0;
}
