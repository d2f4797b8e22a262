#include "desktop/window_search.h"

#include <gtest/gtest.h>

#include "base/strings.h"
#include "desktop/control_descriptor.h"
#include "platform/fake/fake_window_tree.h"

namespace twk::desktop {
namespace {

using platform::FakeWindowTree;
using platform::kNoWindow;
using platform::WindowHandle;

// A dialog with a few controls, and a second top-level window: the search
// runs over every descendant of the desktop, nested ones included.
class WindowSearchTest : public ::testing::Test {
 protected:
  WindowSearchTest() {
    dialog = tree.Add(tree.desktop(), u"#32770", u"Options");
    edit1 = tree.Add(dialog, u"Edit", u"first", 100);
    label = tree.Add(dialog, u"Static", u"Save &as", 1001);
    group = tree.Add(dialog, u"Button", u"Group", 200);
    edit2 = tree.Add(group, u"Edit", u"", 101);  // nested below the group box
    ok = tree.Add(dialog, u"Button", u"&OK", 1);
    edit3 = tree.Add(dialog, u"EDIT", u"third", 102);
    semi = tree.Add(dialog, u"Static", u"a;b", 0);
    other = tree.Add(tree.desktop(), u"Shell_TrayWnd", u"");
    otherStatic = tree.Add(other, u"Static", u"Clock", 1001);
  }

  WindowHandle Find(const Text& descriptor) {
    return FindControl(tree, tree.desktop(), descriptor);
  }

