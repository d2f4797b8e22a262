#include "ui/headless/headless_backend.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "base/strings.h"

namespace twk::ui {

// ---- lookups -----------------------------------------------------------------

HeadlessBackend::Window* HeadlessBackend::Live(Handle window) {
  auto it = windows_.find(window);
  return it == windows_.end() || it->second.destroyed ? nullptr : &it->second;
}

const HeadlessBackend::Window* HeadlessBackend::Live(Handle window) const {
  return const_cast<HeadlessBackend*>(this)->Live(window);
}

const HeadlessBackend::Window* HeadlessBackend::Find(Handle window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

Handle HeadlessBackend::frame() const {
  for (Handle h : order_) {
    const Window* w = Live(h);
    if (w != nullptr && w->topLevel && w->parent == 0) return h;
  }
  return 0;
}

HeadlessBackend::Window* HeadlessBackend::TopLevelOf(Handle window) {
  Window* w = Live(window);
  while (w != nullptr && !w->topLevel) w = Live(w->parent);
  return w;
}

std::vector<const HeadlessBackend::Window*> HeadlessBackend::ControlsOf(Handle topLevel) const {
  std::vector<const Window*> out;
  for (Handle h : order_) {
    const Window* w = Live(h);
    if (w == nullptr || w->topLevel) continue;
    if (const_cast<HeadlessBackend*>(this)->TopLevelOf(h) == Live(topLevel)) out.push_back(w);
  }
  return out;
}

Handle HeadlessBackend::FindByText(const Text& text) const {
  for (Handle h : order_) {
    const Window* w = Live(h);
    if (w != nullptr && !w->topLevel && w->visible && w->text == text) return h;
  }
  return 0;
}

Handle HeadlessBackend::FindAt(int x, int y) const {
  // A mode may hide its controls while another view covers the same places.
  Handle hidden = 0;
  for (Handle h : order_) {
    const Window* w = Live(h);
    if (w == nullptr || w->topLevel || w->x != x || w->y != y) continue;
    if (w->visible) return h;
    if (hidden == 0) hidden = h;
  }
  return hidden;
}

Text HeadlessBackend::TextOf(Handle window) const {
  const Window* w = Live(window);
  return w == nullptr ? Text() : w->text;
}

const HeadlessBackend::Object* HeadlessBackend::FindObject(Handle object) const {
  auto it = objects_.find(object);
  return it == objects_.end() ? nullptr : &it->second;
}

int HeadlessBackend::ResourceIdOf(Handle object) const {
  for (int depth = 0; depth < 32; ++depth) {
    const Object* o = FindObject(object);
    if (o == nullptr) return 0;
    if (o->resourceId != 0) return o->resourceId;
    object = o->source;
  }
  return 0;
}

std::size_t HeadlessBackend::LiveObjects() const {
  return static_cast<std::size_t>(std::count_if(
      objects_.begin(), objects_.end(),
      [](const auto& kv) { return kv.second.alive && kv.second.kind != Kind::Cursor; }));
}

bool HeadlessBackend::CanTakeInput(const Window& w) const {
  for (const Window* p = &w; p != nullptr; p = p->topLevel ? nullptr : Live(p->parent)) {
    if (p->destroyed || !p->visible || !p->enabled) return false;
  }
  return true;
}

bool HeadlessBackend::heartbeatRunning() const { return Live(heartbeatWindow_) != nullptr; }

std::string HeadlessBackend::Dump() const {
  std::ostringstream out;
  for (Handle h : order_) {
    const Window* w = Live(h);
    if (w == nullptr) continue;
    int depth = 0;
    for (const Window* p = w; p != nullptr && !p->topLevel; p = Live(p->parent)) ++depth;
    out << std::string(static_cast<std::size_t>(depth) * 2, ' ');
    if (w->topLevel) {
      out << "window " << ToUtf8(w->name) << " \"" << ToUtf8(w->text) << "\" " << w->width << "x"
          << w->height;
    } else {
      out << "#" << w->id << " kind " << static_cast<int>(w->kind) << " (" << w->x << "," << w->y
          << "," << w->width << "," << w->height << ") \"" << ToUtf8(w->text) << "\"";
      if (w->hasFont)
        out << " font " << ToUtf8(w->font.face) << " " << w->font.points << "/" << w->font.weight;
      if (w->check != 0) out << " check " << w->check;
      if (w->image != 0) out << " image " << ResourceIdOf(w->image);
    }
    if (!w->visible) out << " hidden";
    if (!w->enabled) out << " disabled";
    if (w->selectedRow >= 0) out << " selected row " << w->selectedRow;
    out << "\n";
    const std::string indent(static_cast<std::size_t>(depth) * 2 + 2, ' ');
    for (const auto& row : w->rows) {
      out << indent << "row";
      for (const Text& cell : row) out << " \"" << ToUtf8(cell) << "\"";
      out << "\n";
    }
    for (const ChartBar& bar : w->chart.bars) {
      out << indent << "bar " << bar.value << " \"" << ToUtf8(bar.valueText) << "\" \""
          << ToUtf8(bar.label) << "\"";
      if (bar.highlighted) out << " highlighted";
      for (const ChartSegment& s : bar.segments) {
        out << " " << s.value << "/" << std::hex << s.colour << std::dec;
      }
      if (!bar.dots.empty()) out << " dots";
      for (const double dot : bar.dots) out << " " << dot;
      if (bar.line) out << " line " << *bar.line;
      out << "\n";
    }
    for (const ChartLegendEntry& entry : w->chart.legend) {
      out << indent << "legend \"" << ToUtf8(entry.text) << "\" " << std::hex << entry.colour
          << std::dec << "\n";
    }
  }
  return out.str();
}

// ---- the simulated user ----------------------------------------------------

bool HeadlessBackend::Queue(Action action, Handle control, int row) {
  const Window* w = Live(control);
  if (w == nullptr || w->topLevel || !CanTakeInput(*w)) return false;
  queue_.push_back(Queued{action, control, {}, row});
  return true;
}

bool HeadlessBackend::Click(Handle control) { return Queue(Action::Click, control); }

bool HeadlessBackend::ClickRow(Handle listView, int row) {
  const Window* w = Live(listView);
  return w != nullptr && w->kind == ControlKind::ListView && Queue(Action::Click, listView, row);
}

bool HeadlessBackend::ClickChartBar(Handle chart, int bar) {
  const Window* w = Live(chart);
  return w != nullptr && w->kind == ControlKind::Chart && Queue(Action::Click, chart, bar);
}

bool HeadlessBackend::DoubleClickRow(Handle listView, int row) {
  return ClickRow(listView, row) && Queue(Action::DoubleClick, listView, row);
}

bool HeadlessBackend::Type(Handle edit, const Text& text) {
  Window* w = Live(edit);
  if (w == nullptr || !CanTakeInput(*w)) return false;
  w->text = text;
  focus_ = edit;
  return true;
}

void HeadlessBackend::Close(Handle window) { Post(window ? window : frame(), msg::Close); }

void HeadlessBackend::AltF4(Handle window) {
  Post(window ? window : frame(), msg::SysCommand, msg::ScClose);
}

void HeadlessBackend::EndSession(Handle window) {
  Post(window ? window : frame(), msg::QueryEndSession);
}

void HeadlessBackend::Post(Handle window, std::uint32_t message, std::uintptr_t wParam,
                           std::intptr_t lParam) {
  Action action = Action::WindowMessage;
  if (message == msg::Null) action = Action::Heartbeat;
  if (message == msg::Quit) action = Action::Quit;
  if (message == msg::CloseRequest) action = Action::CloseRequest;
  queue_.push_back(Queued{action, window, Message{window, message, wParam, lParam}});
}

void HeadlessBackend::When(std::function<bool()> condition, std::function<void()> action) {
  rules_.push_back(Rule{std::move(condition), std::move(action), false});
}

void HeadlessBackend::AfterWakes(std::uint64_t wakes, std::function<void()> action) {
  const std::uint64_t target = wakes_ + wakes;
  When([this, target] { return wakes_ >= target; }, std::move(action));
}

void HeadlessBackend::SetHeartbeat(std::uint32_t stepMs,
                                   std::function<void(std::uint32_t)> advance) {
  heartbeatStepMs_ = stepMs;
  advanceClock_ = std::move(advance);
}

void HeadlessBackend::RunRules() {
  // Index loop: an action may add rules.
  for (std::size_t i = 0; i < rules_.size(); ++i) {
    if (rules_[i].done || !rules_[i].condition()) continue;
    rules_[i].done = true;
    auto action = rules_[i].action;
    action();
  }
}

void HeadlessBackend::Wake() {
  ++wakes_;
  if (advanceClock_) advanceClock_(heartbeatStepMs_);
  Post(heartbeatWindow_, msg::Null);
  if (wakes_ == wakeLimit_) {
    wakeLimitReached_ = true;
    if (Handle f = frame()) Post(f, msg::CloseRequest);
  }
  if (wakes_ > wakeLimit_ + 1000) {
    throw std::runtime_error("headless: the program did not end within the wake limit\n" + Dump());
  }
}

// ---- message queue -----------------------------------------------------------

Input HeadlessBackend::NextInput(FetchMode mode, const InputRouting& routing) {
  for (;;) {
    if (!queue_.empty()) {
      const Queued q = queue_.front();
      queue_.pop_front();
      return Deliver(q, routing);
    }
    if (mode == FetchMode::Peek) return Input::None;
    // The program waits: the user acts first, then time passes.
    RunRules();
    if (!queue_.empty()) continue;
    if (!heartbeatRunning()) {
      throw std::runtime_error(
          "headless: the program waits for input that can never come (no heartbeat, "
          "nothing queued)\n" +
          Dump());
    }
    Wake();
  }
}

std::optional<std::intptr_t> HeadlessBackend::Translate(ToolkitWindow& owner, const Message& m) {
  const Translation t = TranslateMessage(owner, m);
  if (t.postCloseRequest) Post(owner.handle(), msg::CloseRequest);
  return t.answer;
}

// What the user did, as the control tells its window: buttons and pictures
// report a click (and pictures a double click) as a command, links as a
// notification, a chart a click on a bar as a command; labels say nothing.
Input HeadlessBackend::Deliver(const Queued& q, const InputRouting& routing) {
  switch (q.action) {
    case Action::Key:
      return DeliverKey(q, routing);
    case Action::Heartbeat:
      return Input::Heartbeat;
    case Action::Quit:
      return Input::Quit;
    case Action::CloseRequest:
      return Input::CloseRequest;
    case Action::WindowMessage: {
      Window* w = Live(q.window);
      if (w == nullptr || !w->topLevel || w->owner == nullptr) return Input::Dispatched;
      if (Translate(*w->owner, q.message)) return Input::Dispatched;
      // Default processing of the few messages whose effect a test can see.
      w = Live(q.window);
      if (w != nullptr && q.message.message == msg::SysCommand) {
        const std::uint32_t cmd = static_cast<std::uint32_t>(q.message.wParam) & 0xFFF0;
        if (cmd == msg::ScMinimize) w->minimized = true;
        if (cmd == msg::ScRestore) w->minimized = false;
      }
      return Input::Dispatched;
    }
    default:
      break;
  }
  Window* w = Live(q.window);
  if (w == nullptr || w->owner == nullptr || !CanTakeInput(*w)) return Input::Dispatched;
  ToolkitWindow& owner = *w->owner;
  const bool isButton = w->kind == ControlKind::PushButton;
  if (isButton || w->kind == ControlKind::Edit) focus_ = w->handle;
  if (w->kind == ControlKind::ListView) {
    focus_ = w->handle;
    const bool onRow = q.row >= 0 && static_cast<std::size_t>(q.row) < w->rows.size();
    // A click selects the row it hits, and the list tells its window it
    // was clicked, as Windows' list does.
    if (q.action == Action::Click) {
      w->selectedRow = onRow ? q.row : -1;
      TranslateNotify(owner, w->handle, w->id, msg::NmClick);
    }
    // Windows opens the row a double click hits, not one merely selected.
    if (q.action == Action::DoubleClick && onRow) {
      TranslateNotify(owner, w->handle, w->id, msg::LvnItemActivate);
    }
  } else if (w->kind == ControlKind::Chart) {
    const bool onBar = q.row >= 0 && static_cast<std::size_t>(q.row) < w->chart.bars.size();
    w->selectedRow = onBar ? q.row : -1;
    TranslateCommand(owner, w->id, msg::StnClicked, w->handle);
  } else if (w->kind == ControlKind::Link) {
    TranslateNotify(owner, w->handle, w->id, msg::NmClick);
  } else if (isButton) {
    TranslateCommand(owner, w->id, 0, w->handle);
  } else if (w->kind == ControlKind::IconPicture || w->kind == ControlKind::SmallPicture ||
             w->kind == ControlKind::ImageCheckBox) {
    TranslateCommand(owner, w->id, q.action == Action::Click ? msg::StnClicked : msg::StnDblClk,
                     w->handle);
  }
  return Input::Dispatched;
}

// ---- windows -----------------------------------------------------------------

Handle HeadlessBackend::CreateTopWindow(ToolkitWindow& owner, const Text& name, const Text& title,
                                        int clientWidth, int clientHeight, Handle parent) {
  if (parent != 0 && Live(parent) == nullptr) return 0;
  Window w;
  w.handle = NewHandle();
  w.parent = parent;
  w.owner = &owner;
  w.topLevel = true;
  w.name = name;
  w.text = title;
  w.x = w.y = -1;
  w.width = clientWidth;
  w.height = clientHeight;
  windows_[w.handle] = w;
  order_.push_back(w.handle);
  return w.handle;
}

void HeadlessBackend::DestroyTopWindow(Handle window) {
  Window* w = Live(window);
  if (w == nullptr) return;
  for (const Window* c : ControlsOf(window)) DestroyControl(c->handle);
  w->destroyed = true;
  w->visible = false;
  if (foreground_ == window) foreground_ = 0;
  if (focus_ == window) focus_ = 0;
  std::erase_if(queue_, [&](const Queued& q) { return q.window == window; });
}

void HeadlessBackend::ApplySkin(Handle window, int corner) {
  if (Window* w = Live(window)) w->skinCorner = corner;
}

void HeadlessBackend::SetWindowBackground(Handle window, Handle brush) {
  if (Window* w = Live(window)) w->background = brush;
}

void HeadlessBackend::ShowTopWindow(Handle window, ShowCommand command) {
  Window* w = Live(window);
  if (w == nullptr) return;
  w->visible = command != ShowCommand::Hide;
  w->minimized = command == ShowCommand::Minimize;
  // Showing activates the window and losing the foreground deactivates it,
  // which tells it so at once, as on Windows (with the minimised state in
  // the high word).
  const bool active = w->visible && !w->minimized;
  if (active == (foreground_ == window)) return;
  foreground_ = active ? window : 0;
  const Message m{window, msg::Activate, active ? 1u : MakeWParam(msg::WaInactive, w->minimized)};
  if (w->owner != nullptr) Translate(*w->owner, m);
}

Handle HeadlessBackend::CreateControl(ToolkitWindow& owner, const ControlParams& params) {
  if (Live(params.parent) == nullptr) return 0;
  if (failControls_ > 0) {
    if (failAfter_ > 0) {
      --failAfter_;
    } else {
      --failControls_;
      return 0;
    }
  }
  Window w;
  static_cast<ControlParams&>(w) = params;
  w.handle = NewHandle();
  w.owner = &owner;
  w.visible = true;
  windows_[w.handle] = w;
  order_.push_back(w.handle);
  return w.handle;
}

void HeadlessBackend::DestroyControl(Handle control) {
  Window* w = Live(control);
  if (w == nullptr) return;
  w->destroyed = true;
  if (focus_ == control) focus_ = 0;
  for (Handle h : order_) {
    const Window* c = Live(h);
    if (c != nullptr && !c->topLevel && c->parent == control) DestroyControl(h);
  }
  std::erase_if(queue_, [&](const Queued& q) { return q.window == control; });
}

void HeadlessBackend::PlaceControl(Handle control, int x, int y, int width, int height) {
  Window* w = Live(control);
  if (w == nullptr || w->kind == ControlKind::UpDown) return;
  w->x = x;
  w->y = y;
  w->width = width;
  w->height = height;
}

void HeadlessBackend::SetControlFont(Handle control, const FontParams& font) {
  Window* w = Live(control);
  if (w == nullptr || font.points == 0.0) return;
  w->hasFont = true;
  w->font = font;
}

void HeadlessBackend::SetText(Handle window, const Text& text) {
  if (Window* w = Live(window)) w->text = text;
}

bool HeadlessBackend::ChangeState(Handle window, const StateChange& change) {
  Window* w = Live(window);
  if (w == nullptr) return false;
  if (change.visible) {
    w->visible = *change.visible;
    if (!w->visible && foreground_ == window) foreground_ = 0;
  }
  if (change.enabled) w->enabled = *change.enabled;
  if (change.check) w->check = *change.check;
  if (change.focus) focus_ = window;
  if (change.eraseBrush) w->eraseBrush = *change.eraseBrush;
  if (change.marquee) {
    if (w->kind != ControlKind::ProgressBar) return false;
    w->marquee = *change.marquee ? 1 : 0;
  }
  return true;
}

bool HeadlessBackend::SetTaskbarProgress(Handle window, TaskbarProgress state, std::uint64_t done,
                                         std::uint64_t total) {
  Window* w = Live(window);
  if (w == nullptr || !w->topLevel || taskbarMissing_) return false;
  ++w->taskbarCalls;
  w->taskbar = state;
  w->taskbarDone = done;
  w->taskbarTotal = total;
  return true;
}

WindowState HeadlessBackend::QueryState(Handle window) {
  const Window* w = Live(window);
  if (w == nullptr) return {};
  return {w->visible, w->enabled, w->check, window == foreground_, w->selectedRow};
}

void HeadlessBackend::SetControlImage(Handle control, ImageType type, Handle image) {
  Window* w = Live(control);
  if (w == nullptr) return;
  w->image = image;
  w->imageType = type;
}

bool HeadlessBackend::AddTooltip(Handle window, Handle control, const Text& text) {
  Window* w = Live(control);
  if (w == nullptr || Live(window) == nullptr) return false;
  w->tip = text;
  return true;
}

InstanceLookup HeadlessBackend::BringExistingToFront(const Text&, const Text&) {
  ++instanceLookups_;
  return existingInstance_;
}

// ---- drawing objects -----------------------------------------------------

// The request as made; only the release class is the backend's own.
Handle HeadlessBackend::NewObject(Kind kind, const ObjectRequest& r) {
  Object o{.kind = kind,
           .source = r.source,
           .resourceId = r.id,
           .width = r.width,
           .height = r.height,
           .flags = r.flags,
           .colour = r.colour,
           .argbFill = r.argb,
           .argbFrame = r.argb2};
  if (r.kind == ObjectKind::FramedImage) o.flags = static_cast<std::uint32_t>(r.penWidth);
  if (r.kind == ObjectKind::SystemCursor) o.flags = static_cast<std::uint32_t>(r.cursor);
  const Handle h = NewHandle();
  objects_[h] = o;
  return h;
}

// A copy or conversion of a live object of this kind, or 0.
Handle HeadlessBackend::Derive(const ObjectRequest& r, Kind fromKind, Kind kind) {
  const Object* o = FindObject(r.source);
  if (o == nullptr || !o->alive || o->kind != fromKind) return 0;
  return NewObject(kind, {.source = r.source,
                          .width = r.width != 0 ? r.width : o->width,
                          .height = r.height != 0 ? r.height : o->height,
                          .flags = o->flags});
}

void HeadlessBackend::Free(Handle object, Kind expected) {
  auto it = objects_.find(object);
  if (it == objects_.end() || !it->second.alive) {
    ++doubleFrees_;
    return;
  }
  // Released with the wrong call (DeleteObject on an icon, and the like).
  const Kind kind = it->second.kind;
  const bool gdiObject =
      kind == Kind::Bitmap || kind == Kind::SolidBrush || kind == Kind::PatternBrush;
  if (expected == Kind::Bitmap ? !gdiObject : kind != expected) ++doubleFrees_;
  it->second.alive = false;
}

Handle HeadlessBackend::MakeObject(const ObjectRequest& r) {
  switch (r.kind) {
    case ObjectKind::SolidBrush:
      return NewObject(Kind::SolidBrush, r);
    case ObjectKind::SystemCursor:
      return NewObject(Kind::Cursor, r);
    case ObjectKind::PatternBrush:
      return Derive(r, Kind::Bitmap, Kind::PatternBrush);
    case ObjectKind::BitmapCopy:
      return Derive(r, Kind::Bitmap, Kind::Bitmap);
    case ObjectKind::IconCopy:
      return Derive(r, Kind::Icon, Kind::Icon);
    case ObjectKind::BitmapOfImage:
      return Derive(r, Kind::Image, Kind::Bitmap);
    case ObjectKind::BlankBitmap:
    case ObjectKind::CheckBoxBitmap:
      return NewObject(Kind::Bitmap, r);
    case ObjectKind::IconResource:
      return NewObject(Kind::Icon, r);
    default:  // images: from a resource, a gradient, a frame, a title button
      return NewObject(Kind::Image, r);
  }
}

void HeadlessBackend::ReleaseObject(ReleaseBy how, Handle object) {
  Free(object, how == ReleaseBy::Icon    ? Kind::Icon
               : how == ReleaseBy::Image ? Kind::Image
                                         : Kind::Bitmap);
}

Colour HeadlessBackend::ButtonTextColour() { return 0; }  // black, as in the default scheme

}  // namespace twk::ui
