#pragma once
// The titles of the modes that the composition root shows itself.
#include "context/start_context.h"

namespace twk::app {

// A mode window that shows only its title and ends on the close request;
// returns 0.
int RunTitleOnlyMode(context::StartContext& start, const Text& title);

}  // namespace twk::app
