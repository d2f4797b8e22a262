#include "app/run_modes.h"

#include "sequence/reboot_step.h"

namespace twk::app {

Text SetupTitle(const Application& app) { return app.productTitle + u" - Setup"; }

Text RebootStepTitle(const Application& app) {
  return app.productTitle + u" - Reboot " + FormatUnsigned(app.currentReboot) + u" of " +
         FormatUnsigned(app.totalReboots);
}

int RunTitleOnlyMode(Application& app, const Text& title) {
  app.mainFrame.SetControlText(app.titleId, title);
  app.mainFrame.SetTitle(title);
  app.mainFrame.Show(ui::show::Normal);
  for (;;) {
    app.NextEvent(mode::Wait);
    if (app.eventSlot.eventId == ui::event::CloseRequest) return 0;
  }
}

ModeRunners ProductModes() {
  // The setup window is not built yet: until it is, that mode shows its
  // title and waits for the close request.
  ModeRunners modes;
  modes.setup = [](Application& app) { return RunTitleOnlyMode(app, SetupTitle(app)); };
  modes.rebootStep = [](Application& app) { return sequence::RunRebootStep(app); };
  return modes;
}

}  // namespace twk::app
