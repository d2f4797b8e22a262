#include "app/run_modes.h"

#include "app/application.h"
#include "desktop/icon_layout.h"
#include "sequence/reboot_step.h"

namespace twk::app {

int RunTitleOnlyMode(context::StartContext& start, const Text& title) {
  start.frame().ShowTitle(title);
  start.frame().Show(ui::show::Normal);
  for (;;) {
    start.pump().NextEvent(context::PumpMode::Wait);
    if (start.pump().event().eventId == ui::event::CloseRequest) return 0;
  }
}

ModeRunners ProductModes(sequence::ReportPostOperations postOperations) {
  ModeRunners modes;
  // The setup window is not built yet: until it is, that mode shows its
  // title and waits for the close request.
  modes.setup = [](context::StartContext& start) {
    return RunTitleOnlyMode(start, Text(context::kProductTitle) + u" - Setup");
  };
  modes.rebootStep = [postOperations](context::StartContext& start) {
    return sequence::RunRebootStep(start, postOperations);
  };
  return modes;
}

ModeRunners ProductModes() {
  sequence::ReportPostOperations postOperations;
  postOperations.restoreIconLayout = [](context::StartContext& start) {
    const platform::Ports& ports = start.ports();
    (void)desktop::RestoreIconLayout(start.settings(), *ports.windows, *ports.listViews, true);
  };
  return ProductModes(std::move(postOperations));
}

}  // namespace twk::app
