#include "maintenance/optimize.h"

#include <cmath>

#include "base/strings.h"
#include "maintenance/physical_disk.h"
#include "maintenance/process_control.h"
#include "platform/processes.h"
#include "sequence/launch.h"

namespace twk::maintenance {
namespace {

using platform::OwnedProcess;

// The version compared in tenths: 6.1 computed as 6 + 1/10 need not be the
// same double as the literal 6.1.
int Tenths(double windowsVersion) { return static_cast<int>(std::lround(windowsVersion * 10)); }

Text SystemProgram(const Text& systemDirectory, const Text& name,
                   const std::function<bool(const Text&)>& pathExists) {
  Text path = systemDirectory + name;
  if (!pathExists(path)) Replace(path, u"\\System32\\", u"\\SysNative\\", 1, false);
  return path;
}

}  // namespace

OptimizePlan PlanOptimization(double windowsVersion, const Text& systemDirectory, const Text& drive,
                              bool solidState, const std::function<bool(const Text&)>& pathExists) {
  OptimizePlan plan;
  const int version = Tenths(windowsVersion);
  if (solidState && version < 60) {
    plan.runsNothing = true;
    return plan;
  }
  plan.defragPath = SystemProgram(systemDirectory, u"\\defrag.exe", pathExists);
  // /H: run at normal rather than low priority (the newer defragmenters);
  // /f: defragment even when free space is low (the older ones); /L: retrim.
  Text switches = version > 60 ? u" /H" : u" /f";
  if (solidState) switches = u" /L" + switches;
  plan.commandLine = plan.defragPath + u" " + drive + switches;
  plan.showCommand = platform::ShowCommand::Show;
  if (version > 61) {
    plan.interfacePath = SystemProgram(systemDirectory, u"\\dfrgui.exe", pathExists);
    plan.showCommand = platform::ShowCommand::Hide;
  }
  return plan;
}

int OptimizeSystemPartition(double windowsVersion, const Text& systemDirectory, const Text& drive,
                            OptimizePorts ports, const LaunchAndWaitOperation& launchAndWait) {
  const bool solidState = IsSolidStateDrive(ports.devices, drive);
  const OptimizePlan plan =
      PlanOptimization(windowsVersion, systemDirectory, drive, solidState,
                       [&ports](const Text& path) { return ports.files.Exists(path); });
  if (plan.runsNothing) return sequence::WaitResult::Ended;

  // Looked for by its path in the system folder even when it is started
  // through "\SysNative\": that alias exists only in a 32-bit program's view
  // of the files, and no running process reports it as its image path. One
  // that cannot be stopped does not hold the new run back.
  const Text runningImage = systemDirectory + u"\\defrag.exe";
  if (std::uint32_t running = FindProcessByImagePath(ports.processes, runningImage)) {
    (void)StopProcess(ports.processes, running);
  }
  if (plan.interfacePath) {
    // The window is only for the user to watch: not waited for, and a
    // failure to open it changes nothing.
    OwnedProcess window(ports.processes,
                        sequence::LaunchProcess(ports.processes, *plan.interfacePath,
                                                systemDirectory, platform::ShowCommand::Show,
                                                sequence::LaunchFlags::NoFsRedirection));
  }
  return launchAndWait(plan.commandLine, plan.showCommand, systemDirectory);
}

}  // namespace twk::maintenance
