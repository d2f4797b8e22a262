#pragma once
// Helpers of the keyboard and naming tests: a simulated user walking a
// window with Tab, and what the window's controls are called.
#include <functional>
#include <string>
#include <vector>

#include "base/strings.h"
#include "ui/dialog_keys.h"
#include "ui/headless/headless_backend.h"

namespace twk::ui::testing {

// The name the focused control was given ("<none>" when nothing of ours has
// the focus).
inline Text FocusName(const HeadlessBackend& ui) {
  const HeadlessBackend::Window* w = ui.Find(ui.focus());
  return w == nullptr || w->destroyed ? Text(u"<none>") : w->accessibleName;
}

// Presses Tab (Shift+Tab when backwards) `presses` times as the user, each
// once the program has taken the one before, noting the focused control's
// name after each; then `then`.
inline void WalkTabs(HeadlessBackend& ui, int presses, bool backwards, std::vector<Text>& names,
                     std::function<void()> then) {
  if (presses == 0) {
    then();
    return;
  }
  ui.PressKey(msg::VkTab, backwards);
  ui.AfterWakes(1, [&ui, presses, backwards, &names, then] {
    names.push_back(FocusName(ui));
    WalkTabs(ui, presses - 1, backwards, names, then);
  });
}

// "name" of the live control whose top-left corner is (x, y), as a table
// row reads it ("?" when there is none).
struct NamedAt {
  int x = 0, y = 0;
  Text name;
};
inline std::vector<std::string> NamesAt(const HeadlessBackend& ui,
                                        const std::vector<NamedAt>& table) {
  std::vector<std::string> seen;
  for (const NamedAt& row : table) {
    const HeadlessBackend::Window* w = ui.Find(ui.FindAt(row.x, row.y));
    seen.push_back(std::to_string(row.x) + "," + std::to_string(row.y) + " " +
                   (w == nullptr ? std::string("?") : ToUtf8(w->accessibleName)));
  }
  return seen;
}
inline std::vector<std::string> Expected(const std::vector<NamedAt>& table) {
  std::vector<std::string> rows;
  for (const NamedAt& row : table) {
    rows.push_back(std::to_string(row.x) + "," + std::to_string(row.y) + " " + ToUtf8(row.name));
  }
  return rows;
}

// The visible controls of the window that have no name at all.
inline std::vector<std::string> Unnamed(const HeadlessBackend& ui, Handle top) {
  std::vector<std::string> unnamed;
  for (const HeadlessBackend::Window* w : ui.ControlsOf(top)) {
    if (!w->visible || !w->accessibleName.empty()) continue;
    unnamed.push_back("#" + std::to_string(w->id) + " kind " +
                      std::to_string(static_cast<int>(w->kind)) + " at " + std::to_string(w->x) +
                      "," + std::to_string(w->y));
  }
  return unnamed;
}

}  // namespace twk::ui::testing
