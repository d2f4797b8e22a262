#pragma once
// The few parts of one event as the Windows event log renders it to XML that
// the boot figures read: the event's id, its provider and the named values
// of its EventData. Not an XML parser: a scanner that checks what a rendered
// event can hold (one <Event> root, balanced tags, quoted attributes,
// comments, processing instructions and CDATA) and refuses the rest, so that
// a truncated or damaged record is never read as a short one.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "base/text.h"

namespace twk::sequence {

// The text directly inside an element, untouched (no entity is decoded).
// `simple` is false when the element holds other elements: its value is
// then no single text.
struct XmlElementText {
  Text text;
  bool simple = true;
};

struct ScannedEvent {
  std::optional<XmlElementText> eventId;  // Event/System/EventID
  std::optional<Text> provider;           // the Name of Event/System/Provider
  std::optional<Text> timeCreated;        // the SystemTime of Event/System/TimeCreated
  struct Data {
    Text name;  // its Name attribute; empty when it has none
    XmlElementText value;
  };
  std::vector<Data> data;  // every Event/EventData/Data, in document order
};

// None when the text is no well-formed <Event> document, or names its id,
// provider or time of writing more than once.
[[nodiscard]] std::optional<ScannedEvent> ScanRenderedEvent(std::u16string_view xml);

// XML's white space (space, tab, CR, LF) cut from both ends.
[[nodiscard]] std::u16string_view TrimXmlSpace(std::u16string_view text);

// An xs:dateTime with its zone, as the event log writes its UTC moments
// (2024-03-01T11:58:01.1234567Z), in milliseconds since 1601-01-01 00:00
// UTC; the fraction is truncated to whole milliseconds. The zone is Z or
// +hh:mm / -hh:mm. Up to nine fraction digits are read: the log's own
// 100-nanosecond stamps come with seven, or nine ending in 00. None for a
// moment without a zone (its UTC moment is unknown), one before 1601 or
// after 9999, or an impossible date or time.
[[nodiscard]] std::optional<std::int64_t> ParseUtcDateTime(std::u16string_view text);

}  // namespace twk::sequence
