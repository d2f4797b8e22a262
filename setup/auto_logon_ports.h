#pragma once
// The auto-logon ports of one start of the program, for the setup window and
// for the report's switch-off hook that the composition root plugs in.
#include <optional>

#include "context/start_context.h"
#include "setup/auto_logon.h"

namespace twk::setup {

// None when the start was built without one of the ports auto-logon needs.
[[nodiscard]] inline std::optional<AutoLogonPorts> AutoLogonPortsOf(
    const context::StartContext& start) {
  const platform::Ports& p = start.ports();
  if (p.registry == nullptr || p.accounts == nullptr || p.keySecurity == nullptr ||
      p.secrets == nullptr) {
    return std::nullopt;
  }
  return AutoLogonPorts{{*p.registry, *p.accounts, *p.keySecurity, start.windowsVersion()},
                        *p.secrets};
}

}  // namespace twk::setup
