#include "sequence/measurement_store.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/fake/fake_clock.h"
#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "sequence/sequence_test_support.h"
#include "sequence/time_stamps.h"

namespace twk::sequence {
namespace {

using platform::FakeClock;
using testing::Each;
using settings::SettingsFile;

// Positive figures as seconds are checked where the lists and the export show them.
TEST(MeasurementNumbersTest, NegativeMillisecondsAsSeconds) {
  EXPECT_EQ(FormatMilliseconds(-1500), u"-1.5");
}

class MeasurementStoreTest : public ::testing::Test {
 protected:
  static constexpr std::uint64_t kStart = FakeClock::kDefaultSecond;

  MeasurementStoreTest() {
    fs.AddDrive(u'C');
    Load({});
  }

  void Load(const std::vector<Text>& lines) {
    ASSERT_TRUE(settings.Close());  // Load would first save the document held so far over the file
    ASSERT_TRUE(fs.SetFile(path, testing::Utf16File(lines)));
    // An empty file loads as an empty document, which Load reports as such.
    EXPECT_EQ(static_cast<bool>(settings.Load(path)), !lines.empty());
    m = MeasurementStore::Load(settings);
  }
  Text Value(const Text& section, const Text& key) const {
    const Text* value = settings.GetValue(section, key);
    return value != nullptr ? *value : u"<none>";
  }
  Text Stamp(const Text& key) const { return Value(file::section::TimeStamps, key); }
  Text History(std::uint32_t restart) const {
    return Value(file::section::History, RestartKey(restart));
  }
  Text Exact(std::uint32_t restart) const {
    return Value(file::section::HistoryMilliseconds, RestartKey(restart));
  }
  static Text Number(std::uint64_t n) { return FormatNumber(static_cast<double>(n)); }

  // A sequence whose restart 1 shut down now and which boots after `ms`.
  void ShutDownThenBoot(std::uint64_t ms) {
    ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
    clock.AdvanceMilliseconds(ms);
  }

