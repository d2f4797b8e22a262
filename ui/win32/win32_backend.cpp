#include "ui/win32/win32_backend.h"

#include <commctrl.h>
#include <shellapi.h>
#include <uxtheme.h>

#include <vector>

#include "ui/message_translation.h"

namespace twk::ui {

// The portable code names messages by number; they must be the system's.
static_assert(msg::Move == WM_MOVE && msg::Size == WM_SIZE && msg::Activate == WM_ACTIVATE);
static_assert(msg::Close == WM_CLOSE && msg::QueryEndSession == WM_QUERYENDSESSION);
static_assert(msg::EndSession == WM_ENDSESSION && msg::Quit == WM_QUIT);
static_assert(msg::Notify == WM_NOTIFY && msg::ContextMenu == WM_CONTEXTMENU);
static_assert(msg::NcLButtonDown == WM_NCLBUTTONDOWN && msg::NcLButtonUp == WM_NCLBUTTONUP);
static_assert(msg::NcLButtonDblClk == WM_NCLBUTTONDBLCLK && msg::NcMouseLeave == WM_NCMOUSELEAVE);
static_assert(msg::KeyDown == WM_KEYDOWN && msg::KeyUp == WM_KEYUP && msg::Char == WM_CHAR);
static_assert(msg::Command == WM_COMMAND && msg::SysCommand == WM_SYSCOMMAND);
static_assert(msg::MouseMove == WM_MOUSEMOVE && msg::LButtonDown == WM_LBUTTONDOWN);
static_assert(msg::LButtonUp == WM_LBUTTONUP && msg::LButtonDblClk == WM_LBUTTONDBLCLK);
static_assert(msg::RButtonDown == WM_RBUTTONDOWN && msg::RButtonUp == WM_RBUTTONUP);
static_assert(msg::RButtonDblClk == WM_RBUTTONDBLCLK && msg::MouseWheel == WM_MOUSEWHEEL);
static_assert(msg::Sizing == WM_SIZING && msg::Moving == WM_MOVING);
static_assert(msg::ScMove == SC_MOVE && msg::ScMinimize == SC_MINIMIZE);
static_assert(msg::ScMaximize == SC_MAXIMIZE && msg::ScClose == SC_CLOSE);
static_assert(msg::ScRestore == SC_RESTORE && msg::VkReturn == VK_RETURN);
static_assert(msg::StnDblClk == STN_DBLCLK && msg::NmClick == static_cast<int>(NM_CLICK));
static_assert(msg::NmReturn == static_cast<int>(NM_RETURN));
static_assert(msg::LvnItemActivate == static_cast<int>(LVN_ITEMACTIVATE));

namespace {

constexpr DWORD kAcceptFiles = WS_EX_ACCEPTFILES;
constexpr DWORD kTopStyle = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr wchar_t kChildWindowClass[] = L"_WINSUB_ WINDOW";

struct ControlShape {
  const wchar_t* className;
  DWORD style;
  DWORD exStyle;
};

// The window class and styles that give a control of this kind and options.
// Pictures and check-box parts notify, so that clicks on them reach us.
ControlShape ShapeOf(const ControlParams& p) {
  DWORD common = WS_CHILD | WS_VISIBLE;
  if (p.startsGroup) common |= WS_GROUP;
  if (p.options.tabStop) common |= WS_TABSTOP;
  constexpr DWORD kPictureStyle = SS_REALSIZEIMAGE | SS_NOTIFY;
  switch (p.kind) {
    case ControlKind::PushButton:
      return {L"Button", common | (p.options.defaultButton ? DWORD{BS_DEFPUSHBUTTON} : 0), 0};
    case ControlKind::Label:
      return {L"Static", common | (p.options.centred ? DWORD{SS_CENTER} : 0), 0};
    case ControlKind::Edit:
      return {L"Edit",
              common | ES_AUTOHSCROLL | (p.edit == EditKind::Password ? DWORD{ES_PASSWORD} : 0),
              WS_EX_CLIENTEDGE};
    case ControlKind::UpDown:
      return {UPDOWN_CLASSW,
              common | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                  UDS_HOTTRACK,
              0};
    case ControlKind::IconPicture:
      return {L"Static", common | SS_ICON | kPictureStyle, 0};
    case ControlKind::SmallPicture:
      return {L"Static", common | SS_BITMAP | kPictureStyle, 0};
    case ControlKind::ImageCheckBox:
      if (p.checkBoxPicture) return {L"Static", common | SS_BITMAP | kPictureStyle, 0};
      return {L"Static", common | SS_NOTIFY | SS_CENTERIMAGE, 0};
    case ControlKind::ProgressBar:
      return {PROGRESS_CLASSW, common | (p.smooth ? DWORD{PBS_SMOOTH} : 0), 0};
    case ControlKind::Link:
      return {WC_LINK, common, 0};
    case ControlKind::ListView:
      // Full-row selection is an extended list-view style set once it exists.
      return {WC_LISTVIEWW, common | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS,
              WS_EX_CLIENTEDGE};
    case ControlKind::ListBox:
      return {L"ListBox", common | LBS_NOTIFY | WS_BORDER, 0};
    case ControlKind::ComboBox:
      return {L"ComboBox", common | CBS_DROPDOWNLIST, 0};
    case ControlKind::ChildWindow:
      return {kChildWindowClass, common, p.keysInside ? DWORD{WS_EX_CONTROLPARENT} : 0};
    case ControlKind::Chart:
      // A plain static window whose painting the chart procedure takes
      // over; it tells its window of a click, as a picture does.
      return {L"Static", common | SS_NOTIFY, 0};
    default:
      return {nullptr, 0, 0};
  }
}

int ShowCommandOf(ShowCommand command) {
  switch (command) {
    case ShowCommand::Hide:
      return SW_HIDE;
    case ShowCommand::Normal:
      return SW_SHOWNORMAL;
    case ShowCommand::Show:
      return SW_SHOW;
    case ShowCommand::Minimize:
      return SW_MINIMIZE;
    case ShowCommand::Restore:
      return SW_RESTORE;
  }
  return SW_SHOW;
}

Text ClassNameOf(HWND window) {
  wchar_t name[64] = {};
  const int n = GetClassNameW(window, name, 64);
  return Text(reinterpret_cast<const char16_t*>(name), n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool IsStatic(HWND window) { return lstrcmpiW(Wide(ClassNameOf(window)), L"Static") == 0; }

// True when the class is there to be used.
bool RegisterChildWindowClass(HINSTANCE module) {
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(module, kChildWindowClass, &wc)) return true;
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = module;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.lpszClassName = kChildWindowClass;
  return RegisterClassExW(&wc) != 0;
}

// The position that centres `size` on the parent's window, or on the work
// area when there is no parent.
POINT CentreOn(HWND parent, SIZE size) {
  RECT area = {};
  if (parent == nullptr || !GetWindowRect(parent, &area)) {
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  }
  return POINT{area.left + (area.right - area.left - size.cx) / 2,
               area.top + (area.bottom - area.top - size.cy) / 2};
}

DWORD WINAPI Heartbeat(LPVOID parameter) {
  const HWND window = static_cast<HWND>(parameter);
  while (IsWindow(window)) {
    PostMessageW(window, 0, 0, 0);
    Sleep(20);
  }
  return 0;
}

}  // namespace

void RedrawUnder(HWND control) {
  const HWND parent = GetParent(control);
  RECT rc = {};
  if (parent == nullptr || !GetWindowRect(control, &rc)) {
    InvalidateRect(control, nullptr, TRUE);
    return;
  }
  MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&rc), 2);
  RedrawWindow(parent, &rc, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

Win32Backend::Win32Backend(HINSTANCE module, HMODULE resources)
    : module_(module), resources_(resources != nullptr ? resources : module) {}

void Win32Backend::RegisterCommonControls() {
  // Not in the constructor: a start that ends at the single-instance check
  // creates no window and must not load the common controls at all.
  if (commonControlsRegistered_) return;
  INITCOMMONCONTROLSEX icc = {};
  icc.dwSize = sizeof icc;
  icc.dwICC = ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_LINK_CLASS | ICC_PROGRESS_CLASS |
              ICC_UPDOWN_CLASS | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
  commonControlsRegistered_ = InitCommonControlsEx(&icc) != FALSE;
}

Win32Backend::~Win32Backend() {
  // Windows still open belong to toolkit objects that outlive us only in a
  // broken program; release what we hold of them anyway.
  while (!tops_.empty()) DestroyTopWindow(ToHandle(tops_.begin()->first));
  // Only when used: under Wine, the call alone loads the display driver,
  // a cost to the start that only brings the running window forward.
  if (childClassRegistered_) UnregisterClassW(kChildWindowClass, module_);
}

Win32Backend::TopWindow* Win32Backend::FindTop(HWND window) {
  auto it = tops_.find(window);
  return it == tops_.end() ? nullptr : &it->second;
}

Win32Backend::ControlInfo* Win32Backend::FindControl(HWND window) {
  auto it = controls_.find(window);
  return it == controls_.end() ? nullptr : &it->second;
}

HBRUSH Win32Backend::WindowBrushOf(const ToolkitWindow* owner) {
  if (owner != nullptr) {
    if (TopWindow* top = FindTop(ToHwnd(owner->handle()))) return top->windowBrush.get();
  }
  return GetSysColorBrush(COLOR_WINDOW);
}

// ---- top-level windows -------------------------------------------------------

Handle Win32Backend::CreateTopWindow(ToolkitWindow& owner, const Text& className, const Text& title,
                                     int clientWidth, int clientHeight, Handle parentHandle) {
  const DWORD style = kTopStyle;
  RegisterCommonControls();
  const HWND parent = ToHwnd(parentHandle);
  bool registered = false;
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(module_, Wide(className), &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = DefWindowProcW;
    wc.cbClsExtra = 512;
    wc.cbWndExtra = 512;
    wc.hInstance = module_;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    platform::win32::UniqueBrush background(::CreateSolidBrush(RGB(254, 254, 254)));
    wc.hbrBackground = background.get();
    wc.lpszClassName = Wide(className);
    if (!RegisterClassExW(&wc)) return 0;
    // The system deletes a class's background brush when the class goes.
    (void)background.Release();
    registered = true;
  }

  RECT rc = {0, 0, clientWidth, clientHeight};
  AdjustWindowRectEx(&rc, style, FALSE, kAcceptFiles);
  CLIENTCREATESTRUCT mdi = {nullptr, 0xFF00};
  const bool isMdi = lstrcmpiW(Wide(className), L"MDIClient") == 0;
  const HWND window =
      CreateWindowExW(kAcceptFiles, Wide(className), Wide(title), style, -1, -1, rc.right - rc.left,
                      rc.bottom - rc.top, parent, nullptr, module_, isMdi ? &mdi : nullptr);
  if (window == nullptr) {
    if (registered) UnregisterClassW(Wide(className), module_);
    return 0;
  }

  TopWindow& top = tops_[window];
  top.backend = this;
  top.owner = &owner;
  top.className = className;
  top.registeredClass = registered;
  SetWindowSubclass(window, TopWindowProc, kTopSubclass, reinterpret_cast<DWORD_PTR>(&top));

  const POINT at = CentreOn(parent, SIZE{rc.right - rc.left, rc.bottom - rc.top});
  SetWindowPos(window, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (parent == nullptr) {
    wchar_t path[2049] = {};
    GetModuleFileNameW(nullptr, path, 2048);
    const int big = GetSystemMetrics(SM_CXICON);
    const int small = GetSystemMetrics(SM_CXSMICON);
    PrivateExtractIconsW(path, 0, big, big, top.bigIcon.Receive(), nullptr, 1, 0);
    PrivateExtractIconsW(path, 0, small, small, top.smallIcon.Receive(), nullptr, 1, 0);
  } else {
    HICON big = reinterpret_cast<HICON>(SendMessageW(parent, WM_GETICON, ICON_BIG, 0));
    HICON small = reinterpret_cast<HICON>(SendMessageW(parent, WM_GETICON, ICON_SMALL, 0));
    if (big == nullptr) big = reinterpret_cast<HICON>(GetClassLongPtrW(parent, GCLP_HICON));
    if (small == nullptr) small = reinterpret_cast<HICON>(GetClassLongPtrW(parent, GCLP_HICONSM));
    if (big != nullptr) top.bigIcon.Reset(::CopyIcon(big));
    if (small != nullptr) top.smallIcon.Reset(::CopyIcon(small));
  }
  if (top.bigIcon) {
    SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(top.bigIcon.get()));
  }
  if (top.smallIcon) {
    SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(top.smallIcon.get()));
  }
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME);

