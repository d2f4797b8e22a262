#include "platform/win32/win_remote_list_view.h"

#include <windows.h>

#include <array>

#include "platform/list_view_block.h"
#include "platform/win32/handles.h"
#include "platform/win32/win_wow64.h"

namespace twk::platform::win32 {
namespace {

// The list-view messages, by number: the portable side must not need
// <commctrl.h> to know what is sent.
constexpr UINT kGetItemCount = 0x1004;       // LVM_GETITEMCOUNT
constexpr UINT kGetItemPosition = 0x1010;    // LVM_GETITEMPOSITION
constexpr UINT kSetItemPosition32 = 0x1031;  // LVM_SETITEMPOSITION32
constexpr UINT kGetItemW = 0x104B;           // LVM_GETITEMW

// Memory access only: enough to place the message data, nothing more.
constexpr DWORD kProcessAccess = PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE;
static_assert(kProcessAccess == 0x0038);

// A block allocated inside another process: released there, so the owner
// must know the process as well as the address.
struct RemoteMemory {
  HANDLE process = nullptr;
  void* address = nullptr;
};
struct RemoteMemoryTraits {
  using Type = RemoteMemory;
  static bool IsNone(const RemoteMemory& memory) { return memory.address == nullptr; }
  static void Release(const RemoteMemory& memory) {
    VirtualFreeEx(memory.process, memory.address, 0, MEM_RELEASE);
  }
};
using UniqueRemoteMemory = UniqueHandle<RemoteMemoryTraits>;

UniqueRemoteMemory AllocateIn(HANDLE process, SIZE_T size) {
  return UniqueRemoteMemory(RemoteMemory{
      process, VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE)});
}

bool WriteAll(HANDLE process, void* address, const void* data, SIZE_T size) {
  SIZE_T written = 0;
  return WriteProcessMemory(process, address, data, size, &written) && written == size;
}

bool ReadAll(HANDLE process, const void* address, void* data, SIZE_T size) {
  SIZE_T read = 0;
  return ReadProcessMemory(process, address, data, size, &read) && read == size;
}

HWND Hwnd(WindowHandle window) { return reinterpret_cast<HWND>(window); }

}  // namespace

struct WinRemoteListViews::View {
  HWND window = nullptr;
  ItemRecordLayout layout = ItemRecordLayout::Narrow;
  // Declared before the block that lives in it, so the block goes first.
  KernelHandle process;
  UniqueRemoteMemory block;
  ListViewBlock local{};
};

WinRemoteListViews::WinRemoteListViews() = default;
WinRemoteListViews::~WinRemoteListViews() = default;

WinRemoteListViews::View* WinRemoteListViews::Find(ListViewHandle view) {
  const auto it = views_.find(view);
  return it == views_.end() ? nullptr : it->second.get();
}

std::int32_t WinRemoteListViews::ItemCount(WindowHandle window) {
  return static_cast<std::int32_t>(SendMessageW(Hwnd(window), kGetItemCount, 0, 0));
}

ListViewHandle WinRemoteListViews::Open(WindowHandle window) {
  auto view = std::make_unique<View>();
  view->window = Hwnd(window);
  DWORD processId = 0;
  GetWindowThreadProcessId(view->window, &processId);
  if (processId == 0) return 0;
  view->process.Reset(OpenProcess(kProcessAccess, FALSE, processId));
  if (!view->process) return 0;
  // A 32-bit program under WOW64 talks to a 64-bit shell: its records have
  // 64-bit pointers, as they have when this program is itself 64-bit.
  view->layout = sizeof(void*) == 8 || CurrentProcessIsWow64() ? ItemRecordLayout::Wide
                                                               : ItemRecordLayout::Narrow;
  view->block = AllocateIn(view->process.get(), kListViewBlockSize);
  if (!view->block) return 0;
  const ListViewHandle handle = next_++;
  views_.emplace(handle, std::move(view));
  return handle;
}

void WinRemoteListViews::Close(ListViewHandle view) { views_.erase(view); }

bool WinRemoteListViews::ReadPosition(ListViewHandle handle, std::int32_t item, IconPoint& point) {
  View* view = Find(handle);
  if (view == nullptr) return false;
  // One point block per message, released as soon as it has been read.
  const UniqueRemoteMemory block = AllocateIn(view->process.get(), kListViewPointSize);
  if (!block) return false;
  auto bytes = PointBytes(point.x, point.y);
  if (!WriteAll(view->process.get(), block.get().address, bytes.data(), bytes.size())) {
    return false;
  }
  if (SendMessageW(view->window, kGetItemPosition, static_cast<WPARAM>(item),
                   reinterpret_cast<LPARAM>(block.get().address)) == 0) {
    return false;
  }
  if (!ReadAll(view->process.get(), block.get().address, bytes.data(), bytes.size())) return false;
  PointFromBytes(bytes, point.x, point.y);
  return true;
}

bool WinRemoteListViews::ReadText(ListViewHandle handle, std::int32_t item, Text& text) {
  View* view = Find(handle);
  if (view == nullptr) return false;
  void* remote = view->block.get().address;
  FillItemRecord(view->local, view->layout, reinterpret_cast<std::uintptr_t>(remote), item);
  if (!WriteAll(view->process.get(), remote, view->local.data(), view->local.size())) return false;
  if (SendMessageW(view->window, kGetItemW, 0, reinterpret_cast<LPARAM>(remote)) == 0) {
    return false;
  }
  if (!ReadAll(view->process.get(), remote, view->local.data(), view->local.size())) return false;
  text = TextOfBlock(view->local);
  return true;
}

bool WinRemoteListViews::SetPosition(ListViewHandle handle, std::int32_t item, IconPoint point) {
  View* view = Find(handle);
  if (view == nullptr) return false;
  const UniqueRemoteMemory block = AllocateIn(view->process.get(), kListViewPointSize);
  if (!block) return false;
  const auto bytes = PointBytes(point.x, point.y);
  if (!WriteAll(view->process.get(), block.get().address, bytes.data(), bytes.size())) {
    return false;
  }
  // The answer says nothing useful: icon views accept any position.
  SendMessageW(view->window, kSetItemPosition32, static_cast<WPARAM>(item),
               reinterpret_cast<LPARAM>(block.get().address));
  return true;
}

void WinRemoteListViews::SetRedraw(ListViewHandle handle, bool on) {
  if (View* view = Find(handle)) SendMessageW(view->window, WM_SETREDRAW, on ? TRUE : FALSE, 0);
}

void WinRemoteListViews::Refresh(ListViewHandle handle) {
  // Posted: the shell rereads its folder on F5, which must not hold us up.
  if (View* view = Find(handle)) PostMessageW(view->window, WM_KEYDOWN, VK_F5, 0);
}

}  // namespace twk::platform::win32