  platform::FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
  SettingsFile settings{fs, ansi};
  FakeClock clock;
  MeasurementStore m;
  const Text path = u"C:\\Tarnwick\\TWK.ini";
};

TEST_F(MeasurementStoreTest, EachStampKeepsItsLocalSecondAndTheUtcMomentBesideIt) {
  clock.AdvanceMilliseconds(250);
  clock.SetUtcOffset(3600);
  ShutDownThenBoot(61234);
  // The clock moves on between readings: one reading must serve both values.
  clock.AdvanceOnEachReading(1500);
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  EXPECT_EQ(Stamp(u"FirstShutDown"), Number(kStart + 3600));
  EXPECT_EQ(Stamp(u"FirstShutDownUtcMs"), FormatSigned(kStart * 1000 + 250));
  EXPECT_EQ(Stamp(u"FirstBootUp"), Number(kStart + 3600 + 61));
  EXPECT_EQ(History(1), u"61");
  EXPECT_EQ(Exact(1), u"61234");
  // The model holds what the document holds, and reads back the same.
  const MeasurementStore again = MeasurementStore::Load(settings);
  ASSERT_EQ(again.restarts().size(), 1u);
  EXPECT_EQ(again.restarts()[0].exactMs, 61234);
  EXPECT_EQ(m.restarts()[0].exactMs, 61234);
  EXPECT_EQ(again.stamp(StampName::FirstBootUp).utcMs, m.stamp(StampName::FirstBootUp).utcMs);
  EXPECT_EQ(Stamp(u"LastShutDown"), u"<none>");
}

TEST_F(MeasurementStoreTest, SummerTimeStartingOrEndingDuringARestartDoesNotCount) {
  for (const std::int64_t change : {3600, -3600}) {
    SCOPED_TRACE(change);
    Load({});
    clock.SetUtcOffset(0);
    ShutDownThenBoot(30000);
    clock.SetUtcOffset(change);  // local clock jumps an hour, UTC goes on
    clock.AdvanceMilliseconds(15500);
    ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
    EXPECT_EQ(History(1), u"45");
    EXPECT_EQ(Exact(1), u"45500");
    // The local stamps still say what the local clock said (whole seconds
    // each, so within one of the local difference).
    EXPECT_NEAR(ParseStamp(Stamp(u"FirstBootUp")) - ParseStamp(Stamp(u"FirstShutDown")),
                45.5 + static_cast<double>(change), 1.0);
  }
}

TEST_F(MeasurementStoreTest, AFileOfAnEarlierVersionGivesTheSameFiguresAndBytes) {
  // Local keys only: durations by the local rule, no exact figure, and a
  // file nothing is recorded in is saved exactly as it was read.
  const std::vector<Text> lines = {u"[Setup]",
                                   u"TimesToReboot=3",
                                   u"[TimeStamps]",
                                   u"FirstShutDown=13353768000",
                                   u"FirstBootUp=13353768060",
                                   u"LastShutDown=13353768400",
                                   u"[History]",
                                   u"Reboot 1=60",
                                   u"reboot 2 = 12.5",
                                   u"Reboot 3=x"};
  Load(lines);
  const std::string bytes = *fs.FileBytes(path);
  ASSERT_EQ(m.restarts().size(), 3u);
  EXPECT_EQ(m.restarts()[1].key, u"reboot 2");
  EXPECT_EQ(m.restarts()[1].seconds, u"12.5");
  EXPECT_EQ(m.restarts()[1].wholeSeconds, 12);
  EXPECT_EQ(m.restarts()[2].wholeSeconds, 0);
  EXPECT_EQ(m.restarts()[0].exactMs, std::nullopt);
  EXPECT_EQ(m.Average(), 24);  // (60 + 12 + 0) / 3, as the list adds them
  const auto first =
      DurationBetween(m.stamp(StampName::FirstShutDown), m.stamp(StampName::FirstBootUp));
  ASSERT_TRUE(first);
  EXPECT_EQ(first->seconds, 60);
  EXPECT_EQ(first->milliseconds, std::nullopt);
  ASSERT_TRUE(settings.Save());
  EXPECT_EQ(*fs.FileBytes(path), bytes);

  // A boot-up with the UTC moment against a shutdown without one: still
  // the local rule, and no exact figure made up.
  clock.SetSecond(13353768445);
  EXPECT_TRUE(m.RecordRebootDuration(5, clock.Now()));
  EXPECT_EQ(History(4), u"45");
  EXPECT_EQ(Exact(4), u"<none>");
}

TEST_F(MeasurementStoreTest, ARefusedRestartPutsItsShutdownStampBackUtcMomentIncluded) {
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::LastShutDown, clock.Now()));
  const Text lastShutDown = Stamp(u"LastShutDown"), lastUtc = Stamp(u"LastShutDownUtcMs");
  const sequence::Stamp previous = m.stamp(StampName::LastShutDown);
  clock.AdvanceSeconds(300);
  ASSERT_TRUE(m.RecordTimeStamp(TimeStampKind::LastShutDown, clock.Now()));
  m.RestoreStamp(StampName::LastShutDown, previous);
  EXPECT_EQ(Stamp(u"LastShutDown"), lastShutDown);
  EXPECT_EQ(Stamp(u"LastShutDownUtcMs"), lastUtc);
  m.RestoreStamp(StampName::LastBootUp, sequence::Stamp{});
  EXPECT_EQ(Stamp(u"LastBootUp"), u"<none>");
}