  top.windowBrush.Reset(::CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
  if (const platform::win32::WindowDc dc(window); dc) {
    top.memoryDc.Reset(CreateCompatibleDC(dc.get()));
  }
  return ToHandle(window);
}

void Win32Backend::ForgetControl(HWND window) {
  controls_.erase(window);  // with its font and brush
}

void Win32Backend::DestroyTopWindow(Handle handle) {
  const HWND window = ToHwnd(handle);
  auto it = tops_.find(window);
  if (it == tops_.end()) return;
  // Kept until the end: its brush, icons and memory DC go last.
  const TopWindow top = std::move(it->second);
  if (top.tooltip != nullptr) DestroyWindow(top.tooltip);
  DestroyWindow(window);
  // Controls the toolkit did not delete died with the window.
  std::vector<HWND> gone;
  for (const auto& [hwnd, info] : controls_) {
    if (info.owner == top.owner && !IsWindow(hwnd)) gone.push_back(hwnd);
  }
  for (HWND hwnd : gone) ForgetControl(hwnd);
  tops_.erase(it);
  if (top.registeredClass) UnregisterClassW(Wide(top.className), module_);
}

// The display scale of a window, where the system can tell one (Windows 10
// 1607 and later); 0 elsewhere.
static int WindowDpi(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const Fn getDpiForWindow = [] {
    const HMODULE user32 = GetModuleHandleW(L"user32.dll");
    // Converting between function pointer types is what GetProcAddress is for.
    return user32 == nullptr ? nullptr
                             : reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(
                                   GetProcAddress(user32, "GetDpiForWindow")));
  }();
  return getDpiForWindow != nullptr && window != nullptr ? static_cast<int>(getDpiForWindow(window))
                                                         : 0;
}

