#pragma once
// Backing up and restoring the positions of the desktop icons. The icons are
// the items of the shell's list view, found below the desktop window; their
// positions are kept in the settings file, one key per icon text, the value
// "X" + "x" + "Y" in the view's own client coordinates.
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "platform/remote_list_view.h"
#include "platform/window_tree.h"
#include "settings/ini_document.h"

namespace twk::desktop {

// A restore repeats its pass while a pass moved icons, because moving one
// icon can make the view shift others; it stops once a pass moves this many
// or more, and after this many passes in all, since a view that arranges
// its icons by itself would otherwise be moved back and forth for ever.
inline constexpr std::int32_t kMaxMovesToRepeat = 3000;
inline constexpr std::int32_t kMaxRestorePasses = 10;

Text FormatIconPosition(platform::IconPoint point);
// Split at the first "x" or "X": nothing when there is none or it comes
// first; each side read as an integer (non-numeric gives 0).
std::optional<platform::IconPoint> ParseIconPosition(const Text& value);

// Replaces the saved layout by the icons' current positions and saves the
// settings file; icons whose text cannot be a key (one beginning with "[",
// or holding "=" or a line break) are left out. The number of items, or 0
// when there is no desktop view, no icon, the view could not be opened, a
// position or text could not be read (the saved layout is then left as it
// was and nothing is saved) or the file not saved.
std::int32_t BackupIconLayout(settings::SettingsFile& settings, platform::WindowTree& windows,
                              platform::RemoteListViews& views);

// Moves every icon that has a saved position there. Callers pass topLevel =
// true: the view then does not redraw while icons move, is refreshed when
// any moved, and the result counts the icons moved in all passes plus those
// already in place. Without topLevel only the moves are counted. 0 when
// there is no saved layout or the view could not be opened.
std::int32_t RestoreIconLayout(settings::SettingsFile& settings, platform::WindowTree& windows,
                               platform::RemoteListViews& views, bool topLevel);

}  // namespace twk::desktop
