// The names assistive technology gives the controls. The toolkit decides
// them from what the user sees (a caption, a label beside an edit field, a
// chart's data), so that every mode window is named without naming each
// control by hand, and the backends only hand the names over.
#include <algorithm>

#include "base/strings.h"
#include "ui/toolkit_window.h"

namespace twk::ui {
namespace {

Text Trimmed(const Text& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsWhiteSpace(text[begin])) ++begin;
  while (end > begin && IsWhiteSpace(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// A label, and the field it names: its text without the run of dashes that
// leads the eye to the field, and without the colon before it.
Text LabelName(const Text& text) {
  Text name = Trimmed(text);
  while (!name.empty() && name.back() == u'-') name.pop_back();
  name = Trimmed(name);
  if (!name.empty() && name.back() == u':') name.pop_back();
  return Trimmed(name);
}

// A link's text as it reads: the markup around its link part left out.
Text WithoutMarkup(const Text& text) {
  Text out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == u'<') {
      const std::size_t close = text.find(u'>', i);
      const Text tag = text.substr(i, close == Text::npos ? Text::npos : close - i + 1);
      if (close != Text::npos &&
          (tag.starts_with(u"<a") || tag.starts_with(u"<A") || tag == u"</a>" || tag == u"</A>")) {
        i = close;
        continue;
      }
    }
    out += text[i];
  }
  return Trimmed(out);
}

bool NamedByLabel(ControlKind kind) {
  switch (kind) {
    case ControlKind::Edit:
    case ControlKind::ComboBox:
    case ControlKind::ListBox:
    case ControlKind::ListView:
    case ControlKind::ProgressBar:
      return true;
    default:
      return false;
  }
}

}  // namespace

bool ToolkitWindow::SetControlName(int id, const Text& name) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  r->givenName = name;
  UpdateNames();
  return true;
}

int ToolkitWindow::LabelFor(int id) {
  const Place field = PlaceOf(id);
  const int host = HostOf(id);
  int beside = 0, besideRight = -1, above = 0, aboveBottom = -1;
  for (int other = 1; other <= table_.count(); ++other) {
    const ControlRecord* r = table_.Find(other);
    if (r == nullptr || r->kind != ControlKind::Label || HostOf(other) != host) continue;
    const Place label = PlaceOf(other);
    const int labelMiddle2 = 2 * label.y + label.height;
    const int fieldMiddle2 = 2 * field.y + field.height;
    const bool sameLine =
        (labelMiddle2 >= 2 * field.y && labelMiddle2 < 2 * (field.y + field.height)) ||
        (fieldMiddle2 >= 2 * label.y && fieldMiddle2 < 2 * (label.y + label.height));
    // A label may run on under the field's left edge by a few pixels.
    if (sameLine && label.x < field.x && label.x + label.width <= field.x + 4 &&
        label.x + label.width > besideRight) {
      beside = other;
      besideRight = label.x + label.width;
    }
    const int bottom = label.y + label.height;
    const bool overlapsAcross = label.x < field.x + field.width && field.x < label.x + label.width;
    // Right on top of it: a line of text further up is no label of its own.
    if (overlapsAcross && bottom <= field.y + 2 && field.y - bottom <= 6 && bottom > aboveBottom) {
      above = other;
      aboveBottom = bottom;
    }
  }
  return beside != 0 ? beside : above;
}

Text ToolkitWindow::AccessibleName(int id) {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr) return Text();
  if (!r->givenName.empty()) return r->givenName;
  switch (r->kind) {
    case ControlKind::PushButton:
    case ControlKind::RadioButton:
      return Trimmed(GetControlText(id));
    case ControlKind::Label:
      return LabelName(GetControlText(id));
    case ControlKind::ImageCheckBox:
      // Both parts: GetControlText reads the text part.
      return Trimmed(GetControlText(id));
    case ControlKind::Link:
      return WithoutMarkup(GetControlText(id));
    case ControlKind::Chart:
      return r->summary;
    case ControlKind::IconPicture:
    case ControlKind::SmallPicture:
      return r->tip;
    case ControlKind::UpDown:
      for (int other = 1; other <= table_.count(); ++other) {
        const ControlRecord* edit = table_.Find(other);
        if (edit != nullptr && edit->kind == ControlKind::Edit && edit->upDownId == id) {
          return AccessibleName(other);
        }
      }
      return Text();
    case ControlKind::ChildWindow:
      for (const int member : r->members) {
        const ControlRecord* m = table_.Find(member);
        if (m != nullptr && m->kind == ControlKind::Label) return Trimmed(GetControlText(member));
      }
      return Text();
    default:
      break;
  }
  if (NamedByLabel(r->kind)) {
    if (const int label = LabelFor(id)) return LabelName(GetControlText(label));
    // A list without a label is named by its first column's header.
    if (r->kind == ControlKind::ListView && !r->columns.empty()) return r->columns[0].header;
  }
  return Text();
}

void ToolkitWindow::UpdateNames() {
  if (handle_ == 0) return;
  for (int id = 1; id <= table_.count(); ++id) {
    ControlRecord* r = table_.Find(id);
    if (r == nullptr) continue;
    Text name = AccessibleName(id);
    r = table_.Find(id);
    if (name == r->announcedName) continue;
    backend_.SetAccessibleName(r->window, name);
    r->announcedName = std::move(name);
  }
}

}  // namespace twk::ui
