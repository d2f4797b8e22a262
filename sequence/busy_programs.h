#pragma once
// Who kept the desktop busy after a restart. Once the wait for the desktop
// to be ready has ended, one reading of the system's process list: every
// process with the CPU time and I/O it has used since it began, which for a
// machine just started is what it cost the start. Kept per restart: the ten
// that used the most CPU, and beyond them every start-up program or service
// that Task Manager would rate as a high impact on the start. Windows' own
// list of what slowed a boot (its boot log's events 101 to 110) is kept
// beside them.
//
// Only read after the wait, never during it: the reading costs processor
// time, which would delay the very moment it explains. A process that ended
// before the reading is not in the list.
#include <cstdint>
#include <optional>
#include <set>
#include <vector>

#include "base/strings.h"
#include "platform/processes.h"
#include "sequence/boot_event.h"
#include "sequence/inventory.h"

namespace twk::sequence {

struct SequenceSummary;

// What a process is to the machine's start, by the inventory of what starts
// with Windows.
enum class ProgramKind : std::uint8_t { StartupProgram, Service, Other };
// "start-up program", "service", "other".
[[nodiscard]] Text ProgramKindName(ProgramKind kind);

// Task Manager's rating of a start-up program's impact: High for more than
// 1 s of CPU or more than 3 MB of disk I/O during the start, Medium from
// 300 ms or 300 KB, Low below (a megabyte of 1024 KB of 1024 bytes, as
// Windows counts them). An I/O count that cannot be had rates by CPU alone.
enum class Impact : std::uint8_t { Low, Medium, High };
[[nodiscard]] Text ImpactName(Impact impact);  // "Low", "Medium", "High"
inline constexpr std::int64_t kHighImpactCpuMs = 1000;
inline constexpr std::int64_t kMediumImpactCpuMs = 300;
inline constexpr std::uint64_t kHighImpactIoBytes = 3ull * 1024 * 1024;
inline constexpr std::uint64_t kMediumImpactIoBytes = 300ull * 1024;
[[nodiscard]] Impact RateImpact(std::int64_t cpuMs, std::optional<std::uint64_t> ioBytes);

struct BusyProgram {
  Text name;  // the image's file name as the process list gives it
  Text path;  // its full path; empty where the process could not be opened
  ProgramKind kind = ProgramKind::Other;
  std::int64_t cpuMs = 0;                // kernel and user time since it began
  std::optional<std::uint64_t> ioBytes;  // read and written; none where not counted
  bool operator==(const BusyProgram&) const = default;
  [[nodiscard]] Impact impact() const { return RateImpact(cpuMs, ioBytes); }
};

struct BusyReading {
  // Taken once the desktop was ready, or before that (the wait gave up, or
  // the countdown or the report ended it first).
  bool atReady = false;
  std::vector<BusyProgram> programs;  // most CPU first
  bool operator==(const BusyReading&) const = default;
};

inline constexpr std::size_t kBusyProgramsKept = 10;

// The program a command line starts, as a file name: the quoted part, else
// up to the first ".exe" that ends a word, else up to the first blank;
// without its folder. "\"C:\\A B\\x.exe\" /s" gives "x.exe".
[[nodiscard]] Text ProgramFileName(const Text& command);

// Which processes are start-up programs or services, by the file names of
// what the inventory starts by itself (a start-up program wins over a
// service of the same name). Without an inventory, every process is other.
class ProgramKinds {
 public:
  explicit ProgramKinds(const Inventory* inventory);
  [[nodiscard]] ProgramKind Of(const Text& imageName) const;

 private:
  std::set<Text> startup_;  // folded file names
  std::set<Text> services_;
};

// A kept program with the id it had in the list, to open it by.
struct SelectedProgram {
  std::uint32_t id = 0;
  BusyProgram program;
};

// The programs worth keeping from one reading of the list: the idle process
// (id 0), this program itself and processes that used nothing left out;
// the ten with the most CPU, then every start-up program or service beyond
// them rated High; paths still empty. I/O is unknown for every process when
// the list counts none for any (Wine keeps no count).
[[nodiscard]] std::vector<SelectedProgram> SelectBusyPrograms(
    const std::vector<platform::ProcessUsage>& usages, std::uint32_t ownId,
    const ProgramKinds& kinds);

// One reading through the port, with the kept programs' paths; none when
// the list cannot be read.
[[nodiscard]] std::optional<BusyReading> ReadBusyPrograms(platform::Processes& processes,
                                                          const Inventory* inventory,
                                                          bool atReady);

// The settings file's form of one restart's reading and of its culprits:
// fields joined by "*", programs or culprits by "|" (each field escaped as
// the inventory's are, ">" too, which joins the restarts of a kept
// sequence). A reading is "ready" or "before", then per program its name,
// path, kind ("startup", "service", "other"), CPU in ms and I/O in bytes
// ("?" where unknown). Culprits are "none", or per culprit its event,
// name, total and degradation in ms. None when the value is damaged.
[[nodiscard]] Text FormatBusyReading(const BusyReading& reading);
[[nodiscard]] std::optional<BusyReading> ParseBusyReading(const Text& value);
[[nodiscard]] Text FormatCulprits(const std::vector<BootCulprit>& culprits);
[[nodiscard]] std::optional<std::vector<BootCulprit>> ParseCulprits(const Text& value);

// ---- what the history window shows --------------------------------------------
// One row per program: Program, Kind, CPU ("8.15 s", to the millisecond),
// I/O ("3.2 MB", "unknown"), Impact.
[[nodiscard]] std::vector<std::vector<Text>> BusyRows(const BusyReading& reading);
// When the reading was taken, and that what ended before it is not seen.
[[nodiscard]] Text BusyReadingNote(const BusyReading& reading);
// "Windows: service Spooler took 4.2 s, 2.1 s longer than usual"
[[nodiscard]] Text CulpritLine(const BootCulprit& culprit);
// The culprits' lines; a sentence where Windows named none, or where its
// log could not be read.
[[nodiscard]] std::vector<Text> CulpritLines(const std::optional<std::vector<BootCulprit>>& culprits);
// For a whole sequence, every program busy in at least half of its
// restarts that were read (a marked restart counts for nothing): busy where
// its processes together rate Medium or High, the median of its CPU time
// over those restarts, the costliest first: "Most often busy: OneDrive.exe
// (median 3.4 s of CPU in 5 of 6 restarts)".
[[nodiscard]] std::vector<Text> MostOftenBusy(const SequenceSummary& summary);

}  // namespace twk::sequence
