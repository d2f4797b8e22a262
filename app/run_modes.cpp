#include "app/run_modes.h"

#include "app/application.h"
#include "sequence/reboot_step.h"
#include "setup/setup_window.h"

namespace twk::app {

setup::SetupOperations ProductSetupOperations() {
  // Partition optimisation, the icon layout and auto-logon are plugged in
  // here as their subsystems land: optimize, backupIcons, restoreIcons,
  // autoLogonUser, isAutoLogonActive, setAutoLogon.
  return setup::SetupOperations{};
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
