#include "ui/toolkit_window.h"

#include <utility>

namespace twk::ui {
namespace {

// Style flags of the window that the creators read.
constexpr std::uint32_t kFlagBufferedPaint = 0x800;
constexpr std::uint32_t kFlagKeepClientSize = 0x63EE;
constexpr std::uint32_t kFlagProgressMask = 0xC00;
constexpr std::uint32_t kFlagMovesWindow = 0x1000;

}  // namespace

ToolkitWindow::ToolkitWindow(WindowBackend& backend, EventSlot& slot)
    : backend_(backend), slot_(slot) {}

ToolkitWindow::~ToolkitWindow() {
  Destroy();
  // The slot outlives every window; it must not point at a dead one.
  if (slot_.sourceWindow == this) slot_.sourceWindow = nullptr;
  if (slot_.dialogWindow == this) slot_.dialogWindow = nullptr;
}

Handle ToolkitWindow::Create(const Text& name, const Text& title, int clientWidth, int clientHeight,
                             const ToolkitWindow* parent) {
  if (handle_ != 0) Destroy();
  const Handle parentWindow = parent ? parent->handle() : 0;
  dpi_ = backend_.DpiForNewWindow(parentWindow);
  const Handle window = backend_.CreateTopWindow(*this, name, title, Px(clientWidth),
                                                 Px(clientHeight), parentWindow);
  if (window == 0) return 0;
  handle_ = window;
  name_ = name;
  title_ = title;
  clientWidth_ = clientWidth;
  clientHeight_ = clientHeight;
  slot_ = EventSlot{};
  font_ = FontParams{};
  return handle_;
}

bool ToolkitWindow::Destroy() {
  if (handle_ == 0) return false;
  if (backend_.QueryState(handle_).visible) (void)backend_.ChangeState(handle_, {.visible = false});
  for (int id = table_.count(); id >= 1; --id) DeleteControl(id);
  backend_.DestroyTopWindow(handle_);
  handle_ = 0;
  name_.clear();
  title_.clear();
  table_.Clear();
  font_ = FontParams{};
  textColour_ = backColour_ = -1;
  styleFlags_ = 0;
  startGroup_ = false;
  openChildWindow_ = 0;
  dpi_ = kBaseDpi;
  skinned_ = false;
  if (slot_.sourceWindow == this) slot_.sourceWindow = nullptr;
  if (slot_.dialogWindow == this) slot_.dialogWindow = nullptr;
  return true;
}

void ToolkitWindow::ApplySkin() {
  if (handle_ == 0) return;
  skinned_ = true;
  backend_.ApplySkin(handle_, Px(4));
}

void ToolkitWindow::SetTitle(const Text& title) {
  title_ = title;
  if (handle_ != 0) backend_.SetText(handle_, title);
}

void ToolkitWindow::Show(ShowCommand command) {
  if (handle_ != 0) backend_.ShowTopWindow(handle_, command);
}

void ToolkitWindow::ChangeDpi(int dpi) {
  if (handle_ == 0 || dpi <= 0 || dpi == dpi_) return;
  const int before = dpi_;
  dpi_ = dpi;
  for (int id = 1; id <= table_.count(); ++id) {
    ControlRecord* r = table_.Find(id);
    if (r == nullptr) continue;
    backend_.PlaceControl(r->window, Px(r->x), Px(r->y), Px(r->width), Px(r->height));
    if (r->font.points != 0.0) backend_.SetControlFont(r->window, ScaledFont(r->font));
    if (!r->columns.empty()) {
      // What each column must hold grows with its font; the cells are not
      // measured again.
      for (ListColumnFit& c : r->columns) {
        c.need = static_cast<int>((static_cast<long long>(c.need) * dpi + before / 2) / before);
      }
      ApplyColumnWidths(*r);
    }
    if (r->chart) {
      auto scaled = std::make_shared<ChartData>(*r->chart);
      scaled->dpi = dpi_;
      backend_.SetChartData(r->window, *scaled);
      r->chart = std::move(scaled);
    }
  }
  if (skinned_) backend_.ApplySkin(handle_, Px(4));
}

void ToolkitWindow::SetBackground(Handle brush) {
  if (handle_ != 0) backend_.SetWindowBackground(handle_, brush);
}

void ToolkitWindow::SetFont(const Text& face, double points, int weight, std::uint8_t attributes,
                            std::uint8_t quality) {
  font_.face = face.substr(0, 31);
  font_.points = points;
  font_.weight = weight < 1 ? 400 : weight;
  font_.attributes = attributes;
  font_.quality = quality;
}

void ToolkitWindow::SetColours(Colour text, Colour back) {
  textColour_ = text;
  backColour_ = back;
}

Handle ToolkitWindow::CurrentParent() const {
  if (openChildWindow_ != 0) {
    if (const ControlRecord* r = table_.Find(openChildWindow_)) return r->window;
  }
  return handle_;
}

ControlParams ToolkitWindow::Params(ControlKind kind, const Text& text, int x, int y, int width,
                                    int height) const {
  ControlParams params;
  params.kind = kind;
  params.text = text;
  params.startsGroup = startGroup_;
  params.x = x;
  params.y = y;
  params.width = width;
  params.height = height;
  params.parent = CurrentParent();
  params.id = table_.count() + 1;
  params.bufferedPaint = (styleFlags_ & kFlagBufferedPaint) != 0;
  return params;
}

int ToolkitWindow::CreateSimple(ControlKind kind, const Text& text, int x, int y, int width,
                                int height, ControlOptions options) {
  ControlParams params = Params(kind, text, x, y, width, height);
  params.options = options;
  return CreateWithParams(params);
}

int ToolkitWindow::CreateWithParams(const ControlParams& params) {
  if (handle_ == 0) return 0;
  // The record keeps the 96-DPI place; the control stands at the window's scale.
  ControlParams placed = params;
  placed.x = Px(params.x);
  placed.y = Px(params.y);
  placed.width = Px(params.width);
  placed.height = Px(params.height);
  const Handle window = backend_.CreateControl(*this, placed);
  if (window == 0) return 0;
  return Register(params.kind, window, params);
}

FontParams ToolkitWindow::ScaledFont(FontParams font) const {
  font.dpi = dpi_;
  return font;
}

Handle ToolkitWindow::MakeObject(ObjectRequest request) const {
  request.width = Px(request.width);  // 0, an image's own size, stays 0
  request.height = Px(request.height);
  request.penWidth = request.penWidth * static_cast<float>(dpi_) / kBaseDpi;
  return backend_.MakeObject(request);
}

int ToolkitWindow::Register(ControlKind kind, Handle window, const ControlParams& params) {
  ControlRecord r;
  r.kind = kind;
  r.window = window;
  r.x = params.x;
  r.y = params.y;
  r.width = params.width;
  r.height = params.height;
  r.styleFlags =
      kind == ControlKind::ProgressBar ? (styleFlags_ & ~kFlagProgressMask) : styleFlags_;
  r.textColour = textColour_ < 0 ? backend_.ButtonTextColour() : textColour_;
  r.options = params.options;
  r.backColour = backColour_;
  if (backColour_ >= 0 && kind != ControlKind::ProgressBar) {
    r.ownBrush = OwnedObject(backend_, backend_.MakeObject(draw::SolidBrush(backColour_)));
    r.brush = r.ownBrush.get();
  }
  if (r.styleFlags & kFlagKeepClientSize) {
    r.clientWidth = clientWidth_;
    r.clientHeight = clientHeight_;
  }
  const int id = table_.Add(std::move(r));

  if (font_.points != 0.0) {
    table_.Find(id)->font = font_;
    backend_.SetControlFont(window, ScaledFont(font_));
  }
  startGroup_ = false;

  if (kind == ControlKind::ChildWindow) {
    openChildWindow_ = id;
  } else if (openChildWindow_ != 0 && params.parent != handle_) {
    if (ControlRecord* host = table_.Find(openChildWindow_)) {
      if (host->members.size() < static_cast<std::size_t>(ControlTable::kMaxMembers)) {
        host->members.push_back(id);
      }
    }
  }
  UpdateNames();
  return id;
}

int ToolkitWindow::CreateButton(const Text& text, int x, int y, int width, int height,
                                ControlOptions options) {
  return CreateSimple(ControlKind::PushButton, text, x, y, width, height, options);
}

int ToolkitWindow::CreateLabel(const Text& text, int x, int y, int width, int height,
                               ControlOptions options) {
  return CreateSimple(ControlKind::Label, text, x, y, width, height, options);
}

int ToolkitWindow::CreateEdit(const Text& text, int x, int y, int width, int height,
                              EditKind kind) {
  ControlParams params = Params(ControlKind::Edit, text, x, y, width, height);
  params.options.tabStop = true;
  params.edit = kind;
  return CreateWithParams(params);
}

int ToolkitWindow::CreateUpDown(int maximum) {
  ControlRecord* edit = table_.Find(table_.count());
  if (edit == nullptr || edit->kind != ControlKind::Edit) return 0;
  const Handle editWindow = edit->window;
  const int editId = edit->id;
  ControlParams params = Params(ControlKind::UpDown, Text(), 0, 0, 0, 0);
  params.upDownBuddy = editWindow;
  params.upDownMaximum = maximum;
  const int id = CreateWithParams(params);
  if (id == 0) return 0;
  table_.Find(editId)->upDownId = id;
  UpdateNames();  // it is named after its field
  return id;
}

int ToolkitWindow::CreateIconPicture(Handle icon, int x, int y) {
  const int id = CreateSimple(ControlKind::IconPicture, Text(), x, y, 64, 64);
  if (id != 0 && icon != 0) SetControlIcon(id, icon);
  return id;
}

int ToolkitWindow::CreateSmallPicture(Handle image, int x) {
  const int id = CreateSimple(ControlKind::SmallPicture, Text(), x, 5, 24, 24);
  if (id != 0 && image != 0) {
    const OwnedObject bitmap(backend_, MakeObject(draw::BitmapOfImage(image, 24, 24)));
    if (bitmap) SetControlBitmap(id, bitmap.get(), 24, 24);
  }
  return id;
}

int ToolkitWindow::CreateProgressBar(int x, int y, int width, int height, bool smooth) {
  ControlParams params = Params(ControlKind::ProgressBar, Text(), x, y, width, height);
  params.smooth = smooth;
  return CreateWithParams(params);
}

bool ToolkitWindow::SetMarquee(int id, bool on) {
  const ControlRecord* r = table_.Find(id);
  return r != nullptr && r->kind == ControlKind::ProgressBar &&
         backend_.ChangeState(r->window, {.marquee = on});
}

int ToolkitWindow::CreateLink(const Text& text, int x, int y, int width, int height) {
  return CreateSimple(ControlKind::Link, text, x, y, width, height, {.tabStop = true});
}

int ToolkitWindow::CreateReportList(int x, int y, int width, int height) {
  return CreateSimple(ControlKind::ListView, Text(), x, y, width, height, {.tabStop = true});
}

int ToolkitWindow::CreateListBox(int x, int y, int width, int height) {
  return CreateSimple(ControlKind::ListBox, Text(), x, y, width, height);
}

int ToolkitWindow::CreateComboBox(int x, int y, int width, int height) {
  return CreateSimple(ControlKind::ComboBox, Text(), x, y, width, height);
}

int ToolkitWindow::CreateImageCheckBox(const Text& text, int x, int y, int width, bool checked,
                                       Handle checkedBitmap, Handle uncheckedBitmap) {
  ControlParams picture = Params(ControlKind::ImageCheckBox, Text(), x, y, 16, 16);
  picture.checkBoxPicture = true;
  const int imageId = CreateWithParams(picture);
  if (imageId == 0) return 0;
  const int textId = CreateSimple(ControlKind::ImageCheckBox, text, x + 16, y - 1, width - 16, 18,
                                  {.tabStop = true});
  if (textId == 0) {
    DeleteControl(imageId);
    return 0;
  }
  auto box = std::make_shared<ImageCheckBoxData>();
  box->imageId = imageId;
  box->textId = textId;
  box->checkedBitmap = checkedBitmap;
  box->uncheckedBitmap = uncheckedBitmap;
  const Handle hand = backend_.MakeObject(draw::SystemCursor(Cursor::Hand));
  for (int id : {imageId, textId}) {
    ControlRecord* r = table_.Find(id);
    r->checkBox = box;
    r->cursor = hand;
  }
  table_.Find(textId)->textColour = box->textColour;
  ApplyCheckBoxState(*box, checked ? state::Checked : state::Unchecked);
  UpdateNames();
  return textId;
}

int ToolkitWindow::CreateChildWindow(int x, int y, int width, int height, bool keysInside) {
  ControlParams params = Params(ControlKind::ChildWindow, Text(), x, y, width, height);
  params.keysInside = keysInside;
  return CreateWithParams(params);
}

void ToolkitWindow::CloseChildWindow() { openChildWindow_ = 0; }

int ToolkitWindow::CreateChart(int x, int y, int width, int height) {
  return CreateSimple(ControlKind::Chart, Text(), x, y, width, height);
}

void ToolkitWindow::ReleaseRecord(ControlRecord& r) {
  // The picture first, the control, then the brush it painted with: nothing
  // is deleted while a live control may still draw with it.
  r.bitmap.Reset();
  r.icon.Reset();
  if (r.window != 0) backend_.DestroyControl(r.window);
  r.window = 0;
  r.brush = 0;
  r.ownBrush.Reset();
}

bool ToolkitWindow::DeleteControl(int id) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  // Members of a child window die with it; delete their records first so
  // that no record keeps a dead handle.
  if (r->kind == ControlKind::ChildWindow) {
    const std::vector<int> members = r->members;
    for (auto it = members.rbegin(); it != members.rend(); ++it) DeleteControl(*it);
    r = table_.Find(id);
  }
  std::shared_ptr<ImageCheckBoxData> box = r->checkBox;
  ReleaseRecord(*r);
  table_.Remove(id);
  if (openChildWindow_ == id) openChildWindow_ = 0;
  if (box) {
    const int partner = box->imageId == id ? box->textId : box->imageId;
    if (ControlRecord* p = table_.Find(partner); p != nullptr && p->checkBox == box) {
      ReleaseRecord(*p);
      table_.Remove(partner);
    }
  }
  UpdateNames();
  return true;
}

