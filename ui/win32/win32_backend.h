#pragma once
// The toolkit's real windows: CreateWindowExW, comctl32 subclassing, GDI for
// fonts, brushes and regions, GDI+ for images. One per process, created on
// the user-interface thread after GdiplusStartup.
#include <windows.h>

#include <map>
#include <memory>
#include <optional>

#include "platform/win32/handles.h"
#include "platform/win32/wide_text.h"
#include "ui/toolkit_window.h"
#include "ui/window_backend.h"

namespace twk::ui {

inline HWND ToHwnd(Handle h) { return reinterpret_cast<HWND>(h); }
template <class T>
inline Handle ToHandle(T* p) {
  return reinterpret_cast<Handle>(p);
}
using platform::win32::Wide;

// The taskbar buttons' progress (win32_taskbar.cpp), and its disposal there.
class TaskbarButtons;
struct TaskbarButtonsDeleter {
  void operator()(TaskbarButtons* buttons) const;
};
// The names for assistive technology (win32_accessible.cpp).
class AccessibleNames;
struct AccessibleNamesDeleter {
  void operator()(AccessibleNames* names) const;
};

class Win32Backend final : public WindowBackend {
 public:
  // What the backend keeps per top-level window; the subclass procedure's
  // reference data points here.
  struct TopWindow {
    Win32Backend* backend = nullptr;
    ToolkitWindow* owner = nullptr;
    Text className;
    bool registeredClass = false;
    platform::win32::UniqueBrush windowBrush;  // GetSysColor(COLOR_WINDOW)
    HBRUSH background = nullptr;               // the caller's, not owned
    platform::win32::UniqueMemoryDc memoryDc;
    // The background brush painted once into a bitmap of the client's size
    // and kept selected in memoryDc: erasing copies pixels from it instead of
    // filling with the brush, which Wine converts whole (a 600 x 465 pattern)
    // every time the brush is selected into a new device context.
    platform::win32::UniqueBitmap backgroundCopy;
    SIZE backgroundSize = {};
    std::optional<platform::win32::SelectedObject> backgroundSelected;
    platform::win32::UniqueIcon bigIcon;
    platform::win32::UniqueIcon smallIcon;
    HWND tooltip = nullptr;
    bool skinned = false;
    int borderWidth = 1;
  };
  // Per control; the control subclasses' reference data points here.
  struct ControlInfo {
    Win32Backend* backend = nullptr;
    ToolkitWindow* owner = nullptr;
    ControlKind kind = ControlKind::None;
    int id = 0;
    platform::win32::UniqueFont font;
    HBRUSH eraseBrush = nullptr;              // not owned
    platform::win32::UniqueBrush paintBrush;  // buffered painting's background
    HGDIOBJ shownImage = nullptr;             // what we handed to STM_SETIMAGE
    ChartData chart;
    int clickedBar = -1;  // kind 41: the bar under the latest click, -1 none                          // kind 41: what it shows
    bool named = false;   // it has a name for assistive technology
  };

  // Resources (icons, images) come from `resources` when given, else from
  // the module itself.
  explicit Win32Backend(HINSTANCE module, HMODULE resources = nullptr);
  ~Win32Backend() override;
  Win32Backend(const Win32Backend&) = delete;
  Win32Backend& operator=(const Win32Backend&) = delete;

  HINSTANCE module() const { return module_; }
  TopWindow* FindTop(HWND window);
  ControlInfo* FindControl(HWND window);
  // The "class background brush" of the colour replies: the window brush of
  // the control's top-level window.
  HBRUSH WindowBrushOf(const ToolkitWindow* owner);

  // ---- WindowBackend ---------------------------------------------------------
  Handle CreateTopWindow(ToolkitWindow& owner, const Text& className, const Text& title,
                         int clientWidth, int clientHeight, Handle parent) override;
  void DestroyTopWindow(Handle window) override;
  int DpiForNewWindow(Handle parent) override;
  void ApplySkin(Handle window, int corner) override;
  void SetWindowBackground(Handle window, Handle brush) override;
  void ShowTopWindow(Handle window, ShowCommand command) override;
  void BeginCaptionDrag(Handle window) override;
  Handle CreateControl(ToolkitWindow& owner, const ControlParams& params) override;
  void DestroyControl(Handle control) override;
  void PlaceControl(Handle control, int x, int y, int width, int height) override;
  void SetControlFont(Handle control, const FontParams& font) override;
  void SetText(Handle window, const Text& text) override;
  Text GetText(Handle window) override;
  bool ChangeState(Handle window, const StateChange& change) override;
  WindowState QueryState(Handle window) override;
  void SetControlImage(Handle control, ImageType type, Handle image) override;
  bool AddTooltip(Handle window, Handle control, const Text& text) override;
  // win32_list_view.cpp
  int InsertListColumn(Handle listView, int column, const Text& text, int width) override;
  int InsertListItem(Handle listView, int index, const Text& text) override;
  bool SetListItemText(Handle listView, int item, int subItem, const Text& text) override;
  // win32_chart.cpp
  void SetChartData(Handle chart, const ChartData& data) override;
  bool SetTaskbarProgress(Handle window, TaskbarProgress state, std::uint64_t done,
                          std::uint64_t total) override;
  // win32_keys.cpp
  void MoveKeyboardFocus(Handle control) override;
  int MeasureText(Handle control, const Text& text) override;
  ListRoom MeasureListRoom(Handle listView) override;
  bool SetListColumnWidth(Handle listView, int column, int width) override;
  // win32_accessible.cpp
  void SetAccessibleName(Handle control, const Text& name) override;

