#pragma once
// What differs between real windows and recorded ones. The shared toolkit
// (ToolkitWindow: control table, ids, records, state rules, event posting)
// and the event pump talk only to this interface, which speaks in controls,
// drawing objects and inputs, never in window messages. ui/win32 implements it
// with real windows, GDI and GDI+, and turns window messages into toolkit
// events through ui/message_translation; ui/headless records every object and
// injects what a simulated user does.
#include <cstdint>
#include <optional>

#include "ui/chart.h"
#include "ui/control_table.h"
#include "ui/owned_objects.h"
#include "ui/types.h"

namespace twk::ui {

class ToolkitWindow;

// A control to make: its kind and the options of that kind. Each backend
// decides how to build such a control; the toolkit never names a class or a
// style of its own.
struct ControlParams {
  ControlKind kind = ControlKind::None;
  Text text;
  ControlOptions options;
  // The first control of a group of controls the arrow keys move through.
  bool startsGroup = false;
  EditKind edit = EditKind::AutoScroll;  // edits
  bool smooth = false;                   // progress bars: a continuous bar, not blocks
  // Child windows: Tab and the dialog keys reach the controls inside.
  bool keysInside = false;
  // Image check boxes are a picture and a text beside it: true for the picture.
  bool checkBoxPicture = false;
  int x = 0, y = 0, width = 0, height = 0;
  Handle parent = 0;
  int id = 0;  // becomes the child id of the control window
  // Paints through a memory bitmap, so that a repaint never flickers.
  bool bufferedPaint = false;
  // Up-down controls: the edit field they step, from 1 to upDownMaximum.
  Handle upDownBuddy = 0;
  int upDownMaximum = 0;
};

// A change of a window's or control's state; what is left empty stays.
struct StateChange {
  std::optional<bool> visible;
  std::optional<bool> enabled;
  std::optional<int> check;  // push buttons: 0, 1 or 2 (indeterminate)
  bool focus = false;
  // Progress bars: the endless marquee on or off (style and animation
  // together).
  std::optional<bool> marquee;
  // Its look changed (the text colour): paint it again.
  bool repaint = false;
  // Background erasing with this brush (the header band and its links).
  std::optional<Handle> eraseBrush;
};

struct WindowState {
  bool visible = false;
  bool enabled = false;
  int check = 0;  // push buttons
  bool foreground = false;
  // Report lists: the selected row; charts: the bar last clicked; -1 none.
  int selectedRow = -1;
};

struct ListRoom {
  int cellMargins = 0;
  int columnsWidth = 0;
};

enum class ImageType { Bitmap, Icon };
// Wait: until something comes; Peek: only what is already there.
enum class FetchMode { Wait, Peek };
// Where a fetched input goes besides its window: the window whose dialog keys
// apply, and the window whose clickable controls Enter activates.
struct InputRouting {
  ToolkitWindow* dialogWindow = nullptr;
  ToolkitWindow* enterWindow = nullptr;
};
// The two pictures of the header's title buttons.
enum class TitleButton { Minimize, Close };
enum class InstanceLookup { NotFound, WasHidden, BroughtToFront };

// The system's dialog that asks where to save a file.
struct SaveFileRequest {
  Text defaultName;       // proposed in the user's Documents folder
  Text filterName;        // e.g. "CSV files (*.csv)"
  Text filterPattern;     // e.g. "*.csv"
  Text defaultExtension;  // added when the user types a name without one
};

// The drawing objects a backend makes (MakeObject), each released by the
// call its owner alias names (OwnedObject, OwnedIcon, OwnedImage).
enum class ObjectKind {
  SolidBrush,      // colour
  PatternBrush,    // source: a bitmap
  SystemCursor,    // cursor (shared: never released)
  BitmapCopy,      // source: a bitmap
  BlankBitmap,     // width x height, 32-bit top-down, every pixel 0x01000000
  IconCopy,        // source: an icon
  IconResource,    // id, width (= height)
  ImageResource,   // id, width, height (0: the image's own); images are GDI+ bitmaps
  GradientImage,   // width, height, argb -> argb2, flags: 0 horizontal, 1 vertical, 2 diagonal
  FramedImage,     // width, height filled with argb, framed with argb2 by a pen penWidth wide
  TitleButton,     // flags: 0 minimise, 1 close; 24 x 24
  BitmapOfImage,   // source: an image, scaled to width x height (0: its own)
  CheckBoxBitmap,  // 16 x 16; flags: 1 tick, 2 filled square, 4 rounded box
};

struct ObjectRequest {
  ObjectKind kind = ObjectKind::SolidBrush;
  Handle source = 0;
  int id = 0;
  Cursor cursor = Cursor::None;
  int width = 0, height = 0;
  Colour colour = 0;
  std::uint32_t argb = 0, argb2 = 0;
  float penWidth = 0;
  std::uint32_t flags = 0;
};

// The requests by name, for readable call sites.
namespace draw {
inline ObjectRequest SolidBrush(Colour colour) {
  return {.kind = ObjectKind::SolidBrush, .colour = colour};
}
inline ObjectRequest PatternBrush(Handle bitmap) {
  return {.kind = ObjectKind::PatternBrush, .source = bitmap};
}
inline ObjectRequest SystemCursor(Cursor cursor) {
  return {.kind = ObjectKind::SystemCursor, .cursor = cursor};
}
inline ObjectRequest BitmapCopy(Handle bitmap) {
  return {.kind = ObjectKind::BitmapCopy, .source = bitmap};
}
inline ObjectRequest BlankBitmap(int width, int height) {
  return {.kind = ObjectKind::BlankBitmap, .width = width, .height = height};
}
inline ObjectRequest IconCopy(Handle icon) {
  return {.kind = ObjectKind::IconCopy, .source = icon};
}
inline ObjectRequest IconResource(int id, int size) {
  return {.kind = ObjectKind::IconResource, .id = id, .width = size, .height = size};
}
inline ObjectRequest ImageResource(int id, int width, int height) {
  return {.kind = ObjectKind::ImageResource, .id = id, .width = width, .height = height};
}
inline ObjectRequest GradientImage(int width, int height, std::uint32_t argbFrom,
                                   std::uint32_t argbTo, int direction) {
  return {.kind = ObjectKind::GradientImage,
          .width = width,
          .height = height,
          .argb = argbFrom,
          .argb2 = argbTo,
          .flags = static_cast<std::uint32_t>(direction)};
}
inline ObjectRequest FramedImage(int width, int height, std::uint32_t argbFill,
                                 std::uint32_t argbFrame, float penWidth) {
  return {.kind = ObjectKind::FramedImage,
          .width = width,
          .height = height,
          .argb = argbFill,
          .argb2 = argbFrame,
          .penWidth = penWidth};
}
inline ObjectRequest TitleButtonImage(TitleButton button) {
  return {.kind = ObjectKind::TitleButton,
          .width = 24,
          .height = 24,
          .flags = button == TitleButton::Close ? 1u : 0u};
}
inline ObjectRequest BitmapOfImage(Handle image, int width, int height) {
  return {.kind = ObjectKind::BitmapOfImage, .source = image, .width = width, .height = height};
}
inline ObjectRequest CheckBoxBitmap(std::uint32_t flags) {
  return {.kind = ObjectKind::CheckBoxBitmap, .width = 16, .height = 16, .flags = flags};
}
}  // namespace draw

// The release call (ReleaseObject) comes from BackendObjects, so that the
// owner aliases take a backend.
class WindowBackend : public BackendObjects {
 public:
  ~WindowBackend() override = default;

