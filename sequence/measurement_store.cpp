#include "sequence/measurement_store.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <set>
#include <utility>

#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

namespace key = file::key;
namespace section = file::section;

constexpr const char16_t* kStampKeys[] = {key::FirstShutDown, key::FirstBootUp, key::LastShutDown,
                                          key::LastBootUp};

// A key of section Inventories as the document finds it: the first
// character exact, the rest ignoring case.
Text RefKey(const Text& key) { return key.empty() ? key : key.substr(0, 1) + FoldCase(key.substr(1)); }

Text StampKey(StampName name) { return kStampKeys[static_cast<std::size_t>(name)]; }
Text UtcKey(StampName name) { return StampKey(name) + key::UtcSuffix; }

// A kept UTC moment: a positive whole number, or nothing usable.
std::optional<std::int64_t> UtcMoment(const Text* text) {
  if (text == nullptr) return std::nullopt;
  const auto value = ParseWhole(*text);
  if (!value || *value <= 0) return std::nullopt;
  return value;
}

Stamp StampOf(const platform::ClockReading& reading) {
  Stamp stamp;
  stamp.local = static_cast<double>(reading.localSecond);
  stamp.text = FormatNumber(stamp.local);
  if (reading.utcMilliseconds > 0) stamp.utcMs = reading.utcMilliseconds;
  return stamp;
}

// A section walked once, its key lines by key (letter case folded; the
// first line of a key counts, as in every lookup of the document): a lookup
// per key would search the whole document for the section every time.
std::map<Text, Text> SectionValuesByKey(const settings::SettingsFile& settings, const Text& name) {
  std::map<Text, Text> values;
  for (auto& [key, value] : settings.Entries(name)) {
    values.try_emplace(FoldCase(key), std::move(value));
  }
  return values;
}

constexpr char16_t kUpdatesMark[] = u"updates";
constexpr char16_t kExtraBootsMark[] = u"extra boots";

}  // namespace

Text MarkName(RestartMark mark) {
  switch (mark) {
    case RestartMark::Updates:
      return kUpdatesMark;
    case RestartMark::ExtraBoots:
      return kExtraBootsMark;
    case RestartMark::None:
      break;
  }
  return Text();
}

std::optional<RestartMark> ParseMark(const Text& text) {
  if (EqualsIgnoreCase(text, kUpdatesMark)) return RestartMark::Updates;
  if (EqualsIgnoreCase(text, kExtraBootsMark)) return RestartMark::ExtraBoots;
  return std::nullopt;
}

std::optional<Duration> DurationBetween(const Stamp& shutdown, const Stamp& bootUp) {
  if (!shutdown.present() || !bootUp.present()) return std::nullopt;
  if (shutdown.utcMs && bootUp.utcMs) {
    const std::int64_t ms = *bootUp.utcMs - *shutdown.utcMs;
    if (ms < 0) return std::nullopt;
    return Duration{static_cast<double>(ms / 1000), ms};
  }
  const double seconds = bootUp.local - shutdown.local;
  if (!(seconds >= 0)) return std::nullopt;
  return Duration{seconds, std::nullopt};
}

Text FormatMilliseconds(std::int64_t milliseconds) {
  const bool negative = milliseconds < 0;
  const std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(milliseconds)
                                           : static_cast<std::uint64_t>(milliseconds);
  Text text = (negative ? u"-" : u"") + FormatUnsigned(magnitude / 1000);
  std::uint64_t fraction = magnitude % 1000;
  if (fraction == 0) return text;
  Text decimals = FormatUnsigned(fraction);
  decimals.insert(0, 3 - decimals.size(), u'0');
  while (decimals.back() == u'0') decimals.pop_back();
  return text + u"." + decimals;
}

Text RestartKey(std::uint32_t restart) { return file::HistoryKeyPrefix + FormatUnsigned(restart); }

MeasurementStore MeasurementStore::Load(settings::SettingsFile& file) {
  MeasurementStore m = Read(file);
  m.file_ = &file;
  return m;
}

