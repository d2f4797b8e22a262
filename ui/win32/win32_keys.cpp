// The real backend's keyboard and measures: the dialog keys reach the
// toolkit before the system's dialog manager, the focus moves as Tab moves
// it, and texts are measured in the font their control draws them with.
#include "ui/dialog_keys.h"
#include "ui/message_translation.h"
#include "ui/win32/win32_backend.h"
// after windows.h
#include <commctrl.h>

namespace twk::ui {

static_assert(msg::VkEscape == VK_ESCAPE && msg::VkSpace == VK_SPACE && msg::VkTab == VK_TAB);

std::optional<Input> Win32Backend::DialogKey(const MSG& m, ToolkitWindow* dialog) {
  if (m.message != WM_KEYDOWN || dialog == nullptr || dialog->handle() == 0) return std::nullopt;
  const auto key = static_cast<std::uint32_t>(m.wParam);
  if (key != VK_TAB && key != VK_RETURN && key != VK_ESCAPE && key != VK_SPACE) {
    return std::nullopt;
  }
  const HWND top = ToHwnd(dialog->handle());
  if (m.hwnd != top && !IsChild(top, m.hwnd)) return std::nullopt;
  const HWND focus = GetFocus();
  const Handle focused = focus != nullptr && IsChild(top, focus) ? ToHandle(focus) : 0;
  switch (TranslateDialogKey(*dialog, focused, key, GetKeyState(VK_SHIFT) < 0)) {
    case KeyOutcome::NotTaken:
      return std::nullopt;
    case KeyOutcome::CloseRequest:
      PostMessageW(top, msg::CloseRequest, 0, 0);
      return Input::Dispatched;
    case KeyOutcome::Activated:
      return key == VK_RETURN ? Input::EnterActivated : Input::Dispatched;
    case KeyOutcome::Taken:
      break;
  }
  return Input::Dispatched;
}

void Win32Backend::MoveKeyboardFocus(Handle control) {
  const HWND window = ToHwnd(control);
  // Windows hides the focus rectangles until the keyboard is used; it is.
  const HWND top = GetAncestor(window, GA_ROOT);
  if (top != nullptr) SendMessageW(top, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
  ::SetFocus(window);
  const ControlInfo* info = FindControl(window);
  if (info == nullptr) return;
  // As the dialog manager does: what is typed next replaces the whole number.
  if (info->kind == ControlKind::Edit) SendMessageW(window, EM_SETSEL, 0, -1);
  // A list marks its focused row only: without one, the first row takes the
  // mark (not the selection), or the focus would not show.
  if (info->kind == ControlKind::ListView &&
      SendMessageW(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED) == -1 &&
      SendMessageW(window, LVM_GETITEMCOUNT, 0, 0) > 0) {
    LVITEMW item = {};
    item.stateMask = LVIS_FOCUSED;
    item.state = LVIS_FOCUSED;
    SendMessageW(window, LVM_SETITEMSTATE, 0, reinterpret_cast<LPARAM>(&item));
  }
}

int Win32Backend::MeasureText(Handle control, const Text& text) {
  const HWND window = ToHwnd(control);
  const platform::win32::WindowDc dc(window);
  if (!dc) return 0;
  const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(window, WM_GETFONT, 0, 0));
  const platform::win32::SelectedObject selected(
      dc.get(), font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size = {};
  if (!GetTextExtentPoint32W(dc.get(), Wide(text), static_cast<int>(text.size()), &size)) return 0;
  return size.cx;
}

ListRoom Win32Backend::MeasureListRoom(Handle listView) {
  const HWND list = ToHwnd(listView);
  RECT client = {};
  if (!GetClientRect(list, &client)) return {};
  int width = client.right;
  // Room for a vertical scroll bar whether or not the rows need one yet.
  if ((GetWindowLongW(list, GWL_STYLE) & WS_VSCROLL) == 0) width -= GetSystemMetrics(SM_CXVSCROLL);
  // The header writes its text 3 edges in from each side of its item, and
  // the list its cells' a little less far in: a few pixels more than the
  // header's margins hold both, as the list's own widest does.
  const int margins = 2 * 3 * GetSystemMetrics(SM_CXEDGE) + 4;
  return {margins, width > 0 ? width : 0};
}

bool Win32Backend::SetListColumnWidth(Handle listView, int column, int width) {
  return SendMessageW(ToHwnd(listView), LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                      MAKELPARAM(width, 0)) != FALSE;
}

}  // namespace twk::ui

namespace twk::ui {

void DrawCheckTextFocus(HWND text) {
  if (GetFocus() != text) return;
  if ((SendMessageW(text, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0) return;
  const platform::win32::WindowDc dc(text);
  if (!dc) return;
  RECT client = {};
  GetClientRect(text, &client);
  wchar_t caption[256] = {};
  const int length = GetWindowTextW(text, caption, 256);
  const auto font = reinterpret_cast<HGDIOBJ>(SendMessageW(text, WM_GETFONT, 0, 0));
  const platform::win32::SelectedObject selected(
      dc.get(), font != nullptr ? font : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size = {};
  GetTextExtentPoint32W(dc.get(), caption, length, &size);
  // Round the text, which starts at the left edge and is centred upright.
  RECT mark = {0, 0, size.cx + 2, client.bottom};
  if (mark.right > client.right) mark.right = client.right;
  DrawFocusRect(dc.get(), &mark);
}

}  // namespace twk::ui
