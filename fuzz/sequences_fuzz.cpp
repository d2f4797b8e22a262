// Any text as the kept sequences: reading must not crash, every summary it
// accepts must write back as it read, and keeping one more sequence may drop
// only readable summaries (the oldest), never any other line.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "sequence/csv_export.h"
#include "sequence/history_window.h"
#include "sequence/sequence_archive.h"
#include "settings/catalogue.h"
#include "settings/ini_document.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using twk::Text;
  namespace seq = twk::sequence;
  twk::platform::FakeFileSystem fs;
  twk::platform::FakeAnsiCodePage ansi;
  fs.AddDrive(u'C');
  const Text path = u"C:\\Tarnwick\\TWK.ini";
  std::string bytes = "\xEF\xBB\xBF[Sequences]\n";
  bytes.append(reinterpret_cast<const char*>(data), size);
  bytes += "\n[History]\nReboot 1=45\nReboot 2=12.5\n";
  if (!fs.SetFile(path, bytes)) return 0;

  twk::settings::SettingsFile doc(fs, ansi);
  (void)doc.Load(path);
  const seq::KeptSequences kept = seq::ReadKeptSequences(doc);
  for (std::size_t i = 0; i < kept.sequences.size(); ++i) {
    const seq::SequenceSummary& s = kept.sequences[i];
    Require(s.number >= 1 && s.number <= kept.highestNumber);
    Require(i == 0 || kept.sequences[i - 1].number <= s.number);
    Require(!s.durations.empty());
    const auto again = seq::ParseSequence(s.key, seq::FormatSequenceValue(s));
    Require(again && again->durations == s.durations && again->average == s.average &&
            again->started == s.started);
    // Exact figures, when kept, stand beside every duration and read back.
    Require(s.exactMs.empty() || s.exactMs.size() == s.durations.size());
    const twk::Text exact = seq::FormatExactValue(s);
    Require(exact.empty() || seq::ParseExactValue(exact, s.durations.size()) == s.exactMs);
    // So do the phases (the input may bring a SequencesPhases section).
    Require(s.phases.empty() || s.phases.size() == s.durations.size());
    const twk::Text phases = seq::FormatPhasesValue(s);
    Require(phases.empty() || seq::ParsePhasesValue(phases, s.durations.size()) == s.phases);
    // And the marks (a SequencesMarks section).
    Require(s.marks.empty() || s.marks.size() == s.durations.size());
    const twk::Text marks = seq::FormatMarksValue(s);
    Require(marks.empty() || seq::ParseMarksValue(marks, s.durations.size()) == s.marks);
  }

  // The input may bring a History section of its own before ours.
  const bool hasCurrent = seq::CurrentSequence(seq::Measurements::Load(doc), 1).has_value();
  const auto all = seq::AllSequences(doc);
  Require(all.size() == kept.sequences.size() + (hasCurrent ? 1 : 0));
  const twk::ui::ChartData chart = seq::HistoryChart(all);
  Require(chart.bars.size() <= seq::kChartBars && !chart.ticks.empty());
  for (const auto& bar : chart.bars) Require(bar.value <= chart.ticks.back().value);
  Require(seq::HistoryRows(all).size() == all.size());
  // Every sequence's restarts, as choosing it shows them: a bar and a row
  // each, every bar within the scale.
  for (const auto& s : all) {
    const twk::ui::ChartData restarts = seq::RestartsChart(s);
    Require(restarts.bars.size() == s.durations.size() && !restarts.ticks.empty());
    for (const auto& bar : restarts.bars) Require(bar.value <= restarts.ticks.back().value);
    Require(seq::RestartRows(s).size() == s.durations.size());
    (void)seq::SpreadLine(s);
  }
  (void)seq::HistoryCsv(all, {});

  const std::vector<Text> before = doc.lines();
  const bool keptOne = seq::KeepFinishedSequence(doc, seq::Measurements::Load(doc));
  Require(keptOne == (hasCurrent && kept.highestNumber < seq::kLargestSequenceNumber));
  const Text newKey =
      twk::settings::SequenceKeyPrefix + twk::FormatUnsigned(kept.highestNumber + 1);
  const Text newLine = newKey + u"=";
  // A line under the new sequence's key in a section beside Sequences (its
  // summary removed by hand) is not kept: the new sequence's value takes it.
  const auto underNewKey = [&](const Text& line) {
    const std::size_t eq = line.find(u'=');
    if (eq == Text::npos) return false;
    Text keyText = line.substr(0, eq);
    twk::StripWhiteSpace(keyText, twk::Strip::Trailing);
    return seq::FoldedKey(keyText) == seq::FoldedKey(newKey);
  };
  // Every line that was there is still there, unless it was a readable
  // summary dropped for room.
  const std::vector<Text>& after = doc.lines();
  std::size_t at = 0;
  for (const Text& line : before) {
    if (keptOne && underNewKey(line) && at < after.size() && underNewKey(after[at])) {
      ++at;
      continue;
    }
    if (keptOne && at < after.size() && after[at] != line && after[at].starts_with(newLine)) ++at;
    if (at < after.size() && after[at] == line) {
      ++at;
      continue;
    }
    const std::size_t eq = line.find(u'=');
    Require(eq != Text::npos);
    Text keyText = line.substr(0, eq);
    twk::StripWhiteSpace(keyText, twk::Strip::Trailing);
    Require(std::any_of(kept.sequences.begin(), kept.sequences.end(),
                        [&](const seq::SequenceSummary& s) { return s.key == keyText; }));
  }
  if (keptOne) {
    Require(seq::ReadKeptSequences(doc).sequences.size() <=
            std::max<std::size_t>(twk::settings::MaxKeptSequences, 1));
  }
  return 0;
}
