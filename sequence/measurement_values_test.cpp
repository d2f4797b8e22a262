// Keeping finished sequences: the summary line, its dates and numbers, the
// limit of fifty, and damaged lines that are skipped but never lost.

#include <gtest/gtest.h>

#include "sequence/sequence_sim.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

namespace section = file::section;
using testing::Each;
constexpr std::uint64_t T0 = platform::FakeClock::kDefaultSecond;  // 2024-03-01 12:00:00

// The lines of one section of a document, header excluded.
std::vector<Text> SectionLines(const settings::SettingsFile& file, const Text& name) {
  std::vector<Text> lines;
  const auto header = file.FindSection(name);
  if (!header) return lines;
  for (std::size_t i = *header + 1; i < file.SectionEnd(*header); ++i) {
    lines.push_back(file.lines()[i]);
  }
  return lines;
}

TEST(StartedTextTest, ClockReadingsBecomeLocalDateAndMinute) {
  EXPECT_EQ(StartedText(T0), u"2024-03-01 12:00");
  EXPECT_EQ(StartedText(T0 - 1), u"2024-03-01 11:59");
  // The day before is the leap day; seconds never round the minute up.
  EXPECT_EQ(StartedText(T0 - 12 * 3600 - 1), u"2024-02-29 23:59");
  EXPECT_EQ(StartedText(1), u"1601-01-01 00:00");
  EXPECT_EQ(StartedText(0), u"");
  // 2000 was a leap year, 1900 was not.
  EXPECT_EQ(StartedText(T0 - (24ull * 365 + 7) * 86400), u"2000-02-29 12:00");
  // Beyond four digits of year there is no date to write.
  EXPECT_EQ(StartedText(~0ull), u"");
}

TEST(ParseSequenceTest, ReadsWhatItWrites) {
  const SequenceSummary s = testing::Summary(12, u"2024-03-01 12:00", -3, {u"60", u"12.5", u"-129"});
  const Text value = FormatSequenceValue(s);
  EXPECT_EQ(value, u"2024-03-01 12:00;-3;60 12.5 -129");
  const auto back = ParseSequence(u"Sequence 12", value).value();
  EXPECT_EQ(back.number, 12u);
  EXPECT_EQ(back.restarts, s.restarts);
  EXPECT_EQ(back.restarts[2].wholeSeconds, -129);
  EXPECT_FALSE(back.current);
  // Without a first shutdown the date is empty, and that reads back too.
  EXPECT_TRUE(ParseSequence(u"SEQUENCE 7", u";45;45"));
}