int Win32Backend::DpiForNewWindow(Handle parent) {
  if (const int dpi = WindowDpi(ToHwnd(parent)); dpi > 0) return dpi;
  // The system's scale: what a window centred on the primary monitor has
  // (and the only one before per-monitor scales).
  const platform::win32::WindowDc screen(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
  return dpi > 0 ? dpi : kBaseDpi;
}

void Win32Backend::ApplySkin(Handle handle, int corner) {
  const HWND window = ToHwnd(handle);
  TopWindow* top = FindTop(window);
  if (top == nullptr) return;
  SetWindowTheme(window, L"", L"");
  top->borderWidth = 0;
  top->skinned = true;
  RECT outer = {}, client = {};
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  POINT origin = {0, 0};
  ClientToScreen(window, &origin);
  const int left = origin.x - outer.left;
  const int topEdge = origin.y - outer.top;
  platform::win32::UniqueRegion region(CreateRoundRectRgn(left, topEdge, left + client.right + 1,
                                                          topEdge + client.bottom + 1, corner,
                                                          corner));
  // The window owns the region from here on.
  if (region && SetWindowRgn(window, region.get(), IsWindowVisible(window))) {
    (void)region.Release();
  }
}

void Win32Backend::SetWindowBackground(Handle window, Handle brush) {
  TopWindow* top = FindTop(ToHwnd(window));
  if (top == nullptr) return;
  top->background = reinterpret_cast<HBRUSH>(brush);
  CopyBackground(*top, ToHwnd(window));
  InvalidateRect(ToHwnd(window), nullptr, TRUE);
}

void Win32Backend::CopyBackground(TopWindow& top, HWND window) {
  using namespace platform::win32;
  top.backgroundSelected.reset();
  top.backgroundCopy.Reset();
  top.backgroundSize = {};
  RECT client;
  if (top.background == nullptr || !top.memoryDc || !GetClientRect(window, &client) ||
      client.right <= 0 || client.bottom <= 0) {
    return;
  }
  const WindowDc dc(window);
  UniqueBitmap copy(dc ? CreateCompatibleBitmap(dc.get(), client.right, client.bottom) : nullptr);
  if (!copy) return;
  top.backgroundSelected.emplace(top.memoryDc.get(), copy.get());
  if (!*top.backgroundSelected) {
    top.backgroundSelected.reset();
    return;
  }
  // The brush's pattern starts at the client area's corner, as when erasing.
  SetBrushOrgEx(top.memoryDc.get(), 0, 0, nullptr);
  FillRect(top.memoryDc.get(), &client, top.background);
  top.backgroundCopy = std::move(copy);
  top.backgroundSize = {client.right, client.bottom};
}

const ControlRecord* Win32Backend::LabelOverBackground(HWND control, const TopWindow** top) {
  const ControlInfo* info = FindControl(control);
  if (info == nullptr || info->owner == nullptr) return nullptr;
  const ControlRecord* r = info->owner->Control(info->id);
  // The record's place, at the window's scale, is the control's place in
  // its parent: controls move only with the scale.
  if (r == nullptr || r->kind != ControlKind::Label || r->backColour >= 0 || r->width <= 0 ||
      r->height <= 0 || r->x < 0 || r->y < 0) {
    return nullptr;
  }
  const TopWindow* parent = FindTop(GetParent(control));
  const ToolkitWindow& owner = *info->owner;
  if (parent == nullptr || !parent->backgroundCopy ||
      owner.Px(r->x) + owner.Px(r->width) > parent->backgroundSize.cx ||
      owner.Px(r->y) + owner.Px(r->height) > parent->backgroundSize.cy) {
    return nullptr;
  }
  *top = parent;
  return r;
}

void Win32Backend::PaintOverBackground(HWND control, const ControlRecord& r, const TopWindow& top) {
  using namespace platform::win32;
  const WindowDc dc(control);
  if (!dc) return;
  const UniqueMemoryDc memory(CreateCompatibleDC(dc.get()));
  const ToolkitWindow& owner = *top.owner;
  const int width = owner.Px(r.width), height = owner.Px(r.height);
  const UniqueBitmap bitmap(CreateCompatibleBitmap(dc.get(), width, height));
  if (!memory || !bitmap) return;
  const SelectedObject selected(memory.get(), bitmap.get());
  if (!selected) return;
  // Composed off screen and shown in one copy: the old text never shows
  // through, and nothing flickers.
  BitBlt(memory.get(), 0, 0, width, height, top.memoryDc.get(), owner.Px(r.x), owner.Px(r.y),
         SRCCOPY);
  SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(memory.get()), PRF_CLIENT);
  BitBlt(dc.get(), 0, 0, width, height, memory.get(), 0, 0, SRCCOPY);
}