TEST_F(MeasurementStoreTest, ANegativeOrUnmeasurableDurationIsNotRecorded) {
  // The clock set back between the two stamps, with and without the UTC
  // moment; no shutdown stamp at all.
  ShutDownThenBoot(10000);
  clock.Jump(-60);
  // The stamp itself is written (the boot did happen), the figure is not.
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  EXPECT_EQ(History(1), u"<none>");
  EXPECT_EQ(Exact(1), u"<none>");
  EXPECT_TRUE(m.restarts().empty());
  EXPECT_EQ(Stamp(u"FirstBootUp"), Number(kStart - 50));
  for (const std::vector<Text>& lines :
       {std::vector<Text>{u"[TimeStamps]", u"LastShutDown=13353768100"},
        std::vector<Text>{u"[History]", u"Reboot 1=", u"[TimeStamps]", u"FirstShutDown=-5"},
        std::vector<Text>{u"[TimeStamps]", u"FirstShutDown="}}) {
    Load(lines);
    const std::vector<Text> before = settings.lines();
    const std::uint32_t current = lines.back().starts_with(u"Last") ? 3 : 2;
    EXPECT_FALSE(m.RecordRebootDuration(current, clock.Now())) << ToUtf8(lines.back());
    EXPECT_EQ(settings.lines(), before);
    EXPECT_TRUE(m.restarts().size() <= 1u);
  }
  // An empty value is filled in place.
  Load({u"[History]", u"Reboot 4=", u"[TimeStamps]", u"LastShutDown=  13353767900.5"});
  EXPECT_TRUE(m.RecordRebootDuration(5, clock.Now()));
  EXPECT_EQ(History(4), u"49.5");
  ASSERT_EQ(m.restarts().size(), 1u);
  EXPECT_EQ(m.restarts()[0].seconds, u"49.5");
}

TEST_F(MeasurementStoreTest, ARepeatedStartKeepsTheFirstFiguresAndAnEditedOneLosesItsExactValue) {
  Load({u"[TimeStamps]", u"LastShutDown=13353767900", u"LastBootUp=12345", u"[History]",
        u"Reboot 3=42", u"Reboot 1=7", u"[HistoryMilliseconds]", u"Reboot 3=42900",
        u"Reboot 1=8100"});
  EXPECT_EQ(m.restarts()[0].exactMs, 42900);
  EXPECT_EQ(m.restarts()[1].exactMs, std::nullopt) << "7 s by hand, 8.1 s exact: unknown";
  EXPECT_FALSE(m.RecordRebootDuration(4, clock.Now()));
  EXPECT_EQ(History(3), u"42");
  // Restart 1 measured already: its boot-up stamp stays with its figure.
  Load({u"[TimeStamps]", u"FirstShutDown=13353767900", u"FirstBootUp=13353767940", u"[History]",
        u"Reboot 1=40"});
  EXPECT_FALSE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  EXPECT_EQ(Stamp(u"FirstBootUp"), u"13353767940");
  EXPECT_EQ(Stamp(u"FirstBootUpUtcMs"), u"<none>");
  Load({u"[TimeStamps]", u"LastShutDown=13353767900", u"LastBootUp=12345", u"[History]",
        u"Reboot 3=42"});
  // Five characters are no stamp; six are, and stay.
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::LastBootUp, clock.Now()));
  EXPECT_EQ(Stamp(u"LastBootUp"), Number(kStart));
  clock.AdvanceSeconds(30);
  EXPECT_FALSE(m.RecordTimeStamp(TimeStampKind::LastBootUp, clock.Now()));
  EXPECT_EQ(Stamp(u"LastBootUp"), Number(kStart));
}

