#pragma once
// Every finished sequence is kept. A new sequence clears the measurements of
// the one before, so just before that happens its summary goes into section
// Sequences: the local date and time of its first shutdown, the average as
// the history list computes it and every restart's duration as stored. Only
// the newest kept summaries stay. A line that does not read as a summary
// (edited by hand, cut short) is skipped when read and left exactly as it is.
// The restarts' exact durations, where they were known, are kept under the
// same key in a section of their own (SequencesMilliseconds): one token per
// restart, whole milliseconds or "?" for one measured to the second only.
// Where each restart's time went is kept the same way (SequencesPhases): one
// group of the nine figures of RestartPhases per restart, joined by "/".
// The restarts' marks too (SequencesMarks): one field per restart, joined by
// ",", each a mark's name or empty for a plain restart ("updates,,extra
// boots" for three restarts), kept only when a restart is marked.
// Which rule decided each restart's desktop-ready moment is kept the same way
// (SequencesReadyBy): one token per restart, "cpu+disk", "cpu" or "?".
#include <cstdint>
#include <optional>
#include <vector>

#include "base/strings.h"
#include "sequence/measurements.h"
#include "sequence/restart_phases.h"
#include "settings/ini_document.h"

namespace twk::sequence {

struct SequenceSummary {
  // The key's number; for the sequence still in History, the number it will
  // be kept under.
  std::uint64_t number = 0;
  Text key;      // as written in the file (empty for the current sequence)
  Text started;  // "yyyy-mm-dd hh:mm", empty when the first shutdown was not stamped
  std::int32_t average = 0;
  std::vector<Text> durations;  // seconds, as stored, in restart order
  // Beside each duration, the milliseconds when known; empty when none is.
  std::vector<std::optional<std::int64_t>> exactMs;
  // Beside each duration, its phases; empty when none is known.
  std::vector<RestartPhases> phases;
  // Beside each duration, its mark; empty when no restart is marked.
  std::vector<RestartMark> marks = {};
  // Beside each duration, what decided its desktop-ready moment; empty when
  // none is known.
  std::vector<std::optional<ReadyRule>> readyBy;
  bool current = false;  // the sequence in History, not (yet) kept
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

// One kept line read back; none when it is damaged.
[[nodiscard]] std::optional<SequenceSummary> ParseSequence(const Text& key, const Text& value);
[[nodiscard]] Text FormatSequenceValue(const SequenceSummary& summary);
// The exact durations as kept ("61234 ? 50120"); empty when none is known.
[[nodiscard]] Text FormatExactValue(const SequenceSummary& summary);
// Read back for a summary of `count` restarts: empty when the text does not
// hold exactly that many tokens of the kept shape.
[[nodiscard]] std::vector<std::optional<std::int64_t>> ParseExactValue(const Text& value,
                                                                       std::size_t count);

// The phases as kept ("61200/3100/?/.. ?/?/?/.."); empty when no
// restart has one.
[[nodiscard]] Text FormatPhasesValue(const SequenceSummary& summary);
// Read back for a summary of `count` restarts: empty unless the text holds
// exactly that many groups of the kept shape.
[[nodiscard]] std::vector<RestartPhases> ParsePhasesValue(const Text& value, std::size_t count);

// The marks as kept ("updates,,extra boots"); empty when no restart is marked.
[[nodiscard]] Text FormatMarksValue(const SequenceSummary& summary);
// Read back for a summary of `count` restarts: empty unless the text holds
// exactly that many fields, each a mark's name or empty.
[[nodiscard]] std::vector<RestartMark> ParseMarksValue(const Text& value, std::size_t count);
// Whether restart i (from 0) is marked, and so left out of the statistics.
[[nodiscard]] bool IsMarked(const SequenceSummary& summary, std::size_t i);
// The rules as kept ("cpu+disk ? cpu"); empty when no restart has one.
[[nodiscard]] Text FormatReadyByValue(const SequenceSummary& summary);
// Read back for a summary of `count` restarts: empty unless the text holds
// exactly that many tokens of the kept shape.
[[nodiscard]] std::vector<std::optional<ReadyRule>> ParseReadyByValue(const Text& value,
                                                                      std::size_t count);

struct KeptSequences {
  std::vector<SequenceSummary> sequences;  // readable ones, oldest (lowest number) first
  std::uint64_t highestNumber = 0;         // of every Sequence key, damaged ones included
  std::size_t damaged = 0;                 // lines skipped
};
[[nodiscard]] KeptSequences ReadKeptSequences(const settings::SettingsFile& settings);

// The current sequence as it would be kept now; none when it has no figure.
[[nodiscard]] std::optional<SequenceSummary> CurrentSequence(const Measurements& measurements,
                                                             std::uint64_t number);

// Appends the current sequence to Sequences (when it has a figure) and
// drops the oldest readable summaries beyond the newest 50. True when a
// summary was appended. Called before History is cleared; saves nothing.
bool KeepFinishedSequence(settings::SettingsFile& settings, const Measurements& measurements);

// Kept sequences and then the current one, oldest first: what the history
// window and the export show.
[[nodiscard]] std::vector<SequenceSummary> AllSequences(const settings::SettingsFile& settings);

}  // namespace twk::sequence
