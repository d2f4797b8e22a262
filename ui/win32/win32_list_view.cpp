// The report-style list views of the real backend, and the thread's rest.
// commctrl.h needs windows.h, which the backend header brings in first.
// clang-format off
#include "ui/win32/win32_backend.h"
#include <commctrl.h>
// clang-format on

#include <vector>

namespace twk::ui {
namespace {

// The item structures take a writable text pointer, although inserting and
// setting only read it.
std::vector<wchar_t> Writable(const Text& text) {
  std::vector<wchar_t> buffer(text.begin(), text.end());
  buffer.push_back(L'\0');
  return buffer;
}

}  // namespace

int Win32Backend::InsertListColumn(Handle listView, int column, const Text& text, int width) {
  std::vector<wchar_t> buffer = Writable(text);
  LVCOLUMNW c = {};
  c.mask = LVCF_TEXT | LVCF_WIDTH;
  c.cx = width;
  c.pszText = buffer.data();
  return static_cast<int>(SendMessageW(ToHwnd(listView), LVM_INSERTCOLUMNW,
                                       static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&c)));
}

int Win32Backend::InsertListItem(Handle listView, int index, const Text& text) {
  std::vector<wchar_t> buffer = Writable(text);
  LVITEMW item = {};
  item.mask = LVIF_TEXT;
  item.iItem = index;
  item.pszText = buffer.data();
  return static_cast<int>(
      SendMessageW(ToHwnd(listView), LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

bool Win32Backend::SetListItemText(Handle listView, int itemIndex, int subItem, const Text& text) {
  std::vector<wchar_t> buffer = Writable(text);
  LVITEMW item = {};
  item.iSubItem = subItem;
  item.pszText = buffer.data();
  return SendMessageW(ToHwnd(listView), LVM_SETITEMTEXTW, static_cast<WPARAM>(itemIndex),
                      reinterpret_cast<LPARAM>(&item)) != FALSE;
}

void Win32Backend::Sleep(std::uint32_t milliseconds) { ::Sleep(milliseconds); }

void Win32Backend::ShowMessage(Handle owner, const Text& title, const Text& text) {
  // In front even when the frame is hidden or another program has the focus:
  // an unattended sequence that stops must say so to whoever comes back.
  MessageBoxW(reinterpret_cast<HWND>(owner), reinterpret_cast<const wchar_t*>(text.c_str()),
              reinterpret_cast<const wchar_t*>(title.c_str()),
              MB_OK | MB_ICONWARNING | MB_SETFOREGROUND);
}

}  // namespace twk::ui
