#pragma once
// Helpers of the reboot-sequence tests: one line per control as a user and a
// layout check see it, and a settings file as a hand edit leaves it.
#include <sstream>
#include <string>
#include <vector>

#include "base/text_codec.h"
#include "sequence/measurement_store.h"
#include "ui/headless/headless_backend.h"

namespace twk::sequence::testing {

// "kind text (x,y,w,h) face points/weight", then the picture's resource and
// the cursor's, when there are any. The kind is the toolkit's number.
inline std::string Describe(const ui::HeadlessBackend& ui, ui::Handle control) {
  const ui::HeadlessBackend::Window* w = ui.Find(control);
  if (w == nullptr) return "(none)";
  std::ostringstream out;
  out << static_cast<int>(w->kind) << " \"" << ToUtf8(w->text) << "\" (" << w->x << "," << w->y
      << "," << w->width << "," << w->height << ")";
  if (w->hasFont)
    out << " " << ToUtf8(w->font.face) << " " << w->font.points << "/" << w->font.weight;
  if (w->image != 0) {
    out << (w->imageType == ui::ImageType::Icon ? " icon " : " image ")
        << ui.ResourceIdOf(w->image);
    if (const auto* o = ui.FindObject(w->image)) out << " " << o->width << "x" << o->height;
  }
  if (w->owner != nullptr) {
    if (const ui::ControlRecord* r = w->owner->Control(w->id); r != nullptr && r->cursor != 0) {
      const auto* cursor = ui.FindObject(r->cursor);
      const bool hand =
          cursor != nullptr && cursor->flags == static_cast<std::uint32_t>(ui::Cursor::Hand);
      out << (hand ? " hand cursor" : " other cursor");
    }
  }
  return out.str();
}

inline std::string DescribeAt(const ui::HeadlessBackend& ui, int x, int y) {
  return Describe(ui, ui.FindAt(x, y));
}

// A settings file as UTF-16LE with a byte-order mark and CR LF line ends.
inline std::string Utf16File(const std::vector<Text>& lines) {
  Text text;
  for (const Text& line : lines) text += line + u"\r\n";
  std::string bytes = "\xFF\xFE";  // the byte-order mark
  bytes += ToUtf16(text, ByteOrder::LittleEndian);
  return bytes;
}

// A sequence as a kept line holds it: its restarts' seconds as stored.
inline SequenceSummary Summary(std::uint64_t number, const Text& started, std::int32_t average,
                               const std::vector<Text>& seconds, bool current = false) {
  SequenceSummary s{.number = number, .key = {}, .started = started, .average = average};
  for (const Text& t : seconds) s.restarts.push_back(KeptRestart(t));
  s.current = current;
  return s;
}

// One figure of every restart, in order.
template <class T>
std::vector<T> Each(const SequenceSummary& s, T RestartFigure::*field) {
  std::vector<T> values;
  for (const RestartFigure& r : s.restarts) values.push_back(r.*field);
  return values;
}

// One figure of each restart, in order, set by `set(restart, value)`; fewer
// values than restarts leave the rest as they are.
template <class T, class Set>
SequenceSummary With(SequenceSummary s, const std::vector<T>& values, Set set) {
  for (std::size_t i = 0; i < values.size() && i < s.restarts.size(); ++i) {
    set(s.restarts[i], values[i]);
  }
  return s;
}
inline SequenceSummary WithExact(SequenceSummary s,
                                 const std::vector<std::optional<std::int64_t>>& ms) {
  return With(std::move(s), ms, [](RestartFigure& r, auto v) { r.exactMs = v; });
}
inline SequenceSummary WithMarks(SequenceSummary s, const std::vector<RestartMark>& marks) {
  return With(std::move(s), marks, [](RestartFigure& r, auto v) { r.mark = v; });
}
inline SequenceSummary WithReadyBy(SequenceSummary s,
                                   const std::vector<std::optional<ReadyRule>>& rules) {
  return With(std::move(s), rules, [](RestartFigure& r, auto v) { r.readyBy = v; });
}
inline SequenceSummary WithPhases(SequenceSummary s, const std::vector<RestartPhases>& phases) {
  return With(std::move(s), phases, [](RestartFigure& r, const auto& v) { r.phases = v; });
}

}  // namespace twk::sequence::testing