MeasurementStore MeasurementStore::Read(const settings::SettingsFile& settings) {
  MeasurementStore m;
  const std::map<Text, Text> stamps = SectionValuesByKey(settings, section::TimeStamps);
  const auto find = [&stamps](const Text& key) {
    const auto found = stamps.find(FoldCase(key));
    return found != stamps.end() ? &found->second : nullptr;
  };
  for (std::size_t i = 0; i < m.stamps_.size(); ++i) {
    const auto name = static_cast<StampName>(i);
    Stamp& stamp = m.stamps_[i];
    if (const Text* text = find(StampKey(name))) {
      stamp.text = *text;
      stamp.local = ParseStamp(*text);
    }
    stamp.utcMs = UtcMoment(find(UtcKey(name)));
  }
  if (const Text* waiting = find(key::ShutDownUpdatesWaiting)) {
    m.request_.updatesWaiting = ToInteger(*waiting) != 0;
  }
  if (const Text* bootId = find(key::ShutDownBootId)) {
    const auto value = ParseWhole(*bootId);
    if (value && *value >= 0 && *value <= 0xFFFFFFFF) {
      m.request_.bootId = static_cast<std::uint32_t>(*value);
    }
  }
  const std::map<Text, Text> marks = SectionValuesByKey(settings, section::RestartMarks);
  const std::map<Text, Text> exact = SectionValuesByKey(settings, section::HistoryMilliseconds);
  const std::map<Text, Text> phases = SectionValuesByKey(settings, section::RestartPhases);
  const std::map<Text, Text> readyBy = SectionValuesByKey(settings, section::RestartReadyBy);
  const std::map<Text, Text> busy = SectionValuesByKey(settings, section::RestartBusy);
  const std::map<Text, Text> culprits = SectionValuesByKey(settings, section::RestartCulprits);
  for (auto& [key, seconds] : settings.Entries(section::History)) {
    RestartFigure figure;
    figure.key = std::move(key);
    figure.seconds = std::move(seconds);
    if (const auto found = phases.find(FoldCase(figure.key)); found != phases.end()) {
      figure.phases = ParsePhases(found->second).value_or(RestartPhases{});
    }
    if (const auto found = marks.find(FoldCase(figure.key)); found != marks.end()) {
      figure.mark = ParseMark(found->second).value_or(RestartMark::None);
    }
    if (const auto found = readyBy.find(FoldCase(figure.key)); found != readyBy.end()) {
      figure.readyBy = ParseReadyRule(found->second);
    }
    if (const auto found = busy.find(FoldCase(figure.key)); found != busy.end()) {
      figure.busy = ParseBusyReading(found->second);
    }
    if (const auto found = culprits.find(FoldCase(figure.key)); found != culprits.end()) {
      figure.culprits = ParseCulprits(found->second);
    }
    figure.wholeSeconds = ToInteger(figure.seconds);
    // Only where it agrees with the whole seconds beside it: a value edited
    // by hand leaves the exact figure unknown rather than contradicting it.
    if (const auto found = exact.find(FoldCase(figure.key)); found != exact.end()) {
      const auto ms = ParseWhole(found->second);
      if (ms && *ms >= 0 && ParseStamp(figure.seconds) == static_cast<double>(*ms / 1000)) {
        figure.exactMs = ms;
      }
    }
    m.restarts_.push_back(std::move(figure));
  }
  m.ReadInventories(settings);
  m.ReadKept(settings);
  const auto machine = [&settings](const char16_t* key) {
    const Text* v = settings.GetValue(section::Machine, key);
    return v != nullptr ? *v : Text();
  };
  m.machine_ = {machine(key::ComputerName), machine(key::DiskKind)};
  return m;
}

void MeasurementStore::ReadInventories(const settings::SettingsFile& settings) {
  for (const auto& [key, id] : settings.Entries(section::Inventories)) {
    const Text folded = RefKey(key);
    // The first line of a key counts, as for every lookup of the document.
    if (inventoryRefs_.count(folded) != 0) continue;
    inventoryRefs_[folded] = id;
    if (id.empty() || inventories_.count(FoldCase(id)) != 0) continue;
    std::vector<InventoryLine> lines;
    for (auto& [name, value] : settings.Entries(section::InventoryPrefix + id)) {
      lines.push_back({std::move(name), std::move(value)});
    }
    // A reference to an inventory that is not there is no inventory.
    if (!lines.empty()) {
      inventories_[FoldCase(id)] = std::make_shared<const Inventory>(ParseInventory(lines));
    }
  }
}

