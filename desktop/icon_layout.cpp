#include "desktop/icon_layout.h"

#include <algorithm>
#include <limits>
#include <utility>
#include <vector>

#include "base/strings.h"
#include "desktop/window_search.h"
#include "settings/catalogue.h"

namespace twk::desktop {
namespace {

using platform::IconPoint;
using platform::OwnedListView;
using platform::RemoteListViews;
using platform::WindowHandle;

const Text kSection = settings::section::DesktopIconLayout;

// One pass: the desktop view, opened. Empty when there is no view, it has
// no items, or it could not be opened.
struct Pass {
  WindowHandle window = platform::kNoWindow;
  std::int32_t itemCount = 0;
  OwnedListView view;
};

bool OpenPass(platform::WindowTree& windows, RemoteListViews& views, Pass& pass) {
  pass.window = FindDesktopListView(windows);
  if (pass.window == platform::kNoWindow) return false;
  pass.itemCount = views.ItemCount(pass.window);
  if (pass.itemCount <= 0) return false;
  pass.view = OwnedListView(views, views.Open(pass.window));
  return static_cast<bool>(pass.view);
}

struct PassCounts {
  std::int32_t moved = 0;
  std::int32_t unchanged = 0;
};

PassCounts MoveIcons(const settings::SettingsFile& settings, RemoteListViews& views,
                     const Pass& pass) {
  PassCounts counts;
  for (std::int32_t i = 0; i < pass.itemCount; ++i) {
    IconPoint current;
    if (!views.ReadPosition(pass.view.get(), i, current)) continue;
    Text text;
    if (!views.ReadText(pass.view.get(), i, text)) continue;
    const auto stored = ParseIconPosition(settings.GetValueText(kSection, text));
    if (!stored) continue;
    if (*stored == current) {
      ++counts.unchanged;
    } else if (views.SetPosition(pass.view.get(), i, *stored)) {
      ++counts.moved;
    }
  }
  return counts;
}

// A further pass of its own: the view opened anew, since moves may have
// changed the items' order. Its moves, 0 when it could not run.
std::int32_t FurtherPass(const settings::SettingsFile& settings, platform::WindowTree& windows,
                         RemoteListViews& views) {
  if (!settings.FindSection(kSection)) return 0;
  Pass pass;
  if (!OpenPass(windows, views, pass)) return 0;
  return MoveIcons(settings, views, pass).moved;
}

// Whether an icon's text can be written as a key and read back as that key.
// One that begins with "[" (blanks aside) would be taken for a section
// header, one with "=" would be cut there, one with a line break would split
// into lines of its own: such icons are left out of the backup.
bool CanBeKey(const Text& text) {
  Text stripped = text;
  StripWhiteSpace(stripped, Strip::Leading);
  return (stripped.empty() || stripped[0] != u'[') && text.find_first_of(u"=\r\n") == Text::npos;
}

std::int32_t Saturated(std::int64_t value) {
  return static_cast<std::int32_t>(
      std::min<std::int64_t>(value, std::numeric_limits<std::int32_t>::max()));
}

}  // namespace

Text FormatIconPosition(IconPoint point) {
  return FormatSigned(point.x) + u"x" + FormatSigned(point.y);
}

std::optional<IconPoint> ParseIconPosition(const Text& value) {
  const std::size_t at = Find(value, u"x", false);
  if (at <= 1) return std::nullopt;  // no x, or nothing before it
  return IconPoint{ToInteger(value.substr(0, at - 1)), ToInteger(value.substr(at))};
}

std::int32_t BackupIconLayout(settings::SettingsFile& settings, platform::WindowTree& windows,
                              RemoteListViews& views) {
  Pass pass;
  if (!OpenPass(windows, views, pass)) return 0;
  // Every icon is read before the old layout is touched: a read that fails
  // part-way leaves the previous backup whole instead of replacing it by a
  // part, or by nothing.
  std::vector<std::pair<Text, IconPoint>> icons;
  icons.reserve(static_cast<std::size_t>(pass.itemCount));
  for (std::int32_t i = 0; i < pass.itemCount; ++i) {
    IconPoint point;
    Text text;
    if (!views.ReadPosition(pass.view.get(), i, point)) return 0;
    if (!views.ReadText(pass.view.get(), i, text)) return 0;
    if (CanBeKey(text)) icons.emplace_back(std::move(text), point);
  }
  settings.RemoveSection(kSection);
  // Equal texts share one key; the later item wins.
  for (const auto& [text, point] : icons) {
    (void)settings.Set(kSection, text, FormatIconPosition(point));
  }
  return settings.Save() ? pass.itemCount : 0;
}

std::int32_t RestoreIconLayout(settings::SettingsFile& settings, platform::WindowTree& windows,
                               RemoteListViews& views, bool topLevel) {
  if (!settings.FindSection(kSection)) return 0;
  Pass pass;
  if (!OpenPass(windows, views, pass)) return 0;
  if (topLevel) views.SetRedraw(pass.view.get(), false);

  const PassCounts first = MoveIcons(settings, views, pass);
  std::int64_t moved = first.moved;
  std::int32_t lastMoved = first.moved;
  for (std::int32_t passes = 1;
       lastMoved >= 1 && lastMoved < kMaxMovesToRepeat && passes < kMaxRestorePasses; ++passes) {
    lastMoved = FurtherPass(settings, windows, views);
    moved += lastMoved;
  }

  if (!topLevel) return Saturated(moved);
  views.SetRedraw(pass.view.get(), true);
  if (moved != 0) views.Refresh(pass.view.get());
  return Saturated(moved + first.unchanged);
}

}  // namespace twk::desktop
