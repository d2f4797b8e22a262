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

  // A pattern brush made from a gradient image: the brush keeps using the
  // bitmap, so both live as long as the window.
  const auto gradientBrush = [&](int width, int height, std::uint32_t from, std::uint32_t to,
                                 int direction, OwnedObject& bitmap, OwnedObject& brush) {
    const OwnedImage image(
        ui_, ui_.MakeObject(ui::draw::GradientImage(width, height, from, to, direction)));
    if (!image) return;
    bitmap = OwnedObject(ui_, ui_.MakeObject(ui::draw::BitmapOfImage(image.get(), 0, 0)));
    if (bitmap) brush = OwnedObject(ui_, ui_.MakeObject(ui::draw::PatternBrush(bitmap.get())));
  };
  // Background: a light diagonal gradient over the whole client area.
  gradientBrush(kWidth, kHeight, 0xFFDFDFDF, 0xFFFFFFFF, 2, frameBitmap_, frameBrush_);
  if (frameBrush_) SetBackground(frameBrush_.get());
  // The header band, a dark vertical gradient that serves as the title bar.
  gradientBrush(10, 78, 0xFF101010, 0xFF606060, 1, bandBitmap_, bandBrush_);

  const int band = CreateChildWindow(2, 2, 596, 78, true);
  if (band != 0 && bandBrush_) SetControlEraseBrush(band, bandBrush_.get());
  {
    // The picture keeps a copy of its own.
    const OwnedIcon icon(ui_,
                         ui_.MakeObject(ui::draw::IconResource(ui::resource::ProgramIcon, 64)));
    if (icon) SetControlName(CreateIconPicture(icon.get(), 6, 6), kProductTitle);
  }

  SetFont(u"Arial", 14, 800);
  SetColours(kWhite, -1);
  header_.title = CreateLabel(Text(), 78, 12, 450, 28);
  SetFont(u"Arial", 11, 400);

  const auto picture = [&](ui::TitleButton button, int x, const char16_t* tip) {
    const OwnedImage image(ui_, ui_.MakeObject(ui::draw::TitleButtonImage(button)));
    const int id = CreateSmallPicture(image.get(), x);
    SetControlTip(id, tip);
    SetControlCursor(id, ui::Cursor::Hand);
    return id;
  };
  header_.minimize = picture(ui::TitleButton::Minimize, 535, u"Minimize this dialog box");
  header_.close = picture(ui::TitleButton::Close, 569, u"Close this dialog box");

  const auto link = [&](const Text& text, int x, int width, const char16_t* tip) {
    const int id = CreateLink(text, x, 50, width, 18);
    if (id != 0 && bandBrush_) {
      // The link shows the band's background: it erases with the band's
      // brush and answers the colour messages with it.
      SetControlEraseBrush(id, bandBrush_.get());
      SetControlBrush(id, bandBrush_.get(), 0);
    }
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

  checkedImage_ = OwnedObject(ui_, ui_.MakeObject(ui::draw::CheckBoxBitmap(1)));
  uncheckedImage_ = OwnedObject(ui_, ui_.MakeObject(ui::draw::CheckBoxBitmap(0)));
  return true;
}

void MainFrame::ShowTitle(const Text& title) {
  SetControlText(header_.title, title);
  SetTitle(title);
}

void MainFrame::DestroyFrame() {
  // The window first: its controls may still use the images and brushes.
  Destroy();
  checkedImage_.Reset();
  uncheckedImage_.Reset();
  frameBrush_.Reset();
  frameBitmap_.Reset();
  bandBrush_.Reset();
  bandBitmap_.Reset();
}

void MainFrame::SetButtonImage(int buttonId, int imageResource) {
  const OwnedImage image(ui_, ui_.MakeObject(ui::draw::ImageResource(
                                  imageResource, kButtonImageSize, kButtonImageSize)));
  if (!image) return;
  const OwnedObject bitmap(ui_, ui_.MakeObject(ui::draw::BitmapOfImage(
                                    image.get(), kButtonImageSize, kButtonImageSize)));
  // The button keeps a copy of its own.
  if (bitmap) SetControlBitmap(buttonId, bitmap.get(), kButtonImageSize, kButtonImageSize);
}

void MainFrame::SetButtonIcon(int buttonId, int iconResource) {
  const OwnedIcon icon(ui_, ui_.MakeObject(ui::draw::IconResource(iconResource, kButtonImageSize)));
  if (icon) SetControlIcon(buttonId, icon.get());
}

}  // namespace twk::context
