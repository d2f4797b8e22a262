#pragma once
// The answers of the LSA functions, which report an NTSTATUS: the system
// turns it into a Win32 code, which maps like every other.
#include <windows.h>
// After windows.h, whose types it uses.
#include <ntsecapi.h>

#include "platform/status.h"
#include "platform/win32/win_error.h"

namespace twk::platform::win32 {

// STATUS_OBJECT_NAME_NOT_FOUND (no such secret) becomes ERROR_FILE_NOT_FOUND.
[[nodiscard]] inline Status StatusOfNt(NTSTATUS status) {
  return status >= 0 ? Status::Ok : StatusFromError(LsaNtStatusToWinError(status));
}

}  // namespace twk::platform::win32