  // ---- top-level windows -----------------------------------------------
  // Creates a hidden window with a caption, a system menu and a minimise box,
  // its client size as asked, hands its input to the translation for owner,
  // centres it on its parent or on the work area, and gives it the program's
  // (or the parent's) icons. The name is what BringExistingToFront finds it by.
  [[nodiscard]] virtual Handle CreateTopWindow(ToolkitWindow& owner, const Text& name,
                                               const Text& title, int clientWidth, int clientHeight,
                                               Handle parent) = 0;
  // Undoes CreateTopWindow: tooltip, brushes, icons, the window itself, and the
  // window's class when CreateTopWindow registered one.
  virtual void DestroyTopWindow(Handle window) = 0;
  // The display scale (dots per inch) a top window made now would have: its
  // parent's, else the system's (the primary monitor's, where it is
  // centred); 96 where the system knows no other.
  [[nodiscard]] virtual int DpiForNewWindow(Handle parent) = 0;
  // Cuts the system frame away: no visual styles, a region of the client
  // rectangle with rounded corners `corner` pixels across.
  virtual void ApplySkin(Handle window, int corner) = 0;
  virtual void SetWindowBackground(Handle window, Handle brush) = 0;
  virtual void ShowTopWindow(Handle window, ShowCommand command) = 0;  // and update it
  // A click on a control that moves its window drags the window by it.
  virtual void BeginCaptionDrag(Handle window) = 0;
  // The window's taskbar button shows the wait (`done` of `total` for
  // Normal and Paused). The taskbar's interface is made at the first call;
  // false when there is none (an old Windows, Wine) or it refused: the
  // program goes on without.
  virtual bool SetTaskbarProgress(Handle window, TaskbarProgress state, std::uint64_t done,
                                  std::uint64_t total) = 0;