std::shared_ptr<const Inventory> MeasurementStore::InventoryOf(const Text& id) const {
  const auto found = inventories_.find(FoldCase(id));
  return found == inventories_.end() ? nullptr : found->second;
}

void MeasurementStore::Refer(const Text& key, const Text& id) {
  const Text folded = RefKey(key);
  const Text old = inventoryRefs_.count(folded) != 0 ? inventoryRefs_[folded] : Text();
  if (id.empty()) {
    inventoryRefs_.erase(folded);
    // Every line of the key: a second one left by a hand edit would name an
    // inventory once the first is gone.
    while (Remove(section::Inventories, key)) {
    }
  } else {
    inventoryRefs_[folded] = id;
    (void)Set(section::Inventories, key, id);
  }
  // Ids name sections, which are found ignoring letter case.
  if (old.empty() || EqualsIgnoreCase(old, id)) return;
  for (const auto& [k, other] : inventoryRefs_) {
    if (EqualsIgnoreCase(other, old)) return;
  }
  inventories_.erase(FoldCase(old));
  RemoveSection(section::InventoryPrefix + old);
}

bool MeasurementStore::RecordInventory(const Inventory& inventory) {
  const std::vector<InventoryLine> lines = InventoryLines(inventory);
  const Text id = InventoryId(lines);
  const Text current = key::CurrentInventory;
  const auto ref = inventoryRefs_.find(RefKey(current));
  if (ref != inventoryRefs_.end() && ref->second == id && inventories_.count(id) != 0) return false;
  if (inventories_.count(id) == 0) {  // (an id is written in lower case)
    // Written whole before anything points at it.
    RemoveSection(section::InventoryPrefix + id);
    const Text name = section::InventoryPrefix + id;
    for (const InventoryLine& line : lines) (void)Set(name, line.key, line.value);
    inventories_[id] = std::make_shared<const Inventory>(inventory);
  }
  Refer(current, id);
  return true;
}

void MeasurementStore::ReadKept(const settings::SettingsFile& settings) {
  const std::vector<settings::KeyValue> lines = settings.Entries(section::Sequences);
  if (lines.empty()) return;
  std::map<Text, Text> beside[std::size(kAllKeptBeside)];
  for (const KeptBeside kind : kAllKeptBeside) {
    beside[static_cast<std::size_t>(kind)] = SectionValuesByKey(settings, KeptBesideSection(kind));
  }
  // Like every lookup of the document, the first line of a key is the one
  // that counts; later lines of the same key are left alone.
  std::set<Text> seen;
  for (const auto& [keyText, value] : lines) {
    const auto number = SequenceKeyNumber(keyText);
    if (!number) {
      ++damagedKept_;
      continue;
    }
    highestKeptNumber_ = std::max(highestKeptNumber_, *number);
    if (!seen.insert(FoldCase(keyText)).second) {
      ++damagedKept_;
      continue;
    }
    auto summary = ParseSequence(keyText, value);
    if (!summary) {
      ++damagedKept_;
      continue;
    }
    const Text folded = FoldCase(keyText);
    for (const KeptBeside kind : kAllKeptBeside) {
      const auto& values = beside[static_cast<std::size_t>(kind)];
      // A value that does not fit the line leaves that figure unknown.
      if (const auto found = values.find(folded); found != values.end()) {
        (void)ReadKeptBeside(kind, found->second, *summary);
      }
    }
    const auto ref = inventoryRefs_.find(RefKey(keyText));
    if (ref != inventoryRefs_.end()) summary->inventory = InventoryOf(ref->second);
    kept_.push_back(std::move(*summary));
  }
  std::stable_sort(
      kept_.begin(), kept_.end(),
      [](const SequenceSummary& a, const SequenceSummary& b) { return a.number < b.number; });
}

bool MeasurementStore::Set(const Text& sectionName, const Text& keyName, const Text& value) {
  if (file_ == nullptr) return false;
  // A key that already holds the value keeps its line as it was read
  // (blanks around "=" included): only what changed is written back.
  if (const Text* stored = file_->GetValue(sectionName, keyName); stored && *stored == value) {
    return true;
  }
  return file_->Set(sectionName, keyName, value);
}