void ToolkitWindow::ApplyCheckBoxState(ImageCheckBoxData& box, std::uint32_t newState) {
  box.state = newState;
  if (ControlRecord* image = table_.Find(box.imageId)) {
    const Handle bitmap = newState == state::Checked ? box.checkedBitmap : box.uncheckedBitmap;
    backend_.SetControlImage(image->window, ImageType::Bitmap, bitmap);
  }
}

void ToolkitWindow::ReplaceCheckBoxBitmaps(Handle checked, Handle unchecked) {
  for (int id = 1; id <= table_.count(); ++id) {
    ControlRecord* r = table_.Find(id);
    // Each box once: through its picture part.
    if (r == nullptr || !r->checkBox || r->checkBox->imageId != id) continue;
    r->checkBox->checkedBitmap = checked;
    r->checkBox->uncheckedBitmap = unchecked;
    ApplyCheckBoxState(*r->checkBox, r->checkBox->state);
  }
}

bool ToolkitWindow::SetControlText(int id, const Text& text) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  if (r->checkBox) {
    r = table_.Find(r->checkBox->textId);
    if (r == nullptr) return false;
  }
  backend_.SetText(r->window, text);
  UpdateNames();
  return true;
}

Text ToolkitWindow::GetControlText(int id) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return Text();
  if (r->checkBox) {
    r = table_.Find(r->checkBox->textId);
    if (r == nullptr) return Text();
  }
  return backend_.GetText(r->window);
}

