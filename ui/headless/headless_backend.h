#pragma once
// A window system in memory. Every window, control and drawing object the
// toolkit asks for is recorded (kind, options, text, position, font, state,
// image), and a simulated user acts on the controls: what the user does is
// queued and handed, when the program fetches it, to the same portable
// translation the real backend uses, as the notification the control sends.
//
// Time: when the program waits for a message and nothing is queued, the
// simulated user's rules run first; when they queue nothing, the heartbeat
// wakes the program, as the real heartbeat thread does
// every 20 ms, after advancing the test's clock by the heartbeat step.
//
//   ui.SetHeartbeat(20, [&](std::uint32_t ms) { clock.AdvanceMilliseconds(ms); });
//   ui.When([&] { return ui.TextAt(180, 90) == u"12"; },
//           [&] { ui.Click(ui.FindByText(u"  Pause")); });
//   ui.AfterWakes(3000, [&] { ui.Close(); });
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "ui/message_translation.h"
#include "ui/toolkit_window.h"
#include "ui/window_backend.h"

namespace twk::ui {

class HeadlessBackend final : public WindowBackend {
 public:
  // What it was created with (for a top-level window its name, and the
  // client size as its width and height), and what happened to it since.
  struct Window : ControlParams {
    Handle handle = 0;
    Text name;
    ToolkitWindow* owner = nullptr;  // the toolkit window whose table holds it
    bool topLevel = false;
    bool hasFont = false;
    FontParams font;
    bool visible = false;
    bool enabled = true;
    bool minimized = false;
    int check = 0;
    Handle image = 0;
    ImageType imageType = ImageType::Bitmap;
    Text tip;
    Handle background = 0;
    Handle eraseBrush = 0;
    int skinCorner = 0;  // top windows: the skin's corners (0: not skinned)
    bool destroyed = false;
    int marquee = -1;  // progress bars: the last SetMarquee (0 off, 1 on), -1 none
    // List views: column headers with their widths, and the rows' cell texts.
    std::vector<Text> columns;
    std::vector<int> columnWidths;
    std::vector<std::vector<Text>> rows;
    int selectedRow = -1;
    ChartData chart;  // charts: what they were last told to show
    // Top windows: what the taskbar button shows, and the calls it took.
    TaskbarProgress taskbar = TaskbarProgress::None;
    std::uint64_t taskbarDone = 0, taskbarTotal = 0;
    int taskbarCalls = 0;
    // What assistive technology is told the control is called.
    Text accessibleName;
    // Top windows: the focused control is marked (Tab or Shift+Tab was used).
    bool focusMarked = false;
  };

  enum class Kind { SolidBrush, PatternBrush, Bitmap, Icon, Image, Cursor };
  struct Object {
    Kind kind = Kind::Bitmap;
    bool alive = true;
    Handle source = 0;   // what it was copied or made from
    int resourceId = 0;  // resource it was loaded from
    int width = 0, height = 0;
    // Check-box image flags, gradient direction, 1 for the close button, the Cursor.
    std::uint32_t flags = 0;
    Colour colour = -1;                         // solid brushes
    std::uint32_t argbFill = 0, argbFrame = 0;  // framed images
  };

  // ---- what the program shows ------------------------------------------
  const Window* Find(Handle window) const;
  // The first top-level window created without a parent that is still alive.
  Handle frame() const;
  Handle focus() const { return focus_; }
  // Live controls of a top-level window (nested children included), in creation order.
  std::vector<const Window*> ControlsOf(Handle topLevel) const;
  // A live, visible control with exactly this text (0 when none).
  Handle FindByText(const Text& text) const;
  // A live control whose top-left corner is (x, y) in its parent, a visible
  // one before a hidden one (0 when none).
  Handle FindAt(int x, int y) const;
  Text TextOf(Handle window) const;
  Text TextAt(int x, int y) const { return TextOf(FindAt(x, y)); }
  const Object* FindObject(Handle object) const;
  // Follows copies and conversions back to the resource an image came from.
  int ResourceIdOf(Handle object) const;
  std::size_t LiveObjects() const;
  // Objects released twice, never made, or with the wrong call.
  int doubleFrees() const { return doubleFrees_; }
  // One line per window and control: kind, class, position, text, state.
  std::string Dump() const;

