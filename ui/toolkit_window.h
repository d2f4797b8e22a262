#pragma once
// A top-level window of the program with its table of numbered controls. The
// mode windows create controls here, address them by the ids the creators
// return, and learn what the user did from the EventSlot that the window's
// message handling fills. Everything here is portable; the windows
// themselves live behind a WindowBackend.
#include <cstdint>
#include <optional>
#include <vector>

#include "ui/control_table.h"
#include "ui/event_slot.h"
#include "ui/window_backend.h"

namespace twk::ui {

// The widths of a list's columns: each what it must hold; the last one
// takes what the others leave of `room`.
std::vector<int> FitColumnWidths(const std::vector<ListColumnFit>& columns, int room);

class ToolkitWindow {
 public:
  ToolkitWindow(WindowBackend& backend, EventSlot& slot);
  virtual ~ToolkitWindow();
  ToolkitWindow(const ToolkitWindow&) = delete;
  ToolkitWindow& operator=(const ToolkitWindow&) = delete;

  // ---- the window ------------------------------------------------------
  // A hidden window with a caption, a system menu and a minimise box, found
  // again by its name (BringExistingToFront). Returns the window handle, or 0.
  // An existing window is destroyed first.
  Handle Create(const Text& name, const Text& title, int clientWidth, int clientHeight,
                const ToolkitWindow* parent = nullptr);
  // False when there is no window.
  bool Destroy();
  void ApplySkin();
  void SetTitle(const Text& title);
  void Show(ShowCommand command);  // and paint it at once
  void SetBackground(Handle brush);
  // The window's display scale changed (it moved to another monitor, or the
  // user changed the scale): every control stands again at its place, size
  // and font times the new scale, the skin's corners too. Pictures keep what
  // they were made with.
  virtual void ChangeDpi(int dpi);
  int dpi() const { return dpi_; }
  // The client size as created, at 96 DPI.
  int clientWidth() const { return clientWidth_; }
  int clientHeight() const { return clientHeight_; }
  // A length of the 96-DPI layout at this window's scale.
  int Px(int length) const { return ScaleToDpi(length, dpi_); }
  // A drawing object for this window: its sizes (and pen) at the window's scale.
  [[nodiscard]] Handle MakeObject(ObjectRequest request) const;

  Handle handle() const { return handle_; }
  const Text& name() const { return name_; }
  const Text& title() const { return title_; }
  WindowBackend& backend() { return backend_; }
  EventSlot& slot() { return slot_; }

  // ---- settings for the controls created next -------------------------
  void SetFont(const Text& face, double points, int weight = 400, std::uint8_t attributes = 1,
               std::uint8_t quality = 0);
  const FontParams& font() const { return font_; }
  void SetColours(Colour text, Colour back);
  void SetStyleFlags(std::uint32_t flags) { styleFlags_ = flags; }
  std::uint32_t styleFlags() const { return styleFlags_; }
  void StartGroup() { startGroup_ = true; }

