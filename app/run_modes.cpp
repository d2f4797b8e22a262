#include "app/run_modes.h"

#include "app/application.h"
#include "base/wipe.h"
#include "desktop/icon_layout.h"
#include "maintenance/optimize.h"
#include "sequence/launch.h"
#include "sequence/reboot_step.h"
#include "setup/auto_logon.h"
#include "setup/auto_logon_ports.h"
#include "setup/setup_window.h"

namespace twk::app {

setup::SetupOperations ProductSetupOperations() {
  setup::SetupOperations operations;
  operations.optimize = [](context::StartContext& start) {
    const platform::Ports& ports = start.ports();
    context::EventPump& pump = start.pump();
    platform::Processes& processes = *ports.processes;
    const auto wait = [&pump, &processes](const Text& commandLine, int show, const Text& folder) {
      return sequence::LaunchAndWait(pump, processes, commandLine, show, folder);
    };
    return maintenance::OptimizeSystemPartition(
        start.windowsVersion(), start.paths().systemDirectory, start.paths().systemDrive,
        maintenance::OptimizePorts{processes, *ports.devices, *ports.files}, wait);
  };
  // Every caller restores as the top level: the further passes are the
  // layout's own.
  operations.backupIcons = [](context::StartContext& start) {
    const platform::Ports& ports = start.ports();
    return desktop::BackupIconLayout(start.settings(), *ports.windows, *ports.listViews) != 0;
  };
  operations.restoreIcons = [](context::StartContext& start) {
    const platform::Ports& ports = start.ports();
    return desktop::RestoreIconLayout(start.settings(), *ports.windows, *ports.listViews, true) !=
           0;
  };
  operations.autoLogonUser = [](context::StartContext& start) {
    const auto ports = setup::AutoLogonPortsOf(start);
    return ports ? setup::GetAutoLogonUser(*ports) : Text();
  };
  operations.isAutoLogonActive = [](context::StartContext& start) {
    const auto ports = setup::AutoLogonPortsOf(start);
    return ports && setup::IsAutoLogonActive(*ports);
  };
  operations.setAutoLogon = [](context::StartContext& start, const Text* account,
                               const Text* password) {
    const auto ports = setup::AutoLogonPortsOf(start);
    if (!ports) return setup::AutoLogonResult::Failed;
    if (password == nullptr) return setup::SetAutoLogon(*ports, nullptr, nullptr);
    // The switch wipes the copy it is given; the setup wipes its own.
    Text secret = *password;
    const setup::AutoLogonResult result = setup::SetAutoLogon(*ports, account, &secret);
    WipeText(secret);
    return result;
  };
  operations.limitAutoLogons = [](context::StartContext& start, std::uint32_t logons) {
    const auto ports = setup::AutoLogonPortsOf(start);
    return ports && setup::LimitAutoLogons(*ports, logons);
  };
  return operations;
}

sequence::ReportPostOperations PostOperationsOf(const setup::SetupOperations& operations) {
  sequence::ReportPostOperations post;
  if (operations.restoreIcons) {
    post.restoreIconLayout = [restore = operations.restoreIcons](context::StartContext& start) {
      (void)restore(start);
    };
  }
  if (operations.setAutoLogon) {
    post.switchOffAutoLogon = [set = operations.setAutoLogon](context::StartContext& start) {
      return set(start, nullptr, nullptr) != setup::AutoLogonResult::Failed;
    };
  }
  return post;
}

ModeRunners ProductModes(sequence::ReportPostOperations postOperations,
                         setup::SetupOperations setupOperations) {
  ModeRunners modes;
  modes.setup = [setupOperations](context::StartContext& start) {
    return setup::RunSetup(start, setupOperations);
  };
  modes.rebootStep = [postOperations](context::StartContext& start) {
    return sequence::RunRebootStep(start, postOperations);
  };
  modes.finishSequence = [postOperations](context::StartContext& start) {
    return sequence::FinishSequence(start, postOperations);
  };
  modes.scriptedStart = [setupOperations](context::StartContext& start,
                                          const context::ScriptedStart& choices) {
    return setup::StartFromScript(start, setupOperations, choices);
  };
  return modes;
}

ModeRunners ProductModes(sequence::ReportPostOperations postOperations) {
  return ProductModes(std::move(postOperations), ProductSetupOperations());
}

ModeRunners ProductModes() {
  const setup::SetupOperations operations = ProductSetupOperations();
  return ProductModes(PostOperationsOf(operations), operations);
}

}  // namespace twk::app
