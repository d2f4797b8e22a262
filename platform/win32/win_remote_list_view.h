#pragma once
// The remote list-view port over the Win32 calls: the owner's process opened
// for memory access, item records and points carried in blocks allocated
// inside it, list-view messages sent to the window.
#include <map>
#include <memory>

#include "platform/remote_list_view.h"

namespace twk::platform::win32 {

class WinRemoteListViews final : public RemoteListViews {
 public:
  WinRemoteListViews();
  // Views still open when the adapter goes are closed with it.
  ~WinRemoteListViews() override;
  WinRemoteListViews(const WinRemoteListViews&) = delete;
  WinRemoteListViews& operator=(const WinRemoteListViews&) = delete;

  [[nodiscard]] std::int32_t ItemCount(WindowHandle window) override;
  [[nodiscard]] ListViewHandle Open(WindowHandle window) override;
  void Close(ListViewHandle view) override;
  [[nodiscard]] bool ReadPosition(ListViewHandle view, std::int32_t item,
                                  IconPoint& point) override;
  [[nodiscard]] bool ReadText(ListViewHandle view, std::int32_t item, Text& text) override;
  [[nodiscard]] bool SetPosition(ListViewHandle view, std::int32_t item, IconPoint point) override;
  void SetRedraw(ListViewHandle view, bool on) override;
  void Refresh(ListViewHandle view) override;

 private:
  struct View;
  View* Find(ListViewHandle view);

  std::map<ListViewHandle, std::unique_ptr<View>> views_;
  ListViewHandle next_ = 1;
};

}  // namespace twk::platform::win32
