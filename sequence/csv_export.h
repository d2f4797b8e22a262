#pragma once
// The kept sequences and the current one as a spreadsheet file: UTF-8 with a
// byte-order mark (so that spreadsheet programs take it as UTF-8), CR LF line
// ends and fields quoted the way RFC 4180 does it. One header row, then one
// row per restart of every sequence, oldest first.
#include <vector>

#include "base/strings.h"
#include "platform/code_page.h"
#include "platform/file_system.h"
#include "sequence/measurement_store.h"
#include "settings/ini_document.h"

namespace twk::sequence {

// exact_s: the duration to the millisecond, in seconds with up to three
// decimals; empty where only whole seconds were measured. Then where the
// restart's time went, in seconds the same way and empty where unknown
// (ready_by beside the desktop's figure: "cpu+disk" or "cpu", the rule that
// decided it), and the machine in every row, so that the files of many
// machines can be joined into one table. Last, the restart's mark
// ("updates", "extra boots"), empty for a plain restart: a table can leave
// the marked ones out of its own figures as the history window does.
inline constexpr char16_t kCsvHeader[] =
    u"sequence,started,restart,seconds,exact_s,shutdown_firmware_s,windows_start_s,"
    u"desktop_ready_s,ready_by,windows_boot_s,windows_mainpath_s,windows_postboot_s,computer,"
    u"disk,mark";

// Who kept the desktop busy, for scripts and fleets: one row per kept
// program of every restart of every sequence. CPU in seconds and I/O in
// megabytes (of 1024 KB) with up to three decimals, I/O empty where it was
// not counted; impact as Task Manager rates it; at_ready 1 when the reading
// was taken at the ready moment, 0 when before it.
inline constexpr char16_t kProcessesCsvHeader[] =
    u"sequence,started,restart,process,path,kind,cpu_s,io_mb,impact,at_ready,computer";

// A field as it goes into the file: quoted when it holds a comma, a quote, a
// CR or an LF (or begins or ends with a blank, which some readers drop),
// with every quote doubled.
[[nodiscard]] Text CsvField(const Text& field);
// The fields joined by commas, with CR LF.
[[nodiscard]] Text CsvRow(const std::vector<Text>& fields);
[[nodiscard]] Text HistoryCsv(const std::vector<SequenceSummary>& sequences,
                              const MachineIdentity& machine);

[[nodiscard]] Text ProcessesCsv(const std::vector<SequenceSummary>& sequences,
                                const MachineIdentity& machine);

// Why a file could not be written, in words for the user; empty on success.
struct CsvWriteResult {
  bool ok = false;
  Text reason;
};

// Writes text to a new file beside path (named after it, a name no file has
// yet), flushes it and moves it over path, so that path holds either its old
// content or the whole new file, never a part. Nothing is left behind on
// failure, and no other file is changed. The folder must exist.
[[nodiscard]] CsvWriteResult WriteCsvFile(platform::FileSystem& fs, platform::AnsiCodePage& ansi,
                                          const Text& path, const Text& text);

// The history of the settings document into path.
[[nodiscard]] CsvWriteResult ExportHistory(const settings::SettingsFile& settings,
                                           platform::FileSystem& fs, platform::AnsiCodePage& ansi,
                                           const Text& path);

// The busy programs of the settings document into path.
[[nodiscard]] CsvWriteResult ExportProcesses(const settings::SettingsFile& settings,
                                             platform::FileSystem& fs,
                                             platform::AnsiCodePage& ansi, const Text& path);

}  // namespace twk::sequence