bool ToolkitWindow::SetControlState(int id, std::uint32_t flags) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  const StateRequest req = ResolveStateFlags(flags);
  std::vector<Handle> parts{r->window};
  std::shared_ptr<ImageCheckBoxData> box = r->checkBox;
  if (box) {
    const int partner = box->imageId == id ? box->textId : box->imageId;
    if (const ControlRecord* p = table_.Find(partner)) parts.push_back(p->window);
  }
  if (req.visible >= 0) {
    for (Handle h : parts) (void)backend_.ChangeState(h, {.visible = req.visible == 1});
  }
  if (req.check >= 0) {
    if (box) {
      if (req.check != 2)
        ApplyCheckBoxState(*box, req.check == 1 ? state::Checked : state::Unchecked);
    } else if (r->kind == ControlKind::PushButton || r->kind == ControlKind::RadioButton) {
      (void)backend_.ChangeState(r->window, {.check = req.check});
    }
  }
  if (req.enabled >= 0) {
    for (Handle h : parts) (void)backend_.ChangeState(h, {.enabled = req.enabled == 1});
  }
  if (req.focusControl) {
    const ControlRecord* target = box ? table_.Find(box->textId) : r;
    if (target != nullptr) (void)backend_.ChangeState(target->window, {.focus = true});
  }
  if (req.focusWindow) (void)backend_.ChangeState(handle_, {.focus = true});
  return true;
}