void Win32Backend::ShowTopWindow(Handle window, ShowCommand command) {
  ShowWindow(ToHwnd(window), ShowCommandOf(command));
  UpdateWindow(ToHwnd(window));
}

void Win32Backend::BeginCaptionDrag(Handle window) {
  POINT pt = {};
  GetCursorPos(&pt);
  ReleaseCapture();
  PostMessageW(ToHwnd(window), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(pt.x, pt.y));
}

// ---- controls ----------------------------------------------------------------

Handle Win32Backend::CreateControl(ToolkitWindow& owner, const ControlParams& p) {
  RegisterCommonControls();
  if (p.kind == ControlKind::ChildWindow && RegisterChildWindowClass(module_)) {
    childClassRegistered_ = true;
  }
  const ControlShape shape = ShapeOf(p);
  if (shape.className == nullptr) return 0;
  const HWND window = CreateWindowExW(
      shape.exStyle, shape.className, Wide(p.text), shape.style, p.x, p.y, p.width, p.height,
      ToHwnd(p.parent), reinterpret_cast<HMENU>(static_cast<INT_PTR>(p.id)), module_, nullptr);
  if (window == nullptr) return 0;
  if (p.kind == ControlKind::ListView) {
    SendMessageW(window, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_FULLROWSELECT, LVS_EX_FULLROWSELECT);
  } else if (p.kind == ControlKind::Link) {
    PrepareLink(window);
  } else if (p.kind == ControlKind::UpDown && p.upDownBuddy != 0) {
    SendMessageW(window, UDM_SETBUDDY, static_cast<WPARAM>(p.upDownBuddy), 0);
    SendMessageW(window, UDM_SETRANGE32, 1, p.upDownMaximum);
  }
  ControlInfo& info = controls_[window];
  info.backend = this;
  info.owner = &owner;
  info.kind = p.kind;
  info.id = p.id;
  const DWORD_PTR ref = reinterpret_cast<DWORD_PTR>(&info);
  if (p.kind == ControlKind::ChildWindow) {
    SetWindowSubclass(window, ChildWindowProc, kChildWindowSubclass, ref);
  } else if (p.kind == ControlKind::ImageCheckBox && !p.checkBoxPicture) {
    SetWindowSubclass(window, CheckTextProc, kCheckTextSubclass, ref);
  } else if (p.kind == ControlKind::Chart) {
    SetWindowSubclass(window, ChartProc, kChartSubclass, ref);
  }
  if (p.bufferedPaint) SetWindowSubclass(window, BufferedPaintProc, kPaintSubclass, ref);
  return ToHandle(window);
}

