// The values of the kept sequences' lines, written and read back.
//
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
#include <algorithm>
#include <cmath>
#include <limits>

#include "sequence/measurement_store.h"

namespace twk::sequence {
namespace {

constexpr std::uint64_t kSecondsPerDay = 86400;
// Days from 1601-01-01, where the clock counts from, to 1970-01-01, where
// the calendar arithmetic below counts from.
constexpr std::int64_t kDays1601To1970 = 134774;

// Digits, optionally after a minus sign.
bool IsWholeNumber(const Text& text, std::size_t from, std::size_t to) {
  if (from < to && text[from] == u'-') ++from;
  if (from == to) return false;
  for (std::size_t i = from; i < to; ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return true;
}

// A duration as the recorder writes them: a whole number or one with a
// fraction, "-" allowed (a clock set back between two stamps).
bool IsDuration(const Text& text, std::size_t from, std::size_t to) {
  const std::size_t dot = text.find(u'.', from);
  if (dot == Text::npos || dot >= to) return IsWholeNumber(text, from, to);
  if (dot + 1 == to) return false;
  for (std::size_t i = dot + 1; i < to; ++i) {
    if (!IsDigit(text[i])) return false;
  }
  return IsWholeNumber(text, from, dot);
}

// "yyyy-mm-dd hh:mm" with digits where digits belong.
bool IsStartedText(const Text& text, std::size_t from, std::size_t to) {
  if (from == to) return true;  // the first shutdown was never stamped
  static constexpr char16_t kShape[] = u"0000-00-00 00:00";
  if (to - from != 16) return false;
  for (std::size_t i = 0; i < 16; ++i) {
    const char16_t c = text[from + i];
    if (kShape[i] == u'0' ? !IsDigit(c) : c != kShape[i]) return false;
  }
  return true;
}

Text TwoDigits(unsigned value) {
  Text t = FormatUnsigned(value);
  return value < 10 ? u"0" + t : t;
}

}  // namespace

bool IsKeptDuration(const Text& text) { return IsDuration(text, 0, text.size()); }

Text StartedText(std::uint64_t second) {
  if (second == 0) return Text();
  // Civil date from a day count (the proleptic Gregorian calendar, which the
  // system's local time follows back to 1601).
  const std::int64_t days = static_cast<std::int64_t>(second / kSecondsPerDay) - kDays1601To1970;
  const std::uint64_t inDay = second % kSecondsPerDay;
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t day = doy - (153 * mp + 2) / 5 + 1;
  const std::int64_t month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = yoe + era * 400 + (month <= 2 ? 1 : 0);
  // A stamp edited far into the future would not fit the four digits the
  // summary's date has; it is better left out than kept unreadable.
  if (year > 9999) return Text();
  Text year4 = FormatUnsigned(static_cast<std::uint64_t>(year));
  year4.insert(0, 4 - year4.size(), u'0');
  return year4 + u"-" + TwoDigits(static_cast<unsigned>(month)) + u"-" +
         TwoDigits(static_cast<unsigned>(day)) + u" " +
         TwoDigits(static_cast<unsigned>(inDay / 3600)) + u":" +
         TwoDigits(static_cast<unsigned>(inDay % 3600 / 60));
}

std::optional<std::uint64_t> SequenceKeyNumber(const Text& key) {
  static const Text kPrefix = file::SequenceKeyPrefix;
  if (key.size() <= kPrefix.size() || key[0] != kPrefix[0]) return std::nullopt;
  for (std::size_t i = 1; i < kPrefix.size(); ++i) {
    if (FoldCase(key[i]) != FoldCase(kPrefix[i])) return std::nullopt;
  }
  std::uint64_t number = 0;
  for (std::size_t i = kPrefix.size(); i < key.size(); ++i) {
    if (!IsDigit(key[i])) return std::nullopt;
    number = number * 10 + (key[i] - u'0');
    if (number > kLargestSequenceNumber) return std::nullopt;
  }
  if (number == 0) return std::nullopt;
  return number;
}

std::optional<SequenceSummary> ParseSequence(const Text& keyText, const Text& value) {
  const auto number = SequenceKeyNumber(keyText);
  if (!number || value.size() > kLongestSummary) return std::nullopt;
  const std::size_t first = value.find(u';');
  if (first == Text::npos) return std::nullopt;
  const std::size_t second = value.find(u';', first + 1);
  if (second == Text::npos || value.find(u';', second + 1) != Text::npos) return std::nullopt;
  if (!IsStartedText(value, 0, first)) return std::nullopt;
  // Eleven characters hold every 32-bit number with its sign.
  if (second - first - 1 > 11 || !IsWholeNumber(value, first + 1, second)) return std::nullopt;

  SequenceSummary summary;
  summary.number = *number;
  summary.key = keyText;
  summary.started = value.substr(0, first);
  const auto average = ParseWhole(value.substr(first + 1, second - first - 1));
  if (!average || *average < std::numeric_limits<std::int32_t>::min() ||
      *average > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  summary.average = static_cast<std::int32_t>(*average);
  for (std::size_t at = second + 1; at < value.size();) {
    if (value[at] == u' ') {
      ++at;
      continue;
    }
    std::size_t end = value.find(u' ', at);
    if (end == Text::npos) end = value.size();
    if (!IsDuration(value, at, end) || summary.restarts.size() == kMostDurations) {
      return std::nullopt;
    }
    summary.restarts.push_back(KeptRestart(value.substr(at, end - at)));
    at = end;
  }
  if (summary.restarts.empty()) return std::nullopt;
  return summary;
}

Text FormatSequenceValue(const SequenceSummary& summary) {
  Text value = summary.started + u";" + FormatSigned(summary.average) + u";";
  for (std::size_t i = 0; i < summary.restarts.size(); ++i) {
    if (i != 0) value += u' ';
    value += summary.restarts[i].seconds;
  }
  return value;
}

RestartFigure KeptRestart(const Text& seconds) {
  RestartFigure restart;
  restart.seconds = seconds;
  restart.wholeSeconds = ToInteger(seconds);
  return restart;
}

Text Tenths(double milliseconds) {
  constexpr char16_t kUnknown[] = u"\u2013";
  if (!std::isfinite(milliseconds)) return kUnknown;
  // Whole tenths first, so that 59.96 s becomes 60 and not 59.10.
  const double tenths = std::round(std::fabs(milliseconds) / 100.0);
  if (tenths > 9.0e15) return kUnknown;  // beyond any restart, and any exact integer
  const auto whole = static_cast<std::uint64_t>(tenths);
  Text text = (milliseconds < 0 && whole != 0 ? u"-" : u"") + FormatUnsigned(whole / 10);
  if (whole % 10 != 0) text += u"." + FormatUnsigned(whole % 10);
  return text;
}

Text TenthsText(double milliseconds) {
  const Text text = Tenths(milliseconds);
  return text == u"\u2013" ? text : text + u" s";
}

Text RestartFigure::shownSeconds() const {
  return exactMs ? FormatMilliseconds(*exactMs) : seconds;
}

namespace {

// How each figure beside a kept line is written: the fields' separator, and
// one restart's field with whether it holds a known figure.
char16_t Separator(KeptBeside kind) {
  switch (kind) {
    case KeptBeside::Marks:
      return u',';
    case KeptBeside::Busy:
    case KeptBeside::Culprits:
      return u'>';
    default:
      return u' ';
  }
}

std::pair<Text, bool> Field(KeptBeside kind, const RestartFigure& r) {
  switch (kind) {
    case KeptBeside::Exact:
      return {r.exactMs ? FormatSigned(*r.exactMs) : Text(u"?"), r.exactMs.has_value()};
    case KeptBeside::Phases: {
      Text group = FormatPhases(r.phases);
      std::replace(group.begin(), group.end(), u' ', u'/');
      return {group, r.phases.Any()};
    }
    case KeptBeside::Marks:
      return {MarkName(r.mark), r.marked()};
    case KeptBeside::ReadyBy:
      return {r.readyBy ? ReadyRuleName(*r.readyBy) : Text(u"?"), r.readyBy.has_value()};
    case KeptBeside::Busy:
      return {r.busy ? FormatBusyReading(*r.busy) : Text(), r.busy.has_value()};
    case KeptBeside::Culprits:
      return {r.culprits ? FormatCulprits(*r.culprits) : Text(), r.culprits.has_value()};
  }
  return {};
}

// One field read back into a restart; false when it is not of the kept shape.
bool ReadField(KeptBeside kind, const Text& field, RestartFigure& r) {
  switch (kind) {
    case KeptBeside::Exact: {
      if (field == u"?") {
        r.exactMs.reset();
        return true;
      }
      const auto ms = ParseWhole(field);
      if (!ms || *ms < 0) return false;
      r.exactMs = ms;
      return true;
    }
    case KeptBeside::Phases: {
      Text group = field;
      std::replace(group.begin(), group.end(), u'/', u' ');
      const auto parsed = ParsePhases(group);
      if (parsed) r.phases = *parsed;
      return parsed.has_value();
    }
    case KeptBeside::Marks: {
      const auto mark = field.empty() ? std::optional(RestartMark::None) : ParseMark(field);
      if (mark) r.mark = *mark;
      return mark.has_value();
    }
    case KeptBeside::ReadyBy: {
      if (field == u"?") {
        r.readyBy.reset();
        return true;
      }
      r.readyBy = ParseReadyRule(field);
      return r.readyBy.has_value();
    }
    case KeptBeside::Busy: {
      if (field.empty()) {
        r.busy.reset();
        return true;
      }
      r.busy = ParseBusyReading(field);
      return r.busy.has_value();
    }
    case KeptBeside::Culprits: {
      if (field.empty()) {
        r.culprits.reset();
        return true;
      }
      r.culprits = ParseCulprits(field);
      return r.culprits.has_value();
    }
  }
  return false;
}

}  // namespace

const char16_t* KeptBesideSection(KeptBeside kind) {
  static constexpr const char16_t* kSections[] = {
      file::section::SequencesMilliseconds, file::section::SequencesPhases,
      file::section::SequencesMarks, file::section::SequencesReadyBy,
      file::section::SequencesBusy,  file::section::SequencesCulprits};
  return kSections[static_cast<std::size_t>(kind)];
}

Text FormatKeptBeside(KeptBeside kind, const SequenceSummary& summary) {
  bool known = false;
  Text value;
  for (std::size_t i = 0; i < summary.restarts.size(); ++i) {
    if (i != 0) value += Separator(kind);
    const auto [field, isKnown] = Field(kind, summary.restarts[i]);
    value += field;
    known = known || isKnown;
  }
  return known ? value : Text();
}

bool ReadKeptBeside(KeptBeside kind, const Text& value, SequenceSummary& summary) {
  // Nine figures a restart take up to four times the room of a duration; a
  // reading of busy programs, with their paths, some hundred times.
  const std::size_t longest = kind == KeptBeside::Phases ? kLongestSummary * 4
                              : kind == KeptBeside::Busy ? kLongestSummary * 128
                                                         : kLongestSummary;
  if (value.size() > longest) return false;
  std::vector<RestartFigure> read = summary.restarts;
  std::size_t count = 0;
  const char16_t separator = Separator(kind);
  // Blanks separate in runs (as these values were always read); a comma or
  // ">" separates on its own, so a last restart without the figure leaves an
  // empty field.
  for (std::size_t from = 0; from <= value.size();) {
    if (separator == u' ' && from < value.size() && value[from] == u' ') {
      ++from;
      continue;
    }
    std::size_t end = value.find(separator, from);
    if (end == Text::npos) end = value.size();
    if (separator == u' ' && end == from) break;  // only blanks were left
    if (count == read.size() || !ReadField(kind, value.substr(from, end - from), read[count])) {
      return false;
    }
    ++count;
    from = end + 1;
  }
  if (count != read.size()) return false;
  summary.restarts = std::move(read);
  return true;
}

}  // namespace twk::sequence
