// What kind of disk: decided from recorded device answers, in the order of
// the evidence, with every answer read only within its bytes.
#include "maintenance/physical_disk.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <tuple>

#include "base/strings.h"
#include "platform/fake/fake_devices.h"

namespace twk::maintenance {
namespace {

using platform::FakeDevices;
using Query = FakeDevices::Query;

constexpr char16_t kDrive0[] = u"\\\\.\\PHYSICALDRIVE0";

void PutU32(Bytes& bytes, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
}

// ATA identify data: text words store their first character in the high byte.
struct Identify {
  Block512 block{};
  Identify& Rotation(std::uint16_t rate) {
    block[434] = rate & 0xFF;
    block[435] = rate >> 8;
    return *this;
  }
  Identify& Text(std::size_t word, const std::string& text) {
    for (std::size_t i = 0; i < text.size(); ++i) block[2 * word + (i ^ 1)] = text[i];
    return *this;
  }
  // As the first identify method answers: the data 16 bytes in.
  Bytes SmartAnswer() const {
    Bytes bytes(529, 0);
    std::copy(block.begin(), block.end(), bytes.begin() + 16);
    return bytes;
  }
};

// The failure-prediction answer with a SMART table of (id, raw) entries.
// No failure is predicted.
Bytes PredictAnswer(std::initializer_list<std::pair<std::uint8_t, std::uint32_t>> entries) {
  Bytes bytes(516, 0);
  std::size_t entry = 4 + 2;
  for (auto [id, raw] : entries) {
    bytes[entry] = id;
    PutU32(bytes, entry + 5, raw);
    entry += 12;
  }
  return bytes;
}

Bytes PropertyByte8(std::uint8_t value) {
  Bytes bytes(12, 0);
  PutU32(bytes, 0, 12);
  PutU32(bytes, 4, 12);
  bytes[8] = value;
  return bytes;
}

// An NVMe health log with nothing read and the given temperature.
Bytes HealthLog(std::uint16_t temperature) {
  Bytes bytes(560, 0);
  PutU32(bytes, 0, 48);
  PutU32(bytes, 4, 48);
  PutU32(bytes, 8, 3);    // NVMe
  PutU32(bytes, 12, 2);   // log page
  PutU32(bytes, 24, 40);  // the page, from byte 8
  bytes[48 + 1] = temperature & 0xFF;
  bytes[48 + 2] = temperature >> 8;
  return bytes;
}

Bytes Descriptor(std::uint32_t busType, bool removable,
                 std::initializer_list<std::pair<std::size_t, std::string>> strings) {
  Bytes bytes(4096, 0);
  bytes[10] = removable ? 1 : 0;
  PutU32(bytes, 28, busType);
  std::size_t at = 64;
  for (auto [field, text] : strings) {
    PutU32(bytes, field, static_cast<std::uint32_t>(at));
    std::copy(text.begin(), text.end(), bytes.begin() + at);
    at += text.size() + 1;
  }
  return bytes;
}

// vendor|product|revision|serial|bus type, and whether removable.
std::string Described(const DiskIdentity& id) {
  return ToUtf8(id.vendor + u"|" + id.product + u"|" + id.revision + u"|" + id.serial + u"|") +
         std::to_string(id.busType) + (id.removable ? " removable" : "");
}

class PhysicalDiskTest : public ::testing::Test {
 protected:
  PhysicalDiskTest() { devices.AddDevice(kDrive0); }
  // Classifies drive 0 of `on`, whose handles must all be closed after.
  int Classify(FakeDevices& on) {
    PhysicalDisk disk(on);
    EXPECT_TRUE(disk.OpenByNumber(0));
    const int kind = disk.ClassifyDisk(&rate);
    disk.Close();
    EXPECT_EQ(on.openHandleCount(), 0u);
    return kind;
  }
  int Classify() { return Classify(devices); }
  FakeDevices devices;
  std::uint32_t rate = 12345;
};

TEST_F(PhysicalDiskTest, ARotationRateSettlesItAtOnceAndTheSeekPenaltyOverridesANonRotatingOne) {
  devices.Answer(Query::SmartIdentify, Identify().Rotation(7200).SmartAnswer());
  devices.Answer(Query::Property, 7, PropertyByte8(0));
  EXPECT_EQ(Classify(), DiskKind::HardDisk);
  EXPECT_EQ(rate, 7200u);
  EXPECT_EQ(devices.CountCalls(Query::Property, 7), 0);  // settled: nothing further is asked

  // The penalty byte is byte 8, read only when the driver wrote it: an
  // answer of just the 8-byte header says nothing, whatever the buffer holds.
  // (Rotation rate 1 in the identify data, or no identify data.)
  const std::tuple<bool, std::uint32_t, std::uint8_t, int> penalties[] = {
      {true, 12, 1, DiskKind::HardDisk},  {true, 12, 0, DiskKind::SolidStateDisk},
      {true, 8, 1, DiskKind::SolidStateDisk}, {false, 8, 0, DiskKind::HardDisk},
      {false, 9, 0, DiskKind::SolidStateDisk}};
  for (const auto& [nonRotating, returned, penalty, kind] : penalties) {
    FakeDevices machine;
    machine.AddDevice(kDrive0);
    if (nonRotating) machine.Answer(Query::SmartIdentify, Identify().Rotation(1).SmartAnswer());
    machine.Answer(Query::Property, 7, {platform::Status::Ok, returned, PropertyByte8(penalty)});
    EXPECT_EQ(Classify(machine), kind) << returned << " bytes, " << nonRotating;
    EXPECT_EQ(rate, 0u);
  }
}

TEST_F(PhysicalDiskTest, TrimWithoutIdentifyDataIsSolidStateAndAnActiveHealthLogMakesItNvme) {
  devices.Answer(Query::Property, 8, PropertyByte8(1));
  EXPECT_EQ(Classify(), DiskKind::SolidStateDisk);
  EXPECT_EQ(devices.CountCalls(Query::NvmeHealthLog), 1);  // failed at once: no retries

  FakeDevices nvme;
  nvme.AddDevice(kDrive0);
  nvme.Answer(Query::Property, 8, PropertyByte8(1));
  nvme.Answer(Query::NvmeHealthLog, HealthLog(0));      // idle: reopen, ask again
  nvme.Answer(Query::NvmeHealthLog, HealthLog(0x140));  // a temperature: active
  EXPECT_EQ(Classify(nvme), DiskKind::NvmeDisk);
  EXPECT_EQ(nvme.CountCalls(Query::NvmeHealthLog), 2);
  EXPECT_EQ(nvme.opens().size(), 2u);

  // A health log that stays idle is asked five times.
  FakeDevices idle;
  idle.AddDevice(kDrive0);
  idle.Answer(Query::Property, 8, PropertyByte8(1));
  idle.Answer(Query::NvmeHealthLog, HealthLog(0));
  EXPECT_EQ(Classify(idle), DiskKind::SolidStateDisk);
  EXPECT_EQ(idle.CountCalls(Query::NvmeHealthLog), 5);
}

TEST_F(PhysicalDiskTest, TheSmartTableDecidesWhenThePropertiesSayNothing) {
  struct Case {
    const char* name;
    Bytes table;
    std::uint32_t busType;
    int kind;
  };
  const Case cases[] = {
      {"power-on hours only", PredictAnswer({{9, 100}}), 0, DiskKind::HardDisk},
      {"power-on hours only, on USB", PredictAnswer({{9, 100}}), 7, DiskKind::UsbDisk},
      {"no spin-up time, wear levelling", PredictAnswer({{3, 0}, {231, 5}}), 0,
       DiskKind::SolidStateDisk},
      {"spin retries present", PredictAnswer({{3, 0}, {231, 5}, {10, 0}}), 0, DiskKind::HardDisk},
      {"spin-up time counts", PredictAnswer({{231, 5}, {3, 1}}), 0, DiskKind::HardDisk},
      {"only the first entry's raw value counts", PredictAnswer({{3, 0}, {3, 9}, {170, 1}}), 0,
       DiskKind::SolidStateDisk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeDevices machine;
    machine.AddDevice(kDrive0);
    machine.Answer(Query::PredictFailure, c.table);
    machine.Answer(Query::Property, 0, Descriptor(c.busType, false, {}));
    PhysicalDisk disk(machine);
    ASSERT_TRUE(disk.OpenByNumber(0));
    EXPECT_TRUE(disk.hasSmartTable());
    EXPECT_EQ(disk.failurePrediction(), FailurePrediction::NoFailure);
    EXPECT_EQ(disk.ClassifyDisk(), c.kind);
  }
}

TEST_F(PhysicalDiskTest, WithNoEvidenceAtAllTheDiskIsTreatedAsRotating) {
  EXPECT_EQ(Classify(), DiskKind::HardDisk);
  // Each identify method was tried once, in order, with the disk's number.
  EXPECT_EQ(devices.CountCalls(Query::SmartIdentify), 1);
  EXPECT_EQ(devices.CountCalls(Query::AtaIdentify), 1);
  EXPECT_EQ(devices.CountCalls(Query::ScsiIdentify, 0), 1);
  EXPECT_EQ(devices.CountCalls(Query::ScsiIdentify, 1), 1);
  EXPECT_EQ(devices.CountCalls(Query::PredictFailure), 1);
}

TEST_F(PhysicalDiskTest, IdentityComesFromIdentifyWordsOrElseFromTheDescriptor) {
  devices.Answer(Query::SmartIdentify, Identify()
                                           .Rotation(5400)
                                           .Text(27, "ACME Spinner 2000   ")
                                           .Text(23, "FW01    ")
                                           .Text(10, "   SN12345")
                                           .SmartAnswer());
  devices.Answer(Query::Property, 0, Descriptor(11, true, {{12, "Vendor"}, {16, "Other"}}));
  PhysicalDisk disk(devices);
  ASSERT_TRUE(disk.OpenByNumber(0));
  // Identify data name no vendor.
  EXPECT_EQ(Described(disk.ReadIdentity()), "|ACME Spinner 2000|FW01|SN12345|11 removable");

  FakeDevices described;
  described.AddDevice(kDrive0);
  Bytes descriptor = Descriptor(7, false, {{12, " Vend "}, {16, "Prod\xe9"}, {20, "1.0"}});
  PutU32(descriptor, 24, 4096);  // the serial's offset lies past the answer
  described.Answer(Query::Property, 0, descriptor);
  PhysicalDisk other(described);
  ASSERT_TRUE(other.OpenByNumber(0));
  EXPECT_EQ(Described(other.ReadIdentity()), "Vend|Prod\u00e9|1.0||7");
  EXPECT_EQ(described.CountCalls(Query::Property, 0), 1);  // read once per open
}

TEST_F(PhysicalDiskTest, ShortAnswersAreNoEvidence) {
  // Identify data cut short, a seek penalty answer without its byte, a
  // predict-failure answer of 12 bytes: none of them may be read past.
  devices.Answer(Query::SmartIdentify, Bytes(100, 0xFF));
  devices.Answer(Query::Property, 7, Bytes{12, 0, 0, 0});
  devices.Answer(Query::PredictFailure, Bytes(12, 0xAB));
  devices.Answer(Query::Property, 0, Bytes(20, 0xFF));
  PhysicalDisk disk(devices);
  ASSERT_TRUE(disk.OpenByNumber(0));
  EXPECT_FALSE(disk.hasSmartTable());
  EXPECT_EQ(disk.failurePrediction(), FailurePrediction::FailurePredicted);
  EXPECT_EQ(disk.ClassifyDisk(), DiskKind::HardDisk);
  EXPECT_EQ(disk.trimState(), 0);
  EXPECT_EQ(disk.ReadIdentity().busType, 0u);
}

TEST_F(PhysicalDiskTest, APropertyBufferGrowsToTheSizeTheHeaderReports) {
  PhysicalDisk disk(devices);
  ASSERT_TRUE(disk.OpenByNumber(0));
  devices.Answer(Query::Property, 3, Bytes{40, 0, 0, 0, 40, 0, 0, 0});  // the header: 40 bytes
  devices.Answer(Query::Property, 3, Bytes(40, 0x5A));
  Bytes buffer;
  EXPECT_TRUE(disk.QueryStorageProperty(3, buffer));
  EXPECT_EQ(buffer.size(), 56u);
  EXPECT_EQ(buffer[39], 0x5A);
  EXPECT_EQ(buffer[40], 0);
  const FakeDevices::Call& grown = devices.calls().back();
  EXPECT_EQ(grown.inputSize, 40u);
  EXPECT_EQ(grown.outputSize, 40u);
  EXPECT_EQ(devices.calls()[devices.calls().size() - 2].outputSize, 8u);

  // A reported size of 0, or one no property has, fails.
  for (std::uint32_t reported : {0u, 0x7FFFFFF0u}) {
    Bytes bad(8, 0);
    PutU32(bad, 4, reported);
    devices.Answer(Query::Property, 4, bad);
    Bytes empty;
    EXPECT_FALSE(disk.QueryStorageProperty(4, empty)) << reported;
  }
}

TEST_F(PhysicalDiskTest, OpeningTriesThreeWaysAndGivesUpAfterThem) {
  FakeDevices stubborn;
  stubborn.AddDevice(kDrive0, 2);
  PhysicalDisk disk(stubborn);
  ASSERT_TRUE(disk.OpenByPath(u"PHYSICALDRIVE0"));
  ASSERT_EQ(stubborn.opens().size(), 3u);
  EXPECT_EQ(stubborn.opens()[0].path, kDrive0);
  EXPECT_EQ(stubborn.opens()[0].access, platform::DeviceAccess::ReadWrite);
  EXPECT_EQ(stubborn.opens()[0].flags, 0u);
  EXPECT_EQ(stubborn.opens()[1].flags, platform::DeviceFlags::BackupSemantics);
  EXPECT_EQ(stubborn.opens()[2].access, 0u);
  EXPECT_EQ(disk.diskNumber(), 0u);

  FakeDevices refusing;
  refusing.AddDevice(kDrive0, 3);
  PhysicalDisk closed(refusing);
  EXPECT_FALSE(closed.OpenByNumber(0));
  EXPECT_EQ(refusing.opens().size(), 3u);
  EXPECT_TRUE(refusing.calls().empty());
}

TEST_F(PhysicalDiskTest, AVolumePathFindsItsDiskNumberFromTheExtents) {
  devices.AddDevice(u"\\\\.\\D:");
  Bytes extents(32, 0);
  PutU32(extents, 0, 1);
  PutU32(extents, 8, 3);
  devices.Answer(Query::VolumeDiskExtents, extents);
  PhysicalDisk disk(devices);
  ASSERT_TRUE(disk.OpenByPath(u"D:"));
  EXPECT_EQ(disk.diskNumber(), 3u);
  // The identify command goes to drive 3.
  const auto& calls = devices.calls();
  const auto identify = std::find_if(calls.begin(), calls.end(), [](const FakeDevices::Call& c) {
    return c.query == Query::SmartIdentify;
  });
  ASSERT_NE(identify, calls.end());
  EXPECT_EQ(identify->driveNumber, 3u);
}

class SolidStateDriveTest : public ::testing::Test {
 protected:
  void VolumeOnDisk(std::uint32_t number) {
    devices.AddDevice(u"\\\\.\\C:");
    Bytes answer(12, 0xFF);
    PutU32(answer, 0, 7);
    PutU32(answer, 4, number);
    devices.Answer(Query::DeviceNumber, answer);
  }
  FakeDevices devices;
};

TEST_F(SolidStateDriveTest, DriveTextsNameTheVolumeAndItsDiskIsClassified) {
  VolumeOnDisk(2);
  devices.AddDevice(u"\\\\.\\PHYSICALDRIVE2");
  devices.Answer(Query::Property, 7, PropertyByte8(0));
  // Only the volume and its disk can be opened: the answers name them.
  EXPECT_EQ(DiskNumberOfDrive(devices, u"C:\\"), 2u);
  EXPECT_EQ(devices.opens().back().flags, platform::DeviceFlags::BackupSemanticsSystem);
  EXPECT_TRUE(IsSolidStateDrive(devices, u"C:"));
  EXPECT_EQ(devices.openHandleCount(), 0u);
  EXPECT_EQ(devices.badCloses(), 0);
}

TEST_F(SolidStateDriveTest, FailuresAnswerNo) {
  EXPECT_EQ(DiskNumberOfDrive(devices, u"C"), kUnknownDiskNumber);
  EXPECT_FALSE(IsSolidStateDrive(devices, u"C"));
  EXPECT_TRUE(devices.opens().empty());
  EXPECT_FALSE(IsSolidStateDrive(devices, u"C:"));  // no such volume
  VolumeOnDisk(0x80000000);
  EXPECT_FALSE(IsSolidStateDrive(devices, u"C:"));
  EXPECT_EQ(devices.opens().back().path, u"\\\\.\\C:");  // no disk was opened
}

}  // namespace
}  // namespace twk::maintenance
