#pragma once
// Every measurement the settings file keeps, as typed records: the current
// sequence's stamps and restarts, the kept sequences, and the machine they
// were measured on. Read once from the settings document, changed only by
// named operations, each of which writes back exactly the keys whose values
// it changed, in the file's format (so a file nothing was recorded in is
// saved byte for byte as it was read). The document is saved by the callers
// at their commit points, as before. No other code names a section or key
// of the measurements: the step, the report, the history window, the export
// and the setup all read and change them here.
//
// A stamp keeps its local second under the key the file has always had, and
// the same moment in UTC milliseconds beside it. A duration is the UTC
// difference when both of its stamps have one (a clock or daylight-saving
// change between them does not count), the local difference otherwise
// (files of earlier versions). History keeps whole seconds; the exact
// milliseconds, where known, go to a section of their own.
#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "platform/clock.h"
#include "sequence/busy_programs.h"
#include "sequence/inventory.h"
#include "sequence/restart_phases.h"
#include "sequence/time_stamps.h"
#include "settings/ini_document.h"

namespace twk::sequence {

// The measurements' sections and keys in the settings file. Named here for
// the store, its tests and the benchmarks that build such files.
namespace file {
namespace section {
inline constexpr char16_t TimeStamps[] = u"TimeStamps";  // clock readings of a sequence
inline constexpr char16_t History[] = u"History";        // one duration per restart
inline constexpr char16_t Sequences[] = u"Sequences";    // finished sequences, one summary each
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
// Beside History and Sequences, under the same keys: the programs that kept
// the desktop busy after each restart, and what Windows named as having
// slowed its start. A kept sequence's restarts are joined by ">", an
// unknown one left empty.
inline constexpr char16_t RestartBusy[] = u"RestartBusy";
inline constexpr char16_t SequencesBusy[] = u"SequencesBusy";
inline constexpr char16_t RestartCulprits[] = u"RestartCulprits";
inline constexpr char16_t SequencesCulprits[] = u"SequencesCulprits";
// The machine as seen when the newest sequence started, for files that
// are joined with other machines' files.
inline constexpr char16_t Machine[] = u"Machine";
// What starts with Windows, kept with each sequence: which inventory each
// sequence had ("Current" for the sequence in History, the kept ones under
// their keys), and each inventory once, in a section of its own named
// InventoryPrefix + its id, however many sequences share it.
inline constexpr char16_t Inventories[] = u"Inventories";
inline constexpr char16_t InventoryPrefix[] = u"Inventory ";
}  // namespace section
namespace key {
// Section Machine.
inline constexpr char16_t ComputerName[] = u"ComputerName";
inline constexpr char16_t DiskKind[] = u"DiskKind";  // hdd, ssd, nvme, usb; absent when unknown
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
// Section Inventories: the sequence in History.
inline constexpr char16_t CurrentInventory[] = u"Current";
}  // namespace key

// Section History names its keys "Reboot " + the restart's number.
inline constexpr char16_t HistoryKeyPrefix[] = u"Reboot ";
// Section Sequences names its keys "Sequence " + a number that grows with
// every sequence kept; the value is "yyyy-mm-dd hh:mm;<average>;<d1> <d2> ...".
inline constexpr char16_t SequenceKeyPrefix[] = u"Sequence ";
inline constexpr std::size_t MaxKeptSequences = 50;
}  // namespace file

enum class TimeStampKind : int {
  SequenceStart = 1,  // keeps the sequence before, clears, stamps FirstShutDown
  FirstBootUp = 2,    // stamps FirstBootUp and records restart 1
  LastShutDown = 3,   // stamps LastShutDown
  LastBootUp = 4,     // stamps LastBootUp, only the first time
};

// The four stamps of a sequence.
enum class StampName : std::size_t { FirstShutDown, FirstBootUp, LastShutDown, LastBootUp };

// A restart that was not a plain one. Its figure stays in History, but a
// median, a spread or a comparison that took it would weigh the work of an
// update, or of several boots, as a restart's.
enum class RestartMark {
  None,
  Updates,     // Windows had updates waiting when the restart was requested
  ExtraBoots,  // Windows started more than once before the program ran again
};
// As the file and the export write them: "updates", "extra boots"; empty for
// none.
[[nodiscard]] Text MarkName(RestartMark mark);
// The name read back, letter case ignored; none for any other text.
[[nodiscard]] std::optional<RestartMark> ParseMark(const Text& text);

// What was read when a restart was requested, for the start after it to
// tell the restart's mark.
struct RestartRequest {
  bool updatesWaiting = false;
  std::optional<std::uint32_t> bootId;  // Windows' boot counter; none when unreadable
  bool operator==(const RestartRequest&) const = default;
};

struct Stamp {
  Text text;                          // the local key's value as stored; empty when absent
  double local = 0;                   // that text as a number; 0 when absent
  std::optional<std::int64_t> utcMs;  // the UTC moment, when kept beside it
  bool present() const { return local > 0; }
};

// One restart's figures: a History entry, in file order, or a restart of a
// kept sequence.
struct RestartFigure {
  Text key;                             // as in History ("Reboot 3"); empty in a kept sequence
  Text seconds;                         // the value as stored
  std::int32_t wholeSeconds = 0;        // its leading integer, as the list adds it up
  std::optional<std::int64_t> exactMs;  // the duration to the millisecond, when known
  RestartPhases phases;                 // where its time went, as far as known
  RestartMark mark = RestartMark::None;
  std::optional<ReadyRule> readyBy;  // what decided its desktop-ready moment
  // Who kept the desktop busy, and what Windows said slowed the start; none
  // where not read.
  std::optional<BusyReading> busy;
  std::optional<std::vector<BootCulprit>> culprits;
  bool operator==(const RestartFigure&) const = default;

