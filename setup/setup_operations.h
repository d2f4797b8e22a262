#pragma once
// The work of other subsystems that the setup window starts: the partition
// optimisation, the desktop icon layout and automatic logon. The composition
// root plugs them in. A hook left empty behaves as its operation failing,
// with the failure's usual message, never as a success.
#include <cstdint>
#include <functional>

#include "base/strings.h"
#include "setup/auto_logon.h"

namespace twk::context {
class StartContext;
}

namespace twk::setup {

struct SetupOperations {
  // Optimises the system partition and waits for the tool on the start's
  // pump; the results of a wait for a launched program (0 close request,
  // 1 ended, 2 could not be started, 3 cancelled by the cancel control).
  std::function<int(context::StartContext&)> optimize;
  // Save or put back the desktop icons' positions; true on success.
  std::function<bool(context::StartContext&)> backupIcons;
  std::function<bool(context::StartContext&)> restoreIcons;
  // The account Windows logs on automatically (empty when none), and
  // whether auto-logon is switched on with a stored password.
  std::function<Text(context::StartContext&)> autoLogonUser;
  std::function<bool(context::StartContext&)> isAutoLogonActive;
  // Both given: switch auto-logon on for the account with the password;
  // both null: switch it off. The password stays the caller's, who wipes it
  // after the call.
  std::function<AutoLogonResult(context::StartContext&, const Text* account, const Text* password)>
      setAutoLogon;
  // At most this many more automatic logons, then Windows switches
  // auto-logon off by itself; 0 lifts the limit. True when it was set.
  std::function<bool(context::StartContext&, std::uint32_t logons)> limitAutoLogons;
};

}  // namespace twk::setup
