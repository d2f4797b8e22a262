#pragma once
// The numbered controls of one toolkit window. Ids start at 1 and the count
// is the highest id in use: a new control gets count + 1. Deleting the top
// control lowers the count past every free entry at the top, so those ids are
// handed out again; a hole below a live control stays a hole. Mode windows
// rely on this: they keep the ids the creators returned, and a deleted and
// re-created control at the top of the table gets its old id back.
#include <cstdint>
#include <memory>
#include <vector>

#include "ui/chart.h"
#include "ui/owned_objects.h"
#include "ui/types.h"

namespace twk::ui {

// The kinds of control the toolkit creates or recognises, by their number in
// the control records.
enum class ControlKind : std::int32_t {
  None = 0,
  PushButton = 3,
  ComboBox = 5,
  ListBox = 6,
  ListViewText = 8,
  IconPicture = 11,
  Edit = 12,
  Label = 13,
  ListView = 15,
  SmallPicture = 19,
  ProgressBar = 20,
  RadioButton = 21,
  UpDown = 30,
  Link = 31,
  ImageCheckBox = 35,
  ImageRadioButton = 36,
  ImageToggle = 37,
  ChildWindow = 40,
  Chart = 41,  // a bar chart the toolkit draws itself
};

// The kinds that Enter on the focused control activates like a click.
bool IsClickableKind(ControlKind kind);

namespace state {
inline constexpr std::uint32_t Hide = 1;
inline constexpr std::uint32_t Show = 2;
inline constexpr std::uint32_t Checked = 4;
inline constexpr std::uint32_t Unchecked = 8;
inline constexpr std::uint32_t Indeterminate = 16;
inline constexpr std::uint32_t Enable = 32;
inline constexpr std::uint32_t Disable = 64;
inline constexpr std::uint32_t FocusControl = 128;
inline constexpr std::uint32_t FocusWindow = 256;
}  // namespace state

// What a combination of state flags asks for. Of the pairs hide/show,
// ticked/empty/indeterminate and enable/disable the first bit listed wins.
struct StateRequest {
  int visible = -1;  // -1 unchanged, 0 hide, 1 show
  int check = -1;    // -1 unchanged, else the BM_SETCHECK value 0, 1 or 2
  int enabled = -1;  // -1 unchanged, 0 disable, 1 enable
  bool focusControl = false;
  bool focusWindow = false;
};
StateRequest ResolveStateFlags(std::uint32_t flags);

// A report list's column: its header, the widest of its texts (with the
// cell's margins) and the width it has.
struct ListColumnFit {
  Text header;
  int need = 0;
  int width = 0;
};

// Shared by the two parts of an image check box.
struct ImageCheckBoxData {
  int imageId = 0;
  int textId = 0;
  std::uint32_t state = state::Unchecked;  // Checked (4) or Unchecked (8)
  Handle checkedBitmap = 0;
  Handle uncheckedBitmap = 0;
  Colour textColour = 0;              // without focus: black
  Colour focusTextColour = 0x803020;  // with focus: dark blue (red 0x20, green 0x30, blue 0x80)
};

struct ControlRecord {
  ControlKind kind = ControlKind::None;
  Handle window = 0;
  Handle menu = 0;
  int id = 0;            // 0 = free entry
  Handle brush = 0;      // the background the control is painted with
  OwnedObject ownBrush;  // holds `brush` when the toolkit made it (else the caller keeps it)
  Handle cursor = 0;
  Colour textColour = -1;
  Colour backColour = -1;
  int x = 0, y = 0, width = 0, height = 0;
  int clientWidth = 0, clientHeight = 0;
  std::uint32_t styleFlags = 0;
  FontParams font{.points = 0};  // the control's own font at 96 DPI; points 0: none
  // Kind data.
  OwnedObject bitmap;                           // 3, 19: the copy shown
  OwnedIcon icon;                               // 3, 11: the copy shown
  int upDownId = 0;                             // 12: attached up-down
  std::shared_ptr<ImageCheckBoxData> checkBox;  // 35: both parts share it
  std::vector<int> members;                     // 40: member ids, 255 at most
  std::shared_ptr<const ChartData> chart;       // 41: what it shows
  // Keyboard and names (toolkit_keys.cpp, toolkit_names.cpp).
  ControlOptions options;              // as created
  Text givenName;                      // the mode's name for it; empty: the toolkit's rule names it
  Text summary;                        // 41: what its data shows, in words
  Text tip;                            // pictures are named by their tip
  Text announcedName;                  // the name the backend was last given
  std::vector<ListColumnFit> columns;  // 15: what each column must hold
};

class ControlTable {
 public:
  static constexpr int kInitialCapacity = 512;
  static constexpr int kMaxMembers = 255;

  ControlTable();

  // Files the record under count + 1 and returns that id; the table doubles
  // when the count comes within 4 of its capacity.
  int Add(ControlRecord record);
  // nullptr for an id outside 1..count or a free entry.
  ControlRecord* Find(int id);
  const ControlRecord* Find(int id) const;
  // Clears the entry; false when there was nothing to remove.
  bool Remove(int id);
  // The id whose record holds this window handle, or 0.
  int IdOfHandle(Handle window) const;
  void Clear();

  int count() const { return count_; }
  int capacity() const { return static_cast<int>(records_.size()); }

 private:
  std::vector<ControlRecord> records_;
  int count_ = 0;
};

// Font height in pixels for a point size at 96 dots per inch: negative (a
// character height), truncated toward zero; sizes below 1 count as 8.5.
int FontHeight(double points);
// The same height at a display scale: the 96-DPI height scaled.
inline int FontHeightAt(double points, int dpi) { return ScaleToDpi(FontHeight(points), dpi); }

}  // namespace twk::ui
