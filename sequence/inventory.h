#pragma once
// What starts with Windows, as it was when a sequence started: Windows'
// own version, the start-up programs (Run and RunOnce keys, Startup
// folders) with the state Task Manager keeps for them, and the services and
// drivers with how they start. Kept with each sequence, so that a
// comparison can say what changed between two of them: weeks later nobody
// remembers that an updater added itself or that a service became
// automatic.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "platform/file_system.h"
#include "platform/registry.h"
#include "platform/shell.h"

namespace twk::sequence {

// Where an entry comes from, in the order the lists show them.
enum class StartPlace : std::uint8_t {
  RunUser,
  RunMachine,
  RunMachine32,
  RunOnceUser,
  RunOnceMachine,
  RunOnceMachine32,
  StartupUser,
  StartupCommon,
  Service,
  Driver,
};
// "Run (user)", ..., "Startup folder (all users)", "service", "driver".
[[nodiscard]] Text PlaceName(StartPlace place);

// How a service or driver starts (its Start value, and DelayedAutostart).
enum class StartType : std::uint8_t { Boot, System, Automatic, AutomaticDelayed, Manual, Disabled };
// "boot", "system", "automatic", "automatic (delayed)", "manual", "disabled".
[[nodiscard]] Text StartTypeName(StartType type);

struct StartEntry {
  StartPlace place = StartPlace::RunUser;
  Text name;     // the value's name, the file's name, the service's key
  Text command;  // the command line, the shortcut's target, the image path
  // Services and drivers only.
  std::optional<StartType> start;
  // Start-up programs only: Task Manager's state (no mark is enabled).
  bool enabled = true;
  bool operator==(const StartEntry&) const = default;
  // Starts by itself: every start-up program that is enabled, the services
  // and drivers that start at boot, with the system or automatically.
  [[nodiscard]] bool startsByItself() const;
};

struct Inventory {
  Text product;  // "Windows 10 Pro"; empty when unknown
  Text version;  // "10.0.19045.3803"; empty when unknown
  // Sorted by place, then by name ignoring case.
  std::vector<StartEntry> entries;
  bool operator==(const Inventory&) const = default;
};

// Where the reading looks for the user's own entries: the user's key under
// HKEY_USERS (the program may run elevated as another account), the user's
// Startup folder and the one of all users. Tarnwick's own Run value, which
// carries a sequence from logon to logon, is left out.
struct InventorySources {
  Text userSid;
  Text userStartupFolder;
  Text commonStartupFolder;
  Text ownRunValue;  // the name of Tarnwick's Run value
};

struct InventoryPorts {
  platform::Registry& registry;
  platform::FileSystem& files;
  platform::Shell& shell;
};

// Reads what starts with Windows, without administrator rights where
// Windows allows it; what cannot be read is left out.
[[nodiscard]] Inventory ReadInventory(const InventoryPorts& ports, const InventorySources& sources);

// The inventory as kept in the settings file: one line per entry (and one
// for Windows), each a key and a value, and back. An entry's fields are
// joined by "|"; "%", "|", line ends and blanks at either end are written
// as %XX.
struct InventoryLine {
  Text key;
  Text value;
};
[[nodiscard]] std::vector<InventoryLine> InventoryLines(const Inventory& inventory);
// Lines that do not read as an entry are skipped.
[[nodiscard]] Inventory ParseInventory(const std::vector<InventoryLine>& lines);
// A name for identical inventories: 16 hexadecimal digits of a hash of the
// lines, so that sequences measured on an unchanged machine share one.
[[nodiscard]] Text InventoryId(const std::vector<InventoryLine>& lines);

// What changed from `before` to `after`, one line each: Windows' version
// first, then what was added, removed and changed, each sorted by name:
// "Windows: 10.0.19045.3803 -> 10.0.19045.3930", "Added: Updater (Run
// (user))", "Removed: ...", "Changed: Spooler (service): manual ->
// automatic". Services and drivers count only where they start by
// themselves on one side at least.
[[nodiscard]] std::vector<Text> InventoryChanges(const Inventory& before, const Inventory& after);
// The comparison's part: "What changed:" and the lines, "What changed:
// nothing that starts with Windows." or, where a sequence has no inventory
// (kept before Tarnwick kept one), that it is unknown.
[[nodiscard]] std::vector<Text> WhatChanged(const Inventory* before, const Inventory* after);
// The restart view's line: "Starts with Windows: 3 programs (OneDrive,
// Teams, Updater), 141 services, 96 drivers." (the programs that start by
// themselves, the services and drivers that do).
[[nodiscard]] Text InventorySummary(const Inventory& inventory);

}  // namespace twk::sequence
