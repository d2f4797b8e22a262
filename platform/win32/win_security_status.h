#pragma once
// The answers of the security adapters (LSA, accounts, key security) from
// the error codes their calls report: a Win32 error code, or an NTSTATUS
// from the LSA functions, turned into a Win32 code by the system first.
#include <windows.h>
// After windows.h, whose types it uses.
#include <ntsecapi.h>

#include "platform/status.h"

namespace twk::platform::win32 {

[[nodiscard]] inline Status StatusOfError(DWORD error) {
  switch (error) {
    case ERROR_SUCCESS:
      return Status::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_NONE_MAPPED:
    case ERROR_NO_SUCH_USER:
    case ERROR_NO_SUCH_GROUP:
    case ERROR_NO_SUCH_ALIAS:
      return Status::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_INVALID_OWNER:
      return Status::Denied;
    default:
      return Status::Failed;
  }
}

// STATUS_OBJECT_NAME_NOT_FOUND (no such secret) becomes ERROR_FILE_NOT_FOUND.
[[nodiscard]] inline Status StatusOfNt(NTSTATUS status) {
  return status >= 0 ? Status::Ok : StatusOfError(LsaNtStatusToWinError(status));
}

}  // namespace twk::platform::win32
