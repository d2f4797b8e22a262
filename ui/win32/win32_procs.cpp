// The subclass procedures of the real backend. They take care of what only
// real windows have (painting, colours, the skinned frame, cursors) and hand
// every message that can become an event to the translation (ui/message_translation).
#include "ui/win32/win32_backend.h"

#include "ui/message_translation.h"
// after windows.h
#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <optional>

namespace twk::ui {
namespace {

// The height of the header band: pressing the mouse there drags the frame.
constexpr int kDragBandHeight = 80;

Message ToMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Message m;
  m.window = ToHandle(window);
  m.message = message;
  m.wParam = static_cast<std::uintptr_t>(wParam);
  m.lParam = static_cast<std::intptr_t>(lParam);
  return m;
}

bool IsTransparentKind(ControlKind kind) {
  switch (kind) {
    case ControlKind::IconPicture:
    case ControlKind::Label:
    case ControlKind::SmallPicture:
    case ControlKind::ImageCheckBox:
    case ControlKind::ImageRadioButton:
      return true;
    default:
      return false;
  }
}

// The record of the control a WM_CTLCOLOR... message is about.
const ControlRecord* RecordOf(ToolkitWindow* owner, HWND control) {
  if (owner == nullptr) return nullptr;
  const ControlRecord* r = owner->Control(GetDlgCtrlID(control));
  return r != nullptr && r->window == ToHandle(control) ? r : nullptr;
}

// Answers the colour messages: the record's colours and brush. nullopt when
// the control is not ours and the default answer applies.
std::optional<LRESULT> ColourReply(Win32Backend& backend, ToolkitWindow* owner, UINT message,
                                   HDC dc, HWND control) {
  const ControlRecord* r = RecordOf(owner, control);
  if (r == nullptr) return std::nullopt;
  // Pattern brushes line up with the parent's own background.
  SetBrushOrgEx(dc, -owner->Px(r->x), -owner->Px(r->y), nullptr);
  const HBRUSH brush = r->brush != 0 ? reinterpret_cast<HBRUSH>(r->brush) : nullptr;
  if (message == WM_CTLCOLOREDIT || message == WM_CTLCOLORLISTBOX) {
    if (r->textColour != -1) SetTextColor(dc, static_cast<COLORREF>(r->textColour));
    if (r->backColour != -1) SetBkColor(dc, static_cast<COLORREF>(r->backColour));
    if (brush == nullptr) return std::nullopt;
    return reinterpret_cast<LRESULT>(brush);
  }
  if (r->textColour != -1) SetTextColor(dc, static_cast<COLORREF>(r->textColour));
  if (r->kind == ControlKind::Link) {
    // A link's background is painted by its erase procedure with the record's
    // brush. Its text goes on top transparently, and it gets the stock null
    // brush: Wine's SysLink deletes whatever brush this reply hands it.
    SetBkMode(dc, TRANSPARENT);
    return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  }
  if (r->backColour < 0) {
    SetBkMode(dc, TRANSPARENT);
    if (IsTransparentKind(r->kind)) return reinterpret_cast<LRESULT>(GetStockObject(NULL_BRUSH));
  } else {
    SetBkMode(dc, OPAQUE);
    SetBkColor(dc, static_cast<COLORREF>(r->backColour));
  }
  return reinterpret_cast<LRESULT>(brush != nullptr ? brush : backend.WindowBrushOf(owner));
}

std::optional<LRESULT> NotifyReply(ToolkitWindow* owner, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (owner == nullptr || header == nullptr) return std::nullopt;
  return TranslateNotify(*owner, ToHandle(header->hwndFrom), static_cast<int>(header->idFrom),
                         static_cast<int>(header->code));
}

// The events of a message; the close request goes to the toolkit window
// through the queue, so that the mode loop sees it as a fetched message.
std::optional<LRESULT> Translate(ToolkitWindow* owner, HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) {
  if (owner == nullptr) return std::nullopt;
  const Translation t = TranslateMessage(*owner, ToMessage(window, message, wParam, lParam));
  if (t.postCloseRequest) PostMessageW(ToHwnd(owner->handle()), msg::CloseRequest, 0, 0);
  return t.answer;
}

}  // namespace

