#pragma once
// The runs of the two modes of a start. Each mode fills the main frame with
// its own controls and runs its own loop over Application::NextEvent.
#include "app/application.h"

namespace twk::app {

// The set the program runs with; the entry point and the whole-sequence
// simulation both take it from here, so a mode is plugged in once.
ModeRunners ProductModes();

// A mode window that shows only its title and ends on the close request;
// returns 0.
int RunTitleOnlyMode(Application& app, const Text& title);

// "Tarnwick - Setup" and "Tarnwick - Reboot c of t".
Text SetupTitle(const Application& app);
Text RebootStepTitle(const Application& app);

}  // namespace twk::app