void Win32Backend::DestroyControl(Handle control) {
  const HWND window = ToHwnd(control);
  ControlInfo* info = FindControl(window);
  // A picture may show a copy the control made of our bitmap (comctl32 6
  // does that for bitmaps with alpha); that copy is ours to delete.
  platform::win32::UniqueGdiObject copy;  // deleted once the control is gone
  if (info != nullptr && info->shownImage != nullptr && IsStatic(window)) {
    const auto current =
        reinterpret_cast<HGDIOBJ>(SendMessageW(window, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (current != nullptr && current != info->shownImage && GetObjectType(current) == OBJ_BITMAP) {
      copy.Reset(current);
    }
  }
  // Children of a child window die with it.
  std::vector<HWND> children;
  for (const auto& [hwnd, ignored] : controls_) {
    if (hwnd != window && IsChild(window, hwnd)) children.push_back(hwnd);
  }
  ForgetAccessibleName(window);
  DestroyWindow(window);
  copy.Reset();
  for (HWND child : children) ForgetControl(child);
  ForgetControl(window);
}

void Win32Backend::PlaceControl(Handle control, int x, int y, int width, int height) {
  const HWND window = ToHwnd(control);
  const ControlInfo* info = FindControl(window);
  if (info != nullptr && info->kind == ControlKind::UpDown) {
    // Given its edit field again, it stands beside it at its new size.
    const auto buddy = reinterpret_cast<HWND>(SendMessageW(window, UDM_GETBUDDY, 0, 0));
    if (buddy != nullptr) SendMessageW(window, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
    return;
  }
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32Backend::SetControlFont(Handle control, const FontParams& f) {
  if (f.points == 0.0) return;
  platform::win32::UniqueFont font(CreateFontW(
      FontHeightAt(f.points, f.dpi), 0, 0, 0, f.weight < 1 ? FW_NORMAL : f.weight, (f.attributes & 2) != 0,
      (f.attributes & 4) != 0, (f.attributes & 8) != 0, DEFAULT_CHARSET, OUT_OUTLINE_PRECIS, 0,
      f.quality == 0 ? 2 : f.quality, 0, Wide(f.face.substr(0, 31))));
  if (!font) return;  // the control keeps the system font
  const HWND window = ToHwnd(control);
  SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), TRUE);
  // A control we do not track cannot keep it: it goes here, not leaked.
  ControlInfo* info = FindControl(window);
  if (info != nullptr) info->font = std::move(font);  // the one it replaces goes
}

void Win32Backend::SetText(Handle handle, const Text& text) {
  const HWND window = ToHwnd(handle);
  if (FindControl(window) == nullptr || !IsStatic(window)) {
    SetWindowTextW(window, Wide(text));
    return;
  }
  // A static paints its new text at once, over the old one when its
  // background is transparent, and must then be painted again over a clean
  // background. A label on a window whose background is copied skips the
  // first paint (the text is set as any window's is) and is painted once,
  // on its own: the countdown does this every second.
  const TopWindow* top = nullptr;
  const ControlRecord* label = LabelOverBackground(window, &top);
  if (label == nullptr) {
    SetWindowTextW(window, Wide(text));
    RedrawUnder(window);
    return;
  }
  DefWindowProcW(window, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(text)));
  if (IsWindowVisible(window)) PaintOverBackground(window, *label, *top);
}

Text Win32Backend::GetText(Handle handle) {
  const HWND window = ToHwnd(handle);
  const int length = GetWindowTextLengthW(window);
  if (length <= 0) return Text();
  std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1);
  const int n = GetWindowTextW(window, buffer.data(), length + 1);
  Text text(reinterpret_cast<const char16_t*>(buffer.data()),
            n > 0 ? static_cast<std::size_t>(n) : 0);
  // The text may be a password box's: the copy handed out is the only one
  // its caller can wipe.
  SecureZeroMemory(buffer.data(), buffer.size() * sizeof(wchar_t));
  return text;
}

