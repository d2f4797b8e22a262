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
#include "sequence/measurement_store.h"
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
  const seq::MeasurementStore read = seq::MeasurementStore::Read(doc);
  const std::vector<seq::SequenceSummary>& kept = read.kept();
  for (std::size_t i = 0; i < kept.size(); ++i) {
    const seq::SequenceSummary& s = kept[i];
    Require(s.number >= 1 && s.number <= read.highestKeptNumber());
    Require(i == 0 || kept[i - 1].number <= s.number);
    Require(!s.restarts.empty());
    // An inventory read from the file writes back to lines that read as it.
    if (s.inventory) {
      Require(seq::ParseInventory(seq::InventoryLines(*s.inventory)) == *s.inventory);
    }
    const auto again = seq::ParseSequence(s.key, seq::FormatSequenceValue(s));
    Require(again && again->average == s.average && again->started == s.started &&
            again->restarts.size() == s.restarts.size());
    for (std::size_t r = 0; r < s.restarts.size(); ++r) {
      Require(again->restarts[r].seconds == s.restarts[r].seconds);
    }
    // Every figure beside the line (the input may bring those sections)
    // reads back as it was written.
    for (const seq::KeptBeside kind : seq::kAllKeptBeside) {
      const twk::Text value = seq::FormatKeptBeside(kind, s);
      seq::SequenceSummary back = *again;
      back.restarts = s.restarts;
      Require(value.empty() || (seq::ReadKeptBeside(kind, value, back) && back.restarts == s.restarts));
    }
  }

  // The input may bring a History section of its own before ours.
  const bool hasCurrent = read.Current().has_value();
  const auto all = read.AllSequences();
  Require(all.size() == kept.size() + (hasCurrent ? 1 : 0));
  const twk::ui::ChartData chart = seq::HistoryChart(all);
  Require(chart.bars.size() <= seq::kChartBars && !chart.ticks.empty());
  for (const auto& bar : chart.bars) Require(bar.value <= chart.ticks.back().value);
  Require(seq::HistoryRows(all).size() == all.size());
  // Every sequence's restarts, as choosing it shows them: a bar and a row
  // each, every bar within the scale.
  for (const auto& s : all) {
    const twk::ui::ChartData restarts = seq::RestartsChart(s);
    Require(restarts.bars.size() == s.restarts.size() && !restarts.ticks.empty());
    for (const auto& bar : restarts.bars) Require(bar.value <= restarts.ticks.back().value);
    Require(seq::RestartRows(s).size() == s.restarts.size());
    (void)seq::SpreadLine(s);
  }
  (void)seq::HistoryCsv(all, {});

  const std::vector<Text> before = doc.lines();
  seq::MeasurementStore store = seq::MeasurementStore::Load(doc);
  const bool keptOne = store.KeepFinishedSequence();
  Require(keptOne == (hasCurrent && read.highestKeptNumber() < seq::kLargestSequenceNumber));
  const Text newKey =
      seq::file::SequenceKeyPrefix + twk::FormatUnsigned(read.highestKeptNumber() + 1);
  const Text newLine = newKey + u"=";
  // A line under the new sequence's key in a section beside Sequences (its
  // summary removed by hand) is not kept: the new sequence's value takes
  // its place, or it goes where the new sequence has no such figure.
  const auto underNewKey = [&](const Text& line) {
    const std::size_t eq = line.find(u'=');
    if (eq == Text::npos) return false;
    Text keyText = line.substr(0, eq);
    twk::StripWhiteSpace(keyText, twk::Strip::Trailing);
    return twk::FoldCase(keyText) == twk::FoldCase(newKey);
  };
  // Every line that was there is still there, unless it was a readable
  // summary dropped for room.
  // What starts with Windows moves with the sequence and goes with the last
  // sequence that names it: its sections are checked on their own below.
  const auto withoutInventories = [&doc](const std::vector<Text>& lines) {
    std::vector<Text> kept;
    bool inventory = false;
    const Text prefix = twk::FoldCase(Text(seq::file::section::InventoryPrefix));
    for (const Text& line : lines) {
      if (doc.IsSectionHeader(line)) {
        const Text name = twk::FoldCase(line.substr(1, line.find(u']', 2) - 1));
        inventory = name == twk::FoldCase(Text(seq::file::section::Inventories)) ||
                    name.starts_with(prefix);
      }
      if (!inventory) kept.push_back(line);
    }
    return kept;
  };
  const std::vector<Text> after = withoutInventories(doc.lines());
  std::size_t at = 0;
  for (const Text& line : withoutInventories(before)) {
    if (keptOne && underNewKey(line)) {
      // Replaced by the new sequence's value, or gone where it has none.
      if (at < after.size() && underNewKey(after[at])) ++at;
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
    Require(std::any_of(kept.begin(), kept.end(),
                        [&](const seq::SequenceSummary& s) { return s.key == keyText; }));
  }
  if (keptOne) {
    // The kept sequence has the inventory it had as the current one.
    const auto current = read.Current();
    const seq::MeasurementStore reread = seq::MeasurementStore::Read(doc);
    const auto found = std::find_if(reread.kept().begin(), reread.kept().end(),
                                    [&](const seq::SequenceSummary& s) { return s.key == newKey; });
    if (found != reread.kept().end()) {  // (a summary too long to read back is not)
      Require((found->inventory == nullptr) == (current->inventory == nullptr));
      Require(!found->inventory || *found->inventory == *current->inventory);
      // And every restart's busy programs and culprits as they were read.
      Require(found->restarts.size() == current->restarts.size());
      for (std::size_t r = 0; r < found->restarts.size(); ++r) {
        Require(found->restarts[r].busy == current->restarts[r].busy);
        Require(found->restarts[r].culprits == current->restarts[r].culprits);
      }
    }
    // The file keeps no more than the records say (a summary too long to
    // read back is kept but skipped, as any damaged line).
    const seq::MeasurementStore again = seq::MeasurementStore::Read(doc);
    Require(again.kept().size() <= store.kept().size());
    Require(again.kept().size() <= std::max<std::size_t>(seq::file::MaxKeptSequences, 1));
  }
  return 0;
}
