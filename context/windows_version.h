#pragma once
#include "platform/system_info.h"

namespace twk::context {

// The Windows version as major + minor / 10 (5.1, 6.0, ..., 10.0, 11.0), 0.0
// when unknown. GetVersionExW is believed up to 6.2, where it stops telling
// the truth to programs without the newer compatibility entries; above that
// the version questions decide, and Windows 11 is told from 10 by its build.
double DetectWindowsVersion(platform::SystemInfo& system);

}  // namespace twk::context
