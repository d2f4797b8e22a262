// The spreadsheet file: quoting, encoding and line ends, its rows, and a
// write that either replaces the file whole or leaves everything as it was.
#include "sequence/csv_export.h"

#include <gtest/gtest.h>

#include "platform/fake/fake_code_page.h"
#include "platform/fake/fake_file_system.h"
#include "sequence/sequence_test_support.h"

namespace twk::sequence {
namespace {

using platform::FakeFileSystem;
using namespace testing;
constexpr char16_t kPath[] = u"C:\\Users\\alice\\Documents\\Tarnwick history.csv";
constexpr char16_t kTemp[] = u"C:\\Users\\alice\\Documents\\Tarnwick history.csv.1.tmp";

// Plain, empty and comma fields are in the rows below.
TEST(CsvTest, FieldsAreQuotedOnlyWhenTheyMustBe) {
  EXPECT_EQ(CsvField(u"say \"hi\""), u"\"say \"\"hi\"\"\"");
  EXPECT_EQ(CsvField(u"two\r\nlines"), u"\"two\r\nlines\"");
  EXPECT_EQ(CsvField(u"lf\nonly"), u"\"lf\nonly\"");
  EXPECT_EQ(CsvField(u" padded"), u"\" padded\"");
  EXPECT_EQ(CsvRow({u"1", u"a,\"b\"\nc", u""}), u"1,\"a,\"\"b\"\"\nc\",\r\n");
}

TEST(CsvTest, OneRowPerRestartOldestSequenceFirstWithItsPhasesAndTheMachine) {
  RestartPhases split;
  split[Phase::ShutdownFirmware] = 21500;
  split[Phase::WindowsStart] = 23620;
  split[Phase::DesktopReady] = 8400;
  split[Phase::WindowsBoot] = 40001;  // Windows' own figure, beside ours
  split[Phase::Firmware] = 7000;      // kept, but no column of its own
  RestartPhases ready;
  ready[Phase::DesktopReady] = 3050;
  const SequenceSummary kept = WithReadyBy(
      WithMarks(WithPhases(WithExact(Summary(3, u"2024-03-01 12:00", 0, {u"60", u"45"}),
                                     {std::nullopt, 45120}),
                           {RestartPhases{}, split}),
                {RestartMark::None, RestartMark::ExtraBoots}),
      {ReadyRule::Cpu, ReadyRule::CpuAndDisk});
  const SequenceSummary current = WithReadyBy(
      WithMarks(WithPhases(Summary(4, u"", 0, {u"12.5", u"13"}, true), {ready, ready}),
                {RestartMark::Updates}),
      {ReadyRule::Cpu});
  // Unknown figures are empty fields, and so are a rule without the moment
  // it decided and the mark of a plain restart; the machine is in every row
  // (quoted when its name needs it).
  const MachineIdentity machine{u"LAB,7", u"nvme"};
  EXPECT_EQ(HistoryCsv({kept, current}, machine),
            Text(kCsvHeader) +
                u"\r\n"
                u"3,2024-03-01 12:00,1,60,,,,,,,,,\"LAB,7\",nvme,\r\n"
                u"3,2024-03-01 12:00,2,45,45.12,21.5,23.62,8.4,cpu+disk,40.001,,,\"LAB,7\",nvme,"
                u"extra boots\r\n"
                u"4,,1,12.5,,,,3.05,cpu,,,,\"LAB,7\",nvme,updates\r\n"
                u"4,,2,13,,,,3.05,,,,,\"LAB,7\",nvme,\r\n");
  EXPECT_TRUE(
      Text(kCsvHeader)
          .starts_with(
              u"sequence,started,restart,seconds,exact_s,shutdown_firmware_s,windows_start_s,"
              u"desktop_ready_s,ready_by,windows_boot_s,"));
  EXPECT_TRUE(Text(kCsvHeader).ends_with(u",computer,disk,mark"));
  EXPECT_EQ(HistoryCsv({}, {}), Text(kCsvHeader) + u"\r\n");
}

class CsvFileTest : public ::testing::Test {
 protected:
  CsvFileTest() {
    fs.AddDrive(u'C');
    fs.AddFolder(u"C:\\Users\\alice\\Documents");
  }
  FakeFileSystem fs;
  platform::FakeAnsiCodePage ansi;
};

TEST_F(CsvFileTest, WritesUtf8WithAByteOrderMarkAndReplacesAnOldFile) {
  ASSERT_TRUE(fs.SetFile(kPath, "old content"));
  const CsvWriteResult result = WriteCsvFile(fs, ansi, kPath, u"a,\u00e9\r\n\"x\r\ny\"\r\n");
  EXPECT_TRUE(result.ok);
  EXPECT_EQ(result.reason, u"");
  EXPECT_EQ(fs.FileBytes(kPath), std::optional<std::string>("\xEF\xBB\xBF"
                                                            "a,\xC3\xA9\r\n\"x\r\ny\"\r\n"));
  EXPECT_FALSE(fs.FileExists(kTemp));
  EXPECT_EQ(fs.openHandleCount(), 0u);
}

TEST_F(CsvFileTest, AMissingFolderIsNotCreatedAndNothingIsWritten) {
  const Text path = u"C:\\Users\\alice\\Nowhere\\h.csv";
  const CsvWriteResult result = WriteCsvFile(fs, ansi, path, u"a\r\n");
  EXPECT_FALSE(result.ok);
  EXPECT_FALSE(result.reason.empty());
  EXPECT_FALSE(fs.FolderExists(u"C:\\Users\\alice\\Nowhere"));
  EXPECT_EQ(fs.openCalls().size(), 1u);  // no further temporary names tried in vain
}

// Files of the user's that carry the temporary names are left alone: the
// write takes the first name no file has, and removes only that one.
TEST_F(CsvFileTest, TheUsersFilesOfTemporaryNamesAreLeftAsTheyWere) {
  const Text taken[] = {Text(kPath) + u".tmp", kTemp};
  for (const Text& name : taken) ASSERT_TRUE(fs.SetFile(name, "mine"));
  EXPECT_TRUE(WriteCsvFile(fs, ansi, kPath, u"new\r\n").ok);
  EXPECT_EQ(fs.FileBytes(kPath), std::optional<std::string>("\xEF\xBB\xBFnew\r\n"));
  for (const Text& name : taken) EXPECT_EQ(fs.FileBytes(name), std::optional<std::string>("mine"));
  EXPECT_FALSE(fs.FileExists(Text(kPath) + u".2.tmp"));

  fs.FailOn(FakeFileSystem::Op::Write, Text(kPath) + u".2.tmp");
  EXPECT_FALSE(WriteCsvFile(fs, ansi, kPath, u"newer\r\n").ok);
  for (const Text& name : taken) EXPECT_EQ(fs.FileBytes(name), std::optional<std::string>("mine"));
  EXPECT_FALSE(fs.FileExists(Text(kPath) + u".2.tmp"));
  EXPECT_EQ(fs.openHandleCount(), 0u);
}

TEST_F(CsvFileTest, AFailureOnTheWayLeavesTheOldFileAndNoTemporaryOne) {
  using Op = FakeFileSystem::Op;
  for (const Op op : {Op::Write, Op::Flush, Op::ReplaceWith}) {
    ASSERT_TRUE(fs.SetFile(kPath, "old content"));
    fs.FailOn(op, kTemp);
    const CsvWriteResult result = WriteCsvFile(fs, ansi, kPath, u"new\r\n");
    fs.ClearFailures();
    EXPECT_FALSE(result.ok) << static_cast<int>(op);
    EXPECT_FALSE(result.reason.empty());
    EXPECT_EQ(fs.FileBytes(kPath), std::optional<std::string>("old content"));
    EXPECT_FALSE(fs.FileExists(kTemp));
  }
  // A disk that fills up half-way is a failed write too.
  fs.LimitWrites(5);
  EXPECT_FALSE(WriteCsvFile(fs, ansi, kPath, u"sequence,started\r\n").ok);
  EXPECT_EQ(fs.FileBytes(kPath), std::optional<std::string>("old content"));
}

}  // namespace
}  // namespace twk::sequence
