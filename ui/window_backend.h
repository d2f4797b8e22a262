#pragma once
// What differs between real windows and recorded ones. The shared toolkit
// (ToolkitWindow: control table, ids, records, state rules, event posting)
// and the event pump talk only to this interface; the backends turn window
// messages into toolkit events through ui/message_translation. ui/win32 implements it with real windows, GDI and GDI+;
// ui/headless records every object and plays a simulated user.
#include <cstdint>
#include <optional>

#include "ui/chart.h"
#include "ui/control_table.h"
#include "ui/owned_objects.h"
#include "ui/types.h"

namespace twk::ui {

class ToolkitWindow;

struct FontParams {
  Text face = u"Arial";  // at most 31 characters are used
  double points = 9.0;   // 0 = no font of its own
  int weight = 400;
  // Bit value 2 italic, 4 underline, 8 strike-out (bit 0 is always set by
  // the toolkit and means nothing to the font).
  std::uint8_t attributes = 1;
  std::uint8_t quality = 0;  // 0 = the toolkit's default (anti-aliased)
};

struct ControlParams {
  ControlKind kind = ControlKind::None;
  Text className;
  Text text;
  std::uint32_t style = 0;  // complete: WS_CHILD and WS_VISIBLE included
  std::uint32_t exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  Handle parent = 0;
  int id = 0;  // becomes the child id of the control window
};

enum class ImageType { Bitmap, Icon };
// Wait: GetMessageW; Peek: PeekMessageW with PM_REMOVE, NoMessage when the
// queue is empty.
enum class FetchMode { Wait, Peek };
enum class FetchResult { Message, NoMessage, Quit, Failed };
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

// The release calls (DeleteObject, DestroyIcon, ReleaseImage) come from
// BackendObjects, so that OwnedObject, OwnedIcon and OwnedImage take a backend.
class WindowBackend : public BackendObjects {
 public:
  ~WindowBackend() override = default;

  // ---- top-level windows -----------------------------------------------
  // Registers the class when needed, creates the window with its client size
  // at (-1, -1), hands its messages to the translation for owner, centres it on its parent or
  // on the work area, and gives it the program's (or the parent's) icons.
  [[nodiscard]] virtual Handle CreateTopWindow(ToolkitWindow& owner, const Text& className,
                                               const Text& title, int clientWidth, int clientHeight,
                                               std::uint32_t style, Handle parent) = 0;
  // Undoes CreateTopWindow: tooltip, brushes, icons, the window itself, and the
  // class when CreateTopWindow registered it.
  virtual void DestroyTopWindow(Handle window) = 0;
  // Cuts the system frame away: no visual styles, a region of the client
  // rectangle with 4 x 4 rounded corners.
  virtual void ApplySkin(Handle window) = 0;
  virtual void SetWindowBackground(Handle window, Handle brush) = 0;
  virtual void ShowTopWindow(Handle window, int showCommand) = 0;  // and update it
  [[nodiscard]] virtual bool IsForeground(Handle window) = 0;
  // A click on a control with style flag 0x1000 drags the window by it.
  virtual void BeginCaptionDrag(Handle window) = 0;