  // ---- windows and controls ---------------------------------------------
  // Links are prepared so that their text takes the colour the toolkit
  // answers; report lists get full-row selection.
  [[nodiscard]] virtual Handle CreateControl(ToolkitWindow& owner, const ControlParams& params) = 0;
  virtual void DestroyControl(Handle control) = 0;
  // Moves and sizes a control within its parent; an up-down ignores the
  // rectangle and stands again beside its edit field.
  virtual void PlaceControl(Handle control, int x, int y, int width, int height) = 0;
  // Creates the font by the toolkit's font rule and hands it to the control;
  // the backend owns the font and deletes it with the control.
  virtual void SetControlFont(Handle control, const FontParams& font) = 0;
  virtual void SetText(Handle window, const Text& text) = 0;
  [[nodiscard]] virtual Text GetText(Handle window) = 0;
  // False when a part of the change was refused (a bar without a marquee).
  virtual bool ChangeState(Handle window, const StateChange& change) = 0;
  [[nodiscard]] virtual WindowState QueryState(Handle window) = 0;
  // Pictures and buttons show the image; the control's area of its parent
  // is redrawn.
  virtual void SetControlImage(Handle control, ImageType type, Handle image) = 0;
  // Adds a tool for the control to the window's tooltip, creating the
  // tooltip window on first use. True when the tool was added.
  [[nodiscard]] virtual bool AddTooltip(Handle window, Handle control, const Text& text) = 0;
  // Report lists: the column or row index the control gave, -1 when it
  // refused; an index beyond the end appends.
  [[nodiscard]] virtual int InsertListColumn(Handle listView, int column, const Text& text,
                                             int width) = 0;
  [[nodiscard]] virtual int InsertListItem(Handle listView, int index, const Text& text) = 0;
  [[nodiscard]] virtual bool SetListItemText(Handle listView, int item, int subItem,
                                             const Text& text) = 0;
  // Bar charts (kind 41): what the control shows from now on. It paints
  // through a memory bitmap, so a repaint never flickers.
  virtual void SetChartData(Handle chart, const ChartData& data) = 0;

  // ---- keyboard, names and measures (what the toolkit decides, done) -----
  // The focus goes to the control as Tab moves it: an edit field's text is
  // selected, and from now on the window marks the focused control.
  virtual void MoveKeyboardFocus(Handle control) = 0;
  // What assistive technology (a screen reader) calls the control. Where the
  // system cannot take it, nothing changes and the program goes on.
  virtual void SetAccessibleName(Handle control, const Text& name) = 0;
  // The width in pixels of a line of text in the control's font.
  [[nodiscard]] virtual int MeasureText(Handle control, const Text& text) = 0;
  // Report lists: the pixels a cell adds to its text (its margins), and the
  // width the columns can share without a horizontal scroll bar, room for a
  // vertical one kept.
  [[nodiscard]] virtual ListRoom MeasureListRoom(Handle listView) = 0;
  [[nodiscard]] virtual bool SetListColumnWidth(Handle listView, int column, int width) = 0;

  // ---- drawing objects -----------------------------------------------------
  // 0 when it cannot be made.
  [[nodiscard]] virtual Handle MakeObject(const ObjectRequest& request) = 0;
  // The colour of the system's text on buttons and labels.
  [[nodiscard]] virtual Colour ButtonTextColour() = 0;

  // ---- input -----------------------------------------------------------------
  // Fetches one input and hands it to its window: the translation turns what
  // it means into an event in the toolkit's slot.
  [[nodiscard]] virtual Input NextInput(FetchMode mode, const InputRouting& routing) = 0;
  // Lets the user-interface thread rest (Sleep), e.g. so that a destroyed
  // window's last messages settle before another instance starts.
  virtual void Sleep(std::uint32_t milliseconds) = 0;
  // A message the user must see even when no window of ours is shown (the
  // sequence cannot go on): a modal box with an OK button and a warning
  // sign, owned by owner (0: none).
  virtual void ShowMessage(Handle owner, const Text& title, const Text& text) = 0;
  // The save dialog, modal to owner: the path chosen, none when the user
  // cancelled or the dialog could not be shown.
  [[nodiscard]] virtual std::optional<Text> ChooseSaveFile(Handle owner,
                                                           const SaveFileRequest& request) = 0;

  // ---- process-wide ------------------------------------------------------
  // A top-level window of this name and title, or of this name with a mode
  // title that begins with the title and " - ": restore it, and when it had
  // been visible bring it to the foreground.
  [[nodiscard]] virtual InstanceLookup BringExistingToFront(const Text& name,
                                                            const Text& title) = 0;
  // Wakes the event pump every 20 ms while the window exists.
  virtual void StartHeartbeat(Handle window) = 0;
};

}  // namespace twk::ui