  // ---- creators: each returns the new id, or 0 --------------------------
  int CreateButton(const Text& text, int x, int y, int width, int height,
                   ControlOptions options = {});
  int CreateLabel(const Text& text, int x, int y, int width, int height,
                  ControlOptions options = {});
  int CreateEdit(const Text& text, int x, int y, int width, int height,
                 EditKind kind = EditKind::AutoScroll);
  // For the edit field created last; range 1..maximum.
  int CreateUpDown(int maximum);
  int CreateIconPicture(Handle icon, int x = 6, int y = 6);
  // A 24 x 24 picture at (x, 5) made from an image.
  int CreateSmallPicture(Handle image, int x);
  // A smooth bar fills continuously instead of in blocks.
  int CreateProgressBar(int x, int y, int width, int height, bool smooth = false);
  // Switches a progress bar to the endless marquee (while the length of the
  // work is unknown) and back; false when the bar refused.
  bool SetMarquee(int id, bool on);
  int CreateLink(const Text& text, int x, int y, int width, int height);
  // A report-style list with a sunken edge: one selected row at a time,
  // selected across all its columns and still shown when the list loses the
  // focus.
  int CreateReportList(int x, int y, int width, int height);
  // List and combo boxes report their notifications as events (-65 .. -70).
  int CreateListBox(int x, int y, int width, int height);
  int CreateComboBox(int x, int y, int width, int height);  // a drop-down list
  // Every image check box of the window shows these pictures from now on
  // (drawn again at a new scale); the caller keeps them alive.
  void ReplaceCheckBoxBitmaps(Handle checked, Handle unchecked);
  // Returns the id of the text part, which is also the id its events carry.
  int CreateImageCheckBox(const Text& text, int x, int y, int width, bool checked,
                          Handle checkedBitmap, Handle uncheckedBitmap);
  // A bar chart drawn by the toolkit; empty until SetChartData.
  int CreateChart(int x, int y, int width, int height);
  // A child window that hosts the controls created until CloseChildWindow;
  // with keysInside, Tab and the dialog keys reach them.
  int CreateChildWindow(int x, int y, int width, int height, bool keysInside = false);
  void CloseChildWindow();

  bool DeleteControl(int id);

  // ---- controls by id: false for an id that names no control ----------
  bool SetControlText(int id, const Text& text);
  Text GetControlText(int id);
  bool SetControlState(int id, std::uint32_t flags);
  // Visibility (1 or 2), tick (4, 8 or 16, check boxes only) and
  // enabling (32 or 64) as SetControlState flags; 0 for an unknown id.
  std::uint32_t GetControlState(int id);
  bool IsControlChecked(int id) { return (GetControlState(id) & state::Checked) != 0; }
  bool IsControlEnabled(int id) { return (GetControlState(id) & state::Enable) != 0; }
  bool SetControlFont(int id, const Text& face, double points, int weight = 400);
  bool SetControlTip(int id, const Text& text);
  bool SetControlTextColour(int id, Colour colour);
  // Without a bitmap, a blank one of that size.
  bool SetControlBitmap(int id, Handle bitmap, int width, int height);
  bool SetControlIcon(int id, Handle icon);
  bool SetControlCursor(int id, Cursor cursor);
  bool SetControlBrush(int id, Handle brush, Colour backColour);
  // The control erases its background with this brush (a band's gradient
  // behind its links) instead of its parent's.
  bool SetControlEraseBrush(int id, Handle brush);
  // Report-style list views: the index of the new column or row, -1 when the
  // id names no list view or the control refused; an index beyond the end
  // appends.
  int InsertListColumn(int id, int column, const Text& text, int width);
  int InsertListItem(int id, int index, const Text& text);
  bool SetListItemText(int id, int item, int subItem, const Text& text);
  // The row the user selected, -1 when none is (or the id names no list view).
  int SelectedListRow(int id);
  // False when the id names no chart.
  bool SetChartData(int id, const ChartData& data);
  // This window's taskbar button (see WindowBackend::SetTaskbarProgress).
  bool SetTaskbarProgress(TaskbarProgress state, std::uint64_t done = 0, std::uint64_t total = 0);
  // The bar of the latest click on the chart; -1 when none was hit.
  int ClickedChartBar(int id);

  const ControlRecord* Control(int id) const { return table_.Find(id); }
  int IdOfHandle(Handle window) const { return table_.IdOfHandle(window); }
  int count() const { return table_.count(); }
  int capacity() const { return table_.capacity(); }

  // ---- events ----------------------------------------------------------------
  // Places an event in the slot, from this window.
  void PostEvent(std::int32_t id, Handle from, std::uintptr_t idOrCode, std::uintptr_t extra);
  // The user activated control id (a click, Enter, an accelerator): an image
  // check box switches and reports its text part, a control that moves the
  // window starts dragging it, any other reports its own id.
  void ActivateControl(int id, Handle from, std::uintptr_t code);
  bool MovesWindow(const ControlRecord& control) const;
  // Becomes the window whose dialog keys the backend handles, when it is in
  // the foreground.
  void MarkDialogWindow();