TEST_F(MeasurementStoreTest, SequenceStartClearsEverySectionOfTheSequenceAndKeepsItsSummary) {
  Load({u"[Setup]", u"TimesToReboot=3", u"[TimeStamps]", u"FirstShutDown=13353768000",
        u"FirstShutDownUtcMs=13353768000000", u"LastBootUp=4", u"[History]", u"Reboot 1=61",
        u"Reboot 2=9", u"[HistoryMilliseconds]", u"Reboot 1=61500", u"[PostOperation]",
        u"DisableAutoLogon=1"});
  clock.SetSecond(kStart + 1000);
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  EXPECT_FALSE(settings.FindSection(u"History"));
  EXPECT_FALSE(settings.FindSection(u"HistoryMilliseconds"));
  EXPECT_EQ(Stamp(u"FirstShutDown"), Number(kStart + 1000));
  EXPECT_EQ(Stamp(u"LastBootUp"), u"<none>");
  EXPECT_TRUE(m.restarts().empty());
  EXPECT_EQ(Value(u"Sequences", u"Sequence 1"), u"2024-03-01 12:00;35;61 9");
  EXPECT_EQ(Value(u"SequencesMilliseconds", u"Sequence 1"), u"61500 ?");
  const std::vector<SequenceSummary> kept = MeasurementStore::Read(settings).kept();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(Each(m.kept().at(0), &RestartFigure::exactMs), Each(kept[0], &RestartFigure::exactMs)) << "as kept in the file";
  EXPECT_EQ(Each(kept[0], &RestartFigure::exactMs), (std::vector<std::optional<std::int64_t>>{61500, std::nullopt}));
  EXPECT_EQ(Value(u"PostOperation", u"DisableAutoLogon"), u"1");
  // An unknown kind does nothing.
  const std::vector<Text> before = settings.lines();
  EXPECT_FALSE(m.RecordTimeStamp(static_cast<TimeStampKind>(0), clock.Now()));
  EXPECT_FALSE(m.RecordTimeStamp(static_cast<TimeStampKind>(5), clock.Now()));
  EXPECT_EQ(settings.lines(), before);
}

TEST_F(MeasurementStoreTest, TheReadyRuleIsKeptBesideItsRestartAndThenBesideItsKeptSequence) {
  const std::vector<Text> lines = {
      u"[TimeStamps]", u"FirstShutDown=13353768000", u"[History]",    u"Reboot 1=61",
      u"Reboot 2=9",   u"[RestartReadyBy]",          u"Reboot 1=disk"};  // not a rule: unknown
  Load(lines);
  EXPECT_EQ(m.restarts()[0].readyBy, std::nullopt);
  EXPECT_TRUE(m.RecordReadyRule(u"reboot 2", ReadyRule::CpuAndDisk));
  EXPECT_FALSE(m.RecordReadyRule(u"Reboot 2", ReadyRule::CpuAndDisk));
  EXPECT_FALSE(m.RecordReadyRule(u"Reboot 3", ReadyRule::Cpu));  // no such restart
  EXPECT_EQ(Value(u"RestartReadyBy", u"Reboot 2"), u"cpu+disk");
  EXPECT_EQ(Value(u"RestartReadyBy", u"Reboot 3"), u"<none>");
  // What an earlier version reads is where and as it was.
  const std::vector<Text> after = settings.lines();
  ASSERT_GE(after.size(), lines.size());
  EXPECT_EQ(std::vector<Text>(after.begin(), after.begin() + 5),
            std::vector<Text>(lines.begin(), lines.begin() + 5));
  Load(std::vector<Text>(after));
  ASSERT_EQ(m.restarts().size(), 2u);
  EXPECT_EQ(m.restarts()[0].readyBy, std::nullopt);
  EXPECT_EQ(m.restarts()[1].readyBy, ReadyRule::CpuAndDisk);

  // The next sequence keeps it with the summary, and starts without one.
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  EXPECT_FALSE(settings.FindSection(u"RestartReadyBy"));
  EXPECT_EQ(Value(u"SequencesReadyBy", u"Sequence 1"), u"? cpu+disk");
  const std::vector<SequenceSummary> kept = MeasurementStore::Read(settings).kept();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(Each(m.kept().at(0), &RestartFigure::readyBy), Each(kept[0], &RestartFigure::readyBy)) << "as kept in the file";
  EXPECT_EQ(Each(kept[0], &RestartFigure::readyBy),
            (std::vector<std::optional<ReadyRule>>{std::nullopt, ReadyRule::CpuAndDisk}));
}

