#pragma once
// The console of the script that started the program: a GUI program has none
// of its own, but a script run from a command prompt, a batch file or a
// remote shell waits on one, and a message box there would hang it.
#include <string>

namespace twk::platform {

class Console {
 public:
  virtual ~Console() = default;

  // Attaches to the console of the process that started this one
  // (AttachConsole with ATTACH_PARENT_PROCESS). False when that process has
  // none (a start from the desktop, the shell or the Run key) or attaching
  // failed; then nothing can be written.
  [[nodiscard]] virtual bool AttachToParent() = 0;

  // Writes the text as it is to the attached console. False when nothing
  // is attached or the write failed.
  [[nodiscard]] virtual bool Write(const std::u16string& text) = 0;

  // Whether a window this process shows can be seen by anyone. False in a
  // window station that is not shown (a service's, or a task's that runs
  // whether a user is logged on or not) and in the services' session of
  // Vista and later; a message box there is never closed and its caller
  // waits for ever. True when it cannot be told.
  [[nodiscard]] virtual bool DesktopIsVisible() = 0;
};

}  // namespace twk::platform
