#include "desktop/window_search.h"

#include "base/strings.h"
#include "desktop/control_descriptor.h"

namespace twk::desktop {
namespace {

using platform::kNoWindow;
using platform::WindowHandle;

// The parent's class name and text are read into buffers of 1024
// characters plus the terminator.
constexpr std::size_t kParentPropertyCapacity = 1025;

bool IsDefViewClass(const Text& name) {
  static const Text kDefView = u"shelldll_defview";
  if (name.size() != kDefView.size()) return false;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char16_t c = name[i];
    const char16_t folded = (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + 32) : c;
    if (folded != kDefView[i]) return false;
  }
  return true;
}

}  // namespace

WindowHandle FindControl(platform::WindowTree& windows, WindowHandle root, const Text& descriptor) {
  auto search = ParseDescriptor(descriptor);
  if (!search) return kNoWindow;
  windows.ForEachDescendant(
      root, [&](WindowHandle candidate) { return !OfferCandidate(*search, windows, candidate); });
  return search->result;
}

Text FolderViewDescriptor(std::int32_t instance) {
  return u"[CLASS:SysListView32;TEXT:FolderView;INSTANCE:" + FormatSigned(instance) + u"]";
}

WindowHandle FindDesktopListView(platform::WindowTree& windows) {
  const WindowHandle desktop = windows.DesktopWindow();
  // Every step finds one more list view than the one before, so the walk
  // ends when they run out.
  for (std::int32_t n = 1; n > 0; ++n) {
    const WindowHandle view = FindControl(windows, desktop, FolderViewDescriptor(n));
    if (view == kNoWindow) return kNoWindow;
    const WindowHandle parent = windows.Parent(view);
    if (parent == kNoWindow) return kNoWindow;
    const auto title = windows.WindowText(parent, kParentPropertyCapacity);
    if (title && !title->empty()) continue;
    const auto name = windows.ClassName(parent, kParentPropertyCapacity);
    if (name && IsDefViewClass(*name)) return view;
  }
  return kNoWindow;
}

}  // namespace twk::desktop
