#pragma once
// What the reboot step needs of power management and sound.
#include <string>

#include "platform/status.h"

namespace twk::platform {

// What became of a restart request: Ok, Denied (no shutdown privilege, a
// policy) or Failed; when it did not happen, reason holds the system's own
// words for why, without the closing full stop (the caller puts them in
// brackets).
struct RestartAnswer {
  Status status = Status::Ok;
  std::u16string reason;

  [[nodiscard]] bool ok() const { return status == Status::Ok; }
};

class Power {
 public:
  virtual ~Power() = default;

  // Asks the system to restart, forcing hung applications to close
  // (ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, 0)).
  [[nodiscard]] virtual RestartAnswer RequestRestart() = 0;

  // Keeps the machine from sleeping for the rest of the process's life
  // (SetThreadExecutionState(ES_CONTINUOUS | ES_SYSTEM_REQUIRED)).
  virtual void KeepSystemAwake() = 0;

  // Starts playing a WAV file and returns at once; a sound already playing is
  // cut off (PlaySoundW with SND_FILENAME | SND_ASYNC).
  virtual bool PlaySoundFile(const std::u16string& path) = 0;
};

}  // namespace twk::platform
