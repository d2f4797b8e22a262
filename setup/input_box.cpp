#include "setup/input_box.h"

#include "base/wipe.h"
#include "context/start_context.h"
#include "platform/port_handle.h"
#include "ui/toolkit_window.h"

namespace twk::setup {
namespace {

using ui::OwnedImage;
using ui::OwnedObject;

constexpr int kWidth = 450;
constexpr int kHeight = 120;
// The background is drawn square and scaled to the client area, so that
// the frame keeps its proportions whatever the box's size.
constexpr int kBackgroundSize = 450;
constexpr std::uint32_t kOpaqueBlack = 0xFF000000;
constexpr std::uint32_t kOpaqueWhite = 0xFFFFFFFF;
constexpr float kFramePen = 4.0f;
constexpr ui::Colour kWhiteText = 0xFFFFFF;

class InputBox {
 public:
  InputBox(context::StartContext& start)
      : start_(start), ui_(start.ui()), box_(start.ui(), start.pump().slot()) {}
  ~InputBox() { Close(); }

  int Ask(const Text& prompt, Text& result);

 private:
  bool Open(const Text& prompt, const Text& initial);
  void Close();

  context::StartContext& start_;
  ui::WindowBackend& ui_;
  ui::ToolkitWindow box_;
  OwnedObject background_;
  OwnedObject brush_;
  int editId_ = 0;
  int okId_ = 0;
  int cancelId_ = 0;
};

bool InputBox::Open(const Text& prompt, const Text& initial) {
  if (box_.Create(kInputBoxClass, kInputBoxTitle, kWidth, kHeight, &start_.frame()) == 0) {
    return false;
  }
  box_.ApplySkin();
  {
    const OwnedImage image(
        ui_, box_.MakeObject(ui::draw::FramedImage(kBackgroundSize, kBackgroundSize, kOpaqueBlack,
                                                  kOpaqueWhite, kFramePen)));
    if (image)
      background_ =
          OwnedObject(ui_, box_.MakeObject(ui::draw::BitmapOfImage(image.get(), kWidth, kHeight)));
    if (background_)
      brush_ = OwnedObject(ui_, box_.MakeObject(ui::draw::PatternBrush(background_.get())));
    if (brush_) box_.SetBackground(brush_.get());
  }

  box_.SetFont(u"Arial", 12, 800);
  box_.SetColours(kWhiteText, -1);
  box_.CreateLabel(prompt, 20, 20, 410, 68);
  box_.SetColours(-1, -1);
  editId_ = box_.CreateEdit(initial, 20, 89, 230, 24, ui::EditKind::Password);
  okId_ = box_.CreateButton(u"OK", 260, 88, 80, 26, {.tabStop = true, .defaultButton = true});
  cancelId_ = box_.CreateButton(u"Cancel", 350, 88, 80, 26, {.tabStop = true});
  return editId_ != 0 && okId_ != 0 && cancelId_ != 0;
}

void InputBox::Close() {
  if (box_.handle() == 0) return;
  // The edit control keeps what was typed in its own buffer until it is
  // destroyed: overwrite it there first.
  if (editId_ != 0) {
    Text typed = box_.GetControlText(editId_);
    box_.SetControlText(editId_, Text(typed.size(), u'*'));
    box_.SetControlText(editId_, Text());
    WipeText(typed);
  }
  box_.Destroy();
  brush_.Reset();
  background_.Reset();
}

int InputBox::Ask(const Text& prompt, Text& result) {
  if (!Open(prompt, result)) return 0;
  context::EventPump& pump = start_.pump();
  // What was waiting before the box appeared is not the box's business.
  while (pump.NextEvent(context::PumpMode::Poll) != 0) {
  }
  box_.Show(ui::ShowCommand::Normal);
  box_.SetControlState(editId_, ui::state::FocusControl);

  for (;;) {
    pump.NextEvent(context::PumpMode::Wait);
    const ui::EventSlot& e = pump.event();
    // A close request from any window, or a loop that cannot fetch any more.
    if (e.eventId == ui::event::CloseRequest || e.eventId == ui::event::LoopEnded) return 0;
    if (e.sourceWindow != &box_ || e.eventId <= 0) continue;
    if (e.eventId == cancelId_) return 0;
    if (e.eventId == okId_) {
      Text typed = box_.GetControlText(editId_);
      WipeText(result);
      result = typed;
      WipeText(typed);
      return 1;
    }
  }
}

}  // namespace

int ShowInputBox(context::StartContext& start, const Text& prompt, Text& result) {
  return InputBox(start).Ask(prompt, result);
}

}  // namespace twk::setup
