#include "sequence/measurements.h"

#include <limits>
#include <map>
#include <utility>

#include "sequence/sequence_archive.h"
#include "sequence/time_stamps.h"
#include "settings/catalogue.h"

namespace twk::sequence {
namespace {

namespace key = settings::key;
namespace section = settings::section;

constexpr const char16_t* kStampKeys[] = {key::FirstShutDown, key::FirstBootUp, key::LastShutDown,
                                          key::LastBootUp};

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

Text FoldedKey(const Text& key) {
  Text folded = key;
  for (char16_t& c : folded) c = FoldCase(c);
  return folded;
}

std::map<Text, Text> SectionValuesByKey(const settings::SettingsFile& settings, const Text& name) {
  std::map<Text, Text> values;
  for (auto& [key, value] : settings.Entries(name)) {
    values.try_emplace(FoldedKey(key), std::move(value));
  }
  return values;
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

Text FormatWhole(std::int64_t value) {
  // Through the unsigned magnitude so that the most negative value works too.
  std::uint64_t magnitude =
      value < 0 ? 0 - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  Text digits = FormatUnsigned(magnitude);
  return value < 0 ? u"-" + digits : digits;
}

std::optional<std::int64_t> ParseWhole(const Text& text) {
  std::size_t at = text.size() > 1 && text[0] == u'-' ? 1 : 0;
  if (at == text.size()) return std::nullopt;
  std::uint64_t magnitude = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < u'0' || text[at] > u'9') return std::nullopt;
    const std::uint64_t digit = static_cast<std::uint64_t>(text[at] - u'0');
    if (magnitude >
        (static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()) - digit) / 10) {
      return std::nullopt;
    }
    magnitude = magnitude * 10 + digit;
  }
  const auto value = static_cast<std::int64_t>(magnitude);
  return text[0] == u'-' ? -value : value;
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

Measurements Measurements::Load(const settings::SettingsFile& settings) {
  // Each section walked once: a lookup per key would search the whole
  // document for the section every time.
  Measurements m;
  const std::map<Text, Text> stamps = SectionValuesByKey(settings, section::TimeStamps);
  const auto find = [&stamps](const Text& key) {
    const auto found = stamps.find(FoldedKey(key));
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
  for (auto& [key, seconds] : settings.Entries(section::History)) {
    RestartFigure figure{std::move(key),    std::move(seconds), 0, std::nullopt, {},
                         RestartMark::None, std::nullopt};
    if (const auto found = phases.find(FoldedKey(figure.key)); found != phases.end()) {
      figure.phases = ParsePhases(found->second).value_or(RestartPhases{});
    }
    if (const auto found = marks.find(FoldedKey(figure.key)); found != marks.end()) {
      figure.mark = ParseMark(found->second).value_or(RestartMark::None);
    }
    if (const auto found = readyBy.find(FoldedKey(figure.key)); found != readyBy.end()) {
      figure.readyBy = ParseReadyRule(found->second);
    }
    figure.wholeSeconds = ToInteger(figure.seconds);
    // Only where it agrees with the whole seconds beside it: a value edited
    // by hand leaves the exact figure unknown rather than contradicting it.
    if (const auto found = exact.find(FoldedKey(figure.key)); found != exact.end()) {
      const auto ms = ParseWhole(found->second);
      if (ms && *ms >= 0 && ParseStamp(figure.seconds) == static_cast<double>(*ms / 1000)) {
        figure.exactMs = ms;
      }
    }
    m.restarts_.push_back(std::move(figure));
  }
  return m;
}

std::optional<std::int32_t> Measurements::Average() const {
  std::int64_t sum = 0;
  for (const RestartFigure& figure : restarts_) sum += figure.wholeSeconds;
  return HistoryAverage(sum, static_cast<std::int32_t>(restarts_.size()));
}

bool Measurements::Store(settings::SettingsFile& settings, StampName name,
                         const platform::ClockReading& reading) {
  Stamp stamp = StampOf(reading);
  bool written = settings.Set(section::TimeStamps, StampKey(name), stamp.text);
  if (stamp.utcMs) {
    written = settings.Set(section::TimeStamps, UtcKey(name), FormatWhole(*stamp.utcMs)) || written;
  } else {
    // A moment of an earlier stamp must not pair with this one.
    (void)settings.Remove(section::TimeStamps, UtcKey(name));
  }
  stamps_[static_cast<std::size_t>(name)] = std::move(stamp);
  return written;
}

bool Measurements::RecordTimeStamp(settings::SettingsFile& settings, TimeStampKind kind,
                                   const platform::ClockReading& reading,
                                   std::uint32_t currentReboot) {
  switch (kind) {
    case TimeStampKind::SequenceStart:
      // A new sequence: nothing of the previous one may be mistaken for it,
      // but its summary is kept, so that it can be compared with the next.
      (void)KeepFinishedSequence(settings, *this);
      settings.RemoveSection(section::TimeStamps);
      settings.RemoveSection(section::History);
      settings.RemoveSection(section::HistoryMilliseconds);
      settings.RemoveSection(section::RestartPhases);
      settings.RemoveSection(section::RestartMarks);
      settings.RemoveSection(section::RestartReadyBy);
      stamps_ = {};
      restarts_.clear();
      request_ = {};
      return Store(settings, StampName::FirstShutDown, reading);
    case TimeStampKind::FirstBootUp: {
      // A start repeated after restart 1 was measured (started again by
      // hand) keeps the first stamp, as it keeps the figure: a new stamp
      // would make the report's first duration disagree with the list.
      const Text* measured =
          settings.GetValue(section::History, settings::HistoryKey(currentReboot - 1));
      if (measured != nullptr && !measured->empty()) return false;
      // One reading for both, so that FirstBootUp and the duration of
      // restart 1 agree.
      const bool stamped = Store(settings, StampName::FirstBootUp, reading);
      return RecordRebootDuration(settings, currentReboot, reading) || stamped;
    }
    case TimeStampKind::LastShutDown:
      return Store(settings, StampName::LastShutDown, reading);
    case TimeStampKind::LastBootUp:
      // A stamp is already there when the result start runs a second time
      // (e.g. relaunched elevated): the first reading is the measurement.
      if (stamp(StampName::LastBootUp).text.size() > 5) return false;
      return Store(settings, StampName::LastBootUp, reading);
  }
  return false;
}

bool Measurements::RecordRebootDuration(settings::SettingsFile& settings,
                                        std::uint32_t currentReboot,
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

  const Text historyKey = settings::HistoryKey(currentReboot - 1);
  const Text* existing = settings.GetValue(section::History, historyKey);
  if (existing != nullptr && !existing->empty()) return false;
  RestartFigure figure{historyKey,  FormatNumber(duration->seconds),
                       0,           duration->milliseconds,
                       {},          RestartMark::None,
                       std::nullopt};
  figure.wholeSeconds = ToInteger(figure.seconds);
  if (!settings.Set(section::History, historyKey, figure.seconds)) return false;
  if (figure.exactMs) {
    (void)settings.Set(section::HistoryMilliseconds, historyKey, FormatWhole(*figure.exactMs));
  } else {
    (void)settings.Remove(section::HistoryMilliseconds, historyKey);
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

bool Measurements::RecordPhases(settings::SettingsFile& settings, const Text& restartKey,
                                const RestartPhases& known) {
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey)) continue;
    if (!figure.phases.Merge(known)) return false;
    return settings.Set(section::RestartPhases, figure.key, FormatPhases(figure.phases));
  }
  return false;
}

bool Measurements::RecordRestartRequest(settings::SettingsFile& settings,
                                        const RestartRequest& request) {
  bool written = false;
  if (request.updatesWaiting) {
    written = settings.Set(section::TimeStamps, key::ShutDownUpdatesWaiting, settings::SwitchOn);
  } else {
    written = settings.Remove(section::TimeStamps, key::ShutDownUpdatesWaiting);
  }
  if (request.bootId) {
    written =
        settings.Set(section::TimeStamps, key::ShutDownBootId, FormatUnsigned(*request.bootId)) ||
        written;
  } else {
    // The counter of an earlier request must not pair with this restart.
    written = settings.Remove(section::TimeStamps, key::ShutDownBootId) || written;
  }
  request_ = request;
  return written;
}

bool Measurements::RecordMark(settings::SettingsFile& settings, const Text& restartKey,
                              RestartMark mark) {
  bool written = settings.Remove(section::TimeStamps, key::ShutDownUpdatesWaiting);
  written = settings.Remove(section::TimeStamps, key::ShutDownBootId) || written;
  request_ = {};
  if (mark == RestartMark::None) return written;
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey) || figure.mark != RestartMark::None) continue;
    figure.mark = mark;
    return settings.Set(section::RestartMarks, figure.key, MarkName(mark)) || written;
  }
  return written;
}

bool Measurements::RecordReadyRule(settings::SettingsFile& settings, const Text& restartKey,
                                   ReadyRule rule) {
  for (RestartFigure& figure : restarts_) {
    if (!EqualsIgnoreCase(figure.key, restartKey)) continue;
    if (figure.readyBy == rule) return false;
    figure.readyBy = rule;
    return settings.Set(section::RestartReadyBy, figure.key, ReadyRuleName(rule));
  }
  return false;
}

void Measurements::RestoreStamp(settings::SettingsFile& settings, StampName name,
                                const Stamp& previous) {
  if (previous.text.empty()) {
    (void)settings.Remove(section::TimeStamps, StampKey(name));
  } else {
    (void)settings.Set(section::TimeStamps, StampKey(name), previous.text);
  }
  if (previous.utcMs) {
    (void)settings.Set(section::TimeStamps, UtcKey(name), FormatWhole(*previous.utcMs));
  } else {
    (void)settings.Remove(section::TimeStamps, UtcKey(name));
  }
  stamps_[static_cast<std::size_t>(name)] = previous;
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
