#pragma once
// The measurements of the current sequence as typed records: read once from
// the settings document, changed by named operations, each of which writes
// exactly what it changes back into the document in the file's format (so a
// file nothing was recorded in is saved byte for byte as it was read). The
// step, the report, the history list and the archive all work on this; no
// other code reads the sections TimeStamps, History, HistoryMilliseconds,
// RestartPhases or RestartReadyBy.
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
#include <optional>
#include <vector>

#include "base/strings.h"
#include "platform/clock.h"
#include "sequence/restart_phases.h"
#include "settings/ini_document.h"

namespace twk::sequence {

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

// One History entry, in file order.
struct RestartFigure {
  Text key;                             // as in the file ("Reboot 3")
  Text seconds;                         // the value as stored
  std::int32_t wholeSeconds = 0;        // its leading integer, as the list adds it up
  std::optional<std::int64_t> exactMs;  // the duration to the millisecond, when known
  RestartPhases phases;                 // where its time went, as far as known
  RestartMark mark = RestartMark::None;
  std::optional<ReadyRule> readyBy;     // what decided its desktop-ready moment
};

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
// A whole 64-bit number in decimal.
[[nodiscard]] Text FormatWhole(std::int64_t value);
// Digits with an optional minus sign, within 64 bits; none otherwise.
[[nodiscard]] std::optional<std::int64_t> ParseWhole(const Text& text);

// A section of the measurements walked once, its key lines by key (letter
// case folded; the first line of a key counts, as in every lookup of the
// document). For the model's own files: a lookup per key would search the
// whole document for the section every time.
[[nodiscard]] std::map<Text, Text> SectionValuesByKey(const settings::SettingsFile& settings,
                                                      const Text& section);
[[nodiscard]] Text FoldedKey(const Text& key);

class Measurements {
 public:
  [[nodiscard]] static Measurements Load(const settings::SettingsFile& settings);

  const Stamp& stamp(StampName name) const { return stamps_[static_cast<std::size_t>(name)]; }
  const std::vector<RestartFigure>& restarts() const { return restarts_; }
  // What was read at the latest restart request, until the start after it
  // has used it.
  const RestartRequest& request() const { return request_; }
  // The average as the history list computes it (leading integers summed,
  // truncated toward zero); none without figures or when they add up to 0.
  [[nodiscard]] std::optional<std::int32_t> Average() const;

  // ---- named operations ------------------------------------------------------
  // Each changes this model and the same values in `settings` (the document
  // it was loaded from), and answers whether anything was written. None
  // saves the file: the callers do, at their commit points.

  // The stamp of the given kind at `reading`; currentReboot tells
  // FirstBootUp which restart it ends.
  bool RecordTimeStamp(settings::SettingsFile& settings, TimeStampKind kind,
                       const platform::ClockReading& reading, std::uint32_t currentReboot = 0);
  // The History value of restart currentReboot - 1, ending at bootUp and
  // measured from the shutdown stamp before it (FirstShutDown for restart 1,
  // LastShutDown for every later one). Nothing is written when a value is
  // already there (a start repeated with the same command line), when the
  // shutdown was never stamped, or when the duration cannot be right.
  bool RecordRebootDuration(settings::SettingsFile& settings, std::uint32_t currentReboot,
                            const platform::ClockReading& bootUp);
  // Adds what is now known of where the time of the restart kept under
  // `restartKey` ("Reboot 3") went; figures already kept stay unless `known`
  // has them too. Nothing is written for a restart without a History figure.
  bool RecordPhases(settings::SettingsFile& settings, const Text& restartKey,
                    const RestartPhases& known);
  // Keeps what was read at a restart request beside the stamps (a new
  // sequence clears it with them); a reading that is not known replaces an
  // earlier one by nothing.
  bool RecordRestartRequest(settings::SettingsFile& settings, const RestartRequest& request);
  // The start after the request: marks the restart kept under `restartKey`
  // (a mark already there stays; None marks nothing) and forgets the
  // request's reading, which a start repeated with the same command line
  // must not use again.
  bool RecordMark(settings::SettingsFile& settings, const Text& restartKey, RestartMark mark);
  // Which rule decided the desktop-ready moment of the restart kept under
  // `restartKey`. Nothing is written for a restart without a History figure.
  bool RecordReadyRule(settings::SettingsFile& settings, const Text& restartKey, ReadyRule rule);
  // Puts a stamp back as it was before (absent included): a restart that
  // was refused took no shutdown.
  void RestoreStamp(settings::SettingsFile& settings, StampName name, const Stamp& previous);

 private:
  bool Store(settings::SettingsFile& settings, StampName name,
             const platform::ClockReading& reading);

  std::array<Stamp, 4> stamps_;
  std::vector<RestartFigure> restarts_;
  RestartRequest request_;
};

}  // namespace twk::sequence