TEST_F(MeasurementStoreTest, BusyProgramsAndCulpritsGoWithTheirRestartIntoTheKeptSequence) {
  Load({u"[TimeStamps]", u"FirstShutDown=13353768000", u"[History]", u"Reboot 1=61",
        u"Reboot 2=9", u"Reboot 3=8", u"[RestartBusy]", u"Reboot 3=soon|x"});  // damaged: unknown
  EXPECT_EQ(m.restarts()[2].busy, std::nullopt);
  const BusyReading reading{true, {{u"Sync.exe", u"C:\\Sync\\Sync.exe", ProgramKind::StartupProgram,
                                    8150, std::nullopt}}};
  EXPECT_TRUE(m.RecordBusyPrograms(u"reboot 1", reading));
  // The first reading stays: a repeated start reads a desktop long ready.
  EXPECT_FALSE(m.RecordBusyPrograms(u"Reboot 1", BusyReading{false, {}}));
  EXPECT_FALSE(m.RecordBusyPrograms(u"Reboot 9", reading));
  EXPECT_TRUE(m.RecordCulprits(u"Reboot 2", {}));
  EXPECT_TRUE(m.RecordCulprits(u"Reboot 2", {{103, u"Spooler", 4200, 2100}}));  // the log grew
  EXPECT_FALSE(m.RecordCulprits(u"Reboot 2", {{103, u"Spooler", 4200, 2100}}));
  EXPECT_EQ(Value(u"RestartBusy", u"Reboot 1"),
            u"ready|Sync.exe*C:\\Sync\\Sync.exe*startup*8150*?");
  EXPECT_EQ(Value(u"RestartCulprits", u"Reboot 2"), u"103*Spooler*4200*2100");
  Load(std::vector<Text>(settings.lines()));
  EXPECT_EQ(m.restarts()[0].busy, reading);
  EXPECT_EQ(m.restarts()[1].culprits, (std::vector<BootCulprit>{{103, u"Spooler", 4200, 2100}}));

  // Kept with the summary, the unknown ones as empty fields; the next
  // sequence starts without any.
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  EXPECT_FALSE(settings.FindSection(u"RestartBusy"));
  EXPECT_FALSE(settings.FindSection(u"RestartCulprits"));
  EXPECT_EQ(Value(u"SequencesBusy", u"Sequence 1"),
            u"ready|Sync.exe*C:\\Sync\\Sync.exe*startup*8150*?>>");
  EXPECT_EQ(Value(u"SequencesCulprits", u"Sequence 1"), u">103*Spooler*4200*2100>");
  const std::vector<SequenceSummary> kept = MeasurementStore::Read(settings).kept();
  ASSERT_EQ(kept.size(), 1u);
  EXPECT_EQ(kept[0].restarts[0].busy, reading);
  EXPECT_EQ(kept[0].restarts[1].busy, std::nullopt);
  EXPECT_EQ(kept[0].restarts[1].culprits, m.kept()[0].restarts[1].culprits);
  EXPECT_EQ(kept[0].restarts[2].culprits, std::nullopt);

  // A kept value that does not fit its sequence leaves every restart's unknown.
  ASSERT_TRUE(settings.Set(u"SequencesBusy", u"Sequence 1", u"ready>ready"));
  EXPECT_EQ(MeasurementStore::Read(settings).kept()[0].restarts[0].busy, std::nullopt);

  // Lines left under the next key (its summary removed by hand) are not the
  // next kept sequence's figures: they go when it has none of its own.
  Load({u"[SequencesBusy]", u"Sequence 2=ready", u"[SequencesReadyBy]", u"Sequence 2=cpu",
        u"[SequencesBusy]", u"Sequence 2=before", u"[Sequences]", u"Sequence 1=;60;60",
        u"[TimeStamps]", u"FirstShutDown=13353768000", u"[History]", u"Reboot 1=61"});
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::SequenceStart, clock.Now()));
  EXPECT_EQ(Value(u"SequencesBusy", u"Sequence 2"), u"<none>");
  EXPECT_EQ(Value(u"SequencesReadyBy", u"Sequence 2"), u"<none>");
  const SequenceSummary second = MeasurementStore::Read(settings).kept().at(1);
  EXPECT_EQ(second.restarts.at(0).busy, std::nullopt);
  EXPECT_EQ(second.restarts.at(0).readyBy, std::nullopt);
}

