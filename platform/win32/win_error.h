#pragma once
// The error code of a Win32 call that has just failed. Every adapter reads it
// here, once, directly after the failing call: any further API call (even
// one that succeeds) may overwrite it, and the code is only ever used to
// choose a result, never passed on.
#include <windows.h>

#include "platform/status.h"

namespace twk::platform::win32 {

[[nodiscard]] inline DWORD LastError() { return ::GetLastError(); }

// The one mapping of system error codes to the ports' answers. The registry
// functions return their code instead of setting the last error; it is the
// same set of codes.
[[nodiscard]] constexpr Status StatusFromError(DWORD code) {
  switch (code) {
    case ERROR_SUCCESS:
      return Status::Ok;
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_MOD_NOT_FOUND:
    case ERROR_PROC_NOT_FOUND:
    case ERROR_INVALID_NAME:  // a name that cannot exist names nothing
    case ERROR_NONE_MAPPED:   // an account name or SID the system does not know
    case ERROR_NO_SUCH_USER:
    case ERROR_NO_SUCH_GROUP:
    case ERROR_NO_SUCH_ALIAS:
      return Status::NotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_INVALID_OWNER:  // an owner this account may not set
      return Status::Denied;
    default:
      return Status::Failed;
  }
}

}  // namespace twk::platform::win32
