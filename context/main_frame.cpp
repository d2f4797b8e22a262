#include "context/main_frame.h"

#include "ui/resource_ids.h"

namespace twk::context {
namespace {

constexpr ui::Colour kWhite = 0xFFFFFF;
constexpr int kButtonImageSize = 24;

}  // namespace

MainFrame::MainFrame(ui::WindowBackend& ui, ui::EventSlot& slot)
    : ui::ToolkitWindow(ui, slot), ui_(ui) {}

MainFrame::~MainFrame() { DestroyFrame(); }

bool MainFrame::CreateDecorated() {
  if (Create(kWindowClassName, kProductTitle, kWidth, kHeight) == 0) return false;
  ApplySkin();
  MakeBackgrounds();

  band_ = CreateChildWindow(2, 2, 596, 78, true);
  iconPicture_ = CreateIconPicture(0, 6, 6);
  SetControlName(iconPicture_, kProductTitle);
  SetFont(u"Arial", 14, 800);
  SetColours(kWhite, -1);
  header_.title = CreateLabel(Text(), 78, 12, 450, 28);
  SetFont(u"Arial", 11, 400);

  const auto picture = [&](int x, const char16_t* tip) {
    const int id = CreateSmallPicture(0, x);
    SetControlTip(id, tip);
    SetControlCursor(id, ui::Cursor::Hand);
    return id;
  };
  header_.minimize = picture(535, u"Minimize this dialog box");
  header_.close = picture(569, u"Close this dialog box");

  const auto link = [&](const Text& text, int x, int width, const char16_t* tip) {
    const int id = CreateLink(text, x, 50, width, 18);
    SetControlTip(id, tip);
    return id;
  };
  header_.homeLink =
      link(u"Powered by <a>" + Text(kPublisherName) + u"</a>.", 80, 200, u"Visit our website");
  header_.updateLink = link(u"<a>Check for updates</a>", 320, 160,
                            u"Check if a new version of this application is available");
  header_.helpLink = link(u"<a>Online help</a>", 500, 100, u"Go to the online help page now");
  CloseChildWindow();
  SetColours(-1, -1);
  DecorateHeader();

  checkedImage_ = OwnedObject(ui_, MakeObject(ui::draw::CheckBoxBitmap(1)));
  uncheckedImage_ = OwnedObject(ui_, MakeObject(ui::draw::CheckBoxBitmap(0)));
  return true;
}

void MainFrame::MakeBackgrounds() {
  // A pattern brush made from a gradient image: the brush keeps using the
  // bitmap, so both live as long as the window (or until the next scale).
  const auto gradientBrush = [&](int width, int height, std::uint32_t from, std::uint32_t to,
                                 int direction, OwnedObject& bitmap, OwnedObject& brush) {
    const OwnedImage image(
        ui_, MakeObject(ui::draw::GradientImage(width, height, from, to, direction)));
    if (!image) return;
    OwnedObject newBitmap(ui_, MakeObject(ui::draw::BitmapOfImage(image.get(), 0, 0)));
    if (!newBitmap) return;
    OwnedObject newBrush(ui_, MakeObject(ui::draw::PatternBrush(newBitmap.get())));
    if (!newBrush) return;
    bitmap = std::move(newBitmap);
    brush = std::move(newBrush);
  };
  // Background: a light diagonal gradient over the whole client area.
  OwnedObject frameBitmap, frameBrush;
  gradientBrush(kWidth, kHeight, 0xFFDFDFDF, 0xFFFFFFFF, 2, frameBitmap, frameBrush);
  if (frameBrush) SetBackground(frameBrush.get());
  // The header band, a dark vertical gradient that serves as the title bar.
  OwnedObject bandBitmap, bandBrush;
  gradientBrush(10, 78, 0xFF101010, 0xFF606060, 1, bandBitmap, bandBrush);
  // The band and its links show it: they erase with it and answer the
  // colour messages with it.
  if (bandBrush) {
    if (band_ != 0) SetControlEraseBrush(band_, bandBrush.get());
    for (int id : {header_.homeLink, header_.updateLink, header_.helpLink}) {
      if (id == 0) continue;
      SetControlEraseBrush(id, bandBrush.get());
      SetControlBrush(id, bandBrush.get(), 0);
    }
  }
  // The old objects go only now that nothing paints with them any more.
  if (frameBrush) frameBitmap_ = std::move(frameBitmap), frameBrush_ = std::move(frameBrush);
  if (bandBrush) bandBitmap_ = std::move(bandBitmap), bandBrush_ = std::move(bandBrush);
}

void MainFrame::DecorateHeader() {
  if (band_ != 0 && bandBrush_) {
    SetControlEraseBrush(band_, bandBrush_.get());
    for (int id : {header_.homeLink, header_.updateLink, header_.helpLink}) {
      if (id == 0) continue;
      SetControlEraseBrush(id, bandBrush_.get());
      SetControlBrush(id, bandBrush_.get(), 0);
    }
  }
  {
    // The picture keeps a copy of its own.
    const OwnedIcon icon(ui_, MakeObject(ui::draw::IconResource(ui::resource::ProgramIcon, 64)));
    if (icon && iconPicture_ != 0) SetControlIcon(iconPicture_, icon.get());
  }
  for (const auto& [id, button] : {std::pair{header_.minimize, ui::TitleButton::Minimize},
                                  std::pair{header_.close, ui::TitleButton::Close}}) {
    if (id == 0) continue;
    const OwnedImage image(ui_, MakeObject(ui::draw::TitleButtonImage(button)));
    const OwnedObject bitmap(ui_, MakeObject(ui::draw::BitmapOfImage(image.get(), 24, 24)));
    if (bitmap) SetControlBitmap(id, bitmap.get(), 24, 24);
  }
}

void MainFrame::ChangeDpi(int dpi) {
  const int before = this->dpi();
  ui::ToolkitWindow::ChangeDpi(dpi);
  if (this->dpi() == before || handle() == 0) return;
  // The decoration, the check boxes' and the buttons' pictures, drawn again
  // at the new scale; the old ones go once nothing shows them.
  MakeBackgrounds();
  DecorateHeader();
  OwnedObject checked(ui_, MakeObject(ui::draw::CheckBoxBitmap(1)));
  OwnedObject unchecked(ui_, MakeObject(ui::draw::CheckBoxBitmap(0)));
  if (checked && unchecked) {
    ReplaceCheckBoxBitmaps(checked.get(), unchecked.get());
    checkedImage_ = std::move(checked);
    uncheckedImage_ = std::move(unchecked);
  }
  for (const auto& [id, resource] : buttonImages_) DrawButtonImage(id, resource);
  for (const auto& [id, resource] : buttonIcons_) DrawButtonIcon(id, resource);
}

void MainFrame::ShowTitle(const Text& title) {
  SetControlText(header_.title, title);
  SetTitle(title);
}

void MainFrame::DestroyFrame() {
  // The window first: its controls may still use the images and brushes.
  Destroy();
  band_ = iconPicture_ = 0;
  header_ = HeaderIds{};
  buttonImages_.clear();
  buttonIcons_.clear();
  checkedImage_.Reset();
  uncheckedImage_.Reset();
  frameBrush_.Reset();
  frameBitmap_.Reset();
  bandBrush_.Reset();
  bandBitmap_.Reset();
}

void MainFrame::SetButtonImage(int buttonId, int imageResource) {
  Remember(buttonImages_, buttonId, imageResource);
  DrawButtonImage(buttonId, imageResource);
}

void MainFrame::SetButtonIcon(int buttonId, int iconResource) {
  Remember(buttonIcons_, buttonId, iconResource);
  DrawButtonIcon(buttonId, iconResource);
}

void MainFrame::Remember(std::vector<std::pair<int, int>>& pictures, int buttonId, int resource) {
  for (auto& [id, kept] : pictures) {
    if (id == buttonId) {
      kept = resource;
      return;
    }
  }
  pictures.emplace_back(buttonId, resource);
}

void MainFrame::DrawButtonImage(int buttonId, int imageResource) {
  const OwnedImage image(ui_, MakeObject(ui::draw::ImageResource(
                                  imageResource, kButtonImageSize, kButtonImageSize)));
  if (!image) return;
  const OwnedObject bitmap(ui_, MakeObject(ui::draw::BitmapOfImage(
                                    image.get(), kButtonImageSize, kButtonImageSize)));
  // The button keeps a copy of its own.
  if (bitmap) SetControlBitmap(buttonId, bitmap.get(), kButtonImageSize, kButtonImageSize);
}

void MainFrame::DrawButtonIcon(int buttonId, int iconResource) {
  const OwnedIcon icon(ui_, MakeObject(ui::draw::IconResource(iconResource, kButtonImageSize)));
  if (icon) SetControlIcon(buttonId, icon.get());
}

}  // namespace twk::context
