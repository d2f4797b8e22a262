#pragma once
// The one top-level window of a start: a skinned frame whose header band
// carries the program icon, the title, the minimise and close pictures and
// the three web links. Every mode fills the rest with its own controls.
#include <utility>
#include <vector>

#include "ui/owned_objects.h"
#include "ui/toolkit_window.h"
#include "ui/window_backend.h"

namespace twk::context {

inline constexpr char16_t kWindowClassName[] = u"TWK_GUI_CLASS";
inline constexpr char16_t kProductTitle[] = u"Tarnwick";
// The publisher's web server; the pages below it are fixed.
inline constexpr char16_t kPublisherAddress[] = u"http://www.tarnwick.example";
inline constexpr char16_t kPublisherName[] = u"Tarnwick Software";
inline constexpr char kProgramVersion[] = TWK_VERSION_TEXT;

// The controls of the header band, in the order they are created.
struct HeaderIds {
  int title = 0;
  int homeLink = 0;
  int minimize = 0;
  int close = 0;
  int updateLink = 0;
  int helpLink = 0;
};

class MainFrame : public ui::ToolkitWindow {
 public:
  static constexpr int kWidth = 600;
  static constexpr int kHeight = 465;

  MainFrame(ui::WindowBackend& ui, ui::EventSlot& slot);
  ~MainFrame();

  // Creates the frame with its decoration and the check-box images; false
  // when the window could not be created.
  bool CreateDecorated();
  // The mode's title, on the header's title text and as the caption.
  void ShowTitle(const Text& title);
  // Destroys the window; the decoration's drawing objects go with it.
  void DestroyFrame();

  const HeaderIds& header() const { return header_; }
  // The ticked and the empty box of every check box of the mode windows.
  ui::Handle checkedImage() const { return checkedImage_.get(); }
  ui::Handle uncheckedImage() const { return uncheckedImage_.get(); }

  // The picture beside a push button's caption, 24 x 24, from a PNG
  // resource or from an icon resource.
  void SetButtonImage(int buttonId, int imageResource);
  void SetButtonIcon(int buttonId, int iconResource);

  // At a new display scale the decoration and the buttons' pictures are
  // drawn again at it.
  void ChangeDpi(int dpi) override;

 private:
  using OwnedObject = ui::OwnedObject;
  using OwnedImage = ui::OwnedImage;
  using OwnedIcon = ui::OwnedIcon;

  // The gradients of the background and the header band, at the current scale.
  void MakeBackgrounds();
  // The band's brush on the band and its links, the program icon and the
  // two title pictures.
  void DecorateHeader();
  void DrawButtonImage(int buttonId, int imageResource);
  void DrawButtonIcon(int buttonId, int iconResource);
  static void Remember(std::vector<std::pair<int, int>>& pictures, int buttonId, int resource);

  ui::WindowBackend& ui_;
  HeaderIds header_;
  int band_ = 0;
  int iconPicture_ = 0;
  // The buttons' pictures by resource, to draw them again at a new scale.
  std::vector<std::pair<int, int>> buttonImages_;
  std::vector<std::pair<int, int>> buttonIcons_;
  OwnedObject checkedImage_;
  OwnedObject uncheckedImage_;
  // Drawing objects of the decoration; the window uses them until it is gone.
  OwnedObject frameBitmap_;
  OwnedObject frameBrush_;
  OwnedObject bandBitmap_;
  OwnedObject bandBrush_;
};

}  // namespace twk::context
