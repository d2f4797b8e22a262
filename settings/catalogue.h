#pragma once
// Every section and key the program keeps in its settings file, and the rules
// by which values are read back. No other place spells these names, so a
// reader and its writer cannot drift apart. The measurements' sections are
// their store's own (sequence/measurement_store.h).
#include <cstdint>

#include "base/strings.h"
#include "settings/ini_document.h"

namespace twk::settings {

namespace section {
inline constexpr char16_t Setup[] = u"Setup";                  // the user's choices
inline constexpr char16_t PostOperation[] = u"PostOperation";  // work left for the end
inline constexpr char16_t DesktopIconLayout[] = u"DesktopIconLayout";  // icon text = position
}  // namespace section

namespace key {
// Section Setup.
inline constexpr char16_t TimesToReboot[] = u"TimesToReboot";        // integer 1..100
inline constexpr char16_t RebootDelay[] = u"RebootDelay";            // integer, minutes
inline constexpr char16_t NoReport[] = u"NoReport";                  // switch
inline constexpr char16_t DefragBefore[] = u"DefragBefore";          // switch, only written as on
inline constexpr char16_t ProcessIdleTasks[] = u"ProcessIdleTasks";  // switch, only written as on
inline constexpr char16_t BackupRestoreIcons[] =
    u"BackupRestoreIcons";                                           // switch, only written as on
inline constexpr char16_t PlayWarningSound[] = u"PlayWarningSound";  // switch
// Section PostOperation.
inline constexpr char16_t DisableAutoLogon[] = u"DisableAutoLogon";  // "1" or absent
}  // namespace key

// Defaults that readers apply when a value is missing, empty or 0, and the
// range the setup accepts for the number of restarts.
inline constexpr std::int32_t DefaultTimesToReboot = 5;
inline constexpr std::int32_t DefaultRebootDelay = 5;
inline constexpr std::int32_t MinTimesToReboot = 1;
inline constexpr std::int32_t MaxTimesToReboot = 100;
inline constexpr char16_t DefaultNumberText[] = u"5";  // what the setup writes for a bad entry

// Switch values as written.
inline constexpr char16_t SwitchOn[] = u"1";
inline constexpr char16_t SwitchOff[] = u"0";

// The leading decimal integer of the value; missing, empty or non-numeric
// text reads as 0.
std::int32_t ReadInteger(const SettingsFile& settings, const Text& section, const Text& key);
// On when the value reads as a non-zero integer; absent means off.
bool ReadSwitch(const SettingsFile& settings, const Text& section, const Text& key);
// Setup/TimesToReboot and Setup/RebootDelay, 5 when missing, empty or 0.
// No range is enforced here: the setup validates what it writes.
std::int32_t ReadTimesToReboot(const SettingsFile& settings);
std::int32_t ReadRebootDelay(const SettingsFile& settings);

// Writers return SetValue's line number (0 when a name is empty).
std::size_t WriteSwitch(SettingsFile& settings, const Text& section, const Text& key, bool on);
std::size_t WriteInteger(SettingsFile& settings, const Text& section, const Text& key,
                         std::int32_t value);
std::size_t WriteUnsigned(SettingsFile& settings, const Text& section, const Text& key,
                          std::uint32_t value);

}  // namespace twk::settings
