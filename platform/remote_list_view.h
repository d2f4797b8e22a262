#pragma once
// A list-view control that belongs to another process (the shell's desktop),
// read and moved item by item. The messages carry their data in memory
// allocated inside the owning process, so a caller first opens the view:
// that takes the owner's process, decides the item record layout and
// allocates the block the text reads travel in. Close gives all of it back;
// own an open view with OwnedListView so that happens on every path.
#include <cstdint>

#include "base/text.h"
#include "platform/port_handle.h"
#include "platform/window_tree.h"

namespace twk::platform {

using ListViewHandle = std::uintptr_t;  // 0 = none

struct IconPoint {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const IconPoint&, const IconPoint&) = default;
};

class RemoteListViews {
 public:
  virtual ~RemoteListViews() = default;

  // LVM_GETITEMCOUNT: the number of items, addressed 0 .. count - 1.
  [[nodiscard]] virtual std::int32_t ItemCount(WindowHandle window) = 0;
  // Opens the owning process and allocates the remote text block; 0 when
  // the owner is unknown, the process cannot be opened or the block cannot
  // be allocated (nothing stays taken then).
  [[nodiscard]] virtual ListViewHandle Open(WindowHandle window) = 0;
  // Frees the remote block and closes the process.
  virtual void Close(ListViewHandle view) = 0;

  // LVM_GETITEMPOSITION through a point block of the owner; false when the
  // block cannot be allocated, written or read back, or the view refuses.
  [[nodiscard]] virtual bool ReadPosition(ListViewHandle view, std::int32_t item,
                                          IconPoint& point) = 0;
  // LVM_GETITEMW into the remote text block; false when any step fails.
  [[nodiscard]] virtual bool ReadText(ListViewHandle view, std::int32_t item, Text& text) = 0;
  // LVM_SETITEMPOSITION32 through a point block of the owner; true when the
  // message was sent (the view does not say whether the icon stayed there).
  [[nodiscard]] virtual bool SetPosition(ListViewHandle view, std::int32_t item,
                                         IconPoint point) = 0;
  // WM_SETREDRAW.
  virtual void SetRedraw(ListViewHandle view, bool on) = 0;
  // A posted F5 key-down, on which the shell rereads and redraws its view.
  virtual void Refresh(ListViewHandle view) = 0;
};

using OwnedListView = PortHandle<RemoteListViews, ListViewHandle, &RemoteListViews::Close>;

}  // namespace twk::platform