  Handle MakeObject(const ObjectRequest& request) override;
  void ReleaseObject(ReleaseBy how, Handle object) override;
  Colour ButtonTextColour() override;

  Input NextInput(FetchMode mode, const InputRouting& routing) override;
  void Sleep(std::uint32_t milliseconds) override;  // win32_list_view.cpp
  void ShowMessage(Handle owner, const Text& title, const Text& text) override;
  // win32_save_dialog.cpp
  std::optional<Text> ChooseSaveFile(Handle owner, const SaveFileRequest& request) override;

  InstanceLookup BringExistingToFront(const Text& className, const Text& title) override;
  void StartHeartbeat(Handle window) override;

 private:
  bool SetMarquee(HWND bar, bool on);
  void PrepareLink(HWND link);
  void SetEraseBrush(HWND control, HBRUSH brush);
  // Drawing objects (win32_images.cpp for the GDI+ images).
  HBITMAP BlankBitmap(int width, int height);
  Handle LoadImageResource(int id, int width, int height);
  static Handle GradientImage(int width, int height, std::uint32_t argbFrom, std::uint32_t argbTo,
                              int direction);
  static Handle FramedImage(int width, int height, std::uint32_t argbFill, std::uint32_t argbFrame,
                            float penWidth);
  static Handle TitleButtonImage(TitleButton button, int size);
  static Handle ImageToBitmap(Handle image, int width, int height);
  static void DisposeImage(Handle image);
  static Handle DrawCheckBoxImage(std::uint32_t flags, int size);

  void ForgetControl(HWND window);
  // A key of the toolkit's dialog keys, pressed in the dialog window: what
  // the fetch brought once the toolkit took it; none when it goes on to the
  // control and the dialog manager (win32_keys.cpp).
  std::optional<Input> DialogKey(const MSG& m, ToolkitWindow* dialog);
  // Takes back the name a control was given before it goes.
  void ForgetAccessibleName(HWND window);
  // Paints the top window's background brush into its memory DC (nothing
  // when it has none or the copy cannot be made: erasing then fills).
  static void CopyBackground(TopWindow& top, HWND window);
  // A label with a transparent background lying wholly on a top window whose
  // background is copied (and that window), else nullptr.
  const ControlRecord* LabelOverBackground(HWND control, const TopWindow** top);
  // Paints such a label in one pass without its parent: the background under
  // it from the copy, its text on top.
  static void PaintOverBackground(HWND control, const ControlRecord& r, const TopWindow& top);
  // Registers the common control classes the first time a window is made.
  void RegisterCommonControls();

  HINSTANCE module_;
  HMODULE resources_;
  // The taskbar's interface, made at the first progress shown (null while
  // none could be made; tried once).
  std::unique_ptr<TaskbarButtons, TaskbarButtonsDeleter> taskbar_;
  bool taskbarTried_ = false;
  // The annotation service, made at the first name (null while none could
  // be had, or once it refused; tried once).
  std::unique_ptr<AccessibleNames, AccessibleNamesDeleter> names_;
  bool namesTried_ = false;
  bool commonControlsRegistered_ = false;
  bool childClassRegistered_ = false;
  std::map<HWND, TopWindow> tops_;
  std::map<HWND, ControlInfo> controls_;
};

// The subclass procedures (win32_procs.cpp).
LRESULT CALLBACK TopWindowProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK ChildWindowProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK EraseProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK BufferedPaintProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK CheckTextProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
LRESULT CALLBACK ChartProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);  // win32_chart.cpp

// Subclass ids, one per procedure.
inline constexpr UINT_PTR kTopSubclass = 1;
inline constexpr UINT_PTR kChildWindowSubclass = 2;
inline constexpr UINT_PTR kEraseSubclass = 3;
inline constexpr UINT_PTR kPaintSubclass = 4;
inline constexpr UINT_PTR kCheckTextSubclass = 5;
inline constexpr UINT_PTR kChartSubclass = 6;

// A check box's text is a static, which shows no focus of its own: the
// dotted focus rectangle goes round its text while it has the focus and the
// window shows focus marks (win32_keys.cpp).
void DrawCheckTextFocus(HWND text);

// Redraws the part of the parent under a control, so that a control with a
// transparent background shows the parent's background, not its old self.
void RedrawUnder(HWND control);

}  // namespace twk::ui