bool MeasurementStore::Remove(const Text& sectionName, const Text& keyName) {
  return file_ != nullptr && file_->Remove(sectionName, keyName);
}

void MeasurementStore::RemoveSection(const Text& sectionName) {
  if (file_ != nullptr) file_->RemoveSection(sectionName);
}

const Text* MeasurementStore::Stored(const Text& sectionName, const Text& keyName) const {
  return file_ != nullptr ? file_->GetValue(sectionName, keyName) : nullptr;
}

std::optional<std::int32_t> MeasurementStore::Average() const {
  std::int64_t sum = 0;
  for (const RestartFigure& figure : restarts_) sum += figure.wholeSeconds;
  return HistoryAverage(sum, static_cast<std::int32_t>(restarts_.size()));
}

bool MeasurementStore::Store(StampName name, const platform::ClockReading& reading) {
  Stamp stamp = StampOf(reading);
  bool written = Set(section::TimeStamps, StampKey(name), stamp.text);
  if (stamp.utcMs) {
    written = Set(section::TimeStamps, UtcKey(name), FormatSigned(*stamp.utcMs)) || written;
  } else {
    // A moment of an earlier stamp must not pair with this one.
    (void)Remove(section::TimeStamps, UtcKey(name));
  }
  stamps_[static_cast<std::size_t>(name)] = std::move(stamp);
  return written;
}

bool MeasurementStore::RecordTimeStamp(TimeStampKind kind, const platform::ClockReading& reading,
                                       std::uint32_t currentReboot) {
  switch (kind) {
    case TimeStampKind::SequenceStart:
      // A new sequence: nothing of the previous one may be mistaken for it,
      // but its summary is kept, so that it can be compared with the next.
      (void)KeepFinishedSequence();
      // A sequence without a figure is not kept, nor what started with it.
      Refer(key::CurrentInventory, Text());
      RemoveSection(section::TimeStamps);
      RemoveSection(section::History);
      RemoveSection(section::HistoryMilliseconds);
      RemoveSection(section::RestartPhases);
      RemoveSection(section::RestartMarks);
      RemoveSection(section::RestartReadyBy);
      RemoveSection(section::RestartBusy);
      RemoveSection(section::RestartCulprits);
      stamps_ = {};
      restarts_.clear();
      request_ = {};
      return Store(StampName::FirstShutDown, reading);
    case TimeStampKind::FirstBootUp: {
      // A start repeated after restart 1 was measured (started again by
      // hand) keeps the first stamp, as it keeps the figure: a new stamp
      // would make the report's first duration disagree with the list.
      const Text* measured = Stored(section::History, RestartKey(currentReboot - 1));
      if (measured != nullptr && !measured->empty()) return false;
      // One reading for both, so that FirstBootUp and the duration of
      // restart 1 agree.
      const bool stamped = Store(StampName::FirstBootUp, reading);
      return RecordRebootDuration(currentReboot, reading) || stamped;
    }
    case TimeStampKind::LastShutDown:
      return Store(StampName::LastShutDown, reading);
    case TimeStampKind::LastBootUp:
      // A stamp is already there when the result start runs a second time
      // (e.g. relaunched elevated): the first reading is the measurement.
      if (stamp(StampName::LastBootUp).text.size() > 5) return false;
      return Store(StampName::LastBootUp, reading);
  }
  return false;
}