LRESULT CALLBACK TopWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR ref) {
  auto& top = *reinterpret_cast<Win32Backend::TopWindow*>(ref);
  ToolkitWindow* owner = top.owner;
  switch (message) {
    case WM_ERASEBKGND: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      RECT rc;
      GetClientRect(window, &rc);
      RECT clip;
      if (top.backgroundCopy && rc.right <= top.backgroundSize.cx &&
          rc.bottom <= top.backgroundSize.cy && GetClipBox(dc, &clip) != ERROR) {
        BitBlt(dc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top,
               top.memoryDc.get(), clip.left, clip.top, SRCCOPY);
        return 1;
      }
      FillRect(dc, &rc, top.background != nullptr ? top.background : top.windowBrush.get());
      return 1;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (auto reply = ColourReply(*top.backend, owner, message, reinterpret_cast<HDC>(wParam),
                                   reinterpret_cast<HWND>(lParam))) {
        return *reply;
      }
      break;
    case WM_DPICHANGED: {
      // Moved to a monitor of another scale (or the scale changed): the
      // window takes the place Windows suggests, at its own size times the
      // new scale, and lays its controls out again.
      const int dpi = LOWORD(wParam);
      const auto* suggested = reinterpret_cast<const RECT*>(lParam);
      if (owner == nullptr || dpi <= 0 || suggested == nullptr) break;
      const int width = ScaleToDpi(owner->clientWidth(), dpi);
      const int height = ScaleToDpi(owner->clientHeight(), dpi);
      RECT size = {0, 0, width, height};
      AdjustWindowRectEx(&size, static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE)));
      SetWindowPos(window, nullptr, suggested->left, suggested->top, size.right - size.left,
                   size.bottom - size.top, SWP_NOZORDER | SWP_NOACTIVATE);
      // The frame at the new scale may differ from the system's guess above:
      // what the client area came out as corrects it.
      RECT client = {}, outer = {};
      if (GetClientRect(window, &client) && GetWindowRect(window, &outer) &&
          (client.right != width || client.bottom != height)) {
        SetWindowPos(window, nullptr, 0, 0, outer.right - outer.left + width - client.right,
                     outer.bottom - outer.top + height - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
      }
      owner->ChangeDpi(dpi);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case WM_NCPAINT:
      if (top.skinned && top.borderWidth == 0) return 0;
      break;
    case WM_NCACTIVATE:
      // Nothing of the system frame shows: do not let it paint the caption.
      if (top.skinned) return TRUE;
      break;
    case WM_NCHITTEST:
      if (top.skinned) {
        const LRESULT hit = DefSubclassProc(window, message, wParam, lParam);
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(window, &pt);
        return hit == HTCLIENT && pt.y < owner->Px(kDragBandHeight) ? HTCAPTION : hit;
      }
      break;
    case WM_SETCURSOR: {
      const auto control = reinterpret_cast<HWND>(wParam);
      if (control != window) {
        const ControlRecord* r = RecordOf(owner, control);
        if (r != nullptr && r->cursor != 0) {
          SetCursor(reinterpret_cast<HCURSOR>(r->cursor));
          return TRUE;
        }
      }
      break;
    }
    case WM_NOTIFY:
      if (auto reply = NotifyReply(owner, lParam)) return *reply;
      break;
    case WM_DROPFILES:
      DragFinish(reinterpret_cast<HDROP>(wParam));
      return 0;
    default:
      if (auto reply = Translate(owner, window, message, wParam, lParam)) return *reply;
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK ChildWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                 DWORD_PTR ref) {
  auto& info = *reinterpret_cast<Win32Backend::ControlInfo*>(ref);
  ToolkitWindow* owner = info.owner;
  switch (message) {
    case WM_COMMAND:
    case WM_CONTEXTMENU:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MOUSEWHEEL:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // Its controls report to the frame's toolkit window like the frame's own.
      if (auto reply = Translate(owner, window, message, wParam, lParam)) return *reply;
      break;
    case WM_NOTIFY:
      if (auto reply = NotifyReply(owner, lParam)) return *reply;
      break;
    case WM_NCHITTEST:
      // Clicks on the band itself fall through to the frame, which drags.
      return HTTRANSPARENT;
    case WM_CLOSE:
      return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
      if (auto reply = ColourReply(*info.backend, owner, message, reinterpret_cast<HDC>(wParam),
                                   reinterpret_cast<HWND>(lParam))) {
        return *reply;
      }
      break;
    case WM_ERASEBKGND: {
      if (info.eraseBrush == nullptr) break;
      const HDC dc = reinterpret_cast<HDC>(wParam);
      const int saved = SaveDC(dc);
      // Leave out the visible controls that paint their own background; the
      // transparent ones show the band through.
      for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
           child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        const ControlRecord* r = RecordOf(owner, child);
        if (r != nullptr && r->backColour < 0 && IsTransparentKind(r->kind)) continue;
        RECT rc;
        GetWindowRect(child, &rc);
        MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rc), 2);
        ExcludeClipRect(dc, rc.left, rc.top, rc.right, rc.bottom);
      }
      RECT client;
      GetClientRect(window, &client);
      SetBrushOrgEx(dc, 0, 0, nullptr);
      FillRect(dc, &client, info.eraseBrush);
      RestoreDC(dc, saved);
      return 1;
    }
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK EraseProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                           DWORD_PTR ref) {
  auto& info = *reinterpret_cast<Win32Backend::ControlInfo*>(ref);
  if (message == WM_ERASEBKGND && info.eraseBrush != nullptr) {
    const HDC dc = reinterpret_cast<HDC>(wParam);
    RECT rc;
    GetClientRect(window, &rc);
    // The brush is the parent's background: start its pattern where the
    // parent's starts.
    RECT at;
    GetWindowRect(window, &at);
    MapWindowPoints(HWND_DESKTOP, GetParent(window), reinterpret_cast<POINT*>(&at), 2);
    SetBrushOrgEx(dc, -at.left, -at.top, nullptr);
    FillRect(dc, &rc, info.eraseBrush);
    return 1;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK BufferedPaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR ref) {
  auto& info = *reinterpret_cast<Win32Backend::ControlInfo*>(ref);
  if (message == WM_ERASEBKGND) return 1;
  if (message != WM_PAINT || info.owner == nullptr) {
    return DefSubclassProc(window, message, wParam, lParam);
  }
  const ControlRecord* r = info.owner->Control(info.id);
  if (r == nullptr || r->backColour == -2 || !GetUpdateRect(window, nullptr, FALSE)) {
    return DefSubclassProc(window, message, wParam, lParam);
  }
  using namespace platform::win32;
  // Released in the reverse order: the bitmap is selected out, deleted with
  // the memory DC, the window DC given back, and painting ended.
  const PaintGuard paint(window);
  const HDC paintDc = paint.dc();
  RECT outer;
  GetWindowRect(window, &outer);
  const int width = outer.right - outer.left;
  const int height = outer.bottom - outer.top;
  const WindowDc windowDc(window, WindowDc::Area::Whole);
  const UniqueMemoryDc memoryDc(CreateCompatibleDC(windowDc.get()));
  const UniqueBitmap bitmap(CreateCompatibleBitmap(windowDc.get(), width, height));
  const HDC memory = memoryDc.get();
  const SelectedObject selected(memory, bitmap.get());
  RECT all = {0, 0, width, height};
  switch (r->kind) {
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::ListViewText:
    case ControlKind::Edit:
    case ControlKind::ListView:
    case ControlKind::ProgressBar: {
      HBRUSH brush = reinterpret_cast<HBRUSH>(r->brush);
      if (r->backColour == -1) {
        if (!info.paintBrush) info.paintBrush.Reset(CreateSolidBrush(GetBkColor(paintDc)));
        brush = info.paintBrush.get();
      }
      if (brush != nullptr) FillRect(memory, &all, brush);
      break;
    }
    default:
      break;
  }
  SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory),
               PRF_NONCLIENT | PRF_CLIENT | PRF_CHILDREN | PRF_OWNED);
  BitBlt(windowDc.get(), 0, 0, width, height, memory, 0, 0, SRCCOPY);
  return 0;
}

LRESULT CALLBACK CheckTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR ref) {
  auto& info = *reinterpret_cast<Win32Backend::ControlInfo*>(ref);
  if ((message == WM_SETFOCUS || message == WM_KILLFOCUS) && info.owner != nullptr) {
    if (const ControlRecord* r = info.owner->Control(info.id); r != nullptr && r->checkBox) {
      info.owner->SetControlTextColour(
          info.id, message == WM_SETFOCUS ? r->checkBox->focusTextColour : r->checkBox->textColour);
    }
  }
  if (message == WM_PAINT) {
    const LRESULT painted = DefSubclassProc(window, message, wParam, lParam);
    DrawCheckTextFocus(window);
    return painted;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace twk::ui
