#pragma once
// Every section and key the program keeps in its settings file, and the rules
// by which values are read back. No other place spells these names, so a
// reader and its writer cannot drift apart.
#include <cstdint>

#include "base/strings.h"
#include "settings/ini_document.h"

namespace twk::settings {

namespace section {
inline constexpr char16_t Setup[] = u"Setup";                  // the user's choices
inline constexpr char16_t PostOperation[] = u"PostOperation";  // work left for the end
inline constexpr char16_t TimeStamps[] = u"TimeStamps";        // clock readings of a sequence
inline constexpr char16_t History[] = u"History";              // one duration per restart
inline constexpr char16_t DesktopIconLayout[] = u"DesktopIconLayout";  // icon text = position
inline constexpr char16_t Sequences[] = u"Sequences";  // finished sequences, one summary each
// Beside History and Sequences, under the same keys: the durations in whole
// milliseconds, where both of a restart's stamps had the UTC moment.
inline constexpr char16_t HistoryMilliseconds[] = u"HistoryMilliseconds";
inline constexpr char16_t SequencesMilliseconds[] = u"SequencesMilliseconds";
// Beside History and Sequences, under the same keys: where each restart's
// time went (seven figures in whole milliseconds, "?" where unknown).
inline constexpr char16_t RestartPhases[] = u"RestartPhases";
inline constexpr char16_t SequencesPhases[] = u"SequencesPhases";
// Beside History and Sequences, under the same keys: restarts that were not
// plain ones (Windows installed updates, or started more than once), which
// the statistics leave out. Sections of their own, so that an earlier
// version finds its own sections as it wrote them.
inline constexpr char16_t RestartMarks[] = u"RestartMarks";
inline constexpr char16_t SequencesMarks[] = u"SequencesMarks";
// Beside History and Sequences, under the same keys: which rule decided the
// moment the desktop was ready ("cpu+disk", or "cpu" where the disk's
// counters could not be read). Sections of their own, so that an earlier
// version finds its own sections as it wrote them.
inline constexpr char16_t RestartReadyBy[] = u"RestartReadyBy";
inline constexpr char16_t SequencesReadyBy[] = u"SequencesReadyBy";
// The machine as seen when the newest sequence started, for files that
// are joined with other machines' files.
inline constexpr char16_t Machine[] = u"Machine";
}  // namespace section

namespace key {
// Section Machine.
inline constexpr char16_t ComputerName[] = u"ComputerName";
inline constexpr char16_t DiskKind[] = u"DiskKind";  // hdd, ssd, nvme, usb; absent when unknown
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
// Section TimeStamps: whole seconds of the clock, decimal.
inline constexpr char16_t FirstShutDown[] = u"FirstShutDown";
inline constexpr char16_t FirstBootUp[] = u"FirstBootUp";
inline constexpr char16_t LastShutDown[] = u"LastShutDown";
inline constexpr char16_t LastBootUp[] = u"LastBootUp";
// Beside each stamp, the same moment in UTC milliseconds since 1601: the
// stamp's key followed by this ("FirstShutDownUtcMs").
inline constexpr char16_t UtcSuffix[] = u"UtcMs";
// Also in TimeStamps, what was read when the latest restart was requested,
// kept until the start after it decides the restart's mark: "1" when Windows
// had updates waiting (absent otherwise), and its boot counter in decimal
// (absent when it could not be read).
inline constexpr char16_t ShutDownUpdatesWaiting[] = u"ShutDownUpdatesWaiting";
inline constexpr char16_t ShutDownBootId[] = u"ShutDownBootId";
}  // namespace key

// Section History names its keys "Reboot " + the restart's number.
inline constexpr char16_t HistoryKeyPrefix[] = u"Reboot ";
Text HistoryKey(std::uint32_t restart);

// Section Sequences names its keys "Sequence " + a number that grows with
// every sequence kept; the value is "yyyy-mm-dd hh:mm;<average>;<d1> <d2> ...".
inline constexpr char16_t SequenceKeyPrefix[] = u"Sequence ";
inline constexpr std::size_t MaxKeptSequences = 50;

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
