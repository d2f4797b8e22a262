#pragma once
// Finding and ending processes that this program did not start: a
// defragmenter still running from an earlier request would fight the new
// one over the same volume, so it is found by its image path and stopped.
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "platform/processes.h"

namespace twk::maintenance {

// The id of the first running process whose image path equals `path`
// without regard to case, or 0.
[[nodiscard]] std::uint32_t FindProcessByImagePath(platform::Processes& processes,
                                                   const Text& path);

// The image path of a process in the form a program would write it: the
// kernel's "\SystemRoot\" stands for the Windows folder and a leading "\??\"
// is dropped. None when the path could not be read.
[[nodiscard]] std::optional<Text> GetProcessImagePath(platform::Processes& processes,
                                                      std::uint32_t id);
// The rewrite alone.
[[nodiscard]] Text NormalizeImagePath(Text path, const Text& windowsFolder);

// Ids below 5 belong to the idle and system processes: only 4 runs.
[[nodiscard]] bool IsProcessRunning(platform::Processes& processes, std::uint32_t id);

// Asks the process's windows to go, then terminates it, in rounds, and at
// last terminates its threads one by one. True when it no longer runs.
bool StopProcess(platform::Processes& processes, std::uint32_t id);

}  // namespace twk::maintenance
