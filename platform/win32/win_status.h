#pragma once
// The status of a failed Win32 call, from its error code.
#include <windows.h>

#include "platform/status.h"

namespace twk::platform::win32 {

[[nodiscard]] inline Status StatusOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_PARAMETER:  // OpenProcess of an id that names no process
      return Status::NotFound;
    case ERROR_ACCESS_DENIED:
      return Status::Denied;
    default:
      return Status::Failed;
  }
}

}  // namespace twk::platform::win32