  // Left out of the statistics: not a plain restart.
  bool marked() const { return mark != RestartMark::None; }
  // The one home of "exact milliseconds where measured so, else whole
  // seconds": the length in milliseconds, and the seconds as the lists show
  // them (to the millisecond where known, else as stored).
  std::int64_t durationMs() const {
    return exactMs.value_or(static_cast<std::int64_t>(wholeSeconds) * 1000);
  }
  [[nodiscard]] Text shownSeconds() const;
};

// A restart of a kept sequence as its line keeps it: the seconds as stored,
// every other figure unknown.
[[nodiscard]] RestartFigure KeptRestart(const Text& seconds);

struct Duration {
  double seconds = 0;                        // whole seconds for every duration recorded now
  std::optional<std::int64_t> milliseconds;  // when both stamps had the UTC moment
};

// The length of the restart between two stamps: none when either is missing
// or the result is negative (the clock was set back between them).
[[nodiscard]] std::optional<Duration> DurationBetween(const Stamp& shutdown, const Stamp& bootUp);

// The average of whole-second figures, truncated toward zero: none when no
// figure was counted or they add up to 0 (no "Average" row then). The sum is
// kept in 64 bits, so values at the top of the 32-bit range still average
// correctly.
[[nodiscard]] std::optional<std::int32_t> HistoryAverage(std::int64_t sum, std::int32_t count);

// Milliseconds as seconds with up to three decimals: 61234 gives 61.234,
// 61200 gives 61.2, 61000 gives 61.
[[nodiscard]] Text FormatMilliseconds(std::int64_t milliseconds);
// Milliseconds as seconds rounded to one decimal, without a trailing ".0"
// (41250 gives "41.3", 52000 "52"), "\u2013" for a figure that cannot be
// written; and the same with " s": "41.3 s".
[[nodiscard]] Text Tenths(double milliseconds);
[[nodiscard]] Text TenthsText(double milliseconds);

struct SequenceSummary {
  // The key's number; for the sequence still in History, the number it will
  // be kept under.
  std::uint64_t number = 0;
  Text key;      // as written in the file (empty for the current sequence)
  Text started;  // "yyyy-mm-dd hh:mm", empty when the first shutdown was not stamped
  std::int32_t average = 0;
  // In restart order, each with its duration as kept; a figure the kept
  // line has no room for (phases, marks, ...) is unknown.
  std::vector<RestartFigure> restarts;
  bool current = false;  // the sequence in History, not (yet) kept
  // What started with Windows when it started; none for a sequence kept
  // before inventories were. Shared by the sequences that had the same.
  std::shared_ptr<const Inventory> inventory;
};

// Key numbers beyond this are not given out: the next one could not be told
// apart from a damaged key.
inline constexpr std::uint64_t kLargestSequenceNumber = 999'999'999;
// A summary value longer than this is damaged: the most restarts a sequence
// can have take a few thousand characters.
inline constexpr std::size_t kLongestSummary = 32 * 1024;
inline constexpr std::size_t kMostDurations = 1000;

// "yyyy-mm-dd hh:mm" of a clock reading (whole local seconds since 1601);
// empty for 0, which is no reading.
[[nodiscard]] Text StartedText(std::uint64_t second);

// The number of a key "Sequence <digits>" (prefix compared like every key:
// first character exact, the rest ignoring case); none for any other key or
// a number beyond kLargestSequenceNumber.
[[nodiscard]] std::optional<std::uint64_t> SequenceKeyNumber(const Text& key);

// Whether a History value can go into a kept line as it is: a whole number
// or one with a fraction, "-" allowed (a clock set back between two stamps).
[[nodiscard]] bool IsKeptDuration(const Text& text);

// One kept line read back; none when it is damaged.
[[nodiscard]] std::optional<SequenceSummary> ParseSequence(const Text& key, const Text& value);
[[nodiscard]] Text FormatSequenceValue(const SequenceSummary& summary);
// The figures of a kept sequence's restarts that the summary line has no
// room for, each kept under the same key in a section of its own, one field
// per restart:
//   Exact   "61234 ? 50120"         whole milliseconds, "?" where unknown
//   Phases  "61200/3100/?/.. ?/?/.." the phase figures joined by "/"
//   Marks   "updates,,extra boots"   a mark's name, empty for a plain restart
//   ReadyBy "cpu+disk ? cpu"         the rule's name, "?" where unknown
//   Busy    "ready|a.exe*..>>before"  a reading's value, empty where unknown
//   Culprits "none>>103*Spooler*.."   the culprits' value, empty where unknown
enum class KeptBeside : std::size_t { Exact, Phases, Marks, ReadyBy, Busy, Culprits };
inline constexpr KeptBeside kAllKeptBeside[] = {KeptBeside::Exact,   KeptBeside::Phases,
                                                KeptBeside::Marks,   KeptBeside::ReadyBy,
                                                KeptBeside::Busy,    KeptBeside::Culprits};
// The section that keeps them.
[[nodiscard]] const char16_t* KeptBesideSection(KeptBeside kind);
// The value for a summary's restarts; empty when no restart has the figure
// (nothing is written then).
[[nodiscard]] Text FormatKeptBeside(KeptBeside kind, const SequenceSummary& summary);
// Reads a value back into the summary's restarts; false, and the restarts
// unchanged, unless it holds exactly one field of the kept shape for each.
bool ReadKeptBeside(KeptBeside kind, const Text& value, SequenceSummary& summary);

// The machine the measurements come from: its name and its system disk's
// kind ("hdd", "ssd", "nvme", "usb"), as recorded when the newest sequence
// started; empty when unknown.
struct MachineIdentity {
  Text computer;
  Text disk;
  bool operator==(const MachineIdentity&) const = default;
};

// The key a restart is kept under ("Reboot 3").
[[nodiscard]] Text RestartKey(std::uint32_t restart);

class MeasurementStore {
 public:
  MeasurementStore() = default;
  // Reads every measurement of the document; the named operations write
  // their changes back into it. The document must outlive the store.
  [[nodiscard]] static MeasurementStore Load(settings::SettingsFile& file);
  // For readers only (the history window, the export): operations on a
  // store read so change its records and write nothing.
  [[nodiscard]] static MeasurementStore Read(const settings::SettingsFile& file);

