#include "ui/headless/headless_backend.h"

#include <algorithm>
#include <sstream>
#include <stdexcept>

#include "base/strings.h"

namespace twk::ui {
namespace {

constexpr std::uint32_t kVisibleStyle = 0x10000000;
constexpr std::uint32_t kDisabledStyle = 0x08000000;
constexpr std::uint32_t kStaticNotify = 0x0100;
constexpr std::uint32_t kMarqueeStyle = 0x08;  // PBS_MARQUEE

bool ClassIs(const HeadlessBackend::Window& w, const char16_t* name) {
  return EqualsIgnoreCase(w.className, name);
}

}  // namespace

HeadlessBackend::HeadlessBackend() = default;
HeadlessBackend::~HeadlessBackend() = default;

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
      [](const auto& kv) { return kv.second.alive && kv.second.kind != ObjectKind::Cursor; }));
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
      out << "window " << ToUtf8(w->className) << " \"" << ToUtf8(w->text) << "\" " << w->width
          << "x" << w->height;
    } else {
      out << "#" << w->id << " kind " << static_cast<int>(w->kind) << " " << ToUtf8(w->className)
          << " (" << w->x << "," << w->y << "," << w->width << "," << w->height << ") \""
          << ToUtf8(w->text) << "\"";
      if (w->hasFont)
        out << " font " << ToUtf8(w->font.face) << " " << w->font.points << "/" << w->font.weight;
      if (w->check != 0) out << " check " << w->check;
      if (w->image != 0) out << " image " << ResourceIdOf(w->image);
    }
    if (!w->visible) out << " hidden";
    if (!w->enabled) out << " disabled";
    out << "\n";
    for (const auto& row : w->rows) {
      out << std::string(static_cast<std::size_t>(depth) * 2 + 2, ' ') << "row";
      for (const Text& cell : row) out << " \"" << ToUtf8(cell) << "\"";
      out << "\n";
    }
  }
  return out.str();
}

// ---- the simulated user ----------------------------------------------------

bool HeadlessBackend::Click(Handle control) {
  const Window* w = Live(control);
  if (w == nullptr || w->topLevel || !CanTakeInput(*w)) return false;
  Post(control, msg::LButtonDown, 1, 0);
  Post(control, msg::LButtonUp, 0, 0);
  return true;
}

bool HeadlessBackend::DoubleClick(Handle control) {
  if (!Click(control)) return false;
  Post(control, msg::LButtonDblClk, 1, 0);
  Post(control, msg::LButtonUp, 0, 0);
  return true;
}

bool HeadlessBackend::PressEnter(Handle control) {
  const Window* w = Live(control);
  if (w == nullptr || !CanTakeInput(*w)) return false;
  focus_ = control;
  Post(control, msg::KeyDown, msg::VkReturn, 1);
  Post(control, msg::KeyUp, msg::VkReturn, 1);
  return true;
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
  Message m;
  m.window = window;
  m.message = message;
  m.wParam = wParam;
  m.lParam = lParam;
  m.time = time_;
  queue_.push_back(m);
}

void HeadlessBackend::When(std::function<bool()> condition, std::function<void()> action) {
  rules_.push_back(Rule{std::move(condition), std::move(action), false});
}

void HeadlessBackend::AfterWakes(std::uint64_t wakes, std::function<void()> action) {
  const std::uint64_t target = wakes_ + wakes;
  When([this, target] { return wakes_ >= target; }, std::move(action));
}

