#include "app/run_modes.h"

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
  // The setup window and the reboot step are not built yet: until they are,
  // each mode shows its title and waits for the close request.
  ModeRunners modes;
  modes.setup = [](Application& app) { return RunTitleOnlyMode(app, SetupTitle(app)); };
  modes.rebootStep = [](Application& app) { return RunTitleOnlyMode(app, RebootStepTitle(app)); };
  return modes;
}

}  // namespace twk::app