  const Stamp& stamp(StampName name) const { return stamps_[static_cast<std::size_t>(name)]; }
  const std::vector<RestartFigure>& restarts() const { return restarts_; }
  // What was read at the latest restart request, until the start after it
  // has used it.
  const RestartRequest& request() const { return request_; }
  // The average as the history list computes it (leading integers summed,
  // truncated toward zero); none without figures or when they add up to 0.
  [[nodiscard]] std::optional<std::int32_t> Average() const;
  // The kept sequences, oldest (lowest number) first; lines that do not read
  // as one are left in the file as they are and counted here.
  const std::vector<SequenceSummary>& kept() const { return kept_; }
  std::size_t damagedKept() const { return damagedKept_; }
  // The highest number of every kept key, damaged ones included.
  std::uint64_t highestKeptNumber() const { return highestKeptNumber_; }
  // The current sequence as it would be kept now; none when it has no figure.
  [[nodiscard]] std::optional<SequenceSummary> Current() const;
  // Kept sequences and then the current one, oldest first: what the history
  // window and the export show.
  [[nodiscard]] std::vector<SequenceSummary> AllSequences() const;
  const MachineIdentity& machine() const { return machine_; }

  // ---- named operations ------------------------------------------------------
  // Each changes these records and writes the keys it changed into the
  // document, and answers whether anything was written. None saves the
  // file: the callers do, at their commit points.

