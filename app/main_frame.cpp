// The main frame and its fixed decoration: a skinned window whose header
// band carries the program icon, the title, minimise and close pictures and
// the three web links. Every mode fills the rest of the frame.
#include "app/application.h"

namespace twk::app {
namespace {

constexpr std::uint32_t kControlParent = 0x00010000;  // WS_EX_CONTROLPARENT
constexpr int kProgramIcon = 107;
constexpr ui::Colour kWhite = 0xFFFFFF;
constexpr int kHandCursor = 32649;

}  // namespace

void Application::CreateMainFrame() {
  if (mainFrame.Create(windowClassName, productTitle, kFrameWidth, kFrameHeight) == 0) return;
  mainFrame.ApplySkin();

  // Background: a light diagonal gradient over the whole client area.
  if (ui::Handle image = ui_.GradientImage(kFrameWidth, kFrameHeight, 0xFFDFDFDF, 0xFFFFFFFF, 2)) {
    frameBitmap_ = ui_.ImageToBitmap(image, 0, 0);
    ui_.ReleaseImage(image);
    if (frameBitmap_ != 0) frameBrush_ = ui_.CreatePatternBrush(frameBitmap_);
    if (frameBrush_ != 0) mainFrame.SetBackground(frameBrush_);
  }

  // The header band, a dark vertical gradient that serves as the title bar.
  if (ui::Handle image = ui_.GradientImage(10, 78, 0xFF101010, 0xFF606060, 1)) {
    bandBitmap_ = ui_.ImageToBitmap(image, 0, 0);
    ui_.ReleaseImage(image);
    if (bandBitmap_ != 0) bandBrush_ = ui_.CreatePatternBrush(bandBitmap_);
  }
  const int band = mainFrame.CreateChildWindow(2, 2, 596, 78, 0, kControlParent);
  if (band != 0 && bandBrush_ != 0) {
    ui_.SetEraseBrush(mainFrame.Control(band)->window, bandBrush_);
  }

  if (ui::Handle icon = ui_.LoadIconResource(kProgramIcon, 64)) {
    mainFrame.CreateIconPicture(icon, 6, 6);
    ui_.DestroyIcon(icon);  // the picture keeps its own copy
  }

  mainFrame.SetFont(u"Arial", 14, 800);
  mainFrame.SetColours(kWhite, -1);
  titleId = mainFrame.CreateLabel(Text(), 78, 12, 450, 28);
  mainFrame.SetFont(u"Arial", 11, 400);

  const auto picture = [&](ui::TitleButton button, int x, const char16_t* tip) {
    const ui::Handle image = ui_.TitleButtonImage(button);
    const int id = mainFrame.CreateSmallPicture(image, x);
    if (image != 0) ui_.ReleaseImage(image);
    mainFrame.SetControlTip(id, tip);
    mainFrame.SetControlCursor(id, kHandCursor);
    return id;
  };
  minimizeId = picture(ui::TitleButton::Minimize, 535, u"Minimize this dialog box");
  closeId = picture(ui::TitleButton::Close, 569, u"Close this dialog box");

  const auto link = [&](const Text& text, int x, int width, const char16_t* tip) {
    const int id = mainFrame.CreateLink(text, x, 50, width, 18);
    if (const ui::ControlRecord* r = mainFrame.Control(id)) {
      ui_.PrepareLink(r->window);
      if (bandBrush_ != 0) {
        // The link shows the band's background: it erases with the band's
        // brush and answers the colour messages with it.
        ui_.SetEraseBrush(r->window, bandBrush_);
        mainFrame.SetControlBrush(id, bandBrush_, 0);
      }
    }
    mainFrame.SetControlTip(id, tip);
    return id;
  };
  homeLinkId =
      link(u"Powered by <a>" + Text(kPublisherName) + u"</a>.", 80, 200, u"Visit our website");
  updateLinkId = link(u"<a>Check for updates</a>", 320, 160,
                      u"Check if a new version of this application is available");
  helpLinkId = link(u"<a>Online help</a>", 500, 100, u"Go to the online help page now");

  mainFrame.CloseChildWindow();
  mainFrame.SetColours(-1, -1);

  checkedImage = ui_.DrawCheckBoxImage(1);
  uncheckedImage = ui_.DrawCheckBoxImage(0);
}

void Application::ReleaseFrameDrawing() {
  for (ui::Handle* object : {&frameBrush_, &frameBitmap_, &bandBrush_, &bandBitmap_}) {
    if (*object != 0) ui_.DeleteObject(*object);
    *object = 0;
  }
}

}  // namespace twk::app
