#pragma once
// The setup: on a plain start the main frame shows the number of restarts,
// the delay between them and the optional pre-operations, lets the user run
// each pre-operation at once, and on "  Start operation" runs the chosen
// ones, registers the first reboot step at logon, stamps the first shutdown,
// saves the settings and restarts the computer.
#include "setup/setup_operations.h"

namespace twk::context {
class StartContext;
}

namespace twk::setup {

// Runs the setup in the start's frame until the window is closed or the
// restart has been requested. Returns 0.
int RunSetup(context::StartContext& start, const SetupOperations& operations);

}  // namespace twk::setup