  // The stamp of the given kind at `reading`; currentReboot tells
  // FirstBootUp which restart it ends. A sequence start keeps the sequence
  // before (see KeepFinishedSequence) and clears every section of it.
  bool RecordTimeStamp(TimeStampKind kind, const platform::ClockReading& reading,
                       std::uint32_t currentReboot = 0);
  // The History value of restart currentReboot - 1, ending at bootUp and
  // measured from the shutdown stamp before it (FirstShutDown for restart 1,
  // LastShutDown for every later one). Nothing is written when a value is
  // already there (a start repeated with the same command line), when the
  // shutdown was never stamped, or when the duration cannot be right.
  bool RecordRebootDuration(std::uint32_t currentReboot, const platform::ClockReading& bootUp);
  // Adds what is now known of where the time of the restart kept under
  // `restartKey` ("Reboot 3") went; figures already kept stay unless `known`
  // has them too. Nothing is written for a restart without a History figure.
  bool RecordPhases(const Text& restartKey, const RestartPhases& known);
  // Keeps what was read at a restart request beside the stamps (a new
  // sequence clears it with them); a reading that is not known replaces an
  // earlier one by nothing.
  bool RecordRestartRequest(const RestartRequest& request);
  // The start after the request: marks the restart kept under `restartKey`
  // (a mark already there stays; None marks nothing) and forgets the
  // request's reading, which a start repeated with the same command line
  // must not use again.
  bool RecordMark(const Text& restartKey, RestartMark mark);
  // Which rule decided the desktop-ready moment of the restart kept under
  // `restartKey`. Nothing is written for a restart without a History figure.
  bool RecordReadyRule(const Text& restartKey, ReadyRule rule);
  // The programs that kept the desktop busy after the restart kept under
  // `restartKey`: the first reading stays (a start repeated with the same
  // command line reads a desktop that has long been ready).
  bool RecordBusyPrograms(const Text& restartKey, const BusyReading& reading);
  // What Windows named as having slowed the restart's start, as far as its
  // log holds them now (they replace an earlier, shorter answer).
  bool RecordCulprits(const Text& restartKey, const std::vector<BootCulprit>& culprits);
  // The inventory of the sequence in History; null when it has none.
  [[nodiscard]] const Inventory* currentInventory() const;
  // Puts a stamp back as it was before (absent included): a restart that
  // was refused took no shutdown.
  void RestoreStamp(StampName name, const Stamp& previous);
  // The machine as seen when a sequence starts; an unknown name or disk
  // stays absent rather than keeping what another machine said.
  bool RecordMachine(const MachineIdentity& machine);
  // Appends the current sequence to the kept ones (when it has a figure) and
  // drops the oldest readable ones beyond the newest 50. True when one was
  // kept. A sequence start does this before it clears the current one.
  bool KeepFinishedSequence();
  // What starts with Windows, for the sequence in History (recorded as it
  // starts, after RecordTimeStamp's SequenceStart): kept once however many
  // sequences share it, and dropped with the last sequence that has it.
  bool RecordInventory(const Inventory& inventory);

 private:
  bool Store(StampName name, const platform::ClockReading& reading);
  void ReadKept(const settings::SettingsFile& file);
  void ReadInventories(const settings::SettingsFile& file);
  std::shared_ptr<const Inventory> InventoryOf(const Text& id) const;
  // Points `key` of section Inventories at an inventory (none: at nothing),
  // and drops the inventory it pointed at when no other key does.
  void Refer(const Text& key, const Text& id);
  // The document's edits, skipped on a store that was only read.
  bool Set(const Text& section, const Text& key, const Text& value);
  bool Remove(const Text& section, const Text& key);
  void RemoveSection(const Text& section);
  const Text* Stored(const Text& section, const Text& key) const;

  settings::SettingsFile* file_ = nullptr;
  std::array<Stamp, 4> stamps_;
  std::vector<RestartFigure> restarts_;
  RestartRequest request_;
  std::vector<SequenceSummary> kept_;
  std::uint64_t highestKeptNumber_ = 0;
  std::size_t damagedKept_ = 0;
  MachineIdentity machine_;
  // Section Inventories as read and changed (folded key -> id), and each
  // inventory it names, by folded id (a section is found ignoring case).
  std::map<Text, Text> inventoryRefs_;
  std::map<Text, std::shared_ptr<const Inventory>> inventories_;
};

}  // namespace twk::sequence