bool MeasurementStore::RecordRebootDuration(std::uint32_t currentReboot,
                                            const platform::ClockReading& bootUp) {
  // Restart 1 was requested by the setup, every later one by a reboot step.
  // Without a shutdown stamp (a damaged file, a step started by hand) the
  // difference would be the whole clock reading, some four centuries: such a
  // figure would swamp the list's average. Nor is a negative one recorded:
  // the clock was set back in between, and the figure means nothing.
  const Stamp& shutdown =
      stamp(currentReboot == 2 ? StampName::FirstShutDown : StampName::LastShutDown);
  const auto duration = DurationBetween(shutdown, StampOf(bootUp));
  if (!duration) return false;

  const Text historyKey = RestartKey(currentReboot - 1);
  const Text* existing = Stored(section::History, historyKey);
  if (existing != nullptr && !existing->empty()) return false;
  RestartFigure figure;
  figure.key = historyKey;
  figure.seconds = FormatNumber(duration->seconds);
  figure.exactMs = duration->milliseconds;
  figure.wholeSeconds = ToInteger(figure.seconds);
  if (!Set(section::History, historyKey, figure.seconds)) return false;
  if (figure.exactMs) {
    (void)Set(section::HistoryMilliseconds, historyKey, FormatSigned(*figure.exactMs));
  } else {
    (void)Remove(section::HistoryMilliseconds, historyKey);
  }
  // An empty value of the same key was filled in place; otherwise the key
  // is new and comes last.
  for (RestartFigure& known : restarts_) {
    if (EqualsIgnoreCase(known.key, historyKey)) {
      known = figure;
      return true;
    }
  }
  restarts_.push_back(std::move(figure));
  return true;
}

bool MeasurementStore::RecordPhases(const Text& restartKey, const RestartPhases& known) {
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey)) continue;
    if (!figure.phases.Merge(known)) return false;
    return Set(section::RestartPhases, figure.key, FormatPhases(figure.phases));
  }
  return false;
}

bool MeasurementStore::RecordRestartRequest(const RestartRequest& request) {
  bool written = false;
  if (request.updatesWaiting) {
    written = Set(section::TimeStamps, key::ShutDownUpdatesWaiting, settings::SwitchOn);
  } else {
    written = Remove(section::TimeStamps, key::ShutDownUpdatesWaiting);
  }
  if (request.bootId) {
    written =
        Set(section::TimeStamps, key::ShutDownBootId, FormatUnsigned(*request.bootId)) || written;
  } else {
    // The counter of an earlier request must not pair with this restart.
    written = Remove(section::TimeStamps, key::ShutDownBootId) || written;
  }
  request_ = request;
  return written;
}

bool MeasurementStore::RecordMark(const Text& restartKey, RestartMark mark) {
  bool written = Remove(section::TimeStamps, key::ShutDownUpdatesWaiting);
  written = Remove(section::TimeStamps, key::ShutDownBootId) || written;
  request_ = {};
  if (mark == RestartMark::None) return written;
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey) || figure.mark != RestartMark::None) continue;
    figure.mark = mark;
    return Set(section::RestartMarks, figure.key, MarkName(mark)) || written;
  }
  return written;
}

bool MeasurementStore::RecordReadyRule(const Text& restartKey, ReadyRule rule) {
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey)) continue;
    if (figure.readyBy == rule) return false;
    figure.readyBy = rule;
    return Set(section::RestartReadyBy, figure.key, ReadyRuleName(rule));
  }
  return false;
}

bool MeasurementStore::RecordBusyPrograms(const Text& restartKey, const BusyReading& reading) {
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey)) continue;
    if (figure.busy) return false;
    figure.busy = reading;
    return Set(section::RestartBusy, figure.key, FormatBusyReading(reading));
  }
  return false;
}

bool MeasurementStore::RecordCulprits(const Text& restartKey,
                                      const std::vector<BootCulprit>& culprits) {
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey)) continue;
    if (figure.culprits == culprits) return false;
    figure.culprits = culprits;
    return Set(section::RestartCulprits, figure.key, FormatCulprits(culprits));
  }
  return false;
}

const Inventory* MeasurementStore::currentInventory() const {
  const auto ref = inventoryRefs_.find(RefKey(key::CurrentInventory));
  if (ref == inventoryRefs_.end()) return nullptr;
  return InventoryOf(ref->second).get();
}

void MeasurementStore::RestoreStamp(StampName name, const Stamp& previous) {
  if (previous.text.empty()) {
    (void)Remove(section::TimeStamps, StampKey(name));
  } else {
    (void)Set(section::TimeStamps, StampKey(name), previous.text);
  }
  if (previous.utcMs) {
    (void)Set(section::TimeStamps, UtcKey(name), FormatSigned(*previous.utcMs));
  } else {
    (void)Remove(section::TimeStamps, UtcKey(name));
  }
  stamps_[static_cast<std::size_t>(name)] = previous;
}

