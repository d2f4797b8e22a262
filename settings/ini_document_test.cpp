#include "settings/ini_document.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "settings/text_file.h"

namespace twk::settings {
namespace {

using platform::FakeFileSystem;

std::string SettingsBytes(const Text& text) {
  return "\xFF\xFE" + ToUtf16(text, ByteOrder::LittleEndian);
}

class SettingsFileTest : public ::testing::Test {
 protected:
  SettingsFileTest() { fs.AddDrive(u'C'); }

  // Forgets the document held so far (Load would save it over the new file
  // first) and loads bytes as the settings file.
  bool LoadBytes(const std::string& bytes) {
    EXPECT_TRUE(doc.Close());
    EXPECT_TRUE(fs.SetFile(path, bytes));
    return static_cast<bool>(doc.Load(path));
  }
  bool LoadText(const Text& text) { return LoadBytes(SettingsBytes(text)); }
  std::string Value(const Text& section, const Text& key) {
    const Text* v = doc.GetValue(section, key);
    return v != nullptr ? ToUtf8(*v) : "<none>";
  }
  std::vector<Text> Lines() const { return doc.lines(); }
  std::optional<std::string> Disk() const { return fs.FileBytes(path); }

  FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  SettingsFile doc{fs, ansi};
  const Text path = u"C:\\Users\\me\\AppData\\Roaming\\Tarnwick\\TWK.ini";
  const Text temp = path + u".tmp";
};

// ---- reading ----------------------------------------------------------------

TEST_F(SettingsFileTest, FirstCharacterOfANameIsExactTheRestIgnoresCase) {
  ASSERT_TRUE(
      LoadText(u"[SETUP]\r\ntimesToReboot=4\r\nTIMESTOREBOOT=3\r\nREBOOTDELAY\t =\t 9 \r\n"
               u"[setup]\r\nRebootDelay=1\r\n[\u00C4rger]\r\n\u00C4BC=x\r\n"));
  EXPECT_EQ(Value(u"Setup", u"TimesToReboot"), "3");
  EXPECT_EQ(Value(u"Setup", u"timesToReboot"), "4");
  EXPECT_EQ(Value(u"Setup", u"RebootDelay"), "9");  // blanks and tabs around "="
  EXPECT_EQ(Value(u"setup", u"RebootDelay"), "1");
  EXPECT_EQ(Value(u"\u00C4RGER", u"\u00C4bc"), "x");  // non-ASCII letters fold too
  EXPECT_EQ(Value(u"\u00E4rger", u"\u00C4bc"), "<none>");
}

TEST_F(SettingsFileTest, KeyLineNeedsOnlyBlanksBetweenKeyAndEquals) {
  ASSERT_TRUE(LoadText(u"[S]\r\nKeyX=1\r\nKey\r\nKey y=2\r\nKey =3\r\nA=b=c\r\n"));
  EXPECT_EQ(Value(u"S", u"Key"), "3");
  EXPECT_EQ(Value(u"S", u"  Key\t"), "3");  // the key is stripped before comparing
  EXPECT_EQ(Value(u"S", u"A"), "b=c");
  EXPECT_EQ(Value(u"", u"Key"), "<none>");
  EXPECT_EQ(Value(u"S", u""), "<none>");
  // A value found stays valid, and the same, across later lookups.
  const Text* key = doc.GetValue(u"S", u"Key");
  const Text* a = doc.GetValue(u"S", u"A");
  ASSERT_TRUE(key && a);
  EXPECT_EQ(doc.GetValue(u"S", u"Key"), key);
  EXPECT_EQ(*key + *a, u"3b=c");
}

TEST_F(SettingsFileTest, AKeyContainingEqualsGetsItsOwnValue) {
  // Desktop icon texts are keys, and an icon may well be called "a=b".
  ASSERT_NE(doc.SetValue(u"DesktopIconLayout", u"a=b", u"10x20"), 0u);
  EXPECT_EQ(Value(u"DesktopIconLayout", u"a=b"), "10x20");
  ASSERT_NE(doc.SetValue(u"DesktopIconLayout", u"a=b", u"11x21"), 0u);
  EXPECT_EQ(Value(u"DesktopIconLayout", u"a=b"), "11x21");
  // The line a=b=11x21 also reads as key "a"; an icon "a" written before
  // "a=b" keeps the two apart.
  doc.RemoveSection(u"DesktopIconLayout");
  ASSERT_NE(doc.SetValue(u"DesktopIconLayout", u"a", u"30x40"), 0u);
  ASSERT_NE(doc.SetValue(u"DesktopIconLayout", u"a=b", u"10x20"), 0u);
  EXPECT_EQ(Value(u"DesktopIconLayout", u"a"), "30x40");
  EXPECT_EQ(Value(u"DesktopIconLayout", u"a=b"), "10x20");
}

TEST_F(SettingsFileTest, SectionRunsToTheNextLineShapedLikeAHeader) {
  ASSERT_TRUE(
      LoadText(u"Top=0\r\n[Setup] old\r\n[Other\r\nA=1\r\n[]\r\nB=2\r\n[ ]\r\nC=3\r\n"
               u"[Setup]\r\nD=4\r\n"));
  EXPECT_EQ(Value(u"Setup", u"A"), "1");       // "[Other" has no "]": an ordinary line
  EXPECT_EQ(Value(u"Setup", u"B"), "2");       // "[]" has nothing between the brackets
  EXPECT_EQ(Value(u"Setup", u"C"), "<none>");  // "[ ]" is a header
  EXPECT_EQ(Value(u"Setup", u"D"), "<none>");  // a second [Setup] is never reached by name
  EXPECT_EQ(Value(u"Setup", u"Top"), "<none>");
  EXPECT_EQ(doc.FindSection(u"Setup"), 1u);
  EXPECT_EQ(doc.SectionEnd(1), 6u);
  EXPECT_FALSE(doc.FindSection(u"Other"));
}

// When PCRE2 cannot compile the header pattern, the rule it expresses
// decides instead, and must give the same answers.
TEST_F(SettingsFileTest, WithoutAUsablePatternHeadersFollowTheSameRule) {
  SettingsFile ruleOnly(fs, ansi, HeaderCheck::RuleOnly);
  const std::pair<Text, bool> cases[] = {
      {u"[Setup]", true}, {u"[Setup] old", true}, {u"[a]b]", true}, {u"[]]", true},
      {u"[ ]", true},     {u"[a]\n", true},       {u"[]", false},   {u"[]x", false},
      {u"[Other", false}, {u" [a]", false},       {u"x[a]", false}, {u"[a\n]", false},
      {u"[]\n]", false},  {u"]a[", false},
  };
  for (const auto& [line, header] : cases) {
    EXPECT_EQ(ruleOnly.IsSectionHeader(line), header) << ToUtf8(line);
    EXPECT_EQ(doc.IsSectionHeader(line), header) << ToUtf8(line);
  }
  // Backtracking over eleven million characters exceeds PCRE2's match limit:
  // the rule still decides.
  EXPECT_TRUE(doc.IsSectionHeader(u"[a]" + Text(11'000'000, u'x')));
  EXPECT_FALSE(doc.IsSectionHeader(Text(1, u'[') + Text(11'000'000, u'x')));
  // Sections end at the same lines, also after Close and a new Load.
  EXPECT_TRUE(ruleOnly.Close());
  ASSERT_TRUE(fs.SetFile(path, SettingsBytes(u"[Setup]\r\n[]\r\nA=1\r\n[ ]\r\nB=2\r\n")));
  ASSERT_TRUE(ruleOnly.Load(path));
  EXPECT_EQ(ruleOnly.GetValueText(u"Setup", u"A"), u"1");
  EXPECT_EQ(ruleOnly.GetValue(u"Setup", u"B"), nullptr);
  EXPECT_EQ(ruleOnly.SectionEnd(0), 3u);
}

// Lines are split at CR LF, or at LF in a file without a single CR LF, then
// stripped; blank ones are dropped. Saving writes them back with CR LF.
TEST_F(SettingsFileTest, LoadSplitsStripsAndDropsBlankLines) {
  const std::pair<Text, std::vector<Text>> cases[] = {
      {u"\r\n  [Setup]  \r\n\r\n \t \r\n\tNoReport=1 \r\n\r\n", {u"[Setup]", u"NoReport=1"}},
      {u"[Setup]\nNoReport=1\n\nRebootDelay=2\n", {u"[Setup]", u"NoReport=1", u"RebootDelay=2"}},
      // "\r\r\n" ends a line with a stray CR; the next line must not be lost.
      {u"[Setup]\r\n\rNoReport=1\r\n\r\r\nA=2\r\n", {u"[Setup]", u"NoReport=1", u"A=2"}},
  };
  for (const auto& [text, lines] : cases) {
    ASSERT_TRUE(LoadText(text));
    EXPECT_EQ(Lines(), lines) << ToUtf8(text);
    ASSERT_TRUE(doc.Save());
    Text saved;
    for (const Text& line : lines) saved += line + u"\r\n";
    EXPECT_EQ(Disk(), SettingsBytes(saved)) << ToUtf8(text);
  }
}

TEST_F(SettingsFileTest, MissingOrEmptyFileGivesAnEmptyDocumentNamedByThePath) {
  // Before a path is known nothing is written.
  ASSERT_NE(doc.SetValue(u"Setup", u"A", u"1"), 0u);
  EXPECT_FALSE(doc.Save());
  EXPECT_TRUE(fs.openCalls().empty());
  EXPECT_FALSE(doc.Load(path));
  EXPECT_TRUE(Lines().empty());
  EXPECT_EQ(doc.filePath(), path);
  EXPECT_FALSE(LoadText(u""));  // only the byte-order mark
  EXPECT_FALSE(LoadBytes(""));
  // The settings written later create the file.
  EXPECT_NE(doc.SetValue(u"Setup", u"TimesToReboot", u"5"), 0u);
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(Disk(), SettingsBytes(u"[Setup]\r\nTimesToReboot=5\r\n"));
}

TEST_F(SettingsFileTest, LoadSavesTheDocumentItReplacesAndKeepsItWhenThatFails) {
  ASSERT_TRUE(LoadText(u"[Setup]\r\nA=1\r\n"));
  ASSERT_NE(doc.SetValue(u"Setup", u"A", u"2"), 0u);
  const Text other = u"C:\\other.ini";
  ASSERT_TRUE(fs.SetFile(other, SettingsBytes(u"[X]\r\nY=1\r\n")));
  fs.FailNext(FakeFileSystem::Op::ReplaceWith);
  EXPECT_EQ(doc.Load(other), LoadStatus::Unsaved);
  EXPECT_EQ(Lines(), (std::vector<Text>{u"[Setup]", u"A=2"}));
  EXPECT_EQ(doc.filePath(), path);
  ASSERT_TRUE(doc.Load(other));
  EXPECT_EQ(Disk(), SettingsBytes(u"[Setup]\r\nA=2\r\n"));
  EXPECT_EQ(Lines(), (std::vector<Text>{u"[X]", u"Y=1"}));
}

// A file held by another program, or denied, or too large to read, holds
// what an empty document would destroy: it is told apart from a missing one
// and never written.
TEST_F(SettingsFileTest, AFileThatIsThereButCannotBeReadIsNeverWritten) {
  const std::string kept = SettingsBytes(u"[History]\r\nReboot 1=40\r\n");
  for (const FakeFileSystem::Op op :
       {FakeFileSystem::Op::Open, FakeFileSystem::Op::Read, FakeFileSystem::Op::Size}) {
    SCOPED_TRACE(static_cast<int>(op));
    EXPECT_TRUE(doc.Close());
    ASSERT_TRUE(fs.SetFile(path, kept));
    // Size stands for a file above the largest the reader takes.
    if (op == FakeFileSystem::Op::Size) {
      fs.SetReportedSize(path, TextFile::kLargestText + 1);
    } else {
      fs.FailOn(op, path);
    }
    EXPECT_EQ(doc.Load(path), LoadStatus::Unreadable);
    fs.ClearFailures();
    fs.SetReportedSize(path, kept.size());
    EXPECT_FALSE(doc.writable());
    EXPECT_TRUE(Lines().empty());
    ASSERT_TRUE(doc.Set(u"Setup", u"A", u"1"));
    EXPECT_FALSE(doc.Save());
    doc.SaveWhenClosed();
    EXPECT_FALSE(doc.Close());
    EXPECT_EQ(Disk(), kept);
  }
  // Missing is created; a file that reads but holds no text is only empty.
  ASSERT_TRUE(fs.Delete(path));
  EXPECT_EQ(doc.Load(path), LoadStatus::Missing);
  EXPECT_TRUE(doc.writable());
  ASSERT_TRUE(fs.SetFile(path, std::string("\xFF\xFE\0\0garbage", 11)));
  EXPECT_EQ(doc.Load(path), LoadStatus::Empty);
  EXPECT_TRUE(doc.writable());
}

// Between commit points a failed save is not the end of the figure: the
// document saves again when it closes.
TEST_F(SettingsFileTest, AProgressSaveThatFailsIsTriedAgainWhenTheDocumentCloses) {
  ASSERT_TRUE(LoadText(u"[A]\r\nx=1\r\n"));
  ASSERT_TRUE(doc.Set(u"A", u"x", u"2"));
  fs.FailNext(FakeFileSystem::Op::ReplaceWith);
  doc.SaveProgress();
  EXPECT_EQ(Disk(), SettingsBytes(u"[A]\r\nx=1\r\n"));
  EXPECT_TRUE(doc.savesWhenClosed());
  EXPECT_TRUE(doc.Close());
  EXPECT_EQ(Disk(), SettingsBytes(u"[A]\r\nx=2\r\n"));
}

// ---- editing ----------------------------------------------------------------

TEST_F(SettingsFileTest, SetValueInsertsAtTheEndOfItsSection) {
  ASSERT_TRUE(LoadText(u"[A]\r\nx=1\r\n[B]\r\ny=2\r\n"));
  // Middle section: directly before the next header; the index of the new line.
  EXPECT_EQ(doc.SetValue(u"A", u"New", u"v"), 2u);
  // Last section: at the very end.
  EXPECT_EQ(doc.SetValue(u"B", u"Last", u" v "), 5u);
  // New section: header and key appended; the index of the key line.
  EXPECT_EQ(doc.SetValue(u"C", u"Key", u""), 7u);
  // Existing key: replaced in place by the key as passed; its 1-based line number.
  EXPECT_EQ(doc.SetValue(u"A", u"x", u"9"), 2u);
  EXPECT_EQ(doc.SetValue(u"C", u" Key ", u"1"), 8u);
  EXPECT_EQ(doc.SetValue(u"A", u"X", u"0"), 3u);  // "x=9" is not key "X": a new line
  EXPECT_EQ(Lines(), (std::vector<Text>{u"[A]", u"x=9", u"New=v", u"X=0", u"[B]", u"y=2",
                                        u"Last= v ", u"[C]", u" Key =1"}));
}

TEST_F(SettingsFileTest, SetValueRefusesNamesThatCannotBeFoundAgain) {
  EXPECT_EQ(doc.SetValue(u"", u"A", u"1"), 0u);
  EXPECT_EQ(doc.SetValue(u"S", u"", u"1"), 0u);
  EXPECT_EQ(doc.SetValue(u"S", u" \t", u"1"), 0u);
  EXPECT_TRUE(Lines().empty());
  // A key that begins with "[" is never found, so every set adds a line.
  EXPECT_NE(doc.SetValue(u"S", u"[k", u"1"), 0u);
  EXPECT_NE(doc.SetValue(u"S", u"[k", u"2"), 0u);
  EXPECT_EQ(Lines(), (std::vector<Text>{u"[S]", u"[k=1", u"[k=2"}));
}

TEST_F(SettingsFileTest, DeleteKeyAndRemoveSectionDownToAnEmptyDocument) {
  ASSERT_TRUE(
      LoadText(u"[PostOperation]\r\nDisableAutoLogon=1\r\nOther=2\r\n[TimeStamps]\r\n"
               u"FirstShutDown=1\r\n[History]\r\nReboot 1=40\r\nReboot 2=41\r\n"));
  EXPECT_EQ(doc.DeleteKey(u"PostOperation", u"Missing"), 2);
  EXPECT_EQ(doc.DeleteKey(u"Absent", u"DisableAutoLogon"), 2);
  EXPECT_EQ(doc.DeleteKey(u"TimeStamps", u"DisableAutoLogon"), 2);  // another section's key
  EXPECT_EQ(doc.DeleteKey(u"PostOperation", u"disableAutoLogon"), 2);
  EXPECT_EQ(doc.DeleteKey(u"PostOperation", u"DisableAutoLogon"), 1);
  EXPECT_EQ(doc.DeleteKey(u"PostOperation", u"DisableAutoLogon"), 2);

  doc.RemoveSection(u"Absent");
  doc.RemoveSection(u"History");  // the last section: everything to the end
  EXPECT_EQ(Lines(), (std::vector<Text>{u"[PostOperation]", u"Other=2", u"[TimeStamps]",
                                        u"FirstShutDown=1"}));
  doc.RemoveSection(u"PostOperation");  // a middle section stops at the next header
  EXPECT_EQ(Lines(), (std::vector<Text>{u"[TimeStamps]", u"FirstShutDown=1"}));
  // An empty document saves only the byte-order mark.
  doc.RemoveSection(u"TimeStamps");
  EXPECT_FALSE(doc.Save());
  EXPECT_EQ(Disk(), std::string("\xFF\xFE"));
  EXPECT_FALSE(fs.FileExists(temp));
}

TEST_F(SettingsFileTest, KeyLinesAreWalkedInFileOrder) {
  ASSERT_TRUE(
      LoadText(u"[History]\r\nReboot 1 = 45\r\n;Reboot 0=1\r\nx\r\n=ab\r\n[note\r\n"
               u"Reboot 2=38\r\n[Setup]\r\nA=1\r\n"));
  // Lines: 0 [History], 1 Reboot 1, 2 comment, 3 x, 4 =ab, 5 [note, 6 Reboot 2, 7 [Setup], 8 A=1
  EXPECT_EQ(doc.Entries(u"HISTORY"),
            (std::vector<KeyValue>{{u"Reboot 1", u"45"}, {u"Reboot 2", u"38"}}));
  EXPECT_EQ(doc.Entries(u"Setup"), (std::vector<KeyValue>{{u"A", u"1"}}));
  EXPECT_TRUE(doc.Entries(u"note").empty());  // "[note" is no header
  EXPECT_EQ(doc.NextKeyLine(1, 2), 2u);
  EXPECT_EQ(doc.NextKeyLine(2, 6), 0u);  // the end bounds the walk
  EXPECT_EQ(doc.NextKeyLine(7, 0), 0u);  // and so does the next header
  EXPECT_EQ(doc.NextKeyLine(8, 0), 9u);
  EXPECT_EQ(doc.NextKeyLine(9, 0), 0u);
  EXPECT_EQ(doc.NextKeyLine(10, 0), 0u);  // beyond the line count
  EXPECT_EQ(doc.NextKeyLine(3, 3), 0u);   // empty range
  Text key, value;
  EXPECT_FALSE(doc.KeyValueAt(5, key, value));  // "=" as the first character separates nothing
  EXPECT_FALSE(doc.KeyValueAt(4, key, value));
  EXPECT_FALSE(doc.KeyValueAt(0, key, value));
  EXPECT_FALSE(doc.KeyValueAt(10, key, value));

  // The shortest lines: the walk takes a line of three characters or more,
  // while a line named by its number reads from two ("k=": key "k", empty).
  const std::tuple<Text, bool, bool> shortest[] = {// line, walked, read
                                                   {u"k=v", true, true},
                                                   {u"k=", false, true},
                                                   {u"=", false, false},
                                                   {u"k", false, false}};
  for (const auto& [line, walked, reads] : shortest) {
    ASSERT_TRUE(LoadText(u"[S]\r\n" + line + u"\r\n"));
    EXPECT_EQ(doc.NextKeyLine(1, 0), walked ? 2u : 0u) << ToUtf8(line);
    EXPECT_EQ(doc.Entries(u"S").size(), walked ? 1u : 0u) << ToUtf8(line);
    key = value = u"?";
    ASSERT_EQ(doc.KeyValueAt(2, key, value), reads) << ToUtf8(line);
    if (reads) {
      EXPECT_EQ(key + u"|" + value, line.substr(0, 1) + u"|" + line.substr(2));
    }
  }
}

// ---- saving -----------------------------------------------------------------

TEST_F(SettingsFileTest, AFailedSaveLeavesTheOldFileByteForByte) {
  const std::string old = SettingsBytes(u"[Setup]\r\nTimesToReboot=7\r\n");
  ASSERT_TRUE(fs.SetFile(path, old));
  ASSERT_TRUE(doc.Load(path));
  ASSERT_NE(doc.SetValue(u"Setup", u"RebootDelay", u"3"), 0u);

  struct Failure {
    const char* what;
    std::function<void()> arrange;
  };
  const Failure failures[] = {
      {"open", [&] { fs.FailNext(FakeFileSystem::Op::Open); }},
      {"write", [&] { fs.FailOn(FakeFileSystem::Op::Write, temp); }},
      {"disk full", [&] { fs.LimitWrites(20); }},
      {"flush", [&] { fs.FailNext(FakeFileSystem::Op::Flush); }},
      {"replace", [&] { fs.FailNext(FakeFileSystem::Op::ReplaceWith); }},
  };
  for (const Failure& f : failures) {
    f.arrange();
    EXPECT_FALSE(doc.Save()) << f.what;
    fs.ClearFailures();
    fs.LimitWrites(~std::uint64_t{0});
    EXPECT_EQ(Disk(), old) << f.what;
    EXPECT_FALSE(fs.FileExists(temp)) << f.what;
    EXPECT_EQ(fs.openHandleCount(), 0u) << f.what;
  }
  // Nothing in memory was lost: the next save goes through.
  ASSERT_TRUE(doc.Save());
  EXPECT_EQ(Disk(), SettingsBytes(u"[Setup]\r\nTimesToReboot=7\r\nRebootDelay=3\r\n"));
}

// Written in pieces, which must join without a seam.
TEST_F(SettingsFileTest, ALargeDocumentIsWrittenWhole) {
  Text text = u"[DesktopIconLayout]\r\n";
  for (int i = 0; i < 5000; ++i)
    text += u"Icon " + FormatUnsigned(i) + u"=" + FormatUnsigned(i) + u"x7\r\n";
  ASSERT_TRUE(LoadText(text));
  ASSERT_NE(doc.SetValue(u"DesktopIconLayout", u"Icon 4999", u"1x1"), 0u);
  ASSERT_TRUE(doc.Save());
  text.replace(text.rfind(u"4999x7"), 6, u"1x1");
  EXPECT_EQ(Disk(), SettingsBytes(text));
}

TEST_F(SettingsFileTest, CloseSavesOnlyWhenAskedAndOnce) {
  ASSERT_TRUE(LoadText(u"[Setup]\r\nA=1\r\n"));
  ASSERT_NE(doc.SetValue(u"Setup", u"A", u"2"), 0u);
  EXPECT_TRUE(doc.Close());
  EXPECT_EQ(Disk(), SettingsBytes(u"[Setup]\r\nA=1\r\n"));

  ASSERT_TRUE(doc.Load(path));
  ASSERT_NE(doc.SetValue(u"Setup", u"A", u"3"), 0u);
  doc.SaveWhenClosed();
  EXPECT_TRUE(doc.Close());
  EXPECT_EQ(Disk(), SettingsBytes(u"[Setup]\r\nA=3\r\n"));
  EXPECT_TRUE(Lines().empty());
  // An empty document is saved as the byte-order mark alone: no failure.
  ASSERT_FALSE(doc.Load(u"C:\\new.ini"));
  doc.SaveWhenClosed();
  EXPECT_TRUE(doc.Close());
  EXPECT_EQ(fs.FileBytes(u"C:\\new.ini"), std::optional<std::string>("\xFF\xFE"));
  EXPECT_FALSE(doc.Save());  // the lines are gone: the file must not be emptied
  EXPECT_EQ(Disk(), SettingsBytes(u"[Setup]\r\nA=3\r\n"));
  // A document loaded again after Close works as before.
  ASSERT_TRUE(doc.Load(path));
  EXPECT_EQ(doc.GetValueText(u"Setup", u"A"), u"3");
  EXPECT_TRUE(doc.IsSectionHeader(u"[Setup]"));
}

// ---- hostile input ----------------------------------------------------------

TEST_F(SettingsFileTest, HugeLinesAndUnclosedBracketsAreKeptWhole) {
  const Text huge(1 << 20, u'x');
  const Text open = u"[" + Text(1 << 20, u'a');
  const Text closedLate = u"[" + Text(1 << 20, u'b') + u"]";
  ASSERT_TRUE(LoadText(u"[S]\r\nK=" + huge + u"\r\n" + open + u"\r\nL=1\r\n" + closedLate +
                       u"\r\nM=2\r\n"));
  EXPECT_EQ(doc.GetValueText(u"S", u"K"), huge);
  EXPECT_EQ(Value(u"S", u"L"), "1");       // the unclosed bracket did not end the section
  EXPECT_EQ(Value(u"S", u"M"), "<none>");  // the long header did
  ASSERT_TRUE(doc.Save());
  ASSERT_TRUE(doc.Load(path));
  EXPECT_EQ(Lines().size(), 6u);
  EXPECT_EQ(Lines()[2], open);
}

}  // namespace
}  // namespace twk::settings
