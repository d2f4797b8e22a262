#include "sequence/event_xml.h"

#include <algorithm>

#include "base/strings.h"

namespace twk::sequence {
namespace {

// Deeper than any rendered event nests; bounds the work on damaged input.
constexpr std::size_t kMaxDepth = 32;

bool IsXmlSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool EndsName(char16_t c) {
  return IsXmlSpace(c) || c == u'>' || c == u'/' || c == u'=' || c == u'<' || c == u'"' ||
         c == u'\'' || c == u'?' || c == u'!';
}

class Scanner {
 public:
  explicit Scanner(std::u16string_view xml) : s_(xml) {}

  std::optional<ScannedEvent> Run() {
    while (at_ < s_.size()) {
      const bool ok = s_[at_] == u'<' ? Markup() : Characters();
      if (!ok) return std::nullopt;
    }
    if (!rootSeen_ || !open_.empty()) return std::nullopt;  // truncated
    return std::move(event_);
  }

 private:
  bool StartsWith(std::u16string_view prefix) const { return s_.substr(at_).starts_with(prefix); }

  // Moves past `end`, found from here on; false when it never comes.
  bool SkipPast(std::u16string_view end) {
    const std::size_t found = s_.find(end, at_);
    if (found == std::u16string_view::npos) return false;
    at_ = found + end.size();
    return true;
  }

  void SkipSpace() {
    while (at_ < s_.size() && IsXmlSpace(s_[at_])) ++at_;
  }

  std::u16string_view Name() {
    const std::size_t start = at_;
    while (at_ < s_.size() && !EndsName(s_[at_])) ++at_;
    return s_.substr(start, at_ - start);
  }

  // Text between tags: only white space outside the root; inside, it goes
  // to the element being read, if any.
  bool Characters() {
    const std::size_t end = std::min(s_.find(u'<', at_), s_.size());
    const std::u16string_view run = s_.substr(at_, end - at_);
    at_ = end;
    if (open_.empty()) return TrimXmlSpace(run).empty();
    if (target_ != nullptr && open_.size() == targetDepth_) target_->text.append(run);
    return true;
  }

  bool Markup() {
    if (StartsWith(u"<!--")) return SkipPast(u"-->");
    if (StartsWith(u"<?")) return SkipPast(u"?>");
    if (StartsWith(u"<![CDATA[")) {
      if (open_.empty()) return false;
      at_ += 9;
      const std::size_t start = at_;
      if (!SkipPast(u"]]>")) return false;
      if (target_ != nullptr && open_.size() == targetDepth_) {
        target_->text.append(s_.substr(start, at_ - 3 - start));
      }
      return true;
    }
    if (StartsWith(u"<!")) return false;  // a rendered event has no DOCTYPE
    if (StartsWith(u"</")) return EndTag();
    return StartTag();
  }

  bool EndTag() {
    at_ += 2;
    const std::u16string_view name = Name();
    SkipSpace();
    if (at_ >= s_.size() || s_[at_] != u'>') return false;
    ++at_;
    if (open_.empty() || open_.back() != name) return false;
    if (target_ != nullptr && open_.size() == targetDepth_) target_ = nullptr;
    open_.pop_back();
    return true;
  }

  bool StartTag() {
    ++at_;
    const std::u16string_view name = Name();
    if (name.empty()) return false;
    std::optional<std::u16string_view> nameAttribute;
    std::optional<std::u16string_view> systemTime;
    bool selfClosing = false;
    for (;;) {
      const std::size_t before = at_;
      SkipSpace();
      if (at_ >= s_.size()) return false;
      if (s_[at_] == u'>') break;
      if (StartsWith(u"/>")) {
        selfClosing = true;
        ++at_;
        break;
      }
      if (at_ == before) return false;  // attributes are set apart by space
      const std::u16string_view attribute = Name();
      if (attribute.empty()) return false;
      SkipSpace();
      if (at_ >= s_.size() || s_[at_] != u'=') return false;
      ++at_;
      SkipSpace();
      if (at_ >= s_.size() || (s_[at_] != u'\'' && s_[at_] != u'"')) return false;
      const char16_t quote = s_[at_++];
      const std::size_t end = s_.find(quote, at_);
      if (end == std::u16string_view::npos) return false;
      const std::u16string_view value = s_.substr(at_, end - at_);
      if (value.find(u'<') != std::u16string_view::npos) return false;
      at_ = end + 1;
      if (attribute == u"Name") nameAttribute = value;
      if (attribute == u"SystemTime") systemTime = value;
    }
    ++at_;  // the '>'
    return Opened(name, nameAttribute, systemTime, selfClosing);
  }

