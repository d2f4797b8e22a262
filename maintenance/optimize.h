#pragma once
// Optimising the system partition with the system's own defragmenter before
// the restarts are timed, so that the first restart does not pay for a
// fragmented disk. The switches depend on the Windows version and on
// whether the disk is solid-state (retrim instead of defragment; systems
// before Vista have no retrim and must leave such a disk alone). Windows 8
// and later get the defragmenter's own window to watch, while the command
// itself runs hidden.
//
// The decisions are plain logic over a few values (PlanOptimization); the
// running part takes the ports it uses and a wait operation that launches
// a program and waits for it while the caller's window stays responsive.
#include <cstdint>
#include <functional>
#include <optional>

#include "base/text.h"
#include "platform/devices.h"
#include "platform/file_system.h"
#include "platform/processes.h"

namespace twk::maintenance {

struct OptimizePlan {
  bool runsNothing = false;  // solid-state disk on a system before 6.0
  Text defragPath;           // the program started (maybe by "\SysNative\")
  Text commandLine;          // defragPath, a blank, the drive, the switches
  int showCommand = platform::ShowCommand::Show;
  // The defragmenter's window, started first (and not waited for) above 6.1.
  std::optional<Text> interfacePath;
};

// pathExists answers like PathFileExistsW. A program missing from the
// system folder as this (32-bit) process sees it is reached through
// "\SysNative\" instead.
[[nodiscard]] OptimizePlan PlanOptimization(double windowsVersion, const Text& systemDirectory,
                                            const Text& drive, bool solidState,
                                            const std::function<bool(const Text&)>& pathExists);

// Launches a command line and waits for it: 0 the window is closing, 1 the
// program ended, 2 it could not be started, 3 the user cancelled.
using LaunchAndWaitOperation =
    std::function<int(const Text& commandLine, int showCommand, const Text& workingDirectory)>;

struct OptimizePorts {
  platform::Processes& processes;
  platform::Devices& devices;
  platform::FileSystem& files;
};

// Classifies the disk of `drive`, stops a defragmenter already running from
// the system folder, opens the defragmenter's window where the system has one,
// and runs the defragmenter through launchAndWait in the system folder.
// Returns launchAndWait's result, or 1 when nothing is to be run.
[[nodiscard]] int OptimizeSystemPartition(double windowsVersion, const Text& systemDirectory,
                                          const Text& drive, OptimizePorts ports,
                                          const LaunchAndWaitOperation& launchAndWait);

}  // namespace twk::maintenance
