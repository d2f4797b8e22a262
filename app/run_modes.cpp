#include "app/run_modes.h"

#include "app/application.h"
#include "desktop/icon_layout.h"
#include "maintenance/optimize.h"
#include "sequence/launch.h"
#include "sequence/reboot_step.h"
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
  // Auto-logon is plugged in here when it lands: autoLogonUser,
  // isAutoLogonActive, setAutoLogon.
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
      (void)set(start, nullptr, nullptr);
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