  FakeWindowTree tree;
  WindowHandle dialog, edit1, label, group, edit2, ok, edit3, semi, other, otherStatic;
};

TEST_F(WindowSearchTest, ClassAndInstanceCountInEnumerationOrderIgnoringCase) {
  EXPECT_EQ(Find(u"[CLASS:Edit;INSTANCE:3]"), edit3);
  EXPECT_EQ(Find(u"[CLASS:Edit;INSTANCE:2]"), edit2);  // the nested one comes second
  EXPECT_EQ(Find(u"[class:edit]"), edit1);
  EXPECT_EQ(Find(u"  [ Class: Edit ; instance: 1 ]  "), edit1);
  EXPECT_EQ(Find(u"[CLASS:Edit;INSTANCE:4]"), kNoWindow);
  // A later token with the same key replaces the earlier value.
  EXPECT_EQ(Find(u"[CLASS:Static;CLASS:Edit]"), edit1);
}

TEST_F(WindowSearchTest, TextIgnoresAmpersandsQuotesAndCaseAndKeepsLiteralSemicolons) {
  EXPECT_EQ(Find(u"[TEXT:&OK]"), ok);
  EXPECT_EQ(Find(u"[TEXT:OK]"), ok);
  EXPECT_EQ(Find(u"[text:ok]"), ok);
  EXPECT_EQ(Find(u"[TEXT:'Save as']"), label);
  EXPECT_EQ(Find(u"[TEXT:\"Save as\"]"), label);
  EXPECT_EQ(Find(u"[TEXT:a;;b]"), semi);
  EXPECT_EQ(Find(u"[TEXT:a;b]"), kNoWindow);   // a single ";" ends the value at "a"
  EXPECT_EQ(Find(u"[TEXT:Save]"), kNoWindow);  // the whole text must match
  // An untitled window is never selected by text.
  EXPECT_EQ(Find(u"[CLASS:Edit;TEXT:'']"), edit1);
  // A literal semicolon survives at the edges of a value.
  const WindowHandle edged = tree.Add(dialog, u"Static", u";x;");
  EXPECT_EQ(Find(u"[TEXT: ;;x;; ]"), edged);
}

TEST_F(WindowSearchTest, ClassWithRunningNumberInBothFormsNeverMatchingAPrefixClass) {
  EXPECT_EQ(Find(u"[CLASSNN:Button2]"), ok);
  EXPECT_EQ(Find(u"Button2"), ok);
  EXPECT_EQ(Find(u"[CLASSNN:Edit3]"), edit3);
  EXPECT_EQ(Find(u"[CLASSNN:Button0]"), kNoWindow);
  EXPECT_EQ(Find(u"[CLASSNN:Button]"), kNoWindow);  // no running number
  EXPECT_EQ(Find(u"[CLASSNN:Button3]"), kNoWindow);
  // Once the instance is known from "Button", a class named "B" must not
  // pass as well: "utton2" is no running number.
  tree.Add(dialog, u"B", u"");
  EXPECT_EQ(Find(u"[CLASSNN:Button3]"), kNoWindow);
  EXPECT_EQ(Find(u"[CLASSNN:Button2]"), ok);
}

TEST_F(WindowSearchTest, PlainFormCountsClassAndTextMatchesTogether) {
  // After the first Button the instance is 2; the next window counted is the
  // nested Edit whose text is Button2, before the second Button.
  tree.windows[edit2].text = u"Button2";
  EXPECT_EQ(Find(u"Button2"), edit2);
  // A plain text selects by text when no class fits.
  EXPECT_EQ(Find(u"Group"), group);
  EXPECT_EQ(Find(u"&OK"), ok);
}

TEST_F(WindowSearchTest, EmptyDescriptorsSelectNothingAndNumbersAreControlIdentifiers) {
  EXPECT_EQ(Find(u"[]"), kNoWindow);
  EXPECT_EQ(Find(u""), kNoWindow);
  EXPECT_EQ(Find(u"   "), kNoWindow);
  EXPECT_EQ(Find(u"[INSTANCE:2]"), kNoWindow);  // no criterion that picks windows
  EXPECT_EQ(Find(u"[NAME:Edit]"), kNoWindow);   // no known key
  EXPECT_EQ(Find(u"[CLASS:]"), kNoWindow);      // a key needs a value
  EXPECT_EQ(Find(u"[CLASS:   ]"), kNoWindow);
  // Control identifiers.
  EXPECT_EQ(Find(u"1001"), label);
  EXPECT_EQ(Find(u" 1001 "), label);
  EXPECT_EQ(Find(u"[ID:1001]"), label);
  EXPECT_EQ(Find(u"[ID:1001;TEXT:Clock]"), otherStatic);
  EXPECT_EQ(Find(u"[ID:0;CLASS:Static]"), label);  // 0: no identifier test
  EXPECT_EQ(Find(u"+1,001"), ok);                  // a number that reads as 1
  EXPECT_EQ(Find(u"4242"), kNoWindow);
}

TEST_F(WindowSearchTest, UnreadablePropertiesFailOnlyTheTestsThatNeedThem) {
  tree.windows[edit1].classUnreadable = true;
  EXPECT_EQ(Find(u"[CLASS:Edit]"), edit2);
  tree.windows[ok].textUnreadable = true;
  EXPECT_EQ(Find(u"[TEXT:OK]"), kNoWindow);
  EXPECT_EQ(Find(u"[CLASSNN:Button2]"), ok);
  // Plain form: the text test is still tried when the class cannot be read.
  tree.windows[group].classUnreadable = true;
  EXPECT_EQ(Find(u"Group"), group);
}

// The criteria a descriptor parses into, or "none".
std::string Parsed(const Text& descriptor) {
  const auto s = ParseDescriptor(descriptor);
  if (!s) return "none";
  return (s->advanced  ? "advanced"
          : s->numeric ? "numeric"
                       : "plain") +
         std::string(" class ") + ToUtf8(s->className) + " nn " + ToUtf8(s->classNN) + " text " +
         ToUtf8(s->text) + " instance " + std::to_string(s->instance) + " id " +
         std::to_string(s->id);
}

// The advanced form's keys are the searches' tests.
TEST(ControlDescriptorTest, ParsesThePlainAndNumericFormsIntoCriteria) {
  // The plain form is taken as given.
  EXPECT_EQ(Parsed(u" Edit3 "), "plain class  nn  Edit3  text  Edit3  instance 0 id 0");
  EXPECT_EQ(Parsed(u"-12.5"), "numeric class  nn  text  instance 0 id -12");
  for (const char16_t* notNumber : {u".5", u"5.", u"1-2", u"+", u"12a"}) {
    EXPECT_EQ(Parsed(notNumber).substr(0, 6), "plain ") << ToUtf8(Text(notNumber));
  }
}

// The desktop as the shell builds it, with decoys in front of it.
class DesktopListViewTest : public ::testing::Test {
 protected:
  WindowHandle AddView(WindowHandle parentOfDefView, const Text& defViewClass,
                       const Text& defViewTitle) {
    const WindowHandle defView = tree.Add(parentOfDefView, defViewClass, defViewTitle);
    return tree.Add(defView, u"SysListView32", u"FolderView", 1);
  }
  FakeWindowTree tree;
};

TEST_F(DesktopListViewTest, SkipsTitledParentsAndOtherClassesAndIsNoneWhenTheyRunOut) {
  EXPECT_EQ(FindDesktopListView(tree), kNoWindow);
  const WindowHandle explorer = tree.Add(tree.desktop(), u"CabinetWClass", u"Documents");
  AddView(explorer, u"SHELLDLL_DefView", u"Documents");  // titled parent
  AddView(explorer, u"DirectUIHWND", u"");               // other class
  tree.Add(tree.desktop(), u"SysListView32", u"Other");  // other text
  const WindowHandle titled = AddView(tree.desktop(), u"SHELLDLL_DefView", u"");
  tree.windows[tree.Parent(titled)].text = u"x";
  EXPECT_EQ(FindDesktopListView(tree), kNoWindow);
  const WindowHandle progman = tree.Add(tree.desktop(), u"Progman", u"Program Manager");
  const WindowHandle desktopView = AddView(progman, u"shelldll_defview", u"");
  AddView(progman, u"SHELLDLL_DefView", u"");  // a later one is not taken
  EXPECT_EQ(FindDesktopListView(tree), desktopView);
}

}  // namespace
}  // namespace twk::desktop
