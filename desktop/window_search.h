#pragma once
// Finding windows by control descriptor, and the desktop's icon list view.
#include <cstdint>

#include "base/text.h"
#include "platform/window_tree.h"

namespace twk::desktop {

// The window below root (any depth, in the system's enumeration order) that
// descriptor selects, or kNoWindow.
platform::WindowHandle FindControl(platform::WindowTree& windows, platform::WindowHandle root,
                                   const Text& descriptor);

// The descriptor of the n-th "FolderView" list view.
Text FolderViewDescriptor(std::int32_t instance);

// The list view that shows the desktop icons: the first "FolderView" list
// view below the desktop window whose parent is an untitled
// "SHELLDLL_DefView". kNoWindow when there is none.
platform::WindowHandle FindDesktopListView(platform::WindowTree& windows);

}  // namespace twk::desktop
