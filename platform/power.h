#pragma once
// What the reboot step needs of power management and sound.
#include <string>

namespace twk::platform {

class Power {
 public:
  virtual ~Power() = default;

  // Asks the system to restart, forcing hung applications to close
  // (ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, 0)). False when the request
  // was refused, e.g. without the shutdown privilege; reason then holds the
  // system's own words for why.
  [[nodiscard]] virtual bool RequestRestart(std::u16string& reason) = 0;
  [[nodiscard]] bool RequestRestart() {
    std::u16string reason;
    return RequestRestart(reason);
  }

  // Keeps the machine from sleeping for the rest of the process's life
  // (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED)).
  virtual void KeepSystemAwake() = 0;

  // Starts playing a WAV file and returns at once; a sound already playing is
  // cut off (PlaySoundW with SND_FILENAME | SND_ASYNC).
  virtual bool PlaySoundFile(const std::u16string& path) = 0;
};

}  // namespace twk::platform