// A file as the previous version left it in the middle of a sequence, with
// every section of the measurements: kept sequences with their exact figures,
// phases, marks and rules, the machine, the stamps with the readings of the
// latest request, and the current restarts with theirs.
const std::vector<Text> kEarlierFile = {
    u"[Setup]",
    u"TimesToReboot=3",
    u"RebootDelay=1",
    u"[Sequences]",
    u"Sequence 1=2024-02-01 09:15;45;44 46",
    u"Sequence 2=2024-02-20 10:30;50;61 39 50",
    u"[SequencesMilliseconds]",
    u"Sequence 2=61234 ? 50120",
    u"[SequencesPhases]",
    u"Sequence 1=21500/22600/8400/6200/?/?/?/13353768000000/13353768044100 ?/?/?/?/?/?/?/?/?",
    u"[SequencesMarks]",
    u"Sequence 2=updates,,",
    u"[SequencesReadyBy]",
    u"Sequence 1=cpu+disk ?",
    u"[Machine]",
    u"ComputerName=LAB-07",
    u"DiskKind=nvme",
    u"[TimeStamps]",
    u"FirstShutDown=13353768000",
    u"FirstShutDownUtcMs=13353735600000",
    u"FirstBootUp=13353768045",
    u"FirstBootUpUtcMs=13353735645120",
    u"LastShutDown=13353768400",
    u"LastShutDownUtcMs=13353736000000",
    u"ShutDownUpdatesWaiting=1",
    u"ShutDownBootId=41",
    u"[History]",
    u"Reboot 1=45",
    u"Reboot 2=52",
    u"[HistoryMilliseconds]",
    u"Reboot 1=45120",
    u"Reboot 2=52300",
    u"[RestartPhases]",
    u"Reboot 1=21500 23620 8400 6200 ? ? ? 13353735600000 13353735645120",
    u"[RestartMarks]",
    u"Reboot 2=extra boots",
    u"[RestartReadyBy]",
    u"Reboot 1=cpu+disk",
    u"[PostOperation]",
    u"DisableAutoLogon=1",
};

class MeasurementFileTest : public MeasurementStoreTest {
 protected:
  MeasurementFileTest() { Load(kEarlierFile); }
  // The file on the disk after a save, line by line.
  std::vector<Text> SavedLines() {
    EXPECT_TRUE(settings.Save());
    const std::string bytes = *fs.FileBytes(path);
    EXPECT_TRUE(bytes.starts_with("\xFF\xFE"));
    std::vector<Text> lines = Split(FromUtf16(bytes.substr(2), ByteOrder::LittleEndian), u"\r\n");
    if (!lines.empty() && lines.back().empty()) lines.pop_back();
    return lines;
  }
  // The earlier file with `line` put in place of line `at` (removing `remove`
  // lines there first).
  static std::vector<Text> Edited(std::size_t at, std::size_t remove,
                                  const std::vector<Text>& insert) {
    std::vector<Text> lines = kEarlierFile;
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(at),
                lines.begin() + static_cast<std::ptrdiff_t>(at + remove));
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), insert.begin(), insert.end());
    return lines;
  }
  static std::size_t LineOf(const Text& line) {
    const auto found = std::find(kEarlierFile.begin(), kEarlierFile.end(), line);
    return static_cast<std::size_t>(found - kEarlierFile.begin());
  }
  static void ExpectSameLines(const std::vector<Text>& saved, const std::vector<Text>& expected) {
    ASSERT_EQ(saved.size(), expected.size());
    for (std::size_t i = 0; i < saved.size(); ++i) {
      EXPECT_EQ(saved[i], expected[i]) << "line " << i + 1 << ": " << ToUtf8(saved[i]);
    }
  }
};

