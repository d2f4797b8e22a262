#include "maintenance/process_control.h"

#include "base/strings.h"

namespace twk::maintenance {
namespace {

constexpr int kTerminationRounds = 30;
constexpr char16_t kSystemRoot[] = u"\\SystemRoot";
constexpr char16_t kSystemRootFolder[] = u"\\SystemRoot\\";
constexpr char16_t kObjectPrefix[] = u"\\??\\";

// Terminates in rounds until the process is gone; an open that fails (the
// process has vanished, or may not be touched) ends the rounds.
bool TerminateInRounds(platform::Processes& processes, std::uint32_t id) {
  for (int round = 0; round < kTerminationRounds; ++round) {
    if (processes.Terminate(id) != platform::Status::Ok) break;
    if (!IsProcessRunning(processes, id)) return true;
  }
  return false;
}

}  // namespace

Text NormalizeImagePath(Text path, const Text& windowsFolder) {
  // Only a path that begins with exactly one backslash is a kernel path; a
  // network path (two backslashes) is left alone.
  if (path.size() < 2 || path[0] != u'\\' || path[1] == u'\\') return path;
  const Text head = path.substr(0, Text(kSystemRootFolder).size());
  if (EqualsIgnoreCase(head, kSystemRootFolder)) {
    if (!windowsFolder.empty()) path.replace(0, Text(kSystemRoot).size(), windowsFolder);
  } else if (path.compare(0, 4, kObjectPrefix) == 0) {
    path.erase(0, 4);
  }
  return path;
}

std::optional<Text> GetProcessImagePath(platform::Processes& processes, std::uint32_t id) {
  platform::Answer<Text> read = processes.ImagePath(id);
  if (!read.ok()) return std::nullopt;
  const Text& path = read.value();
  if (path.size() >= 2 && path[0] == u'\\' && path[1] != u'\\') {
    return NormalizeImagePath(path, processes.SystemRootFolder());
  }
  return path;
}

std::uint32_t FindProcessByImagePath(platform::Processes& processes, const Text& path) {
  for (std::uint32_t id : processes.ListProcessIds()) {
    std::optional<Text> image = GetProcessImagePath(processes, id);
    if (image && EqualsIgnoreCase(*image, path)) return id;
  }
  return 0;
}

bool IsProcessRunning(platform::Processes& processes, std::uint32_t id) {
  if (id < 5) return id == 4;
  return processes.ProcessRuns(id);
}

bool StopProcess(platform::Processes& processes, std::uint32_t id) {
  // A program with a window gets the chance to go by itself first.
  processes.PostDestroyToWindows(id);
  if (!IsProcessRunning(processes, id)) return true;
  if (TerminateInRounds(processes, id)) return true;
  // A process stuck in the kernel may outlive its own termination while
  // its threads can still be ended one by one.
  if (!processes.TerminateThreads(id)) return false;
  if (!IsProcessRunning(processes, id)) return true;
  TerminateInRounds(processes, id);
  return !IsProcessRunning(processes, id);
}

}  // namespace twk::maintenance
