#include "sequence/inventory.h"

#include <algorithm>
#include <array>

#include "platform/registry_path.h"

namespace twk::sequence {
namespace {

namespace KeyAccess = platform::KeyAccess;
using platform::OwnedKey;
using platform::Registry;

constexpr char16_t kCurrentVersionKey[] = u"HKLM64\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char16_t kServicesKey[] = u"HKLM64\\SYSTEM\\CurrentControlSet\\Services";
constexpr char16_t kWindowsKey[] = u"\\Microsoft\\Windows\\CurrentVersion\\";
constexpr char16_t kApprovedKey[] = u"Explorer\\StartupApproved\\";

// The codes of the settings file, in the order of StartPlace and StartType.
constexpr std::array<const char16_t*, 10> kPlaceCodes = {
    u"run-user",      u"run-machine",       u"run-machine32", u"runonce-user",
    u"runonce-machine", u"runonce-machine32", u"startup-user",  u"startup-common",
    u"service",       u"driver"};
constexpr std::array<const char16_t*, 6> kStartCodes = {u"boot",    u"system", u"auto",
                                                        u"delayed", u"manual", u"disabled"};

// A REG_SZ or REG_EXPAND_SZ value up to its first NUL (as stored: an
// expandable path stays unexpanded, as the system keeps it).
std::optional<Text> StringOf(const platform::Answer<platform::RegistryValue>& value) {
  if (!value.ok()) return std::nullopt;
  const platform::RegistryValue& v = value.value();
  if (v.type != platform::ValueType::String && v.type != platform::ValueType::ExpandString) {
    return std::nullopt;
  }
  Text text(v.data.size() / 2, u'\0');
  for (std::size_t i = 0; i < text.size(); ++i) {
    text[i] = static_cast<char16_t>(v.data[2 * i] | v.data[2 * i + 1] << 8);
  }
  return text.substr(0, text.find(u'\0'));
}

std::optional<std::uint32_t> DwordOf(const platform::Answer<platform::RegistryValue>& value) {
  if (!value.ok() || value.value().type != platform::ValueType::Dword ||
      value.value().data.size() != 4) {
    return std::nullopt;
  }
  const std::vector<std::uint8_t>& b = value.value().data;  // little-endian
  return static_cast<std::uint32_t>(b[0] | b[1] << 8 | b[2] << 16) |
         static_cast<std::uint32_t>(b[3]) << 24;
}

OwnedKey Open(Registry& registry, const Text& path, std::uint32_t access = KeyAccess::Read) {
  return OwnedKey(registry, platform::OpenRegistryPath(registry, path, access).value_or(0));
}

// Task Manager's state of each start-up entry of one StartupApproved key, by
// folded name: the first byte of the value is even for enabled, odd for
// disabled.
using Approved = std::vector<std::pair<Text, bool>>;  // folded name, enabled

Approved ApprovedStates(Registry& registry, const Text& path) {
  Approved states;
  const OwnedKey key = Open(registry, path);
  if (!key) return states;
  for (const Text& name : registry.ValueNames(key.get()).value_or({})) {
    const auto value = registry.QueryValue(key.get(), name);
    if (!value.ok() || value.value().data.empty()) continue;
    states.emplace_back(FoldCase(name), (value.value().data[0] & 1) == 0);
  }
  return states;
}

// No mark is enabled; the first mark of a name counts.
bool Enabled(const Approved& approved, const Text& name) {
  const Text folded = FoldCase(name);
  for (const auto& [marked, enabled] : approved) {
    if (marked == folded) return enabled;
  }
  return true;
}

void AddRunKey(const InventoryPorts& ports, Inventory& inventory, StartPlace place,
               const Text& path, const Approved& approved, const Text& leaveOut) {
  Registry& registry = ports.registry;
  const OwnedKey key = Open(registry, path);
  if (!key) return;
  for (const Text& name : registry.ValueNames(key.get()).value_or({})) {
    if (!leaveOut.empty() && EqualsIgnoreCase(name, leaveOut)) continue;
    const auto command = StringOf(registry.QueryValue(key.get(), name));
    if (!command) continue;
    inventory.entries.push_back({place, name, *command, std::nullopt, Enabled(approved, name)});
  }
}

void AddStartupFolder(const InventoryPorts& ports, Inventory& inventory, StartPlace place,
                      const Text& folder, const Approved& approved) {
  if (folder.empty()) return;
  for (const Text& name : ports.files.FolderFiles(folder).value_or({})) {
    const bool shortcut = name.size() > 4 && EqualsIgnoreCase(name.substr(name.size() - 4), u".lnk");
    const Text target =
        shortcut ? ports.shell.ShortcutTarget(folder + u"\\" + name).value_or(Text()) : Text();
    inventory.entries.push_back({place, name, target, std::nullopt, Enabled(approved, name)});
  }
}

void AddServices(Registry& registry, Inventory& inventory) {
  const OwnedKey services = Open(registry, kServicesKey);
  if (!services) return;
  for (const Text& name : registry.SubkeyNames(services.get()).value_or({})) {
    const OwnedKey key = Open(registry, Text(kServicesKey) + u"\\" + name, KeyAccess::QueryValue);
    if (!key) continue;
    const auto start = DwordOf(registry.QueryValue(key.get(), u"Start"));
    const auto type = DwordOf(registry.QueryValue(key.get(), u"Type"));
    if (!start || *start > 4 || !type) continue;
    // Kernel, file system and recognizer drivers; services in a process of
    // their own or a shared one (per-user services included).
    const bool driver = (*type & 0x0B) != 0;
    if (!driver && (*type & 0x30) == 0) continue;
    StartEntry entry{driver ? StartPlace::Driver : StartPlace::Service, name, {}, {}, true};
    entry.start = static_cast<StartType>(*start <= 2 ? *start : *start + 1);
    if (entry.start == StartType::Automatic && !driver &&
        DwordOf(registry.QueryValue(key.get(), u"DelayedAutostart")) == 1u) {
      entry.start = StartType::AutomaticDelayed;
    }
    // The image path of those that start by themselves; of the others their
    // start type is enough to tell when one of them begins to.
    if (entry.startsByItself()) {
      entry.command = StringOf(registry.QueryValue(key.get(), u"ImagePath")).value_or(Text());
    }
    inventory.entries.push_back(std::move(entry));
  }
}

void ReadWindows(Registry& registry, Inventory& inventory) {
  const OwnedKey key = Open(registry, kCurrentVersionKey, KeyAccess::QueryValue);
  if (!key) return;
  inventory.product = StringOf(registry.QueryValue(key.get(), u"ProductName")).value_or(Text());
  const auto major = DwordOf(registry.QueryValue(key.get(), u"CurrentMajorVersionNumber"));
  const auto minor = DwordOf(registry.QueryValue(key.get(), u"CurrentMinorVersionNumber"));
  // Before Windows 10 the version is a text ("6.1") and there is no UBR.
  Text version = major && minor ? FormatUnsigned(*major) + u"." + FormatUnsigned(*minor)
                                : StringOf(registry.QueryValue(key.get(), u"CurrentVersion"))
                                      .value_or(Text());
  const auto build = StringOf(registry.QueryValue(key.get(), u"CurrentBuildNumber"));
  if (version.empty() || !build) return;
  version += u"." + *build;
  if (const auto ubr = DwordOf(registry.QueryValue(key.get(), u"UBR"))) {
    version += u"." + FormatUnsigned(*ubr);
  }
  inventory.version = version;
}

// By place, then name ignoring case, then name (two names alike but for
// their case stay in one order).
bool EntryBefore(const StartEntry& a, const StartEntry& b) {
  if (a.place != b.place) return a.place < b.place;
  const int folded = FoldCase(a.name).compare(FoldCase(b.name));
  return folded != 0 ? folded < 0 : a.name < b.name;
}

// ---- the settings file's form ---------------------------------------------------

Text Escaped(const Text& text) { return EscapedField(text, u"|"); }
std::optional<Text> Unescaped(const Text& text) { return UnescapedField(text); }
std::vector<Text> Fields(const Text& value) { return SplitFields(value, u'|'); }

template <std::size_t N>
std::optional<std::size_t> CodeIndex(const std::array<const char16_t*, N>& codes, const Text& code) {
  for (std::size_t i = 0; i < N; ++i) {
    if (code == codes[i]) return i;
  }
  return std::nullopt;
}

// ---- changes ------------------------------------------------------------------------

Text What(const StartEntry& e) { return e.name + u" (" + PlaceName(e.place) + u")"; }

bool IsProgram(StartPlace place) { return place < StartPlace::Service; }

}  // namespace

Text PlaceName(StartPlace place) {
  static constexpr const char16_t* kNames[] = {
      u"Run (user)",       u"Run (machine)",         u"Run (machine, 32-bit)",
      u"RunOnce (user)",   u"RunOnce (machine)",     u"RunOnce (machine, 32-bit)",
      u"Startup folder (user)", u"Startup folder (all users)", u"service",
      u"driver"};
  return kNames[static_cast<std::size_t>(place)];
}

Text StartTypeName(StartType type) {
  static constexpr const char16_t* kNames[] = {u"boot",   u"system",   u"automatic",
                                               u"automatic (delayed)", u"manual", u"disabled"};
  return kNames[static_cast<std::size_t>(type)];
}

bool StartEntry::startsByItself() const {
  if (IsProgram(place)) return enabled;
  return start && *start <= StartType::AutomaticDelayed;
}

Inventory ReadInventory(const InventoryPorts& ports, const InventorySources& sources) {
  Registry& registry = ports.registry;
  Inventory inventory;
  ReadWindows(registry, inventory);

  const Text user = sources.userSid.empty() ? Text(u"HKCU\\Software")
                                            : u"HKU\\" + sources.userSid + u"\\Software";
  const Text machine = u"HKLM64\\SOFTWARE";
  const Text userApproved = user + kWindowsKey + kApprovedKey;
  const Text machineApproved = machine + kWindowsKey + kApprovedKey;
  const auto userRun = ApprovedStates(registry, userApproved + u"Run");
  const auto machineRun = ApprovedStates(registry, machineApproved + u"Run");
  const Approved none;
  AddRunKey(ports, inventory, StartPlace::RunUser, user + kWindowsKey + u"Run", userRun,
            sources.ownRunValue);
  AddRunKey(ports, inventory, StartPlace::RunOnceUser, user + kWindowsKey + u"RunOnce", none, {});
  AddRunKey(ports, inventory, StartPlace::RunMachine, machine + kWindowsKey + u"Run", machineRun,
            {});
  AddRunKey(ports, inventory, StartPlace::RunOnceMachine, machine + kWindowsKey + u"RunOnce", none,
            {});
  // The 32-bit view is a key of its own only for a 32-bit program on 64-bit
  // Windows; elsewhere it is the same key again.
  if (registry.IsWow64Process()) {
    const Text machine32 = u"HKLM32\\SOFTWARE";
    AddRunKey(ports, inventory, StartPlace::RunMachine32, machine32 + kWindowsKey + u"Run",
              ApprovedStates(registry, machineApproved + u"Run32"), {});
    AddRunKey(ports, inventory, StartPlace::RunOnceMachine32, machine32 + kWindowsKey + u"RunOnce",
              none, {});
  }
  AddStartupFolder(ports, inventory, StartPlace::StartupUser, sources.userStartupFolder,
                   ApprovedStates(registry, userApproved + u"StartupFolder"));
  AddStartupFolder(ports, inventory, StartPlace::StartupCommon, sources.commonStartupFolder,
                   ApprovedStates(registry, machineApproved + u"StartupFolder"));
  AddServices(registry, inventory);
  std::sort(inventory.entries.begin(), inventory.entries.end(), EntryBefore);
  return inventory;
}

std::vector<InventoryLine> InventoryLines(const Inventory& inventory) {
  std::vector<InventoryLine> lines;
  lines.push_back({u"Windows", Escaped(inventory.product) + u"|" + Escaped(inventory.version)});
  std::uint64_t n = 0;
  for (const StartEntry& e : inventory.entries) {
    Text value = Text(kPlaceCodes[static_cast<std::size_t>(e.place)]) + u"|" + Escaped(e.name) +
                 u"|" + Escaped(e.command) + u"|";
    if (e.start) value += kStartCodes[static_cast<std::size_t>(*e.start)];
    value += u"|";
    if (IsProgram(e.place)) value += e.enabled ? u"on" : u"off";
    lines.push_back({FormatUnsigned(++n), value});
  }
  return lines;
}

Inventory ParseInventory(const std::vector<InventoryLine>& lines) {
  Inventory inventory;
  for (const InventoryLine& line : lines) {
    const std::vector<Text> fields = Fields(line.value);
    if (EqualsIgnoreCase(line.key, u"Windows")) {
      if (fields.size() != 2) continue;
      const auto product = Unescaped(fields[0]);
      const auto version = Unescaped(fields[1]);
      if (product && version) {
        inventory.product = *product;
        inventory.version = *version;
      }
      continue;
    }
    if (fields.size() != 5) continue;
    const auto place = CodeIndex(kPlaceCodes, fields[0]);
    const auto name = Unescaped(fields[1]);
    const auto command = Unescaped(fields[2]);
    if (!place || !name || name->empty() || !command) continue;
    StartEntry e{static_cast<StartPlace>(*place), *name, *command, std::nullopt, true};
    if (IsProgram(e.place)) {
      if (!fields[3].empty() || (fields[4] != u"on" && fields[4] != u"off")) continue;
      e.enabled = fields[4] == u"on";
    } else {
      const auto start = CodeIndex(kStartCodes, fields[3]);
      if (!start || !fields[4].empty()) continue;
      e.start = static_cast<StartType>(*start);
    }
    inventory.entries.push_back(std::move(e));
  }
  std::sort(inventory.entries.begin(), inventory.entries.end(), EntryBefore);
  return inventory;
}

Text InventoryId(const std::vector<InventoryLine>& lines) {
  // FNV-1a over the code units: enough to tell inventories apart, cheap to
  // compute at every start.
  std::uint64_t hash = 14695981039346656037ull;
  const auto add = [&hash](const Text& text) {
    for (const char16_t c : text) {
      hash = (hash ^ (c & 0xFF)) * 1099511628211ull;
      hash = (hash ^ (c >> 8)) * 1099511628211ull;
    }
  };
  for (const InventoryLine& line : lines) {
    add(line.key);
    add(u"=");
    add(line.value);
    add(u"\n");
  }
  static constexpr char16_t kHex[] = u"0123456789abcdef";
  Text id(16, u'0');
  for (int i = 15; i >= 0; --i, hash >>= 4) id[static_cast<std::size_t>(i)] = kHex[hash & 0xF];
  return id;
}

std::vector<Text> InventoryChanges(const Inventory& before, const Inventory& after) {
  std::vector<Text> lines;
  if (before.version != after.version || before.product != after.product) {
    const auto shown = [&](const Inventory& i) {
      return before.product != after.product && !i.product.empty() ? i.product + u" " + i.version
                                                                    : i.version;
    };
    const auto orUnknown = [](const Text& t) { return t.empty() ? Text(u"unknown") : t; };
    lines.push_back(u"Windows: " + orUnknown(shown(before)) + u" -> " + orUnknown(shown(after)));
  }
  // Both lists in entry order, so that one walk pairs them. Each change
  // goes with its group (added, removed, changed) and the name it sorts by.
  std::vector<StartEntry> was = before.entries, is = after.entries;
  std::sort(was.begin(), was.end(), EntryBefore);
  std::sort(is.begin(), is.end(), EntryBefore);
  struct Change {
    int group;
    Text name;
    StartPlace place;
    Text line;
  };
  std::vector<Change> changes;
  const auto note = [&changes](int group, const StartEntry& e, Text line) {
    changes.push_back({group, FoldCase(e.name), e.place, std::move(line)});
  };
  const auto same = [](const StartEntry& a, const StartEntry& b) {
    return a.place == b.place && EqualsIgnoreCase(a.name, b.name);
  };
  const auto counts = [](const StartEntry& e) { return e.startsByItself() || IsProgram(e.place); };
  std::size_t i = 0, k = 0;
  while (i < was.size() || k < is.size()) {
    const StartEntry* o = i < was.size() ? &was[i] : nullptr;
    const StartEntry* e = k < is.size() ? &is[k] : nullptr;
    if (o != nullptr && e != nullptr && same(*o, *e)) {
      ++i, ++k;
      if (!IsProgram(e->place) && !o->startsByItself() && !e->startsByItself()) continue;
      const Text changed = u"Changed: " + What(*e) + u": ";
      if (o->start != e->start && o->start && e->start) {
        note(2, *e, changed + StartTypeName(*o->start) + u" -> " + StartTypeName(*e->start));
      }
      // A command only where both sides kept one (a service that did not
      // start by itself kept none).
      const bool bothKept = IsProgram(e->place) || (o->startsByItself() && e->startsByItself());
      if (bothKept && o->command != e->command) {
        note(2, *e, changed + o->command + u" -> " + e->command);
      }
      if (IsProgram(e->place) && o->enabled != e->enabled) {
        note(2, *e, changed + (o->enabled ? u"enabled -> disabled" : u"disabled -> enabled"));
      }
    } else if (e == nullptr || (o != nullptr && EntryBefore(*o, *e))) {
      ++i;
      if (counts(*o)) note(1, *o, u"Removed: " + What(*o));
    } else {
      ++k;
      if (counts(*e)) note(0, *e, u"Added: " + What(*e));
    }
  }
  std::sort(changes.begin(), changes.end(), [](const Change& a, const Change& b) {
    if (a.group != b.group) return a.group < b.group;
    if (a.name != b.name) return a.name < b.name;
    return a.place < b.place;
  });
  for (Change& c : changes) lines.push_back(std::move(c.line));
  return lines;
}

std::vector<Text> WhatChanged(const Inventory* before, const Inventory* after) {
  if (before == nullptr || after == nullptr) {
    return {u"What changed: unknown (the older sequence was measured before Tarnwick kept the "
            u"list)."};
  }
  std::vector<Text> lines = InventoryChanges(*before, *after);
  if (lines.empty()) return {u"What changed: nothing that starts with Windows."};
  lines.insert(lines.begin(), u"What changed:");
  return lines;
}

Text InventorySummary(const Inventory& inventory) {
  std::vector<Text> programs;
  std::uint64_t services = 0, drivers = 0;
  for (const StartEntry& e : inventory.entries) {
    if (!e.startsByItself()) continue;
    if (IsProgram(e.place)) programs.push_back(e.name);
    if (e.place == StartPlace::Service) ++services;
    if (e.place == StartPlace::Driver) ++drivers;
  }
  const auto count = [](std::uint64_t n, const Text& one, const Text& many) {
    return FormatUnsigned(n) + u" " + (n == 1 ? one : many);
  };
  Text text = u"Starts with Windows: " + count(programs.size(), u"program", u"programs");
  constexpr std::size_t kNamed = 5;  // the line has room for about so many
  for (std::size_t i = 0; i < programs.size() && i < kNamed; ++i) {
    text += (i == 0 ? u" (" : u", ") + programs[i];
  }
  if (programs.size() > kNamed) {
    text += u" and " + FormatUnsigned(programs.size() - kNamed) + u" more";
  }
  if (!programs.empty()) text += u")";
  return text + u", " + count(services, u"service", u"services") + u", " +
         count(drivers, u"driver", u"drivers") + u".";
}

}  // namespace twk::sequence