  // ---- keyboard (toolkit_keys.cpp) -------------------------------------------
  // The controls Tab stops on as things stand (shown, enabled, a tab stop), in
  // reading order: line by line from the top, each line from the left.
  std::vector<int> TabOrder();
  // Moves the focus from the control whose window is `focused` (0, or one that
  // takes no Tab, starts before the first) to the next tab stop, or with
  // `backwards` the one before, round the end; the id focused, 0 when none.
  int MoveFocus(Handle focused, bool backwards);
  // The button Enter presses wherever the focus is: the shown and enabled
  // default button; 0 when the window has none.
  int MainButton();

  // ---- names (toolkit_names.cpp) ---------------------------------------------
  // A name for a control no rule of the toolkit names well (a list without a
  // label); it wins over the rule.
  bool SetControlName(int id, const Text& name);
  // What assistive technology calls the control: its given name; else a
  // button's or check box's caption without leading blanks, a label's text
  // (without a trailing colon and the dashes that lead to its field),
  // a link's text without its markup; an edit field, up-down, list or bar
  // the text of its label (beside it on its left, else just above); a chart
  // what its data shows; a picture its tip; a band of controls its first
  // label. Empty for an unknown id.
  Text AccessibleName(int id);
  // Hands every name that changed to the backend.
  void UpdateNames();

  // ---- list columns (toolkit_columns.cpp) ------------------------------------
  // The widths the columns of list `id` have, in order.
  std::vector<int> ListColumnWidths(int id) const;

 private:
  // A column's texts grew or a column came: every column at least as wide
  // as its header and its widest cell; the last one takes what is left of
  // the list's width.
  void FitListColumn(int id, int column, const Text& text);
  void ApplyColumnWidths(ControlRecord& list);
  // The window-relative place of a control, through the band that hosts it.
  struct Place {
    int x = 0, y = 0, width = 0, height = 0;
  };
  Place PlaceOf(int id) const;
  int HostOf(int id) const;  // the child window whose member it is; 0: the window
  bool Shown(int id);        // it and its host visible
  // The label that names an edit, list or bar: on its left on its line, else
  // just above it; 0 when none.
  int LabelFor(int id);

  int Register(ControlKind kind, Handle window, const ControlParams& params);
  int CreateWithParams(const ControlParams& params);
  // Params for a control of this kind at this place in the current parent.
  ControlParams Params(ControlKind kind, const Text& text, int x, int y, int width,
                       int height) const;
  FontParams ScaledFont(FontParams font) const;
  int CreateSimple(ControlKind kind, const Text& text, int x, int y, int width, int height,
                   ControlOptions options = {});
  Handle CurrentParent() const;
  const ControlRecord* ListView(int id) const;
  void ReleaseRecord(ControlRecord& record);
  // Shows the picture (a bitmap or an icon copy the control now owns; the
  // other owner is empty) and frees the one it replaces.
  void ShowOwnedPicture(ControlRecord& record, OwnedObject bitmap, OwnedIcon icon);
  void ApplyCheckBoxState(ImageCheckBoxData& box, std::uint32_t state);

  WindowBackend& backend_;
  EventSlot& slot_;
  Handle handle_ = 0;
  Text name_;
  Text title_;
  ControlTable table_;
  FontParams font_;
  Colour textColour_ = -1;
  Colour backColour_ = -1;
  std::uint32_t styleFlags_ = 0;
  bool startGroup_ = false;
  int openChildWindow_ = 0;  // id of the kind-40 window that collects members
  int clientWidth_ = 0, clientHeight_ = 0;
  int dpi_ = kBaseDpi;
  bool skinned_ = false;
};

}  // namespace twk::ui
