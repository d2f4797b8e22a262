#pragma once
// One list view of another process, in memory: items with a text and a
// position. It can refuse to open, fail a position read at one item, fail
// text reads, keep its icons where they are (as a view that arranges its
// icons by itself does), and it records what was asked of it.
#include <functional>
#include <optional>
#include <set>
#include <vector>

#include "platform/remote_list_view.h"

namespace twk::platform {

class FakeRemoteListViews final : public RemoteListViews {
 public:
  struct Item {
    Text text;
    IconPoint position;
  };

  // ---- test controls -------------------------------------------------------
  WindowHandle window = kNoWindow;  // the one view that answers
  std::vector<Item> items;
  bool openFails = false;
  std::optional<std::int32_t> positionReadFailsAt;  // this item's position cannot be read
  std::set<std::int32_t> textReadFails;             // these items' texts cannot be read
  bool snapsBack = false;                           // moves are accepted but the icons stay put
  // Called after an item was moved, for views that shift other icons.
  std::function<void(std::int32_t item)> afterMove;

  // ---- records -------------------------------------------------------------
  int opens = 0;
  int openNow = 0;            // opened and not yet closed
  int moves = 0;              // position messages sent
  std::vector<bool> redraws;  // every redraw switch, in order
  int refreshes = 0;

  // ---- RemoteListViews -----------------------------------------------------
  [[nodiscard]] std::int32_t ItemCount(WindowHandle view) override;
  [[nodiscard]] ListViewHandle Open(WindowHandle view) override;
  void Close(ListViewHandle view) override;
  [[nodiscard]] bool ReadPosition(ListViewHandle view, std::int32_t item,
                                  IconPoint& point) override;
  [[nodiscard]] bool ReadText(ListViewHandle view, std::int32_t item, Text& text) override;
  [[nodiscard]] bool SetPosition(ListViewHandle view, std::int32_t item, IconPoint point) override;
  void SetRedraw(ListViewHandle view, bool on) override;
  void Refresh(ListViewHandle view) override;

 private:
  bool Valid(ListViewHandle view, std::int32_t item) const;
  std::set<ListViewHandle> open_;
  ListViewHandle next_ = 1;
};

}  // namespace twk::platform