std::uint32_t ToolkitWindow::GetControlState(int id) {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr) return 0;
  const WindowState now = backend_.QueryState(r->window);
  std::uint32_t flags = now.visible ? state::Show : state::Hide;
  flags |= now.enabled ? state::Enable : state::Disable;
  if (r->checkBox) {
    flags |= r->checkBox->state;
  } else if (r->kind == ControlKind::PushButton || r->kind == ControlKind::RadioButton) {
    const int check = now.check;
    flags |= check == 1 ? state::Checked : check == 2 ? state::Indeterminate : state::Unchecked;
  }
  return flags;
}

bool ToolkitWindow::SetControlFont(int id, const Text& face, double points, int weight) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  if (r->checkBox) r = table_.Find(r->checkBox->textId);
  if (r == nullptr || points == 0.0) return false;
  FontParams f;
  f.face = face.substr(0, 31);
  f.points = points;
  f.weight = weight < 1 ? 400 : weight;
  r->font = f;
  backend_.SetControlFont(r->window, ScaledFont(f));
  return true;
}

bool ToolkitWindow::SetControlTip(int id, const Text& text) {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr || handle_ == 0) return false;
  bool ok = backend_.AddTooltip(handle_, r->window, text);
  if (r->checkBox) {
    const int partner = r->checkBox->imageId == id ? r->checkBox->textId : r->checkBox->imageId;
    if (const ControlRecord* p = table_.Find(partner)) {
      ok = backend_.AddTooltip(handle_, p->window, text) && ok;
    }
  }
  table_.Find(id)->tip = text;
  UpdateNames();
  return ok;
}

