#include "platform/fake/fake_window_tree.h"

namespace twk::platform {
namespace {

Text Cut(const Text& text, std::size_t capacity) {
  return capacity == 0 ? Text() : text.substr(0, capacity - 1);
}

}  // namespace

FakeWindowTree::FakeWindowTree() { desktop_ = Add(kNoWindow, u"#32769"); }

WindowHandle FakeWindowTree::Add(WindowHandle parent, Text className, Text text, std::int32_t id) {
  const WindowHandle handle = next_;
  next_ += 4;
  windows[handle] = Window{parent, std::move(className), std::move(text), id};
  return handle;
}

void FakeWindowTree::ForEachDescendant(WindowHandle root,
                                       const std::function<bool(WindowHandle)>& visit) {
  Walk(root, visit);
}

bool FakeWindowTree::Walk(WindowHandle root, const std::function<bool(WindowHandle)>& visit) {
  for (const auto& [handle, window] : windows) {
    if (window.parent != root) continue;
    if (!visit(handle) || !Walk(handle, visit)) return false;
  }
  return true;
}

std::optional<Text> FakeWindowTree::ClassName(WindowHandle window, std::size_t capacity) {
  const auto it = windows.find(window);
  if (it == windows.end() || it->second.classUnreadable) return std::nullopt;
  return Cut(it->second.className, capacity);
}

std::optional<Text> FakeWindowTree::WindowText(WindowHandle window, std::size_t capacity) {
  const auto it = windows.find(window);
  if (it == windows.end() || it->second.textUnreadable) return std::nullopt;
  return Cut(it->second.text, capacity);
}

std::int32_t FakeWindowTree::ControlId(WindowHandle window) {
  const auto it = windows.find(window);
  return it == windows.end() ? 0 : it->second.id;
}

WindowHandle FakeWindowTree::Parent(WindowHandle window) {
  const auto it = windows.find(window);
  return it == windows.end() ? kNoWindow : it->second.parent;
}

}  // namespace twk::platform
