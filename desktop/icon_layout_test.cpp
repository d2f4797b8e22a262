#include "desktop/icon_layout.h"

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "platform/fake/fake_remote_list_view.h"
#include "platform/fake/fake_window_tree.h"
#include "settings/catalogue.h"

namespace twk::desktop {
namespace {

using platform::IconPoint;

const Text kSection = settings::section::DesktopIconLayout;
const Text kPath = u"C:\\Users\\alice\\AppData\\Roaming\\Tarnwick\\TWK.ini";

TEST(IconPositionTest, ValuesSplitAtTheFirstXOfEitherCase) {
  for (const char16_t* bad : {u"x5", u"55", u""}) EXPECT_EQ(ParseIconPosition(bad), std::nullopt);
  EXPECT_EQ(ParseIconPosition(u"5x"), (IconPoint{5, 0}));
  EXPECT_EQ(ParseIconPosition(u"12X34"), (IconPoint{12, 34}));
  EXPECT_EQ(ParseIconPosition(u"-10x-20"), (IconPoint{-10, -20}));
  EXPECT_EQ(ParseIconPosition(u"ax7x8"), (IconPoint{0, 7}));
  EXPECT_EQ(FormatIconPosition({12, 340}), u"12x340");
  EXPECT_EQ(FormatIconPosition({-75, 2}), u"-75x2");
  for (const IconPoint p : {IconPoint{0, 0}, IconPoint{-2147483647 - 1, 2147483647}}) {
    EXPECT_EQ(ParseIconPosition(FormatIconPosition(p)), p);
  }
}

// A desktop with a shell view, three icons and a settings file on drive C:.
class IconLayoutTest : public ::testing::Test {
 protected:
  IconLayoutTest() {
    fs.AddDrive(u'C');
    (void)settings.Load(kPath);
    const WindowHandle progman = tree.Add(tree.desktop(), u"Progman", u"Program Manager");
    const WindowHandle defView = tree.Add(progman, u"SHELLDLL_DefView", u"");
    views.window = tree.Add(defView, u"SysListView32", u"FolderView", 1);
    views.items = {{u"Recycle Bin", {10, 20}}, {u"Notes.txt", {10, 120}}, {u"Game", {-75, 2}}};
  }

  std::int32_t Backup() { return BackupIconLayout(settings, tree, views); }
  std::int32_t Restore() { return RestoreIconLayout(settings, tree, views, true); }
  Text Saved(const Text& key) { return settings.GetValueText(kSection, key); }
  // The section as it reached the disk, read by a fresh document.
  Text OnDisk(const Text& key) {
    settings::SettingsFile reread(fs, ansi);
    (void)reread.Load(kPath);
    return reread.GetValueText(kSection, key);
  }
  // Where the icons are, and what the view was asked for.
  std::string Positions() {
    std::string all;
    for (const auto& item : views.items) all += " " + ToUtf8(FormatIconPosition(item.position));
    return all;
  }
  std::string Counts() {
    std::string redraws;
    for (bool on : views.redraws) redraws += on ? "1" : "0";
    return "opens " + std::to_string(views.opens) + " moves " + std::to_string(views.moves) +
           " refreshes " + std::to_string(views.refreshes) + " redraws " + redraws + " open " +
           std::to_string(views.openNow);
  }
  void MoveAll(IconPoint by) {
    for (auto& item : views.items) item.position = {item.position.x + by.x, item.position.y + by.y};
  }