  // ---- the simulated user (each action is queued, as real input is) ---
  // False when the control cannot take the action (gone, hidden, disabled).
  bool Click(Handle control);
  // Report lists: a click on a row selects it (a row beyond the last
  // selects none, as a click below the rows does); a double click on a row
  // selects and then opens it.
  bool ClickRow(Handle listView, int row);
  bool DoubleClickRow(Handle listView, int row);
  // Charts: a click in bar `bar`'s slot, which the chart tells its window
  // of as a notifying static does.
  bool ClickChartBar(Handle chart, int bar);
  bool Type(Handle edit, const Text& text);  // replaces the text, like a paste
  void Close(Handle window = 0);             // WM_CLOSE (0 = the frame)
  // A key pressed where the focus is (Tab, Enter, Escape, Space, as
  // msg::Vk...), with Shift held or not; the keyboard's own effects follow
  // when the program fetches it.
  void PressKey(std::uint32_t key, bool shift = false);
  void AltF4(Handle window = 0);             // the system menu's close command
  void EndSession(Handle window = 0);        // the system shuts down
  // A message to a top-level window, translated when the program fetches
  // it; the null message is a heartbeat, the quit message ends a wait.
  void Post(Handle window, std::uint32_t message, std::uintptr_t wParam = 0,
            std::intptr_t lParam = 0);

  // ---- the script ----------------------------------------------------------
  // Rules run whenever the program waits with nothing queued. A When rule
  // fires once, the first time its condition holds.
  void When(std::function<bool()> condition, std::function<void()> action);
  void AfterWakes(std::uint64_t wakes, std::function<void()> action);
  // Each heartbeat advances the test's clock by stepMs through advance.
  void SetHeartbeat(std::uint32_t stepMs, std::function<void(std::uint32_t)> advance);
  // A runaway loop: after this many wakes the frame gets a close request,
  // and 1000 wakes later the run is stopped by an exception.
  void SetWakeLimit(std::uint64_t wakes) { wakeLimit_ = wakes; }
  std::uint64_t wakes() const { return wakes_; }
  bool wakeLimitReached() const { return wakeLimitReached_; }
  bool heartbeatRunning() const;

  // ---- the rest of the desktop ------------------------------------------
  void SetExistingInstance(InstanceLookup answer) { existingInstance_ = answer; }
  // The display scale of the windows made from now on.
  void SetDpi(int dpi) { dpi_ = dpi; }
  // After `after` more successful control creations, the next `count` fail,
  // as CreateWindowExW can.
  void FailNextControls(int count, int after = 0) {
    failControls_ = count;
    failAfter_ = after;
  }
  int instanceLookups() const { return instanceLookups_; }
  // After `after` more rows, list views refuse to insert rows, as a list
  // view out of memory does.
  void FailListRowsAfter(int after) { listRowsLeft_ = after; }
  // Milliseconds the program slept (Sleep), in order, and how many of those
  // sleeps left a top-level window without anyone taking its messages.
  const std::vector<std::uint32_t>& sleeps() const { return sleeps_; }
  int sleepsBesideAWindow() const { return sleepsBesideAWindow_; }
  // Texts of the message boxes shown, in order; a box is answered at once.
  const std::vector<Text>& messages() const { return messages_; }
  // Titles of the message boxes, in the same order.
  const std::vector<Text>& messageTitles() const { return messageTitles_; }
  // The save dialog answers with this path (none: the user cancels); the
  // requests it got are kept in order.
  void AnswerSaveDialog(std::optional<Text> path) { saveAnswer_ = std::move(path); }
  const std::vector<SaveFileRequest>& saveRequests() const { return saveRequests_; }