TEST_F(MeasurementFileTest, AnEarlierFileReadsIntoTheRecordsAndSavesByteForByte) {
  const std::string bytes = *fs.FileBytes(path);
  ASSERT_EQ(m.kept().size(), 2u);
  EXPECT_EQ(Each(m.kept()[0], &RestartFigure::phases).at(0)[Phase::DesktopReady], 8400);
  EXPECT_EQ(Each(m.kept()[0], &RestartFigure::readyBy),
            (std::vector<std::optional<ReadyRule>>{ReadyRule::CpuAndDisk, std::nullopt}));
  EXPECT_EQ(Each(m.kept()[1], &RestartFigure::exactMs),
            (std::vector<std::optional<std::int64_t>>{61234, std::nullopt, 50120}));
  EXPECT_EQ(Each(m.kept()[1], &RestartFigure::mark),
            (std::vector<RestartMark>{RestartMark::Updates, RestartMark::None, RestartMark::None}));
  EXPECT_EQ(m.machine(), (MachineIdentity{u"LAB-07", u"nvme"}));
  EXPECT_EQ(m.request(), (RestartRequest{true, 41}));
  ASSERT_EQ(m.restarts().size(), 2u);
  EXPECT_EQ(m.restarts()[0].exactMs, 45120);
  EXPECT_EQ(m.restarts()[0].phases[Phase::WindowsStart], 23620);
  EXPECT_EQ(m.restarts()[0].readyBy, ReadyRule::CpuAndDisk);
  EXPECT_EQ(m.restarts()[1].mark, RestartMark::ExtraBoots);
  EXPECT_EQ(m.stamp(StampName::LastShutDown).utcMs, 13353736000000);
  // Operations that find every value as it is change no line.
  EXPECT_FALSE(m.RecordReadyRule(u"Reboot 1", ReadyRule::CpuAndDisk));
  EXPECT_FALSE(m.RecordPhases(u"Reboot 1", m.restarts()[0].phases));
  (void)m.RecordMachine({u"LAB-07", u"nvme"});
  ASSERT_TRUE(settings.Save());
  EXPECT_TRUE(*fs.FileBytes(path) == bytes);
}

TEST_F(MeasurementFileTest, AnOperationWritesBackOnlyTheKeysItChanged) {
  RestartPhases ready;
  ready[Phase::DesktopReady] = 9100;
  EXPECT_TRUE(m.RecordPhases(u"Reboot 1", ready));
  ExpectSameLines(SavedLines(),
                  Edited(LineOf(u"[RestartPhases]") + 1, 1,
                         {u"Reboot 1=21500 23620 9100 6200 ? ? ? 13353735600000 13353735645120"}));

  Load(kEarlierFile);
  EXPECT_TRUE(m.RecordReadyRule(u"Reboot 2", ReadyRule::Cpu));
  ExpectSameLines(SavedLines(), Edited(LineOf(u"Reboot 1=cpu+disk") + 1, 0, {u"Reboot 2=cpu"}));

  // The request's readings are used once: they go with the mark they gave.
  Load(kEarlierFile);
  EXPECT_TRUE(m.RecordMark(u"Reboot 1", RestartMark::Updates));
  // A key its section did not have goes last in it.
  std::vector<Text> expected =
      Edited(LineOf(u"Reboot 2=extra boots") + 1, 0, {u"Reboot 1=updates"});
  expected.erase(
      expected.begin() + static_cast<std::ptrdiff_t>(LineOf(u"ShutDownUpdatesWaiting=1")),
      expected.begin() + static_cast<std::ptrdiff_t>(LineOf(u"ShutDownBootId=41") + 1));
  ExpectSameLines(SavedLines(), expected);

  Load(kEarlierFile);
  EXPECT_TRUE(m.RecordMachine({u"LAB-07", Text()}));
  ExpectSameLines(SavedLines(), Edited(LineOf(u"DiskKind=nvme"), 1, {}));
}

