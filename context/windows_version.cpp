#include "context/windows_version.h"

namespace twk::context {

double DetectWindowsVersion(platform::SystemInfo& system) {
  const platform::VersionRecord reported = system.GetVersion();
  if (reported.ok) {
    const double version = reported.major + reported.minor / 10.0;
    if (version > 0.0 && version <= 6.2) return version;
  }
  if (system.MajorVersionAtLeast(11)) return 11.0;
  if (system.MajorVersionAtLeast(10)) return reported.build < 22000 ? 10.0 : 11.0;
  double version = 0.0;
  if (system.MajorVersionIs(6)) {
    version = 6.0;
  } else if (system.MajorVersionIs(5)) {
    version = 5.0;
  } else {
    return 0.0;
  }
  for (std::uint32_t minor : {3u, 2u, 1u}) {
    if (system.MinorVersionIs(minor)) version += minor / 10.0;
  }
  return version;
}

}  // namespace twk::context
