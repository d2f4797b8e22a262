// The system disk's counters: read from the driver's answer within its
// bytes, and asked through one handle of the right disk that needed no
// rights to open.
#include "platform/disk_counters.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/fake/fake_devices.h"

namespace twk::platform {
namespace {

using Query = FakeDevices::Query;

std::vector<std::uint8_t> FromHex(const std::string& hex) {
  std::vector<std::uint8_t> bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    bytes.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  }
  return bytes;
}

// A DISK_PERFORMANCE as partmgr.sys lays it out: 19.9 GB read, 10.1 GB
// written, read and write times, 918.7 s idle, 48213 reads, 101977 writes,
// nothing queued, 1311 split, queried at 2025-11-26 23:15:12.345678 UTC,
// device 0, manager "PARTMGR ", padding.
const std::vector<std::uint8_t> kAnswer = FromHex(
    "00d0c1a30400000000647f5b020000004f9d8c4600000000b42098830000000062a69c2302000000"
    "55bc0000598e0100000000001f050000153f14842a5fdc010000000050004100520054004d004700"
    "5200200000000000");

DeviceAnswer Answered(std::vector<std::uint8_t> bytes, std::uint32_t returned, Status status) {
  DeviceAnswer answer;
  answer.status = status;
  answer.returned = returned;
  answer.bytes = std::move(bytes);
  return answer;
}

TEST(DiskPerformanceTest, IdleAndQueryTimeAreReadFromTheAnswerOnlyWhenItHoldsThem) {
  ASSERT_EQ(kAnswer.size(), kDiskPerformanceSize);
  EXPECT_EQ(ReadDiskPerformance(Answered(kAnswer, 88, Status::Ok)),
            (DiskTimes{9187403362, 134086725123456789}));
  // A failed query, whatever its buffer holds, is no reading of zero.
  EXPECT_EQ(ReadDiskPerformance(Answered(kAnswer, 88, Status::Failed)), std::nullopt);
  EXPECT_EQ(ReadDiskPerformance(Answered(kAnswer, 0, Status::Denied)), std::nullopt);
  // The driver wrote less than QueryTime's last byte, or the buffer is short.
  EXPECT_EQ(ReadDiskPerformance(Answered(kAnswer, 63, Status::Ok)), std::nullopt);
  EXPECT_EQ(ReadDiskPerformance(Answered({kAnswer.begin(), kAnswer.begin() + 63}, 88, Status::Ok)),
            std::nullopt);
  EXPECT_EQ(ReadDiskPerformance(Answered(kAnswer, 64, Status::Ok)),
            (DiskTimes{9187403362, 134086725123456789}));
  // Counters that were never started answer a query time of 0.
  EXPECT_EQ(ReadDiskPerformance(Answered(std::vector<std::uint8_t>(88, 0), 88, Status::Ok)),
            std::nullopt);
}

class DiskCounterReaderTest : public ::testing::Test {
 protected:
  void SystemDiskIs(std::uint32_t number) {
    devices.AddDevice(u"\\\\.\\C:");
    // STORAGE_DEVICE_NUMBER: type 7 (disk), the device number, partition 3.
    devices.Answer(Query::DeviceNumber,
                   {7, 0, 0, 0, static_cast<std::uint8_t>(number), 0, 0, 0, 3, 0, 0, 0});
  }
  FakeDevices devices;
  DiskCounterReader reader{devices};
};

TEST_F(DiskCounterReaderTest, TheSystemDiskIsOpenedOnceWithoutRightsAndAskedThroughThatHandle) {
  SystemDiskIs(2);
  devices.AddDevice(u"\\\\.\\PHYSICALDRIVE2");
  std::vector<std::uint8_t> later = kAnswer;
  later[56] += 1;  // a query time 100 ns on
  devices.Answer(Query::DiskPerformance, kAnswer);
  devices.Answer(Query::DiskPerformance, later);

  ASSERT_TRUE(reader.Open(u"C:"));
  // The volume is closed once its disk is known; the disk stays open.
  EXPECT_EQ(devices.openHandleCount(), 1u);
  EXPECT_EQ(reader.Read(), (DiskTimes{9187403362, 134086725123456789}));
  EXPECT_EQ(reader.Read(), (DiskTimes{9187403362, 134086725123456790}));
  ASSERT_EQ(devices.opens().size(), 2u);
  EXPECT_EQ(devices.opens()[0].path, u"\\\\.\\C:");
  EXPECT_EQ(devices.opens()[1].path, u"\\\\.\\PHYSICALDRIVE2");
  for (const auto& open : devices.opens()) EXPECT_EQ(open.access, DeviceAccess::None);
  ASSERT_EQ(devices.CountCalls(Query::DiskPerformance), 2);
  for (const auto& call : devices.calls()) {
    if (call.query == Query::DiskPerformance) EXPECT_EQ(call.path, u"\\\\.\\PHYSICALDRIVE2");
  }
  reader.Close();
  EXPECT_EQ(devices.openHandleCount(), 0u);
  EXPECT_EQ(reader.Read(), std::nullopt);
  EXPECT_EQ(devices.CountCalls(Query::DiskPerformance), 2);
  EXPECT_EQ(devices.badCloses(), 0);
}

TEST_F(DiskCounterReaderTest, AVolumeOrDiskThatCannotBeFoundOrOpenedGivesNoReader) {
  // No volume.
  EXPECT_FALSE(reader.Open(u"C:"));
  // A volume that does not tell its disk.
  devices.AddDevice(u"\\\\.\\C:");
  EXPECT_FALSE(reader.Open(u"C:"));
  // A disk that is not there.
  SystemDiskIs(5);
  EXPECT_FALSE(reader.Open(u"C:\\"));
  EXPECT_EQ(devices.opens().back().path, u"\\\\.\\PHYSICALDRIVE5");
  EXPECT_FALSE(reader.isOpen());
  EXPECT_EQ(reader.Read(), std::nullopt);
  EXPECT_EQ(devices.CountCalls(Query::DiskPerformance), 0);
  EXPECT_EQ(devices.openHandleCount(), 0u);
  // Open, but without counters: the query fails and reads as none.
  devices.AddDevice(u"\\\\.\\PHYSICALDRIVE5");
  ASSERT_TRUE(reader.Open(u"C:"));
  EXPECT_EQ(reader.Read(), std::nullopt);
  EXPECT_EQ(devices.CountCalls(Query::DiskPerformance), 1);
}

}  // namespace
}  // namespace twk::platform