  // ---- controls ------------------------------------------------------------
  [[nodiscard]] virtual Handle CreateControl(ToolkitWindow& owner, const ControlParams& params) = 0;
  virtual void DestroyControl(Handle control) = 0;
  // Creates the font by the toolkit's font rule and hands it to the control;
  // the backend owns the font and deletes it with the control.
  virtual void SetControlFont(Handle control, const FontParams& font) = 0;
  virtual void SetText(Handle window, const Text& text) = 0;
  [[nodiscard]] virtual Text GetText(Handle window) = 0;
  virtual void SetVisible(Handle window, bool visible) = 0;
  [[nodiscard]] virtual bool IsVisible(Handle window) = 0;
  virtual void SetEnabled(Handle window, bool enabled) = 0;
  [[nodiscard]] virtual bool IsEnabled(Handle window) = 0;
  virtual void SetCheck(Handle button, int check) = 0;  // BM_SETCHECK 0, 1, 2
  [[nodiscard]] virtual int GetCheck(Handle button) = 0;
  virtual void SetFocus(Handle window) = 0;
  // Progress bars: the marquee on or off (style and animation together);
  // false when the bar refused.
  [[nodiscard]] virtual bool SetMarquee(Handle progressBar, bool on) = 0;
  // STM_SETIMAGE for pictures, BM_SETIMAGE for buttons; the control's area of
  // its parent is redrawn.
  virtual void SetControlImage(Handle control, ImageType type, Handle image) = 0;
  // The control's look changed (its text colour): repaint it.
  virtual void Repaint(Handle control) = 0;
  // Adds a tool for the control to the window's tooltip, creating the
  // tooltip window on first use. True when the tool was added.
  [[nodiscard]] virtual bool AddTooltip(Handle window, Handle control, const Text& text) = 0;
  virtual void AttachUpDown(Handle upDown, Handle edit, int maximum) = 0;
  // Link texts: the item state that lets the link take the text colour.
  virtual void PrepareLink(Handle link) = 0;
  // Background erasing of a control with this brush (the header links).
  virtual void SetEraseBrush(Handle control, Handle brush) = 0;
  // Report-style list views, created with full-row selection
  // (LVM_INSERTCOLUMNW, LVM_INSERTITEMW, LVM_SETITEMTEXTW): the column or row index the control gave, -1 when it
  // refused; an index beyond the end appends.
  [[nodiscard]] virtual int InsertListColumn(Handle listView, int column, const Text& text,
                                             int width) = 0;
  [[nodiscard]] virtual int InsertListItem(Handle listView, int index, const Text& text) = 0;
  [[nodiscard]] virtual bool SetListItemText(Handle listView, int item, int subItem,
                                             const Text& text) = 0;
  // Controls created while the window's style flags hold 0x800 paint through
  // a memory bitmap.
  virtual void EnableBufferedPaint(Handle control, ToolkitWindow& owner, int id) = 0;
  // Bar charts (kind 41): what the control shows from now on. It paints
  // through a memory bitmap, so a repaint never flickers.
  virtual void SetChartData(Handle chart, const ChartData& data) = 0;
  [[nodiscard]] virtual int ControlIdOf(Handle window) = 0;  // the child id
  [[nodiscard]] virtual Handle ParentOf(Handle window) = 0;
  // Sends WM_COMMAND (id, code) from control to parent.
  virtual void SendCommand(Handle parent, int id, int code, Handle control) = 0;

  // ---- GDI objects and images ------------------------------------------
  [[nodiscard]] virtual Handle CreateSolidBrush(Colour colour) = 0;
  [[nodiscard]] virtual Handle CreatePatternBrush(Handle bitmap) = 0;
  [[nodiscard]] virtual Handle LoadSystemCursor(int id) = 0;
  [[nodiscard]] virtual Colour SystemColour(int index) = 0;
  [[nodiscard]] virtual Handle CopyBitmap(Handle bitmap) = 0;
  // A 32-bit top-down bitmap whose pixels are all 0x01000000.
  [[nodiscard]] virtual Handle BlankBitmap(int width, int height) = 0;
  [[nodiscard]] virtual Handle CopyIcon(Handle icon) = 0;
  [[nodiscard]] virtual Handle LoadIconResource(int id, int size) = 0;
  // Images are drawing surfaces (GDI+ bitmaps in the real backend).
  [[nodiscard]] virtual Handle LoadImageResource(int id, int width, int height) = 0;
  // direction: 0 horizontal, 1 vertical, 2 diagonal.
  [[nodiscard]] virtual Handle GradientImage(int width, int height, std::uint32_t argbFrom,
                                             std::uint32_t argbTo, int direction) = 0;
  // An image filled with one colour and framed with a rectangle of another
  // drawn over its whole area with a pen penWidth wide (the input box's
  // background).
  [[nodiscard]] virtual Handle FramedImage(int width, int height, std::uint32_t argbFill,
                                           std::uint32_t argbFrame, float penWidth) = 0;
  // A title button's picture, 24 x 24.
  [[nodiscard]] virtual Handle TitleButtonImage(TitleButton button) = 0;
  // A GDI bitmap of the image scaled to width x height (0 = its own size).
  [[nodiscard]] virtual Handle ImageToBitmap(Handle image, int width, int height) = 0;
  // The 16 x 16 check-box box: flags 1 tick, 2 filled square, 4 rounded box.
  [[nodiscard]] virtual Handle DrawCheckBoxImage(std::uint32_t flags) = 0;

  // ---- the message queue -----------------------------------------------
  [[nodiscard]] virtual FetchResult FetchMessage(FetchMode mode, Message& out) = 0;
  // Dialog navigation and accelerators of dialogWindow when given, otherwise
  // translate and dispatch to the window procedures.
  virtual void DispatchFetched(const Message& message, ToolkitWindow* dialogWindow) = 0;
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
  // A top-level window of this class and title, or of this class with a mode
  // title that begins with the title and " - ": restore it, and when it had
  // been visible bring it to the foreground.
  [[nodiscard]] virtual InstanceLookup BringExistingToFront(const Text& className,
                                                            const Text& title) = 0;
  // Wakes the event pump every 20 ms while the window exists.
  virtual void StartHeartbeat(Handle window) = 0;
};

}  // namespace twk::ui
