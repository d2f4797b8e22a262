#include "sequence/boot_event.h"

#include <algorithm>

#include "sequence/event_xml.h"

namespace twk::sequence {
namespace {

constexpr std::u16string_view kProvider = u"Microsoft-Windows-Diagnostics-Performance";
constexpr std::int64_t kBootRecordId = 100;
constexpr std::int64_t kFirstCulpritId = 101;
constexpr std::int64_t kLastCulpritId = 110;

// A plain decimal of at most 32 bits, nothing else (no sign, no entity).
std::optional<std::int64_t> ParseUnsigned32(std::u16string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  std::int64_t value = 0;
  for (char16_t c : text) {
    if (c < u'0' || c > u'9') return std::nullopt;
    value = value * 10 + (c - u'0');
  }
  if (value > 0xFFFFFFFFLL) return std::nullopt;
  return value;
}

// The value of the named Data element: none when it is not there; an error
// when it is there twice or holds more than text.
struct Lookup {
  bool damaged = false;
  std::optional<std::u16string_view> text;  // trimmed
};

Lookup Find(const ScannedEvent& event, std::u16string_view name) {
  Lookup found;
  for (const ScannedEvent::Data& data : event.data) {
    if (data.name != name) continue;
    if (found.text || !data.value.simple) return {true, std::nullopt};
    found.text = TrimXmlSpace(data.value.text);
  }
  return found;
}

// A figure: unknown when missing or empty; false when it is junk.
bool ReadFigure(const ScannedEvent& event, std::u16string_view name,
                std::optional<std::int64_t>& figure) {
  const Lookup found = Find(event, name);
  if (found.damaged) return false;
  if (!found.text || found.text->empty()) return true;
  figure = ParseUnsigned32(*found.text);
  return figure.has_value();
}

}  // namespace

std::optional<WindowsBootFigures> ParseBootEvent(std::u16string_view xml) {
  const std::optional<ScannedEvent> event = ScanRenderedEvent(xml);
  if (!event || !event->eventId || !event->eventId->simple) return std::nullopt;
  if (ParseUnsigned32(TrimXmlSpace(event->eventId->text)) != kBootRecordId) return std::nullopt;
  // Other providers number their events too: the id alone is not this record.
  if (event->provider != kProvider) return std::nullopt;

  const Lookup start = Find(*event, u"BootStartTime");
  if (start.damaged || !start.text) return std::nullopt;
  const std::optional<std::int64_t> startMs = ParseUtcDateTime(*start.text);
  if (!startMs) return std::nullopt;

  WindowsBootFigures figures;
  figures.bootStartUtcMs = *startMs;
  if (!ReadFigure(*event, u"BootTime", figures.bootTimeMs) ||
      !ReadFigure(*event, u"MainPathBootTime", figures.mainPathBootTimeMs) ||
      !ReadFigure(*event, u"BootPostBootTime", figures.postBootTimeMs)) {
    return std::nullopt;
  }
  return figures;
}

platform::Answer<std::vector<WindowsBootFigures>> ReadWindowsBootFigures(
    platform::BootEventLog& log, std::size_t maxCount) {
  platform::Answer<std::vector<Text>> records = log.NewestBootRecords(maxCount);
  if (!records.ok()) return records.status();
  std::vector<WindowsBootFigures> figures;
  for (const Text& xml : records.value()) {
    if (std::optional<WindowsBootFigures> parsed = ParseBootEvent(xml)) figures.push_back(*parsed);
  }
  return figures;
}

std::optional<WindowsBootFigures> MatchBootEvent(const std::vector<WindowsBootFigures>& records,
                                                 std::int64_t afterUtcMs,
                                                 std::int64_t beforeUtcMs) {
  const WindowsBootFigures* best = nullptr;
  for (const WindowsBootFigures& record : records) {
    if (record.bootStartUtcMs < afterUtcMs || record.bootStartUtcMs > beforeUtcMs) continue;
    if (best == nullptr || record.bootStartUtcMs > best->bootStartUtcMs) best = &record;
  }
  if (best == nullptr) return std::nullopt;
  return *best;
}

Text CulpritKind(std::uint16_t event) {
  static constexpr const char16_t* kKinds[] = {
      u"application",    u"driver",           u"service",        u"system component",
      u"system component", u"background optimisation", u"machine policy", u"user policy",
      u"device",         u"session manager"};
  if (event < kFirstCulpritId || event > kLastCulpritId) return Text();
  return kKinds[event - kFirstCulpritId];
}

std::optional<WrittenCulprit> ParseCulpritEvent(std::u16string_view xml) {
  const std::optional<ScannedEvent> event = ScanRenderedEvent(xml);
  if (!event || !event->eventId || !event->eventId->simple) return std::nullopt;
  const auto id = ParseUnsigned32(TrimXmlSpace(event->eventId->text));
  if (!id || *id < kFirstCulpritId || *id > kLastCulpritId) return std::nullopt;
  if (event->provider != kProvider || !event->timeCreated) return std::nullopt;
  const auto written = ParseUtcDateTime(TrimXmlSpace(*event->timeCreated));
  if (!written) return std::nullopt;
  WrittenCulprit read;
  read.writtenUtcMs = *written;
  read.culprit.event = static_cast<std::uint16_t>(*id);
  std::optional<std::int64_t> total, degradation;
  if (!ReadFigure(*event, u"TotalTime", total) ||
      !ReadFigure(*event, u"DegradationTime", degradation) || !total || !degradation) {
    return std::nullopt;
  }
  read.culprit.totalMs = *total;
  read.culprit.degradationMs = *degradation;
  for (const std::u16string_view field : {u"Name", u"FriendlyName"}) {
    const Lookup name = Find(*event, field);
    if (name.damaged) return std::nullopt;
    if (name.text && !name.text->empty()) {
      read.culprit.name = Text(*name.text);
      break;
    }
  }
  return read;
}

platform::Answer<std::vector<WrittenCulprit>> ReadBootCulprits(platform::BootEventLog& log,
                                                               std::size_t maxCount) {
  platform::Answer<std::vector<Text>> records = log.NewestDegradationRecords(maxCount);
  if (!records.ok()) return records.status();
  std::vector<WrittenCulprit> read;
  for (const Text& xml : records.value()) {
    if (auto parsed = ParseCulpritEvent(xml)) read.push_back(std::move(*parsed));
  }
  return read;
}

std::vector<BootCulprit> CulpritsWrittenBetween(const std::vector<WrittenCulprit>& records,
                                                std::int64_t afterUtcMs,
                                                std::int64_t beforeUtcMs) {
  std::vector<const WrittenCulprit*> found;
  for (const WrittenCulprit& r : records) {
    if (r.writtenUtcMs > afterUtcMs && r.writtenUtcMs < beforeUtcMs) found.push_back(&r);
  }
  std::stable_sort(found.begin(), found.end(), [](const auto* a, const auto* b) {
    return a->writtenUtcMs < b->writtenUtcMs;
  });
  std::vector<BootCulprit> culprits;
  for (const WrittenCulprit* r : found) culprits.push_back(r->culprit);
  return culprits;
}

}  // namespace twk::sequence
