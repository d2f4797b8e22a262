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
};

}  // namespace twk::platform