  using WindowHandle = platform::WindowHandle;
  platform::FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  settings::SettingsFile settings{fs, ansi};
  platform::FakeWindowTree tree;
  platform::FakeRemoteListViews views;
};

TEST_F(IconLayoutTest, BackupFailingAtAnyIconLeavesTheOldLayoutInMemoryAndOnDisk) {
  ASSERT_NE(settings.SetValue(settings::section::Setup, settings::key::NoReport, u"1"), 0u);
  ASSERT_EQ(Backup(), 3);
  const std::vector<Text> lines = settings.lines();
  const std::optional<std::string> bytes = fs.FileBytes(kPath);
  ASSERT_TRUE(bytes);
  MoveAll({1, 1});
  struct Case {
    std::optional<std::int32_t> positionFailsAt;
    std::set<std::int32_t> textFails;
  };
  for (const Case& c : {Case{0, {}}, Case{2, {}}, Case{{}, {2}}}) {
    SCOPED_TRACE(c.positionFailsAt.value_or(-1));
    views.positionReadFailsAt = c.positionFailsAt;
    views.textReadFails = c.textFails;
    const std::size_t opens = fs.openCalls().size();
    EXPECT_EQ(Backup(), 0);
    EXPECT_EQ(settings.lines(), lines);
    EXPECT_EQ(fs.FileBytes(kPath), bytes);
    EXPECT_EQ(fs.openCalls().size(), opens);  // nothing saved
    EXPECT_EQ(views.openNow, 0);
  }
}

TEST_F(IconLayoutTest,
       BackupWritesEveryIconThatCanBeAKeyTheLaterOfEqualTextsAndKeepsOtherSections) {
  ASSERT_NE(settings.SetValue(settings::section::Setup, settings::key::TimesToReboot, u"3"), 0u);
  views.items.push_back({u"Notes.txt", {300, 400}});
  views.items.push_back({u"[Setup] x", {1, 1}});
  views.items.push_back({u" [Setup]", {2, 2}});
  views.items.push_back({u"a=b", {3, 3}});
  views.items.push_back({u"two\r\nlines", {4, 4}});
  EXPECT_EQ(Backup(), 8);
  EXPECT_EQ(Counts(), "opens 1 moves 0 refreshes 0 redraws  open 0");
  settings::SettingsFile reread(fs, ansi);
  ASSERT_TRUE(reread.Load(kPath));
  EXPECT_EQ(reread.lines(),
            (std::vector<Text>{u"[Setup]", u"TimesToReboot=3", u"[DesktopIconLayout]",
                               u"Recycle Bin=10x20", u"Notes.txt=300x400", u"Game=-75x2"}));
  // A second backup drops the icons deleted since.
  views.items.resize(2);
  ASSERT_EQ(Backup(), 2);
  EXPECT_EQ(OnDisk(u"Game"), u"");
  EXPECT_EQ(OnDisk(u"Notes.txt"), u"10x120");
}

TEST_F(IconLayoutTest, BackupFailsWhenTheFileCannotBeSaved) {
  fs.FailNext(platform::FakeFileSystem::Op::Open, 100);
  EXPECT_EQ(Backup(), 0);
  EXPECT_EQ(Saved(u"Game"), u"-75x2");  // the document in memory holds it all the same
  EXPECT_EQ(views.openNow, 0);
}

TEST_F(IconLayoutTest, NothingHappensWithoutASectionAViewItemsOrAnOpenedOwner) {
  EXPECT_EQ(Restore(), 0);
  ASSERT_EQ(Backup(), 3);
  MoveAll({5, 5});
  const auto items = views.items;
  views.items.clear();  // empty desktop
  EXPECT_EQ(Backup(), 0);
  EXPECT_EQ(Restore(), 0);
  EXPECT_EQ(OnDisk(u"Game"), u"-75x2");  // not replaced by an empty section

  views.items = items;
  views.openFails = true;
  EXPECT_EQ(Backup(), 0);
  EXPECT_EQ(Restore(), 0);
  views.openFails = false;

  tree.windows[tree.Parent(views.window)].text = u"Desktop";  // no desktop view any more
  EXPECT_EQ(Backup(), 0);
  EXPECT_EQ(Restore(), 0);
  EXPECT_EQ(Counts(), "opens 1 moves 0 refreshes 0 redraws  open 0");  // the first backup only
}

TEST_F(IconLayoutTest, RestoreCountsIconsInPlaceAndMovesTheOthersBackAndRefreshesTheView) {
  ASSERT_EQ(Backup(), 3);
  // Everything in place: counted, one pass, no refresh.
  EXPECT_EQ(Restore(), 3);
  EXPECT_EQ(Counts(), "opens 2 moves 0 refreshes 0 redraws 01 open 0");
  views.items[0].position = {500, 500};
  views.items[2].position = {0, 0};
  views.items.push_back({u"New icon", {7, 7}});  // no entry: keeps its place
  // 2 moved in the first pass, 0 in the second, plus 1 already in place.
  EXPECT_EQ(Restore(), 3);
  EXPECT_EQ(Positions(), " 10x20 10x120 -75x2 7x7");
  EXPECT_EQ(Counts(), "opens 4 moves 2 refreshes 1 redraws 0101 open 0");
  EXPECT_EQ(Saved(u"Game"), u"-75x2");  // a restore does not change the section
}

TEST_F(IconLayoutTest, RestoreSkipsUnreadableItemsAndUnusableValues) {
  ASSERT_EQ(Backup(), 3);
  MoveAll({1, 0});
  views.positionReadFailsAt = 0;
  views.textReadFails = {1};
  ASSERT_NE(settings.SetValue(kSection, u"Game", u"55"), 0u);
  EXPECT_EQ(Restore(), 0);
  EXPECT_EQ(views.moves, 0);
  views.textReadFails.clear();
  EXPECT_EQ(Restore(), 1);  // Notes.txt only: Recycle Bin's position is still unreadable
  EXPECT_EQ(Positions(), " 11x20 10x120 -74x2");
}

TEST_F(IconLayoutTest, IconsWithEqualTextsGoToTheOneStoredPosition) {
  views.items.push_back({u"Notes.txt", {300, 400}});
  ASSERT_EQ(Backup(), 4);
  views.items[1].position = {0, 0};
  EXPECT_EQ(Restore(), 4);  // one moved, three in place
  EXPECT_EQ(Positions(), " 10x20 300x400 -75x2 300x400");
}

TEST_F(IconLayoutTest, PassesRepeatWhileIconsShiftAndStopAtTheBound) {
  ASSERT_EQ(Backup(), 3);
  // A view that pushes the next icon aside whenever one is moved, twice.
  int pushes = 2;
  views.afterMove = [&](std::int32_t item) {
    if (pushes > 0 && item + 1 < static_cast<std::int32_t>(views.items.size())) {
      --pushes;
      views.items[static_cast<std::size_t>(item) + 1].position.x += 50;
    }
  };
  views.items[0].position = {0, 0};
  views.opens = 0;
  // Pass 1 moves icon 0 (pushing 1) and icon 1 (pushing 2) and icon 2; pass 2 finds all in place.
  EXPECT_EQ(Restore(), 3);
  EXPECT_EQ(views.opens, 2);
  EXPECT_EQ(views.items[2].position, (IconPoint{-75, 2}));

  // A view that keeps its icons where they are: moved again every pass.
  views.afterMove = nullptr;
  views.snapsBack = true;
  MoveAll({3, 3});
  views.opens = 0;
  views.moves = 0;
  EXPECT_EQ(Restore(), 3 * kMaxRestorePasses);
  EXPECT_EQ(views.opens, kMaxRestorePasses);
  EXPECT_EQ(views.moves, 3 * kMaxRestorePasses);
  EXPECT_EQ(views.openNow, 0);
  // A further pass started by a caller counts only moves and leaves redraw alone.
  views.redraws.clear();
  EXPECT_EQ(RestoreIconLayout(settings, tree, views, false), 3 * kMaxRestorePasses);
  EXPECT_TRUE(views.redraws.empty());
}

}  // namespace
}  // namespace twk::desktop