std::optional<SequenceSummary> MeasurementStore::Current() const {
  if (restarts_.empty()) return std::nullopt;
  SequenceSummary summary;
  summary.number = highestKeptNumber_ + 1;
  summary.current = true;
  for (RestartFigure figure : restarts_) {
    figure.key.clear();
    // The list adds every row's leading digits; a value it cannot read as a
    // number is kept as what it added, so that the summary reads back.
    if (!IsKeptDuration(figure.seconds)) {
      figure.seconds = FormatSigned(figure.wholeSeconds);
      figure.exactMs.reset();
    }
    summary.restarts.push_back(std::move(figure));
  }
  summary.average = Average().value_or(0);
  const auto ref = inventoryRefs_.find(RefKey(key::CurrentInventory));
  if (ref != inventoryRefs_.end()) summary.inventory = InventoryOf(ref->second);
  const double second = stamp(StampName::FirstShutDown).local;
  // Beyond 2^53 a double no longer holds whole seconds, and far beyond any
  // date the summary can show.
  if (std::isfinite(second) && second >= 1 && second < 9.0e15) {
    summary.started = StartedText(static_cast<std::uint64_t>(second));
  }
  return summary;
}

std::vector<SequenceSummary> MeasurementStore::AllSequences() const {
  std::vector<SequenceSummary> all = kept_;
  if (auto current = Current()) all.push_back(std::move(*current));
  return all;
}

bool MeasurementStore::KeepFinishedSequence() {
  if (highestKeptNumber_ >= kLargestSequenceNumber) return false;
  auto current = Current();
  if (!current) return false;
  const Text newKey = file::SequenceKeyPrefix + FormatUnsigned(current->number);
  if (!Set(section::Sequences, newKey, FormatSequenceValue(*current))) return false;
  for (const KeptBeside kind : kAllKeptBeside) {
    const Text value = FormatKeptBeside(kind, *current);
    if (!value.empty()) {
      (void)Set(KeptBesideSection(kind), newKey, value);
    } else {
      // A line left under the new key (its summary removed by hand) would
      // give this sequence figures it never had: every line of it goes.
      while (Remove(KeptBesideSection(kind), newKey)) {
      }
    }
  }
  // Its inventory goes with it (a reference left under the new key by a
  // hand edit names no inventory of this sequence); the next sequence
  // records its own.
  const auto ref = inventoryRefs_.find(RefKey(key::CurrentInventory));
  const Text id = ref != inventoryRefs_.end() ? ref->second : Text();
  Refer(newKey, id);
  Refer(key::CurrentInventory, Text());
  current->key = newKey;
  current->current = false;
  highestKeptNumber_ = current->number;
  kept_.push_back(std::move(*current));
  // The oldest readable summaries make room; a damaged line is not ours to drop.
  while (kept_.size() > file::MaxKeptSequences) {
    (void)Remove(section::Sequences, kept_.front().key);
    for (const KeptBeside kind : kAllKeptBeside) {
      (void)Remove(KeptBesideSection(kind), kept_.front().key);
    }
    Refer(kept_.front().key, Text());
    kept_.erase(kept_.begin());
  }
  return true;
}

bool MeasurementStore::RecordMachine(const MachineIdentity& machine) {
  bool written = false;
  for (const auto& [keyName, value] :
       {std::pair{key::ComputerName, machine.computer}, std::pair{key::DiskKind, machine.disk}}) {
    if (value.empty()) {
      written = Remove(section::Machine, keyName) || written;
    } else {
      written = Set(section::Machine, keyName, value) || written;
    }
  }
  machine_ = machine;
  return written;
}

std::optional<std::int32_t> HistoryAverage(std::int64_t sum, std::int32_t count) {
  if (count == 0 || sum == 0) return std::nullopt;
  const std::int64_t average = sum / count;  // truncates toward zero
  // The values are 32-bit, but rows whose time column could not be set are
  // summed without being counted, so the quotient can leave the range.
  constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
  constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(average < kMin ? kMin : average > kMax ? kMax : average);
}

}  // namespace twk::sequence