bool Win32Backend::ChangeState(Handle handle, const StateChange& change) {
  const HWND window = ToHwnd(handle);
  bool accepted = true;
  if (change.visible) ShowWindow(window, *change.visible ? SW_SHOW : SW_HIDE);
  if (change.check) SendMessageW(window, BM_SETCHECK, static_cast<WPARAM>(*change.check), 0);
  if (change.enabled) EnableWindow(window, *change.enabled);
  if (change.marquee) accepted = SetMarquee(window, *change.marquee);
  if (change.eraseBrush) SetEraseBrush(window, reinterpret_cast<HBRUSH>(*change.eraseBrush));
  if (change.repaint) RedrawUnder(window);
  if (change.focus) ::SetFocus(window);
  return accepted;
}

WindowState Win32Backend::QueryState(Handle handle) {
  const HWND window = ToHwnd(handle);
  WindowState state;
  state.visible = (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0;
  state.enabled = IsWindowEnabled(window) != FALSE;
  state.check = FindTop(window) == nullptr && ClassNameOf(window) == u"Button"
                    ? static_cast<int>(SendMessageW(window, BM_GETCHECK, 0, 0))
                    : 0;
  state.foreground = GetForegroundWindow() == window;
  if (FindTop(window) == nullptr && ClassNameOf(window) == u"SysListView32") {
    state.selectedRow = static_cast<int>(
        SendMessageW(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  } else if (const ControlInfo* info = FindControl(window);
             info != nullptr && info->kind == ControlKind::Chart) {
    state.selectedRow = info->clickedBar;
  }
  return state;
}

bool Win32Backend::SetMarquee(HWND bar, bool on) {
  // The style first when switching on, last when switching off: the bar
  // animates only while it has the marquee style.
  const auto setStyle = [bar](bool marquee) {
    const DWORD style = static_cast<DWORD>(GetWindowLongW(bar, GWL_STYLE));
    SetWindowLongW(bar, GWL_STYLE,
                   static_cast<LONG>(marquee ? style | PBS_MARQUEE : style & ~DWORD{PBS_MARQUEE}));
    SetWindowPos(bar, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  if (on) setStyle(true);
  const bool accepted = SendMessageW(bar, PBM_SETMARQUEE, on ? TRUE : FALSE, 0) != 0;
  if (!on) setStyle(false);
  return accepted;
}

void Win32Backend::SetControlImage(Handle control, ImageType type, Handle image) {
  const HWND window = ToHwnd(control);
  const WPARAM imageType = type == ImageType::Icon ? IMAGE_ICON : IMAGE_BITMAP;
  ControlInfo* info = FindControl(window);
  if (IsStatic(window)) {
    const auto previous = reinterpret_cast<HGDIOBJ>(
        SendMessageW(window, STM_SETIMAGE, imageType, static_cast<LPARAM>(image)));
    // A previous image we never handed over is the control's own copy.
    if (previous != nullptr && info != nullptr && previous != info->shownImage &&
        GetObjectType(previous) == OBJ_BITMAP) {
      ::DeleteObject(previous);
    }
    if (info != nullptr) info->shownImage = reinterpret_cast<HGDIOBJ>(image);
    RedrawUnder(window);
  } else {
    SendMessageW(window, BM_SETIMAGE, imageType, static_cast<LPARAM>(image));
  }
}

bool Win32Backend::AddTooltip(Handle handle, Handle control, const Text& text) {
  TopWindow* top = FindTop(ToHwnd(handle));
  if (top == nullptr) return false;
  if (top->tooltip == nullptr) {
    RegisterCommonControls();
    top->tooltip =
        CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, 0x80000003, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, ToHwnd(handle), nullptr, module_, nullptr);
    if (top->tooltip == nullptr) return false;
    SetWindowPos(top->tooltip, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(top->tooltip, TTM_SETMAXTIPWIDTH, 0, 100000);
  }
  Text copy = text;
  TOOLINFOW tool = {};
  tool.cbSize = sizeof tool;
  tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  tool.hwnd = GetParent(ToHwnd(control));
  tool.uId = static_cast<UINT_PTR>(control);
  tool.lpszText = const_cast<wchar_t*>(Wide(copy));
  return SendMessageW(top->tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool)) == 1;
}

void Win32Backend::PrepareLink(HWND link) {
  // The link part takes the text colour its parent answers, like the rest
  // of the text, instead of the system's link blue.
  LITEM item = {};
  item.mask = LIF_ITEMINDEX | LIF_STATE;
  item.iLink = 0;
  item.state = LIS_ENABLED | LIS_DEFAULTCOLORS;
  item.stateMask = LIS_ENABLED | LIS_DEFAULTCOLORS;
  SendMessageW(link, LM_SETITEM, 0, reinterpret_cast<LPARAM>(&item));
}

void Win32Backend::SetEraseBrush(HWND control, HBRUSH brush) {
  ControlInfo* info = FindControl(control);
  if (info == nullptr) return;
  info->eraseBrush = brush;
  // A child window erases in its own procedure; other controls get one.
  if (info->kind != ControlKind::ChildWindow) {
    SetWindowSubclass(control, EraseProc, kEraseSubclass, reinterpret_cast<DWORD_PTR>(info));
  }
  InvalidateRect(control, nullptr, TRUE);
}

// ---- GDI objects ---------------------------------------------------------------

Handle Win32Backend::MakeObject(const ObjectRequest& r) {
  switch (r.kind) {
    case ObjectKind::SolidBrush:
      return ToHandle(::CreateSolidBrush(static_cast<COLORREF>(r.colour)));
    case ObjectKind::PatternBrush:
      return ToHandle(::CreatePatternBrush(reinterpret_cast<HBITMAP>(r.source)));
    case ObjectKind::SystemCursor:
      // Shared system cursors: never destroyed. 32649 is IDC_HAND.
      return r.cursor == Cursor::Hand ? ToHandle(LoadCursorW(nullptr, MAKEINTRESOURCEW(32649))) : 0;
    case ObjectKind::BitmapCopy:
      if (r.source == 0) return 0;
      return ToHandle(
          CopyImage(reinterpret_cast<HANDLE>(r.source), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    case ObjectKind::BlankBitmap:
      return ToHandle(BlankBitmap(r.width, r.height));
    case ObjectKind::IconCopy:
      return r.source == 0 ? 0 : ToHandle(::CopyIcon(reinterpret_cast<HICON>(r.source)));
    case ObjectKind::IconResource:
      return ToHandle(
          LoadImageW(resources_, MAKEINTRESOURCEW(r.id), IMAGE_ICON, r.width, r.width, 0));
    case ObjectKind::ImageResource:
      return LoadImageResource(r.id, r.width, r.height);
    case ObjectKind::GradientImage:
      return GradientImage(r.width, r.height, r.argb, r.argb2, static_cast<int>(r.flags));
    case ObjectKind::FramedImage:
      return FramedImage(r.width, r.height, r.argb, r.argb2, r.penWidth);
    case ObjectKind::TitleButton:
      return TitleButtonImage(r.flags == 1 ? TitleButton::Close : TitleButton::Minimize, r.width);
    case ObjectKind::BitmapOfImage:
      return ImageToBitmap(r.source, r.width, r.height);
    case ObjectKind::CheckBoxBitmap:
      return DrawCheckBoxImage(r.flags, r.width);
  }
  return 0;
}

void Win32Backend::ReleaseObject(ReleaseBy how, Handle object) {
  if (object == 0) return;
  switch (how) {
    case ReleaseBy::GdiObject:
      ::DeleteObject(reinterpret_cast<HGDIOBJ>(object));
      break;
    case ReleaseBy::Icon:
      ::DestroyIcon(reinterpret_cast<HICON>(object));
      break;
    case ReleaseBy::Image:
      DisposeImage(object);
      break;
  }
}

Colour Win32Backend::ButtonTextColour() { return static_cast<Colour>(GetSysColor(COLOR_BTNTEXT)); }

HBITMAP Win32Backend::BlankBitmap(int width, int height) {
  BITMAPINFO bi = {};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = width;
  bi.bmiHeader.biHeight = -height;  // top-down
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  bi.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr || bits == nullptr) return bitmap;
  auto* pixels = static_cast<DWORD*>(bits);
  for (long i = 0, n = static_cast<long>(width) * height; i < n; ++i) pixels[i] = 0x01000000;
  GdiFlush();
  return bitmap;
}

// ---- the message queue ---------------------------------------------------------

Input Win32Backend::NextInput(FetchMode mode, const InputRouting& routing) {
  MSG m = {};
  if (mode == FetchMode::Wait) {
    const BOOL got = GetMessageW(&m, nullptr, 0, 0);
    if (got == -1) return Input::Failed;
    if (got == 0) return Input::Quit;
  } else {
    if (!PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) return Input::None;
    if (m.message == WM_QUIT) return Input::Quit;
  }
  if (m.message == WM_NULL) return Input::Heartbeat;  // nothing to dispatch
  if (const std::optional<Input> keyed = DialogKey(m, routing.dialogWindow)) return *keyed;
  // Enter activates the focused button or check box of the enter window, and
  // goes no further.
  if (m.message == WM_KEYDOWN && m.wParam == VK_RETURN && routing.enterWindow != nullptr &&
      TranslateEnter(*routing.enterWindow, ToHandle(m.hwnd),
                     static_cast<int>(GetWindowLongW(m.hwnd, GWL_ID)))) {
    return Input::EnterActivated;
  }
  const bool closeRequest = m.message == msg::CloseRequest;
  // The toolkit keeps no accelerator tables, so the dialog manager alone.
  ToolkitWindow* dialog = routing.dialogWindow;
  if (dialog == nullptr || dialog->handle() == 0 ||
      !IsDialogMessageW(ToHwnd(dialog->handle()), &m)) {
    ::TranslateMessage(&m);
    DispatchMessageW(&m);
  }
  return closeRequest ? Input::CloseRequest : Input::Dispatched;
}

// ---- process-wide ------------------------------------------------------------------

InstanceLookup Win32Backend::BringExistingToFront(const Text& className, const Text& title) {
  HWND other = FindWindowW(Wide(className), Wide(title));
  // Every mode puts its own title on the frame ("Tarnwick - Setup"), so the
  // exact title finds only a frame that has none yet; a frame of the class
  // whose title starts with it followed by " - " is the same program.
  const Text prefix = title + u" - ";
  for (HWND w = nullptr; other == nullptr;) {
    w = FindWindowExW(nullptr, w, Wide(className), nullptr);
    if (w == nullptr) break;
    wchar_t text[256] = {};
    GetWindowTextW(w, text, 256);
    if (Text(reinterpret_cast<const char16_t*>(text)).starts_with(prefix)) other = w;
  }
  if (other == nullptr) return InstanceLookup::NotFound;
  if (!ShowWindow(other, SW_RESTORE)) return InstanceLookup::WasHidden;
  SetForegroundWindow(other);
  return InstanceLookup::BroughtToFront;
}

void Win32Backend::StartHeartbeat(Handle window) {
  // The thread runs on without its handle.
  const platform::win32::KernelHandle thread(
      CreateThread(nullptr, 0, Heartbeat, ToHwnd(window), 0, nullptr));
}

}  // namespace twk::ui
