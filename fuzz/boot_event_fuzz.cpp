// Any text as a rendered boot record: reading must not crash or read past
// the text, and whatever it accepts must be a moment and figures that the
// record's types can hold. The same bytes also go through the date reader
// alone, and a record written from fuzzed figures must read back as written.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "sequence/boot_event.h"
#include "sequence/busy_programs.h"
#include "sequence/event_xml.h"

namespace {

using twk::sequence::WindowsBootFigures;

void Require(bool condition) {
  if (!condition) std::abort();
}

// 9999-12-31T23:59:59.999+00:00 is the latest moment a four-digit year
// names; a negative offset can carry it up to 14 hours further.
constexpr std::int64_t kLatestMs = 265046774399999 + 14 * 3600000;

void RequireFigure(const std::optional<std::int64_t>& figure) {
  Require(!figure || (*figure >= 0 && *figure <= 0xFFFFFFFFLL));
}

std::u16string Decimal(std::uint32_t value) {
  std::u16string text;
  do {
    text.insert(text.begin(), static_cast<char16_t>(u'0' + value % 10));
    value /= 10;
  } while (value != 0);
  return text;
}

// A well-formed record of these figures; its start is the fuzzed date text.
void CheckRoundTrip(const std::uint8_t* data, std::size_t size, const std::u16string& start) {
  std::uint32_t figures[3] = {};
  std::memcpy(figures, data, std::min(size, sizeof(figures)));
  std::u16string xml =
      u"<Event><System><Provider Name='Microsoft-Windows-Diagnostics-Performance'/>"
      u"<EventID>100</EventID></System><EventData><Data Name='BootTime'>" +
      Decimal(figures[0]) + u"</Data><Data Name=\"MainPathBootTime\">" + Decimal(figures[1]) +
      u"</Data><Data Name='BootPostBootTime'> " + Decimal(figures[2]) +
      u" </Data><Data Name='BootStartTime'>2024-03-01T11:58:01.1234567Z</Data></EventData></Event>";
  const auto parsed = twk::sequence::ParseBootEvent(xml);
  Require(parsed.has_value());
  Require(parsed->bootTimeMs == figures[0]);
  Require(parsed->mainPathBootTimeMs == figures[1]);
  Require(parsed->postBootTimeMs == figures[2]);

  // The fuzzed text as the start: the record reads exactly when the date does.
  const std::size_t at = xml.find(u"2024-03-01T11:58:01.1234567Z");
  xml.replace(at, 28, start);
  const auto withStart = twk::sequence::ParseBootEvent(xml);
  const auto moment = twk::sequence::ParseUtcDateTime(twk::sequence::TrimXmlSpace(start));
  if (start.find(u'<') == std::u16string::npos) {  // else it can write elements of its own
    Require(withStart.has_value() == moment.has_value());
    if (withStart) Require(withStart->bootStartUtcMs == *moment);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::u16string text(size / 2, u'\0');
  std::memcpy(text.data(), data, text.size() * 2);

  const auto figures = twk::sequence::ParseBootEvent(text);
  if (figures) {
    Require(figures->bootStartUtcMs >= 0 && figures->bootStartUtcMs <= kLatestMs);
    RequireFigure(figures->bootTimeMs);
    RequireFigure(figures->mainPathBootTimeMs);
    RequireFigure(figures->postBootTimeMs);
    // A record always lies in a window around its own start.
    const std::vector<WindowsBootFigures> one = {*figures};
    Require(twk::sequence::MatchBootEvent(one, figures->bootStartUtcMs, figures->bootStartUtcMs)
                .has_value());
    Require(!twk::sequence::MatchBootEvent(one, figures->bootStartUtcMs + 1, kLatestMs + 1)
                 .has_value());
  }

  // The same text as a record of what slowed a boot: an event of its range,
  // a moment a date can name, figures a 32-bit field holds, and a culprit
  // that the settings file's form gives back as it was.
  if (const auto culprit = twk::sequence::ParseCulpritEvent(text)) {
    Require(culprit->culprit.event >= 101 && culprit->culprit.event <= 110);
    Require(!twk::sequence::CulpritKind(culprit->culprit.event).empty());
    Require(culprit->writtenUtcMs >= 0 && culprit->writtenUtcMs <= kLatestMs);
    RequireFigure(culprit->culprit.totalMs);
    RequireFigure(culprit->culprit.degradationMs);
    const std::vector<twk::sequence::BootCulprit> one = {culprit->culprit};
    Require(twk::sequence::ParseCulprits(twk::sequence::FormatCulprits(one)) == one);
  }

  if (const auto moment = twk::sequence::ParseUtcDateTime(text)) {
    Require(*moment >= 0 && *moment <= kLatestMs);
  }
  CheckRoundTrip(data, size, text);
  return 0;
}