// What started with Windows goes with each sequence: recorded as it starts,
// moved with it when it is kept, written once however many sequences share
// it, and gone from the file with the last sequence that had it.
TEST_F(MeasurementStoreTest, InventoriesAreKeptOnceAndGoWithTheirLastSequence) {
  const Inventory a{u"Windows 10 Pro", u"10.0.19045.3803",
                    {{StartPlace::RunUser, u"Chat", u"chat.exe", std::nullopt, true}}};
  Inventory b = a;
  b.version = u"10.0.19045.3930";
  const Text idA = InventoryId(InventoryLines(a));
  const Text idB = InventoryId(InventoryLines(b));
  // A sequence with one restart, started on a machine with `inventory`.
  const auto sequence = [this](const Inventory& inventory) {
    ShutDownThenBoot(60000);
    EXPECT_TRUE(m.RecordInventory(inventory));
    EXPECT_FALSE(m.RecordInventory(inventory)) << "nothing new to write";
    EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  };
  const auto sections = [this] {
    std::vector<Text> found;
    for (const Text& line : settings.lines()) {
      if (line.starts_with(u"[Inventor")) found.push_back(line);
    }
    std::sort(found.begin(), found.end());  // which comes first is no matter
    return found;
  };

  sequence(a);
  EXPECT_EQ(Value(u"Inventories", u"Current"), idA);
  EXPECT_EQ(Value(u"Inventory " + idA, u"1"), u"run-user|Chat|chat.exe||on");
  sequence(a);  // sequence 1 is kept with it; the new one shares it
  sequence(b);  // sequence 2 is kept with a too
  EXPECT_EQ(Value(u"Inventories", u"Sequence 1"), idA);
  EXPECT_EQ(Value(u"Inventories", u"Sequence 2"), idA);
  EXPECT_EQ(Value(u"Inventories", u"Current"), idB);
  std::vector<Text> both = {u"[Inventory " + idA + u"]", u"[Inventory " + idB + u"]"};
  std::sort(both.begin(), both.end());
  EXPECT_EQ(sections(), (std::vector<Text>{u"[Inventories]", both[0], both[1]}));
  // Read back, every sequence has its own, and the same one is shared.
  const MeasurementStore read = MeasurementStore::Read(settings);
  const std::vector<SequenceSummary> all = read.AllSequences();
  ASSERT_EQ(all.size(), 3u);
  ASSERT_TRUE(all[0].inventory && all[2].inventory);
  EXPECT_EQ(*all[0].inventory, a);
  EXPECT_EQ(all[0].inventory, all[1].inventory);
  EXPECT_EQ(*all[2].inventory, b);

  // The fifty newest stay: once sequences 1 and 2 are dropped, inventory a
  // goes with them.
  for (int i = 0; i < 50; ++i) sequence(b);
  EXPECT_EQ(m.kept().front().number, 3u);
  EXPECT_EQ(Value(u"Inventories", u"Sequence 2"), u"<none>");
  EXPECT_EQ(sections(), (std::vector<Text>{u"[Inventories]", u"[Inventory " + idB + u"]"}));

  // A sequence started without recording one has none, and is kept so.
  ShutDownThenBoot(60000);
  EXPECT_EQ(Value(u"Inventories", u"Current"), u"<none>");
  EXPECT_TRUE(m.RecordTimeStamp(TimeStampKind::FirstBootUp, clock.Now(), 2));
  EXPECT_EQ(m.Current()->inventory, nullptr);
}

}  // namespace
}  // namespace twk::sequence
