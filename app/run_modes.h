#pragma once
// The other subsystems' work that the setup and the report start, wired to
// the subsystems that own it.
#include "sequence/result_report.h"
#include "setup/setup_operations.h"

namespace twk::app {

// The setup's hooks as the program runs with them. Work that is not built
// yet is left empty, which the setup treats as that work failing.
setup::SetupOperations ProductSetupOperations();

// The report's post-operations, reaching the same subsystems as the setup's
// hooks: the icon layout is put back and auto-logon switched off.
sequence::ReportPostOperations PostOperationsOf(const setup::SetupOperations& operations);

}  // namespace twk::app
