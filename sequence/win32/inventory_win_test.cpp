// What starts with Windows, read through the real ports from the machine the
// tests run on (a Wine prefix here): the services Windows keeps, a value the
// test adds to the user's Run key, and how long the whole reading takes.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "base/text_codec.h"
#include "platform/win32/win_file_system.h"
#include "platform/win32/win_registry.h"
#include "platform/win32/win_shell.h"
#include "platform/win32/win_system_info.h"
#include "sequence/inventory.h"

namespace twk::sequence {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kValue[] = L"TwkInventoryTestValue";

TEST(InventoryWinTest, ReadsThisMachineWithAValueAddedToTheUsersRunKey) {
  HKEY run = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &run,
                            nullptr),
            ERROR_SUCCESS);
  const wchar_t command[] = L"C:\\Tools\\tool.exe /quiet";
  ASSERT_EQ(RegSetValueExW(run, kValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(command),
                           sizeof command),
            ERROR_SUCCESS);

  platform::win32::WinRegistry registry;
  platform::win32::WinFileSystem files;
  platform::win32::WinShell shell;
  platform::win32::WinSystemInfo system;
  const auto begin = std::chrono::steady_clock::now();
  // The user's own key as the current user's: no SID, HKCU.
  const Inventory inventory =
      ReadInventory({registry, files, shell},
                    {Text(), system.StartupFolder(platform::kNoToken), system.CommonStartupFolder(),
                     u"Tarnwick"});
  const double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
  RegDeleteValueW(run, kValue);
  RegCloseKey(run);

  std::size_t services = 0, drivers = 0;
  for (const StartEntry& e : inventory.entries) {
    services += e.place == StartPlace::Service;
    drivers += e.place == StartPlace::Driver;
  }
  std::printf("  inventory of this machine: %zu entries (%zu services, %zu drivers), %s %s, "
              "read in %.0f ms\n",
              inventory.entries.size(), services, drivers, ToUtf8(inventory.product).c_str(),
              ToUtf8(inventory.version).c_str(), ms);
  EXPECT_FALSE(inventory.product.empty());
  EXPECT_NE(inventory.version.find(u'.'), Text::npos) << ToUtf8(inventory.version);
  const auto added = std::find_if(inventory.entries.begin(), inventory.entries.end(),
                                  [](const StartEntry& e) { return e.name == u"TwkInventoryTestValue"; });
  ASSERT_NE(added, inventory.entries.end());
  EXPECT_EQ(added->place, StartPlace::RunUser);
  EXPECT_EQ(added->command, u"C:\\Tools\\tool.exe /quiet");
  EXPECT_TRUE(added->enabled);
  // Every machine keeps services, some of which start by themselves.
  EXPECT_GT(services, 0u);
  EXPECT_TRUE(std::any_of(inventory.entries.begin(), inventory.entries.end(),
                          [](const StartEntry& e) {
                            return e.place == StartPlace::Service && e.startsByItself() &&
                                   !e.command.empty();
                          }));
  // What the file keeps reads back as it was read.
  EXPECT_EQ(ParseInventory(InventoryLines(inventory)), inventory);
}

}  // namespace
}  // namespace twk::sequence
