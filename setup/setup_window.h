#pragma once
// The setup: on a plain start the main frame shows the number of restarts,
// the delay between them and the optional pre-operations, lets the user run
// each pre-operation at once, and on "  Start operation" runs the chosen
// ones, registers the first reboot step at logon, stamps the first shutdown,
// saves the settings and restarts the computer.
#include "setup/setup_operations.h"

namespace twk::context {
class StartContext;
struct ScriptedStart;
}  // namespace twk::context

namespace twk::setup {

// Runs the setup in the start's frame until the window is closed or the
// restart has been requested. Returns 0.
int RunSetup(context::StartContext& start, const SetupOperations& operations);

// Starts the sequence exactly as "  Start operation" does with the choices
// in the boxes, without showing a window: the setup's controls are made in
// the hidden frame, filled from the choices, and the same start runs,
// checks and corrections included. Auto-logon is used as the machine has
// it. Returns 0 when the restart was requested; otherwise tells the caller
// why and returns 1.
int StartFromScript(context::StartContext& start, const SetupOperations& operations,
                    const context::ScriptedStart& choices);

}  // namespace twk::setup
