// What starts with Windows: read from a simulated machine, kept in the
// settings file's lines and read back, and the changes between two of them
// in the comparison's words.
#include "sequence/inventory.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_registry.h"
#include "platform/fake/fake_shell.h"

namespace twk::sequence {
namespace {

using platform::RegistryRoot;

constexpr char16_t kSid[] = u"S-1-5-21-1-2-3-1001";
constexpr char16_t kUserWindows[] = u"S-1-5-21-1-2-3-1001\\Software\\Microsoft\\Windows\\CurrentVersion";
constexpr char16_t kMachineWindows[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr char16_t kMachine32Windows[] = u"SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion";
constexpr char16_t kServices[] = u"SYSTEM\\CurrentControlSet\\Services";
constexpr char16_t kUserStartup[] = u"C:\\Users\\alice\\Startup";
constexpr char16_t kCommonStartup[] = u"C:\\ProgramData\\StartUp";

std::vector<std::uint8_t> Dword(std::uint32_t v) {
  return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
          static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

class InventoryTest : public ::testing::Test {
 protected:
  InventoryTest() {
    registry.SetMachine(true, true);  // a 32-bit program on 64-bit Windows
    files.AddDrive(u'C');
  }
  void Service(const Text& name, std::uint32_t start, std::uint32_t type, const Text& image,
               std::optional<std::uint32_t> delayed = std::nullopt) {
    const Text key = Text(kServices) + u"\\" + name;
    registry.PutValue(RegistryRoot::LocalMachine, key, u"Start", platform::ValueType::Dword,
                      Dword(start));
    registry.PutValue(RegistryRoot::LocalMachine, key, u"Type", platform::ValueType::Dword,
                      Dword(type));
    registry.PutString(RegistryRoot::LocalMachine, key, u"ImagePath", image);
    if (delayed) {
      registry.PutValue(RegistryRoot::LocalMachine, key, u"DelayedAutostart",
                        platform::ValueType::Dword, Dword(*delayed));
    }
  }
  // Task Manager's mark: 02 enabled, 03 disabled, then a time stamp.
  void Approved(RegistryRoot root, const Text& key, const Text& name, std::uint8_t state) {
    registry.PutValue(root, key, name, platform::ValueType::Binary,
                      {state, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
  }
  Inventory Read() {
    return ReadInventory({registry, files, shell},
                         {kSid, kUserStartup, kCommonStartup, u"Tarnwick"});
  }

  platform::FakeRegistry registry;
  platform::FakeFileSystem files;
  platform::FakeShell shell;
};

TEST_F(InventoryTest, ReadsEveryPlaceWithItsStateAndLeavesOutTarnwicksOwnValue) {
  const Text nt = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
  registry.PutString(RegistryRoot::LocalMachine, nt, u"ProductName", u"Windows 10 Pro");
  registry.PutValue(RegistryRoot::LocalMachine, nt, u"CurrentMajorVersionNumber",
                    platform::ValueType::Dword, Dword(10));
  registry.PutValue(RegistryRoot::LocalMachine, nt, u"CurrentMinorVersionNumber",
                    platform::ValueType::Dword, Dword(0));
  registry.PutString(RegistryRoot::LocalMachine, nt, u"CurrentBuildNumber", u"19045");
  registry.PutValue(RegistryRoot::LocalMachine, nt, u"UBR", platform::ValueType::Dword,
                    Dword(3803));

  registry.PutString(RegistryRoot::Users, Text(kUserWindows) + u"\\Run", u"OneDrive",
                     u"\"C:\\OneDrive.exe\" /background");
  registry.PutString(RegistryRoot::Users, Text(kUserWindows) + u"\\Run", u"Tarnwick",
                     u"\"C:\\Tarnwick.exe\" /CurrentReboot:2");
  registry.PutString(RegistryRoot::Users, Text(kUserWindows) + u"\\RunOnce", u"Cleanup",
                     u"cleanup.exe");
  Approved(RegistryRoot::Users, Text(kUserWindows) + u"\\Explorer\\StartupApproved\\Run",
           u"OneDrive", 3);
  registry.PutString(RegistryRoot::LocalMachine, Text(kMachineWindows) + u"\\Run", u"SecurityHealth",
                     u"%windir%\\system32\\SecurityHealthSystray.exe");
  registry.PutString(RegistryRoot::LocalMachine, Text(kMachine32Windows) + u"\\Run", u"Updater",
                     u"C:\\Updater\\up.exe");
  Approved(RegistryRoot::LocalMachine,
           Text(kMachineWindows) + u"\\Explorer\\StartupApproved\\Run32", u"Updater", 2);

  ASSERT_TRUE(files.SetFile(Text(kUserStartup) + u"\\Notes.lnk", "shortcut"));
  ASSERT_TRUE(files.SetFile(Text(kUserStartup) + u"\\run.bat", "@echo off"));
  ASSERT_TRUE(files.SetFile(Text(kCommonStartup) + u"\\Broken.lnk", "not a shortcut"));
  shell.shortcuts[Text(kUserStartup) + u"\\Notes.lnk"] = u"C:\\Notes\\notes.exe -min";
  Approved(RegistryRoot::Users,
           Text(kUserWindows) + u"\\Explorer\\StartupApproved\\StartupFolder", u"run.bat", 3);

  Service(u"Spooler", 2, 0x10, u"C:\\Windows\\System32\\spoolsv.exe");
  Service(u"wuauserv", 2, 0x20, u"C:\\Windows\\system32\\svchost.exe -k netsvcs", 1);
  Service(u"disk", 0, 0x1, u"System32\\drivers\\disk.sys");
  Service(u"Fax", 3, 0x10, u"C:\\Windows\\system32\\fxssvc.exe");
  Service(u"OldDriver", 4, 0x1, u"System32\\drivers\\old.sys");
  Service(u"NoType", 2, 0x0, u"x.exe");  // neither a driver nor a service: left out

  const Inventory inventory = Read();
  EXPECT_EQ(inventory.product, u"Windows 10 Pro");
  EXPECT_EQ(inventory.version, u"10.0.19045.3803");
  using E = StartEntry;
  using P = StartPlace;
  using S = StartType;
  EXPECT_EQ(inventory.entries,
            (std::vector<E>{
                {P::RunUser, u"OneDrive", u"\"C:\\OneDrive.exe\" /background", {}, false},
                {P::RunMachine, u"SecurityHealth",
                 u"%windir%\\system32\\SecurityHealthSystray.exe", {}, true},
                {P::RunMachine32, u"Updater", u"C:\\Updater\\up.exe", {}, true},
                {P::RunOnceUser, u"Cleanup", u"cleanup.exe", {}, true},
                {P::StartupUser, u"Notes.lnk", u"C:\\Notes\\notes.exe -min", {}, true},
                {P::StartupUser, u"run.bat", u"", {}, false},
                {P::StartupCommon, u"Broken.lnk", u"", {}, true},
                // Only what starts by itself keeps its image path.
                {P::Service, u"Fax", u"", S::Manual, true},
                {P::Service, u"Spooler", u"C:\\Windows\\System32\\spoolsv.exe", S::Automatic,
                 true},
                {P::Service, u"wuauserv", u"C:\\Windows\\system32\\svchost.exe -k netsvcs",
                 S::AutomaticDelayed, true},
                {P::Driver, u"disk", u"System32\\drivers\\disk.sys", S::Boot, true},
                {P::Driver, u"OldDriver", u"", S::Disabled, true},
            }));
  EXPECT_EQ(InventorySummary(inventory),
            u"Starts with Windows: 5 programs (SecurityHealth, Updater, Cleanup, Notes.lnk, "
            u"Broken.lnk), 2 services, 1 driver.");

  // On 32-bit Windows the 32-bit view is the same key: read once.
  registry.SetMachine(false, false);
  for (const StartEntry& e : Read().entries) EXPECT_NE(e.place, P::RunMachine32) << ToUtf8(e.name);
}

TEST_F(InventoryTest, AMachineThatShowsNothingGivesAnEmptyInventory) {
  const Inventory inventory = Read();
  EXPECT_EQ(inventory, Inventory{});
  EXPECT_EQ(InventorySummary(inventory), u"Starts with Windows: 0 programs, 0 services, 0 drivers.");
}

TEST(InventoryLinesTest, EveryFieldReadsBackAndDamagedLinesAreSkipped) {
  Inventory inventory{u"Windows 11 Pro", u"10.0.22631.2861", {}};
  inventory.entries = {
      {StartPlace::RunUser, u" odd|name%", u"a.exe\r\n| 100% ", std::nullopt, false},
      {StartPlace::StartupCommon, u"x.lnk", u"", std::nullopt, true},
      {StartPlace::Service, u"Svc", u"svc.exe", StartType::AutomaticDelayed, true},
      {StartPlace::Driver, u"drv", u"", StartType::Manual, true},
  };
  const std::vector<InventoryLine> lines = InventoryLines(inventory);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[0].key, u"Windows");
  EXPECT_EQ(lines[1].value, u"run-user|%20odd%7Cname%25|a.exe%0D%0A%7C 100%25%20||off");
  EXPECT_EQ(lines[3].value, u"service|Svc|svc.exe|delayed|");
  EXPECT_EQ(ParseInventory(lines), inventory);
  // The same inventory has the same id, another one another.
  EXPECT_EQ(InventoryId(lines), InventoryId(InventoryLines(inventory)));
  EXPECT_EQ(InventoryId(lines).size(), 16u);
  Inventory other = inventory;
  other.entries[3].start = StartType::Disabled;
  EXPECT_NE(InventoryId(InventoryLines(other)), InventoryId(lines));

  std::vector<InventoryLine> damaged = lines;
  damaged.push_back({u"6", u"nowhere|x|y||on"});          // no such place
  damaged.push_back({u"7", u"service|x|y|sometimes|"});   // no such start type
  damaged.push_back({u"8", u"run-user|x|y|auto|on"});     // a program with a start type
  damaged.push_back({u"9", u"run-user|x%2|y||on"});       // a cut escape
  damaged.push_back({u"10", u"run-user|x|y|on"});         // a field short
  EXPECT_EQ(ParseInventory(damaged), inventory);
}

TEST(InventoryChangesTest, SaysWhatWasAddedRemovedAndChangedInItsWords) {
  using P = StartPlace;
  using S = StartType;
  const Inventory before{
      u"Windows 10 Pro",
      u"10.0.19045.3803",
      {{P::RunUser, u"Chat", u"chat.exe", {}, true},
       {P::RunUser, u"Sync", u"sync.exe /old", {}, true},
       {P::StartupUser, u"Notes.lnk", u"notes.exe", {}, true},
       {P::Service, u"Fax", u"", S::Manual, true},
       {P::Service, u"Search", u"search.exe", S::Automatic, true},
       {P::Service, u"Idle", u"", S::Manual, true},
       {P::Driver, u"gone", u"gone.sys", S::System, true}}};
  const Inventory after{
      u"Windows 10 Pro",
      u"10.0.19045.3930",
      {{P::RunUser, u"Sync", u"sync.exe /new", {}, true},
       {P::RunMachine, u"Updater", u"up.exe", {}, true},
       {P::StartupUser, u"Notes.lnk", u"notes.exe", {}, false},
       {P::Service, u"Fax", u"fax.exe", S::Automatic, true},
       {P::Service, u"Search", u"search.exe", S::AutomaticDelayed, true},
       {P::Service, u"New", u"", S::Manual, true},  // added, but does not start by itself
       {P::Driver, u"fresh", u"fresh.sys", S::Boot, true}}};
  EXPECT_EQ(WhatChanged(&before, &after),
            (std::vector<Text>{u"What changed:",
                               u"Windows: 10.0.19045.3803 -> 10.0.19045.3930",
                               u"Added: fresh (driver)",
                               u"Added: Updater (Run (machine))",
                               u"Removed: Chat (Run (user))",
                               u"Removed: gone (driver)",
                               u"Changed: Fax (service): manual -> automatic",
                               u"Changed: Notes.lnk (Startup folder (user)): enabled -> disabled",
                               u"Changed: Search (service): automatic -> automatic (delayed)",
                               u"Changed: Sync (Run (user)): sync.exe /old -> sync.exe /new"}));
  // The product's name goes with the version when it changed.
  Inventory upgraded = after;
  upgraded.product = u"Windows 11 Pro";
  upgraded.version = u"10.0.22631.2861";
  EXPECT_EQ(InventoryChanges(after, upgraded).at(0),
            u"Windows: Windows 10 Pro 10.0.19045.3930 -> Windows 11 Pro 10.0.22631.2861");
  EXPECT_EQ(WhatChanged(&after, &after),
            (std::vector<Text>{u"What changed: nothing that starts with Windows."}));
  const std::vector<Text> unknown = {
      u"What changed: unknown (the older sequence was measured before Tarnwick kept the list)."};
  EXPECT_EQ(WhatChanged(nullptr, &after), unknown);
  EXPECT_EQ(WhatChanged(&before, nullptr), unknown);
}

}  // namespace
}  // namespace twk::sequence