  bool Opened(std::u16string_view name, std::optional<std::u16string_view> nameAttribute,
              std::optional<std::u16string_view> systemTime, bool selfClosing) {
    if (open_.empty()) {
      if (rootSeen_ || name != u"Event") return false;  // one root, and it is an event
      rootSeen_ = true;
    }
    if (target_ != nullptr && open_.size() == targetDepth_) target_->simple = false;
    const bool inSystem = open_.size() == 2 && open_[1] == u"System";
    const bool inEventData = open_.size() == 2 && open_[1] == u"EventData";
    XmlElementText* read = nullptr;
    if (inSystem && name == u"EventID") {
      if (event_.eventId) return false;
      read = &event_.eventId.emplace();
    } else if (inSystem && name == u"Provider") {
      if (event_.provider) return false;
      event_.provider = Text(nameAttribute.value_or(u""));
    } else if (inSystem && name == u"TimeCreated") {
      if (event_.timeCreated) return false;
      event_.timeCreated = Text(systemTime.value_or(u""));
    } else if (inEventData && name == u"Data") {
      event_.data.push_back({Text(nameAttribute.value_or(u"")), {}});
      read = &event_.data.back().value;
    }
    if (selfClosing) return true;
    if (open_.size() >= kMaxDepth) return false;
    open_.push_back(name);
    if (read != nullptr) {
      target_ = read;
      targetDepth_ = open_.size();
    }
    return true;
  }

  std::u16string_view s_;
  std::size_t at_ = 0;
  std::vector<std::u16string_view> open_;  // the elements open here, root first
  bool rootSeen_ = false;
  ScannedEvent event_;
  XmlElementText* target_ = nullptr;  // the element whose text is being read
  std::size_t targetDepth_ = 0;       // its place in open_ (1 = the root)
};

bool Digits(std::u16string_view text, std::size_t at, std::size_t count, int& value) {
  if (at + count > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (!IsDigit(text[i])) return false;
    value = value * 10 + (text[i] - u'0');
  }
  return true;
}

bool IsLeapYear(int year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int DaysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

// Days from 1601-01-01 to the date, in the proleptic Gregorian calendar
// that the 1601 epoch of Windows counts in (years from 1601).
std::int64_t DaysSince1601(int year, int month, int day) {
  const std::int64_t yearsBefore = year - 1601;
  std::int64_t days = yearsBefore * 365 + yearsBefore / 4 - yearsBefore / 100 + yearsBefore / 400;
  for (int m = 1; m < month; ++m) days += DaysInMonth(year, m);
  return days + day - 1;
}

}  // namespace

std::optional<ScannedEvent> ScanRenderedEvent(std::u16string_view xml) {
  return Scanner(xml).Run();
}

std::u16string_view TrimXmlSpace(std::u16string_view text) {
  while (!text.empty() && IsXmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsXmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::optional<std::int64_t> ParseUtcDateTime(std::u16string_view t) {
  // YYYY-MM-DDThh:mm:ss, each part its fixed number of digits.
  int year, month, day, hour, minute, second;
  if (!Digits(t, 0, 4, year) || t.size() < 19 || t[4] != u'-' || !Digits(t, 5, 2, month) ||
      t[7] != u'-' || !Digits(t, 8, 2, day) || t[10] != u'T' || !Digits(t, 11, 2, hour) ||
      t[13] != u':' || !Digits(t, 14, 2, minute) || t[16] != u':' || !Digits(t, 17, 2, second)) {
    return std::nullopt;
  }
  if (year < 1601 || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) ||
      hour > 23 || minute > 59 || second > 59) {
    return std::nullopt;
  }
  std::size_t at = 19;
  int milliseconds = 0;
  if (at < t.size() && t[at] == u'.') {
    const std::size_t first = ++at;
    while (at < t.size() && IsDigit(t[at])) ++at;
    const std::size_t count = at - first;
    if (count == 0 || count > 9) return std::nullopt;
    for (std::size_t i = 0; i < 3; ++i) {
      milliseconds = milliseconds * 10 + (i < count ? t[first + i] - u'0' : 0);
    }
  }
  int offsetMinutes = 0;
  if (at < t.size() && t[at] == u'Z') {
    ++at;
  } else if (at < t.size() && (t[at] == u'+' || t[at] == u'-')) {
    int offsetHours, offsetMinutesPart;
    if (!Digits(t, at + 1, 2, offsetHours) || at + 3 >= t.size() || t[at + 3] != u':' ||
        !Digits(t, at + 4, 2, offsetMinutesPart) || offsetHours > 14 || offsetMinutesPart > 59 ||
        (offsetHours == 14 && offsetMinutesPart != 0)) {
      return std::nullopt;
    }
    offsetMinutes = (offsetHours * 60 + offsetMinutesPart) * (t[at] == u'-' ? -1 : 1);
    at += 6;
  } else {
    return std::nullopt;  // no zone: the UTC moment is unknown
  }
  if (at != t.size()) return std::nullopt;
  const std::int64_t localSeconds =
      DaysSince1601(year, month, day) * 86400 + hour * 3600 + minute * 60 + second;
  // The zone's time is ahead of UTC by its offset.
  const std::int64_t utc = (localSeconds - offsetMinutes * 60) * 1000 + milliseconds;
  if (utc < 0) return std::nullopt;
  return utc;
}

}  // namespace twk::sequence
