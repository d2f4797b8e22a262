// Who kept the desktop busy: Task Manager's impact rating at its borders,
// which programs a reading keeps, what kind each is by the inventory, the
// settings file's form, and the sequence's most often busy programs.
#include "sequence/busy_programs.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_processes.h"
#include "sequence/measurement_store.h"

namespace twk::sequence {
namespace {

constexpr std::uint64_t kMiB = 1024 * 1024;

TEST(RateImpact, FollowsTaskManagersBordersForCpuAndForIo) {
  struct Case {
    std::int64_t cpuMs;
    std::optional<std::uint64_t> io;
    Impact expected;
  };
  const Case cases[] = {
      {0, 0, Impact::Low},
      {299, 300 * 1024 - 1, Impact::Low},
      {300, 0, Impact::Medium},  // "300 ms to 1 s"
      {0, 300 * 1024, Impact::Medium},
      {1000, 3 * kMiB, Impact::Medium},  // "more than" 1 s and 3 MB
      {1001, 0, Impact::High},
      {0, 3 * kMiB + 1, Impact::High},
      {5, std::nullopt, Impact::Low},  // I/O not counted: the CPU alone rates
      {1500, std::nullopt, Impact::High},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(RateImpact(c.cpuMs, c.io), c.expected) << c.cpuMs << " ms";
  }
}

TEST(ProgramFileName, FindsTheProgramOfQuotedUnquotedAndBlankHoldingCommands) {
  EXPECT_EQ(ProgramFileName(u"\"C:\\Program Files\\A B\\x.exe\" /s"), u"x.exe");
  EXPECT_EQ(ProgramFileName(u"C:\\Program Files\\Sync\\Sync.EXE --background"), u"Sync.EXE");
  EXPECT_EQ(ProgramFileName(u"%SystemRoot%\\System32\\svchost.exe -k netsvcs -p"), u"svchost.exe");
  EXPECT_EQ(ProgramFileName(u"  C:\\Tools\\tool.exe"), u"tool.exe");
  // ".exe" inside a folder's name is no end of the program.
  EXPECT_EQ(ProgramFileName(u"C:\\a.exed\\run.exe"), u"run.exe");
  EXPECT_EQ(ProgramFileName(u"rundll32 shell32.dll,Control_RunDLL"), u"rundll32");
  EXPECT_EQ(ProgramFileName(u""), u"");
}

Inventory MachineInventory() {
  Inventory inventory;
  inventory.entries = {
      {StartPlace::RunUser, u"Sync", u"\"C:\\Sync\\Sync.exe\" /background", std::nullopt, true},
      {StartPlace::RunUser, u"Old", u"C:\\Old\\old.exe", std::nullopt, false},  // switched off
      {StartPlace::StartupUser, u"notes.exe", u"", std::nullopt, true},
      {StartPlace::Service, u"Indexer", u"C:\\Windows\\indexer.exe", StartType::Automatic, true},
      {StartPlace::Service, u"Rare", u"C:\\Windows\\rare.exe", StartType::Manual, true},
      // The same file as a start-up program and a service: a start-up program.
      {StartPlace::Service, u"SyncSvc", u"C:\\Sync\\sync.exe", StartType::Automatic, true},
      {StartPlace::Driver, u"disk", u"\\SystemRoot\\drv.exe", StartType::Boot, true},
  };
  return inventory;
}

TEST(ProgramKinds, NameWhatStartsByItselfByTheFileOfItsCommand) {
  const Inventory inventory = MachineInventory();
  const ProgramKinds kinds(&inventory);
  EXPECT_EQ(kinds.Of(u"SYNC.exe"), ProgramKind::StartupProgram);
  EXPECT_EQ(kinds.Of(u"notes.exe"), ProgramKind::StartupProgram);
  EXPECT_EQ(kinds.Of(u"indexer.exe"), ProgramKind::Service);
  EXPECT_EQ(kinds.Of(u"old.exe"), ProgramKind::Other);   // Task Manager has it off
  EXPECT_EQ(kinds.Of(u"rare.exe"), ProgramKind::Other);  // started by hand only
  EXPECT_EQ(kinds.Of(u"drv.exe"), ProgramKind::Other);   // drivers are no programs
  EXPECT_EQ(ProgramKinds(nullptr).Of(u"Sync.exe"), ProgramKind::Other);
}

platform::ProcessUsage Usage(std::uint32_t id, const Text& name, std::uint64_t cpuMs,
                             std::uint64_t io = 0) {
  return {id, name, 0, cpuMs * 10000, io, 0};
}

TEST(SelectBusyPrograms, KeepsTheTopTenAndEveryHighStartupProgramOrServiceBeyondThem) {
  const Inventory inventory = MachineInventory();
  std::vector<platform::ProcessUsage> usages = {Usage(0, u"", 99999), Usage(7, u"Tarnwick.exe", 9000)};
  for (std::uint32_t i = 0; i < 12; ++i) {
    usages.push_back(Usage(100 + i, u"busy" + FormatUnsigned(i) + u".exe", 5000 + i));
  }
  usages.push_back(Usage(200, u"Sync.exe", 1200));      // High start-up program: kept
  usages.push_back(Usage(201, u"indexer.exe", 900, 4 * kMiB));  // High by its I/O: kept
  usages.push_back(Usage(202, u"notes.exe", 800));      // Medium: not kept
  usages.push_back(Usage(203, u"other.exe", 4000));     // High, but no start-up program
  usages.push_back(Usage(204, u"idle.exe", 0));         // did nothing
  const auto kept = SelectBusyPrograms(usages, 7, ProgramKinds(&inventory));
  ASSERT_EQ(kept.size(), 12u);
  // Most CPU first: busy11 .. busy2, then the two kept beyond the ten.
  EXPECT_EQ(kept[0].program.name, u"busy11.exe");
  EXPECT_EQ(kept[0].id, 111u);
  EXPECT_EQ(kept[9].program.name, u"busy2.exe");
  EXPECT_EQ(kept[10].program.name, u"Sync.exe");
  EXPECT_EQ(kept[10].program.kind, ProgramKind::StartupProgram);
  EXPECT_EQ(kept[11].program.name, u"indexer.exe");
  EXPECT_EQ(kept[11].program.kind, ProgramKind::Service);
  EXPECT_EQ(kept[11].program.ioBytes, 4 * kMiB);
  EXPECT_EQ(kept[11].program.impact(), Impact::High);
  for (const SelectedProgram& s : kept) {
    EXPECT_NE(s.program.name, u"Tarnwick.exe");
    EXPECT_NE(s.program.name, u"idle.exe");
  }
}

TEST(SelectBusyPrograms, AListWithoutAnyIoCountLeavesIoUnknownNotZero) {
  // Wine counts no I/O: every process answers 0.
  const auto unknown = SelectBusyPrograms({Usage(1, u"a.exe", 10), Usage(2, u"b.exe", 20)}, 9,
                                          ProgramKinds(nullptr));
  ASSERT_EQ(unknown.size(), 2u);
  EXPECT_EQ(unknown[0].program.ioBytes, std::nullopt);
  // One count anywhere: the others' zero is a real zero.
  const auto counted = SelectBusyPrograms({Usage(1, u"a.exe", 10), Usage(2, u"b.exe", 20, 5)}, 9,
                                          ProgramKinds(nullptr));
  EXPECT_EQ(counted[1].program.ioBytes, 0u);
}

TEST(ReadBusyPrograms, OpensOnlyTheKeptProgramsForTheirPathsAndKeepsThoseThatRefuse) {
  platform::FakeProcesses processes;
  processes.SetOwnId(7);
  processes.SetUsages({Usage(3, u"open.exe", 50), Usage(4, u"closed.exe", 40)});
  processes.AddProcess(3, {.imagePath = u"C:\\Open\\open.exe"});
  processes.AddProcess(4, {.imagePath = std::nullopt});  // cannot be opened
  const auto reading = ReadBusyPrograms(processes, nullptr, true).value();
  EXPECT_TRUE(reading.atReady);
  ASSERT_EQ(reading.programs.size(), 2u);
  EXPECT_EQ(reading.programs[0].path, u"C:\\Open\\open.exe");
  EXPECT_EQ(reading.programs[1].name, u"closed.exe");
  EXPECT_EQ(reading.programs[1].path, u"");
  processes.SetUsagesStatus(platform::Status::Failed);
  EXPECT_FALSE(ReadBusyPrograms(processes, nullptr, true));
}

TEST(BusyValues, ReadBackAsWrittenEvenWithSeparatorsInNamesAndRefuseDamage) {
  BusyReading reading;
  reading.atReady = false;
  reading.programs = {{u"a|b*c>d.exe", u" C:\\odd %path ", ProgramKind::Service, 1234, 99},
                      {u"x.exe", u"", ProgramKind::Other, 0, std::nullopt}};
  const Text value = FormatBusyReading(reading);
  EXPECT_EQ(value.find(u'>'), Text::npos);  // ">" joins a kept sequence's restarts
  EXPECT_EQ(ParseBusyReading(value), reading);
  EXPECT_EQ(ParseBusyReading(u"ready"), BusyReading{true});
  for (const Text damaged : {u"", u"later|a*b*other*1*2", u"ready|a*b*other*1", u"ready|a*b*odd*1*2",
                             u"ready|a*b*other*-1*2", u"ready|a*b*other*1*x", u"ready|*b*other*1*2",
                             u"ready|a%2*b*other*1*2"}) {
    EXPECT_FALSE(ParseBusyReading(damaged)) << ToUtf8(damaged);
  }
  const std::vector<BootCulprit> culprits = {{103, u"Spo|oler", 4200, 2100}, {107, u"", 10, 5}};
  EXPECT_EQ(ParseCulprits(FormatCulprits(culprits)), culprits);
  EXPECT_EQ(ParseCulprits(FormatCulprits({})), std::vector<BootCulprit>{});
  for (const Text damaged : {u"", u"100*a*1*2", u"111*a*1*2", u"103*a*1", u"103*a*1*x"}) {
    EXPECT_FALSE(ParseCulprits(damaged)) << ToUtf8(damaged);
  }
}

TEST(BusyView, WritesRowsNoteAndWindowsOwnLines) {
  BusyReading reading{true, {{u"Sync.exe", u"", ProgramKind::StartupProgram, 8150, 3 * kMiB + kMiB / 5},
                             {u"x.exe", u"", ProgramKind::Other, 40, std::nullopt}}};
  const auto rows = BusyRows(reading);
  EXPECT_EQ(rows[0], (std::vector<Text>{u"Sync.exe", u"start-up program", u"8.15 s", u"3.2 MB", u"High"}));
  EXPECT_EQ(rows[1], (std::vector<Text>{u"x.exe", u"other", u"0.04 s", u"unknown", u"Low"}));
  EXPECT_NE(BusyReadingNote(reading), BusyReadingNote(BusyReading{false}));
  EXPECT_EQ(CulpritLine({107, u"", 4200, 2100}),
            u"Windows: machine policy took 4.2 s, 2.1 s longer than usual");
  EXPECT_EQ(CulpritLines(std::nullopt).size(), 1u);
  EXPECT_EQ(CulpritLines(std::vector<BootCulprit>{}).size(), 1u);
}

RestartFigure ReadRestart(std::vector<std::pair<Text, std::int64_t>> programs,
                          RestartMark mark = RestartMark::None) {
  RestartFigure r = KeptRestart(u"60");
  r.mark = mark;
  r.busy = BusyReading{true, {}};
  for (const auto& [name, cpu] : programs) r.busy->programs.push_back({name, u"", ProgramKind::Other, cpu, {}});
  return r;
}

TEST(MostOftenBusy, NamesWhatWasBusyInAtLeastHalfTheReadRestartsWithItsMedian) {
  SequenceSummary s;
  s.restarts = {ReadRestart({{u"Sync.exe", 3000}, {u"a.exe", 300}, {u"c.exe", 299}}),
                ReadRestart({{u"SYNC.EXE", 4000}, {u"b.exe", 5000}, {u"c.exe", 299}}),
                // Two processes of one program count once, their time together
                // (c.exe Medium only so).
                ReadRestart({{u"sync.exe", 1000}, {u"sync.exe", 2400}, {u"a.exe", 500},
                             {u"c.exe", 200}, {u"c.exe", 100}}),
                ReadRestart({{u"Sync.exe", 9000}, {u"c.exe", 10}}),
                ReadRestart({{u"a.exe", 50000}}, RestartMark::Updates),  // counts for nothing
                KeptRestart(u"61")};                                      // not read
  // Sync busy in 4 of 4 read restarts (3000, 4000, 3400, 9000: median 3700);
  // a.exe in 2 of 4 (300, 500: median 400); b.exe in 1; c.exe listed in
  // every restart but busy (Medium) in one only.
  EXPECT_EQ(MostOftenBusy(s),
            (std::vector<Text>{u"Most often busy: Sync.exe (median 3.7 s of CPU in 4 of 4 restarts)",
                               u"Most often busy: a.exe (median 0.4 s of CPU in 2 of 4 restarts)"}));
  EXPECT_TRUE(MostOftenBusy(SequenceSummary{}).empty());
}

}  // namespace
}  // namespace twk::sequence