void HeadlessBackend::OnEveryWake(std::function<void()> action) {
  everyWake_.push_back(std::move(action));
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
  time_ += heartbeatStepMs_;
  if (advanceClock_) advanceClock_(heartbeatStepMs_);
  for (auto& f : everyWake_) f();
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

FetchResult HeadlessBackend::FetchMessage(FetchMode mode, Message& out) {
  for (;;) {
    if (!queue_.empty()) {
      out = queue_.front();
      queue_.pop_front();
      return out.message == msg::Quit ? FetchResult::Quit : FetchResult::Message;
    }
    if (mode == FetchMode::Peek) return FetchResult::NoMessage;
    // The program waits: the user acts first, then time passes.
    RunRules();
    if (!queue_.empty()) continue;
    if (!heartbeatRunning()) {
      throw std::runtime_error(
          "headless: the program waits for a message that can never come (no heartbeat, "
          "nothing queued)\n" +
          Dump());
    }
    Wake();
  }
}

void HeadlessBackend::SendToParent(const Window& control, std::uint32_t message, int code) {
  if (control.owner == nullptr) return;
  if (message == msg::Notify) {
    TranslateNotify(*control.owner, control.handle, control.id, code);
    return;
  }
  Message m;
  m.window = control.parent;
  m.message = message;
  m.wParam = MakeWParam(static_cast<std::uint16_t>(control.id), static_cast<std::uint16_t>(code));
  m.lParam = static_cast<std::intptr_t>(control.handle);
  // The frame and the header band both hand their controls' messages to the
  // toolkit's window procedure of the top-level window.
  Translate(*control.owner, m);
}

std::optional<std::intptr_t> HeadlessBackend::Translate(ToolkitWindow& owner, const Message& m) {
  const Translation t = TranslateMessage(owner, m);
  if (t.postCloseRequest) Post(owner.handle(), msg::CloseRequest);
  return t.answer;
}

void HeadlessBackend::DispatchToControl(Window& w, const Message& m, ToolkitWindow* dialogWindow) {
  const bool isStatic = ClassIs(w, u"Static");
  const bool isButton = ClassIs(w, u"Button");
  const bool isLink = ClassIs(w, u"SysLink");
  const bool notifies = isStatic && (w.style & kStaticNotify) != 0;
  switch (m.message) {
    case msg::KeyDown:
      // The dialog manager presses the focused push button on Enter.
      if (m.wParam == msg::VkReturn && dialogWindow != nullptr && isButton && CanTakeInput(w)) {
        SendToParent(w, msg::Command, 0);
      }
      return;
    case msg::LButtonDown:
      if (!CanTakeInput(w)) return;
      if (isButton || ClassIs(w, u"Edit")) focus_ = w.handle;
      if (notifies) SendToParent(w, msg::Command, msg::StnClicked);
      return;
    case msg::LButtonUp:
      if (!CanTakeInput(w)) return;
      if (isButton) SendToParent(w, msg::Command, 0);
      if (isLink) SendToParent(w, msg::Notify, msg::NmClick);
      return;
    case msg::LButtonDblClk:
      if (!CanTakeInput(w)) return;
      if (notifies) SendToParent(w, msg::Command, msg::StnDblClk);
      return;
    default:
      return;
  }
}

void HeadlessBackend::DispatchFetched(const Message& m, ToolkitWindow* dialogWindow) {
  Window* w = Live(m.window);
  if (w == nullptr) return;
  if (m.message == msg::Null || m.message == msg::CloseRequest) return;
  if (!w->topLevel) {
    DispatchToControl(*w, m, dialogWindow);
    return;
  }
  std::optional<std::intptr_t> handled;
  if (w->owner != nullptr) handled = Translate(*w->owner, m);
  if (handled) return;
  // Default processing of the few messages whose effect a test can see.
  w = Live(m.window);
  if (w == nullptr) return;
  if (m.message == msg::SysCommand) {
    const std::uint32_t cmd = static_cast<std::uint32_t>(m.wParam) & 0xFFF0;
    if (cmd == msg::ScMinimize) w->minimized = true;
    if (cmd == msg::ScRestore) w->minimized = false;
  }
}

// ---- windows -----------------------------------------------------------------

Handle HeadlessBackend::CreateTopWindow(ToolkitWindow& owner, const Text& className,
                                        const Text& title, int clientWidth, int clientHeight,
                                        std::uint32_t style, Handle parent) {
  if (parent != 0 && Live(parent) == nullptr) return 0;
  Window w;
  w.handle = NewHandle();
  w.parent = parent;
  w.owner = &owner;
  w.topLevel = true;
  w.className = className;
  w.text = title;
  w.style = style;
  w.x = w.y = -1;
  w.width = clientWidth;
  w.height = clientHeight;
  w.visible = (style & kVisibleStyle) != 0;
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
  std::erase_if(queue_, [&](const Message& m) { return m.window == window; });
}

void HeadlessBackend::ApplySkin(Handle window) {
  if (Window* w = Live(window)) w->skinned = true;
}

void HeadlessBackend::SetWindowBackground(Handle window, Handle brush) {
  if (Window* w = Live(window)) w->background = brush;
}

void HeadlessBackend::ShowTopWindow(Handle window, int showCommand) {
  Window* w = Live(window);
  if (w == nullptr) return;
  w->visible = showCommand != show::Hide;
  w->minimized = showCommand == 2 || showCommand == show::Minimize || showCommand == 7;
  if ((!w->visible || w->minimized) && foreground_ == window) {
    // Losing the foreground tells the window at once, as on Windows, with
    // the minimised state in the high word.
    foreground_ = 0;
    Message m;
    m.window = window;
    m.message = msg::Activate;
    m.wParam = MakeWParam(msg::WaInactive, w->minimized ? 1 : 0);
    if (w->owner != nullptr) Translate(*w->owner, m);
    w = Live(window);
    if (w == nullptr) return;
  }
  if (w->visible && !w->minimized && foreground_ != window) {
    // Showing activates the window, which tells it so at once.
    foreground_ = window;
    Message m;
    m.window = window;
    m.message = msg::Activate;
    m.wParam = 1;  // WA_ACTIVE
    if (w->owner != nullptr) Translate(*w->owner, m);
  }
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
  w.handle = NewHandle();
  w.parent = params.parent;
  w.owner = &owner;
  w.kind = params.kind;
  w.className = params.className;
  w.text = params.text;
  w.style = params.style;
  w.exStyle = params.exStyle;
  w.x = params.x;
  w.y = params.y;
  w.width = params.width;
  w.height = params.height;
  w.id = params.id;
  w.fullRowSelect = params.kind == ControlKind::ListView;
  w.visible = (params.style & kVisibleStyle) != 0;
  w.enabled = (params.style & kDisabledStyle) == 0;
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
  std::erase_if(queue_, [&](const Message& m) { return m.window == control; });
}

void HeadlessBackend::SetControlFont(Handle control, const FontParams& font) {
  Window* w = Live(control);
  if (w == nullptr || font.points == 0.0) return;
  w->hasFont = true;
  w->font = font;
  w->fontHeight = FontHeight(font.points);
}

void HeadlessBackend::SetText(Handle window, const Text& text) {
  if (Window* w = Live(window)) w->text = text;
}

void HeadlessBackend::SetVisible(Handle window, bool visible) {
  Window* w = Live(window);
  if (w == nullptr) return;
  w->visible = visible;
  if (!visible && foreground_ == window) foreground_ = 0;
}

bool HeadlessBackend::IsVisible(Handle window) {
  const Window* w = Live(window);
  return w != nullptr && w->visible;
}

void HeadlessBackend::SetEnabled(Handle window, bool enabled) {
  if (Window* w = Live(window)) w->enabled = enabled;
}

bool HeadlessBackend::IsEnabled(Handle window) {
  const Window* w = Live(window);
  return w != nullptr && w->enabled;
}

void HeadlessBackend::SetCheck(Handle button, int check) {
  if (Window* w = Live(button)) w->check = check;
}

int HeadlessBackend::GetCheck(Handle button) {
  const Window* w = Live(button);
  return w == nullptr ? 0 : w->check;
}

void HeadlessBackend::SetFocus(Handle window) {
  if (Live(window) != nullptr) focus_ = window;
}

bool HeadlessBackend::SetMarquee(Handle progressBar, bool on) {
  Window* w = Live(progressBar);
  if (w == nullptr || !ClassIs(*w, u"msctls_progress32")) return false;
  w->style = on ? w->style | kMarqueeStyle : w->style & ~kMarqueeStyle;
  w->marquee = on ? 1 : 0;
  return true;
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

void HeadlessBackend::AttachUpDown(Handle upDown, Handle edit, int maximum) {
  if (Window* w = Live(upDown)) {
    w->buddy = edit;
    w->upDownMaximum = maximum;
  }
}

void HeadlessBackend::PrepareLink(Handle link) {
  if (Window* w = Live(link)) w->linkPrepared = true;
}

void HeadlessBackend::SetEraseBrush(Handle control, Handle brush) {
  if (Window* w = Live(control)) w->eraseBrush = brush;
}

int HeadlessBackend::ControlIdOf(Handle window) {
  const Window* w = Live(window);
  return w == nullptr ? 0 : w->id;
}

Handle HeadlessBackend::ParentOf(Handle window) {
  const Window* w = Live(window);
  return w == nullptr ? 0 : w->parent;
}

void HeadlessBackend::SendCommand(Handle parent, int id, int code, Handle control) {
  const Window* c = Live(control);
  if (c == nullptr || c->parent != parent || c->id != id) return;
  SendToParent(*c, msg::Command, code);
}

InstanceLookup HeadlessBackend::BringExistingToFront(const Text&, const Text&) {
  ++instanceLookups_;
  return existingInstance_;
}

// ---- drawing objects -----------------------------------------------------

Handle HeadlessBackend::NewObject(ObjectKind kind, int width, int height, Handle source,
                                  int resourceId, std::uint32_t flags) {
  Object o;
  o.kind = kind;
  o.width = width;
  o.height = height;
  o.source = source;
  o.resourceId = resourceId;
  o.flags = flags;
  const Handle h = NewHandle();
  objects_[h] = o;
  return h;
}

// A copy or conversion of a live object of this kind, or 0.
Handle HeadlessBackend::Derive(Handle from, ObjectKind fromKind, ObjectKind kind, int width,
                               int height) {
  const Object* o = FindObject(from);
  if (o == nullptr || !o->alive || o->kind != fromKind) return 0;
  return NewObject(kind, width != 0 ? width : o->width, height != 0 ? height : o->height, from, 0,
                   o->flags);
}

void HeadlessBackend::Free(Handle object, ObjectKind expected) {
  auto it = objects_.find(object);
  if (it == objects_.end() || !it->second.alive) {
    ++doubleFrees_;
    return;
  }
  // Released with the wrong call (DeleteObject on an icon, and the like).
  const ObjectKind kind = it->second.kind;
  const bool gdiObject = kind == ObjectKind::Bitmap || kind == ObjectKind::SolidBrush ||
                         kind == ObjectKind::PatternBrush;
  if (expected == ObjectKind::Bitmap ? !gdiObject : kind != expected) ++doubleFrees_;
  it->second.alive = false;
}

Handle HeadlessBackend::CreateSolidBrush(Colour colour) {
  const Handle h = NewObject(ObjectKind::SolidBrush);
  objects_[h].colour = colour;
  return h;
}

Handle HeadlessBackend::CreatePatternBrush(Handle bitmap) {
  return Derive(bitmap, ObjectKind::Bitmap, ObjectKind::PatternBrush);
}

void HeadlessBackend::DeleteObject(Handle object) { Free(object, ObjectKind::Bitmap); }

Handle HeadlessBackend::LoadSystemCursor(int id) {
  return NewObject(ObjectKind::Cursor, 0, 0, 0, id);
}

Colour HeadlessBackend::SystemColour(int index) {
  return index == 5 ? 0xFFFFFF : 0;  // COLOR_WINDOW white, the text colours black
}

Handle HeadlessBackend::CopyBitmap(Handle bitmap) {
  return Derive(bitmap, ObjectKind::Bitmap, ObjectKind::Bitmap);
}

Handle HeadlessBackend::BlankBitmap(int width, int height) {
  return NewObject(ObjectKind::Bitmap, width, height);
}

Handle HeadlessBackend::CopyIcon(Handle icon) {
  return Derive(icon, ObjectKind::Icon, ObjectKind::Icon);
}

void HeadlessBackend::DestroyIcon(Handle icon) { Free(icon, ObjectKind::Icon); }

Handle HeadlessBackend::LoadIconResource(int id, int size) {
  return NewObject(ObjectKind::Icon, size, size, 0, id);
}

Handle HeadlessBackend::LoadImageResource(int id, int width, int height) {
  return NewObject(ObjectKind::Image, width, height, 0, id);
}

Handle HeadlessBackend::GradientImage(int width, int height, std::uint32_t, std::uint32_t,
                                      int direction) {
  return NewObject(ObjectKind::Image, width, height, 0, 0, static_cast<std::uint32_t>(direction));
}

Handle HeadlessBackend::FramedImage(int width, int height, std::uint32_t argbFill,
                                    std::uint32_t argbFrame, float penWidth) {
  const Handle image =
      NewObject(ObjectKind::Image, width, height, 0, 0, static_cast<std::uint32_t>(penWidth));
  objects_[image].argbFill = argbFill;
  objects_[image].argbFrame = argbFrame;
  return image;
}

Handle HeadlessBackend::TitleButtonImage(TitleButton button) {
  return NewObject(ObjectKind::Image, 24, 24, 0, 0, button == TitleButton::Close ? 1 : 0);
}

Handle HeadlessBackend::ImageToBitmap(Handle image, int width, int height) {
  return Derive(image, ObjectKind::Image, ObjectKind::Bitmap, width, height);
}

void HeadlessBackend::ReleaseImage(Handle image) { Free(image, ObjectKind::Image); }

Handle HeadlessBackend::DrawCheckBoxImage(std::uint32_t flags) {
  return NewObject(ObjectKind::Bitmap, 16, 16, 0, 0, flags);
}

}  // namespace twk::ui