// Each figure beside a kept line: written for every restart once one of
// them has it, read back only when there is a field of the right shape for
// every restart, so that no figure lands beside the wrong restart.
TEST(ParseSequenceTest, FiguresBesideTheLineAreKeptPerRestartAndReadBackOnlyWhole) {
  RestartPhases known;
  known[Phase::ShutdownFirmware] = 21500;
  known[Phase::DesktopReady] = 8400;
  const SequenceSummary plain = testing::Summary(3, u"", 0, {u"60", u"45", u"50"});
  using testing::WithExact, testing::WithMarks, testing::WithPhases, testing::WithReadyBy;
  const struct {
    KeptBeside kind;
    SequenceSummary with;
    Text value;
    std::vector<Text> damaged;  // each read back as nothing
  } cases[] = {
      {KeptBeside::Exact,
       WithExact(plain, {61234, std::nullopt, 50120}),
       u"61234 ? 50120",
       {u"61234 ? -1", u"61234 ? 5e3", u"61234 ?"}},
      {KeptBeside::Phases,
       WithPhases(plain, {RestartPhases{}, known}),
       u"?/?/?/?/?/?/?/?/? 21500/?/8400/?/?/?/?/?/? ?/?/?/?/?/?/?/?/?",
       // a damaged group, a group one figure short
       {u"?/?/?/?/?/?/?/?/? 21500/?/x/?/?/?/?/?/? ?/?/?/?/?/?/?/?/?",
        u"?/?/?/?/?/?/?/? 21500/?/8400/?/?/?/?/?/? ?/?/?/?/?/?/?/?/?"}},
      // The plain restarts at either end are fields of their own.
      {KeptBeside::Marks,
       WithMarks(plain, {RestartMark::None, RestartMark::ExtraBoots}),
       u",extra boots,",
       {u",crash,", u",extra boots", u",extra boots,,"}},
      {KeptBeside::ReadyBy,
       WithReadyBy(plain, {ReadyRule::Cpu, std::nullopt, ReadyRule::CpuAndDisk}),
       u"cpu ? cpu+disk",
       {u"cpu ? disk", u"cpu ? CPU", u"cpu ? cpu+disk ?"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(ToUtf8(c.value));
    EXPECT_EQ(FormatKeptBeside(c.kind, c.with), c.value);
    EXPECT_EQ(FormatKeptBeside(c.kind, plain), u"") << "nothing known: not kept at all";
    SequenceSummary read = plain;
    EXPECT_TRUE(ReadKeptBeside(c.kind, c.value, read));
    EXPECT_EQ(read.restarts, c.with.restarts);
    for (const Text& damaged : c.damaged) {
      SequenceSummary left = plain;
      EXPECT_FALSE(ReadKeptBeside(c.kind, damaged, left)) << ToUtf8(damaged);
      EXPECT_EQ(left.restarts, plain.restarts) << "unchanged: " << ToUtf8(damaged);
    }
  }
  // Letter case of a mark is the user's; blanks in runs separate as ever.
  SequenceSummary read = plain;
  ASSERT_TRUE(ReadKeptBeside(KeptBeside::Marks, u"UPDATES,,", read));
  EXPECT_EQ(read.restarts[0].mark, RestartMark::Updates);
  ASSERT_TRUE(ReadKeptBeside(KeptBeside::Exact, u" 1  ? 3 ", read));
  EXPECT_EQ(read.restarts[2].exactMs, 3);
}

TEST(ParseSequenceTest, DamagedLinesAreNotSummaries) {
  for (const char16_t* value : {
           u"2024-03-01 12:00",                 // no ";"
           u"2024-03-01 12:00;45",              // one field short
           u"2024-03-01 12:00;45;45;1",         // one too many
           u"2024-03-01 12:00;abc;45",          // the average is no number
           u"2024-03-01 12:00;45;45 x 40",      // nor is a duration
           u"2024-03-01 12:00;45;4.",           // nor half a fraction
           u"2024-03-01 12:00;45;",             // no restart at all
           u"2024-3-1 12:00;45;45",             // not the date's shape
           u"2024-03-01 12:00;99999999999;45",  // beyond 32 bits
       }) {
    EXPECT_FALSE(ParseSequence(u"Sequence 1", value)) << ToUtf8(value);
  }
  for (const char16_t* keyText :
       {u"Sequence", u"Sequence x", u"Sequence 0", u"sequence 1", u"Sequence 1000000000"}) {
    EXPECT_FALSE(ParseSequence(keyText, u";45;45")) << ToUtf8(keyText);
  }
  EXPECT_FALSE(ParseSequence(u"Sequence 1", u";45;" + Text(kLongestSummary, u'4')));
}

class KeptSequencesTest : public ::testing::Test, public sim::SimulatedMachine {
 protected:
  settings::SettingsFile& File() {
    file_.emplace(machine.files, machine.ansi);
    (void)file_->Load(app::apptest::kSettingsPath);
    return *file_;
  }
  std::optional<settings::SettingsFile> file_;
};

TEST_F(KeptSequencesTest, AnEmptyHistoryKeepsNothingAndAFileWithoutTheSectionIsUnchanged) {
  SetupStartsSequence(2, 1);
  SetupStartsSequence(2, 1);  // abandoned before its first restart
  EXPECT_FALSE(File().FindSection(section::Sequences));
  // An abandoned sequence with one restart is kept with what it has.
  RunSequence({70});
  SetupStartsSequence(2, 1);
  EXPECT_EQ(SectionLines(File(), section::Sequences),
            (std::vector<Text>{u"Sequence 1=2024-03-01 12:00;70;70"}));
}

TEST_F(KeptSequencesTest, FiftyAreKeptAndTheOldestMakesRoom) {
  settings::SettingsFile& file = File();
  for (int n = 1; n <= 50; ++n) {
    file.SetValue(section::Sequences, u"Sequence " + FormatUnsigned(n),
                  u"2024-01-01 10:00;" + FormatUnsigned(n) + u";" + FormatUnsigned(n));
  }
  file.SetValue(section::SequencesMarks, u"Sequence 1", u"updates");
  file.SetValue(section::SequencesReadyBy, u"Sequence 1", u"cpu");
  file.SetValue(section::SequencesReadyBy, u"Sequence 2", u"cpu+disk");
  file.SetValue(section::History, u"Reboot 1", u"44");
  file.SetValue(section::History, u"Reboot 2", u"41");
  file.SetValue(section::RestartMarks, u"Reboot 1", u"updates");
  file.SetValue(section::RestartReadyBy, u"Reboot 1", u"cpu");
  MeasurementStore store = MeasurementStore::Load(file);
  ASSERT_TRUE(store.KeepFinishedSequence());
  const MeasurementStore reread = MeasurementStore::Read(file);
  const std::vector<SequenceSummary>& kept = reread.kept();
  ASSERT_EQ(kept.size(), 50u);
  EXPECT_EQ(Each(store.kept().back(), &RestartFigure::mark), Each(kept.back(), &RestartFigure::mark)) << "the records agree with the file";
  EXPECT_EQ(kept.front().number, 2u);
  EXPECT_EQ(kept.back().number, 51u);
  EXPECT_EQ(Each(kept.back(), &RestartFigure::seconds), (std::vector<Text>{u"44", u"41"}));
  EXPECT_EQ(Each(kept.back(), &RestartFigure::mark), (std::vector<RestartMark>{RestartMark::Updates, RestartMark::None}));
  EXPECT_EQ(file.GetValue(section::Sequences, u"Sequence 1"), nullptr);
  EXPECT_EQ(SectionLines(file, section::SequencesMarks),
            (std::vector<Text>{u"Sequence 51=updates,"}));
  EXPECT_EQ(file.GetValue(section::SequencesReadyBy, u"Sequence 1"), nullptr);
  EXPECT_EQ(Each(kept.front(), &RestartFigure::readyBy), std::vector<std::optional<ReadyRule>>{ReadyRule::CpuAndDisk});
  EXPECT_EQ(Each(kept.back(), &RestartFigure::readyBy),
            (std::vector<std::optional<ReadyRule>>{ReadyRule::Cpu, std::nullopt}));
}

TEST_F(KeptSequencesTest, DamagedLinesAreSkippedAndWrittenBackAsTheyWere) {
  const Text huge = u"Sequence 4=2024-01-01 10:00;1;" + Text(10 * 1024 * 1024, u'7');
  const std::vector<Text> damaged = {u"Sequence 2=no separator at all",
                                     u"Sequence 3=2024-01-01 10:00;abc;45", huge,
                                     u"Sequence 1=2024-01-01 09:00;1;1"};  // a second Sequence 1
  // The file as a hand-edited one holds it; then a new sequence starts on it.
  std::vector<Text> lines = {u"[Sequences]", u"Sequence 1=2024-01-01 09:00;60;60"};
  lines.insert(lines.end(), damaged.begin(), damaged.end());
  lines.insert(lines.end(), {u"Sequence 5=2024-01-02 09:00;40;40", u"[History]", u"Reboot 1=50"});
  ASSERT_TRUE(machine.files.SetFile(app::apptest::kSettingsPath, testing::Utf16File(lines)));

  const MeasurementStore before = MeasurementStore::Read(File());
  ASSERT_EQ(before.kept().size(), 2u);
  EXPECT_EQ(before.kept()[0].number, 1u);
  EXPECT_EQ(before.kept()[0].average, 60);
  EXPECT_EQ(before.kept()[1].number, 5u);
  EXPECT_EQ(before.damagedKept(), 4u);
  EXPECT_EQ(before.highestKeptNumber(), 5u);

  SetupStartsSequence(2, 1);
  const std::vector<Text> after = SectionLines(File(), section::Sequences);
  ASSERT_EQ(after.size(), 7u);
  EXPECT_EQ(after[0], u"Sequence 1=2024-01-01 09:00;60;60");
  for (std::size_t i = 0; i < damaged.size(); ++i) {
    EXPECT_TRUE(after[1 + i] == damaged[i]) << "line " << i + 1 << " changed";
  }
  EXPECT_EQ(after[5], u"Sequence 5=2024-01-02 09:00;40;40");
  EXPECT_EQ(after[6], u"Sequence 6=;50;50");  // the history had no first shutdown
}

}  // namespace
}  // namespace twk::sequence
