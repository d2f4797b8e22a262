// The password box in a start of its own: its window and controls as laid
// out, and the ways it ends.
#include "setup/input_box.h"

#include <gtest/gtest.h>

#include "app/app_fixture.h"
#include "sequence/sequence_test_support.h"
#include "ui/headless/keyboard_test_support.h"

namespace twk::setup {
namespace {

using sequence::testing::Describe;

class InputBoxTest : public ::testing::Test, public app::apptest::AppFixture {
 protected:
  int answer = -1;
  Text result = u"before";
  int frameClicks = 0;

  // Runs the box inside a setup start, over a frame with one button; the
  // script acts once the box shows.
  void Ask(std::function<void()> act, const Text& prompt = u"Enter it.") {
    inMode = [this, prompt](context::StartContext& start) {
      start.frame().SetFont(u"Arial", 11, 400);
      start.frame().CreateButton(u"Other", 10, 400, 80, 26);
      start.frame().Show(ui::ShowCommand::Normal);
      answer = ShowInputBox(start, prompt, result);
      // What the box consumed must not reach the caller afterwards: drain.
      while (start.pump().NextEvent(context::PumpMode::Poll) != 0) {
        if (start.pump().event().eventId > 0) ++frameClicks;
      }
    };
    ui.When([this] { return ui.FindByText(u"OK") != 0; }, std::move(act));
    Start(u"");
  }
  ui::Handle Box() const {
    const auto* ok = ui.Find(ui.FindByText(u"OK"));
    return ok == nullptr ? 0 : ok->parent;
  }
};

TEST_F(InputBoxTest, OwnSkinnedWindowWithAWhitePromptAndAMaskedEditBox) {
  std::vector<std::string> seen;
  std::string background;
  Ask([&] {
    const auto* box = ui.Find(Box());
    seen.push_back(ToUtf8(box->name) + " \"" + ToUtf8(box->text) + "\" " +
                   std::to_string(box->width) + "x" + std::to_string(box->height) +
                   (box->skinCorner == 4 ? " skinned" : "") + (box->visible ? " shown" : "") +
                   (box->parent == ui.frame() ? " over the frame" : ""));
    for (auto [x, y] : std::vector<std::pair<int, int>>{{20, 20}, {20, 89}, {260, 88}, {350, 88}}) {
      seen.push_back(Describe(ui, ui.FindAt(x, y)));
    }
    const auto* label = box->owner->Control(ui.Find(ui.FindAt(20, 20))->id);
    seen.push_back("prompt colour " + std::to_string(label->textColour));
    const auto* edit = ui.Find(ui.FindAt(20, 89));
    seen.push_back("edit password " + std::to_string(edit->edit == ui::EditKind::Password) +
                   " focus " + std::to_string(ui.focus() == edit->handle));
    const auto button = [&](int x) { return ui.Find(ui.FindAt(x, 88))->options; };
    seen.push_back("OK default " + std::to_string(button(260).defaultButton) + ", Cancel default " +
                   std::to_string(button(350).defaultButton) + ", tab stops " +
                   std::to_string(button(260).tabStop) + std::to_string(button(350).tabStop));
    // The brush is a pattern of the framed square, scaled to the client area.
    const auto* brush = ui.FindObject(box->background);
    const auto* bitmap = brush ? ui.FindObject(brush->source) : nullptr;
    const auto* image = bitmap ? ui.FindObject(bitmap->source) : nullptr;
    if (image != nullptr) {
      background = "framed image " + std::to_string(image->width) + "x" +
                   std::to_string(image->height) + " fill " + std::to_string(image->argbFill) +
                   " frame " + std::to_string(image->argbFrame) + " pen " +
                   std::to_string(image->flags) + " as " + std::to_string(bitmap->width) + "x" +
                   std::to_string(bitmap->height);
    }
    ui.Click(ui.FindByText(u"Cancel"));
  });
  EXPECT_EQ(seen,
            (std::vector<std::string>{
                "TWK_MSG_CLASS \"TWK Input Box\" 450x120 skinned shown over the frame",
                "13 \"Enter it.\" (20,20,410,68) Arial 12/800",
                "12 \"before\" (20,89,230,24) Arial 12/800", "3 \"OK\" (260,88,80,26) Arial 12/800",
                "3 \"Cancel\" (350,88,80,26) Arial 12/800", "prompt colour 16777215",
                "edit password 1 focus 1", "OK default 1, Cancel default 0, tab stops 11"}));
  EXPECT_EQ(background, "framed image 450x450 fill 4278190080 frame 4294967295 pen 4 as 450x120");
  // The box and its background are gone; the frame is all that is left.
  const auto* box = ui.Find(Box());
  EXPECT_TRUE(box == nullptr || box->destroyed);
}

TEST_F(InputBoxTest, OkGivesWhatWasTypedEvenNothingAndClicksOnTheCallersWindowAreLost) {
  for (const Text& typed : {Text(u"secret"), Text()}) {
    Ask([&] {
      ui.Type(ui.FindAt(20, 89), typed);
      ui.Click(ui.FindByText(u"Other"));
      ui.AfterWakes(3, [this] { ui.Click(ui.FindByText(u"OK")); });
    });
    EXPECT_EQ(answer, 1);
    EXPECT_EQ(result, typed);
    EXPECT_EQ(frameClicks, 0);
  }
}

TEST_F(InputBoxTest, AnyCloseRequestGivesZeroAndLeavesTheResult) {
  // The box's own close, the frame's close button and the session's end.
  for (int how = 0; how < 3; ++how) {
    result = u"kept";
    Ask([&, how] {
      ui.Type(ui.FindAt(20, 89), u"typed");
      if (how == 0) ui.Close(Box());
      if (how == 1) ui.Click(ui.FindAt(569, 5));
      if (how == 2) ui.EndSession(ui.frame());
    });
    EXPECT_FALSE(ui.wakeLimitReached()) << how;
    EXPECT_EQ(answer, 0) << how;
    EXPECT_EQ(result, u"kept") << how;
  }
}

// From the keyboard: the box opens with the focus in its field, Tab goes
// field, OK, Cancel and round; Enter in the field is OK, Escape the close
// request, which gives 0.
TEST_F(InputBoxTest, TheKeyboardTabsThroughTheBoxEnterIsOkAndEscapeCancels) {
  std::vector<Text> names;
  Text fieldName;
  Ask(
      [&] {
        fieldName = ui.Find(ui.FindAt(20, 89))->accessibleName;
        ui::testing::WalkTabs(ui, 3, false, names, [&] {
          ui::testing::WalkTabs(ui, 2, true, names, [&] {
            ui.Type(ui.FindAt(20, 89), u"secret");
            ui.PressKey(ui::msg::VkReturn);
          });
        });
      },
      u"Please enter the auto-logon password for alice in the text box below.");
  EXPECT_EQ(fieldName, u"Please enter the auto-logon password for alice in the text box below.");
  EXPECT_EQ(names, (std::vector<Text>{u"OK", u"Cancel",
                                      u"Please enter the auto-logon password "
                                      u"for alice in the text box below.",
                                      u"Cancel", u"OK"}));
  EXPECT_EQ(answer, 1);
  EXPECT_EQ(result, u"secret");

  result = u"kept";
  Ask([&] {
    ui.Type(ui.FindAt(20, 89), u"typed");
    ui.PressKey(ui::msg::VkEscape);
  });
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(result, u"kept");
}

}  // namespace
}  // namespace twk::setup
