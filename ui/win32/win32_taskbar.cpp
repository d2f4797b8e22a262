// Progress on the taskbar button, as programs that wait show it, through
// the shell's ITaskbarList3. COM is brought up on the window's thread for
// as long as the interface lives; where the interface cannot be had (before
// Windows 7, or under Wine) nothing is shown and the program goes on.
#include <windows.h>
// after windows.h
#include <shobjidl.h>

#include "platform/win32/com_apartment.h"
#include "platform/win32/handles.h"
#include "ui/win32/win32_backend.h"

namespace twk::ui {

class TaskbarButtons {
 public:
  // Null when the taskbar's interface cannot be made or refuses to start.
  static std::unique_ptr<TaskbarButtons, TaskbarButtonsDeleter> Make() {
    std::unique_ptr<TaskbarButtons, TaskbarButtonsDeleter> made(new TaskbarButtons);
    if (!made->apartment_.usable()) return nullptr;
    if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                                IID_ITaskbarList3,
                                reinterpret_cast<void**>(made->list_.Receive()))) ||
        !made->list_ || FAILED(made->list_.get()->HrInit())) {
      return nullptr;
    }
    return made;
  }

  bool Show(HWND window, TaskbarProgress state, std::uint64_t done, std::uint64_t total) {
    ITaskbarList3* list = list_.get();
    TBPFLAG flag = TBPF_NOPROGRESS;
    switch (state) {
      case TaskbarProgress::None:
        break;
      case TaskbarProgress::Indeterminate:
        flag = TBPF_INDETERMINATE;
        break;
      case TaskbarProgress::Normal:
        flag = TBPF_NORMAL;
        break;
      case TaskbarProgress::Paused:
        flag = TBPF_PAUSED;
        break;
    }
    // The value first: setting it switches an indeterminate or empty button
    // to normal, which the state then corrects.
    bool ok = true;
    if (state == TaskbarProgress::Normal || state == TaskbarProgress::Paused) {
      ok = SUCCEEDED(list->SetProgressValue(window, done, total == 0 ? 1 : total));
    }
    return SUCCEEDED(list->SetProgressState(window, flag)) && ok;
  }

 private:
  TaskbarButtons() = default;
  // Declared first, so that it ends last: the interface goes while COM is up.
  platform::win32::ComApartment apartment_;
  platform::win32::ComRef<ITaskbarList3> list_;
};

void TaskbarButtonsDeleter::operator()(TaskbarButtons* buttons) const { delete buttons; }

bool Win32Backend::SetTaskbarProgress(Handle handle, TaskbarProgress state, std::uint64_t done,
                                      std::uint64_t total) {
  const HWND window = ToHwnd(handle);
  if (FindTop(window) == nullptr) return false;
  if (!taskbarTried_) {
    taskbarTried_ = true;
    // Nothing to clear on a button that never showed progress.
    if (state == TaskbarProgress::None) {
      taskbarTried_ = false;
      return true;
    }
    taskbar_ = TaskbarButtons::Make();
  }
  return taskbar_ != nullptr && taskbar_->Show(window, state, done, total);
}

}  // namespace twk::ui