bool ToolkitWindow::SetControlTextColour(int id, Colour colour) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  r->textColour = colour;
  (void)backend_.ChangeState(r->window, {.repaint = true});
  return true;
}

bool ToolkitWindow::SetControlBitmap(int id, Handle bitmap, int width, int height) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  if (r->kind != ControlKind::SmallPicture && r->kind != ControlKind::PushButton) return false;
  const OwnedObject blank(backend_,
                          bitmap == 0 ? MakeObject(draw::BlankBitmap(width, height)) : 0);
  // The control shows a copy that it owns, so callers may release theirs.
  OwnedObject copy(backend_,
                   backend_.MakeObject(draw::BitmapCopy(bitmap != 0 ? bitmap : blank.get())));
  if (!copy) return false;
  ShowOwnedPicture(*r, std::move(copy), OwnedIcon());
  return true;
}

bool ToolkitWindow::SetControlIcon(int id, Handle icon) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr || icon == 0) return false;
  if (r->kind != ControlKind::IconPicture && r->kind != ControlKind::PushButton) return false;
  OwnedIcon copy(backend_, backend_.MakeObject(draw::IconCopy(icon)));
  if (!copy) return false;
  ShowOwnedPicture(*r, OwnedObject(), std::move(copy));
  return true;
}

void ToolkitWindow::ShowOwnedPicture(ControlRecord& record, OwnedObject bitmap, OwnedIcon icon) {
  const bool isIcon = static_cast<bool>(icon);
  backend_.SetControlImage(record.window, isIcon ? ImageType::Icon : ImageType::Bitmap,
                           isIcon ? icon.get() : bitmap.get());
  // Only now that the control shows the new one may the old picture go.
  record.bitmap = std::move(bitmap);
  record.icon = std::move(icon);
}

bool ToolkitWindow::SetControlCursor(int id, Cursor cursor) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  r->cursor = cursor == Cursor::None ? 0 : backend_.MakeObject(draw::SystemCursor(cursor));
  return true;
}

bool ToolkitWindow::SetControlEraseBrush(int id, Handle brush) {
  const ControlRecord* r = table_.Find(id);
  return r != nullptr && backend_.ChangeState(r->window, {.eraseBrush = brush});
}