  // ---- WindowBackend -----------------------------------------------------
  Handle CreateTopWindow(ToolkitWindow& owner, const Text& name, const Text& title, int clientWidth,
                         int clientHeight, Handle parent) override;
  void DestroyTopWindow(Handle window) override;
  int DpiForNewWindow(Handle) override { return dpi_; }
  void ApplySkin(Handle window, int corner) override;
  void SetWindowBackground(Handle window, Handle brush) override;
  void ShowTopWindow(Handle window, ShowCommand command) override;
  void BeginCaptionDrag(Handle) override {}
  Handle CreateControl(ToolkitWindow& owner, const ControlParams& params) override;
  void DestroyControl(Handle control) override;
  void PlaceControl(Handle control, int x, int y, int width, int height) override;
  void SetControlFont(Handle control, const FontParams& font) override;
  void SetText(Handle window, const Text& text) override;
  Text GetText(Handle window) override { return TextOf(window); }
  bool ChangeState(Handle window, const StateChange& change) override;
  WindowState QueryState(Handle window) override;
  void SetControlImage(Handle control, ImageType type, Handle image) override;
  bool AddTooltip(Handle window, Handle control, const Text& text) override;
  int InsertListColumn(Handle listView, int column, const Text& text, int width) override;
  int InsertListItem(Handle listView, int index, const Text& text) override;
  bool SetListItemText(Handle listView, int item, int subItem, const Text& text) override;
  void SetChartData(Handle chart, const ChartData& data) override;
  void MoveKeyboardFocus(Handle control) override;
  void SetAccessibleName(Handle control, const Text& name) override;
  // A fixed width per character, by the font's size: tests check the rule,
  // not the numbers.
  int MeasureText(Handle control, const Text& text) override;
  ListRoom MeasureListRoom(Handle listView) override;
  bool SetListColumnWidth(Handle listView, int column, int width) override;
  bool SetTaskbarProgress(Handle window, TaskbarProgress state, std::uint64_t done,
                          std::uint64_t total) override;
  // As under Wine or an old Windows: no taskbar interface to be had.
  void SetTaskbarMissing(bool missing) { taskbarMissing_ = missing; }

  Handle MakeObject(const ObjectRequest& request) override;
  void ReleaseObject(ReleaseBy how, Handle object) override;
  Colour ButtonTextColour() override;

  Input NextInput(FetchMode mode, const InputRouting& routing) override;
  // Time passes as it would for a sleeping thread: the test's clock advances.
  void Sleep(std::uint32_t milliseconds) override;
  void ShowMessage(Handle owner, const Text& title, const Text& text) override;
  std::optional<Text> ChooseSaveFile(Handle owner, const SaveFileRequest& request) override;

  InstanceLookup BringExistingToFront(const Text& className, const Text& title) override;
  void StartHeartbeat(Handle window) override { heartbeatWindow_ = window; }

 private:
  bool taskbarMissing_ = false;
  struct Rule {
    std::function<bool()> condition;
    std::function<void()> action;
    bool done = false;
  };

  Handle NewHandle() { return next_ += 4; }
  Window* Live(Handle window);
  const Window* Live(Handle window) const;
  bool CanTakeInput(const Window& w) const;
  Window* TopLevelOf(Handle window);
  // What the user did, waiting to be fetched.
  enum class Action { Heartbeat, Quit, CloseRequest, WindowMessage, Click, DoubleClick, Key };
  struct Queued {
    Action action = Action::Heartbeat;
    Handle window = 0;
    Message message;  // WindowMessage only
    int row = -1;     // clicks on a report list's row
  };

  Handle NewObject(Kind kind, const ObjectRequest& request);
  Handle Derive(const ObjectRequest& request, Kind fromKind, Kind kind);
  void Free(Handle object, Kind expected);
  void RunRules();
  void Wake();
  // Queues an action on a control that can take input.
  bool Queue(Action action, Handle control, int row = -1);
  Input Deliver(const Queued& q, const InputRouting& routing);
  Input DeliverKey(const Queued& q, const InputRouting& routing);
  // Runs the translation for a message to a top-level window and posts the
  // close request it may ask for; the answer, if any.
  std::optional<std::intptr_t> Translate(ToolkitWindow& owner, const Message& m);

  std::map<Handle, Window> windows_;
  std::map<Handle, Object> objects_;
  std::vector<Handle> order_;  // windows in creation order
  std::deque<Queued> queue_;
  Handle next_ = 0x1000;
  Handle foreground_ = 0;
  Handle focus_ = 0;
  Handle heartbeatWindow_ = 0;
  std::vector<Rule> rules_;
  std::uint32_t heartbeatStepMs_ = 20;
  std::function<void(std::uint32_t)> advanceClock_;
  std::uint64_t wakes_ = 0;
  std::uint64_t wakeLimit_ = 5'000'000;
  bool wakeLimitReached_ = false;
  int doubleFrees_ = 0;
  InstanceLookup existingInstance_ = InstanceLookup::NotFound;
  int dpi_ = kBaseDpi;
  int instanceLookups_ = 0;
  int failControls_ = 0;
  int failAfter_ = 0;
  int listRowsLeft_ = -1;  // -1: no limit
  std::vector<std::uint32_t> sleeps_;
  int sleepsBesideAWindow_ = 0;
  std::vector<Text> messages_;
  std::vector<Text> messageTitles_;
  std::optional<Text> saveAnswer_;
  std::vector<SaveFileRequest> saveRequests_;
};

}  // namespace twk::ui