bool ToolkitWindow::SetControlBrush(int id, Handle brush, Colour backColour) {
  ControlRecord* r = table_.Find(id);
  if (r == nullptr) return false;
  r->ownBrush.Reset();
  r->brush = brush;
  r->backColour = backColour;
  return true;
}

const ControlRecord* ToolkitWindow::ListView(int id) const {
  const ControlRecord* r = table_.Find(id);
  return r != nullptr && r->kind == ControlKind::ListView ? r : nullptr;
}

int ToolkitWindow::InsertListColumn(int id, int column, const Text& text, int width) {
  const ControlRecord* r = ListView(id);
  const int at = r == nullptr ? -1 : backend_.InsertListColumn(r->window, column, text, Px(width));
  if (at >= 0 && static_cast<std::size_t>(at) <= r->columns.size()) {
    ControlRecord* list = table_.Find(id);
    list->columns.insert(list->columns.begin() + at, ListColumnFit{text, 0, Px(width)});
    FitListColumn(id, at, text);
    UpdateNames();
  }
  return at;
}

int ToolkitWindow::InsertListItem(int id, int index, const Text& text) {
  const ControlRecord* r = ListView(id);
  const int row = r == nullptr ? -1 : backend_.InsertListItem(r->window, index, text);
  if (row >= 0) FitListColumn(id, 0, text);
  return row;
}

bool ToolkitWindow::SetListItemText(int id, int item, int subItem, const Text& text) {
  const ControlRecord* r = ListView(id);
  const bool set = r != nullptr && backend_.SetListItemText(r->window, item, subItem, text);
  if (set) FitListColumn(id, subItem, text);
  return set;
}

int ToolkitWindow::SelectedListRow(int id) {
  const ControlRecord* r = ListView(id);
  return r == nullptr ? -1 : backend_.QueryState(r->window).selectedRow;
}

bool ToolkitWindow::SetChartData(int id, const ChartData& data) {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr || r->kind != ControlKind::Chart) return false;
  auto scaled = std::make_shared<ChartData>(data);
  scaled->dpi = dpi_;
  backend_.SetChartData(r->window, *scaled);
  table_.Find(id)->chart = std::move(scaled);
  table_.Find(id)->summary = data.description;
  UpdateNames();
  return true;
}

bool ToolkitWindow::SetTaskbarProgress(TaskbarProgress state, std::uint64_t done,
                                       std::uint64_t total) {
  return handle() != 0 && backend_.SetTaskbarProgress(handle(), state, done, total);
}

int ToolkitWindow::ClickedChartBar(int id) {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr || r->kind != ControlKind::Chart) return -1;
  return backend_.QueryState(r->window).selectedRow;
}

void ToolkitWindow::PostEvent(std::int32_t id, Handle from, std::uintptr_t idOrCode,
                              std::uintptr_t extra) {
  slot_.eventId = id;
  slot_.details = EventDetails{from, idOrCode, extra};
  slot_.sourceWindow = this;
  slot_.pending = id != 0;
  if (id == event::CloseRequest) {
    slot_.closeRequested = true;
  } else if (id > 0) {
    slot_.closeRequested = false;
  }
}

bool ToolkitWindow::MovesWindow(const ControlRecord& control) const {
  return (control.styleFlags & kFlagMovesWindow) != 0;
}

void ToolkitWindow::ActivateControl(int id, Handle from, std::uintptr_t code) {
  const ControlRecord* r = table_.Find(id);
  if (r == nullptr) return;
  if (r->kind == ControlKind::ImageCheckBox && r->checkBox) {
    const std::shared_ptr<ImageCheckBoxData> box = r->checkBox;
    const std::uint32_t next = box->state == state::Checked ? state::Unchecked : state::Checked;
    SetControlState(box->textId, next);
    const ControlRecord* text = table_.Find(box->textId);
    PostEvent(box->textId, text ? text->window : from, code, 0);
    return;
  }
  if (MovesWindow(*r)) {
    backend_.BeginCaptionDrag(handle_);
    return;
  }
  PostEvent(id, from, code, 0);
}

void ToolkitWindow::MarkDialogWindow() {
  if (handle_ != 0 && backend_.QueryState(handle_).foreground) slot_.dialogWindow = this;
}

}  // namespace twk::ui
