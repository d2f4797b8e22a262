#include <gtest/gtest.h>
#include <windows.h>
// After windows.h:
#include <ntddscsi.h>
#include <winioctl.h>

#include <cstddef>
#include <cstring>

#include "base/strings.h"
#include "maintenance/physical_disk.h"
#include "platform/disk_counters.h"
#include "platform/win32/win_devices.h"
#include "platform/win32/wine_test_util.h"

namespace twk::platform::win32 {
namespace {

std::uint32_t U32(const std::vector<std::uint8_t>& b, std::size_t at) {
  return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) |
         (static_cast<std::uint32_t>(b[at + 3]) << 24);
}

TEST(DeviceInputs, TheBuffersMatchTheSystemsStructures) {
  if (sizeof(void*) != 4) GTEST_SKIP() << "the layouts are the 32-bit ones";
  std::vector<std::uint8_t> smart = device_input::SmartIdentify(3);
  ASSERT_EQ(smart.size(), sizeof(SENDCMDINPARAMS));
  const auto* in = reinterpret_cast<const SENDCMDINPARAMS*>(smart.data());
  EXPECT_EQ(in->cBufferSize, 0u);
  EXPECT_EQ(in->irDriveRegs.bSectorCountReg, 1);
  EXPECT_EQ(in->irDriveRegs.bSectorNumberReg, 1);
  EXPECT_EQ(in->irDriveRegs.bDriveHeadReg, 0xA0);
  EXPECT_EQ(in->irDriveRegs.bCommandReg, 0xEC);
  EXPECT_EQ(in->bDriveNumber, 3);

  std::vector<std::uint8_t> ata = device_input::AtaIdentify();
  ASSERT_EQ(ata.size(), sizeof(ATA_PASS_THROUGH_EX) + 2048);
  const auto* apt = reinterpret_cast<const ATA_PASS_THROUGH_EX*>(ata.data());
  EXPECT_EQ(apt->Length, sizeof(ATA_PASS_THROUGH_EX));
  EXPECT_EQ(apt->AtaFlags, ATA_FLAGS_DATA_IN);
  EXPECT_EQ(apt->DataTransferLength, 1024u);
  EXPECT_EQ(apt->TimeOutValue, 2u);
  EXPECT_EQ(apt->DataBufferOffset, 40u);
  EXPECT_EQ(apt->CurrentTaskFile[1], 1);
  EXPECT_EQ(apt->CurrentTaskFile[6], 0xEC);

  for (auto command : {ScsiIdentifyCommand::AtaPassThrough12, ScsiIdentifyCommand::UsbBridge}) {
    std::vector<std::uint8_t> scsi = device_input::ScsiIdentify(command, 5);
    ASSERT_EQ(scsi.size(), sizeof(SCSI_PASS_THROUGH) + 32 + 512);
    const auto* spt = reinterpret_cast<const SCSI_PASS_THROUGH*>(scsi.data());
    EXPECT_EQ(spt->Length, sizeof(SCSI_PASS_THROUGH));
    EXPECT_EQ(spt->CdbLength, 12);
    EXPECT_EQ(spt->SenseInfoLength, 32);
    EXPECT_EQ(spt->DataIn, SCSI_IOCTL_DATA_IN);
    EXPECT_EQ(spt->DataTransferLength, 512u);
    EXPECT_EQ(spt->TimeOutValue, 2u);
    EXPECT_EQ(spt->DataBufferOffset, 76u);
    EXPECT_EQ(spt->SenseInfoOffset, 44u);
    const std::uint8_t sat[12] = {0xA1, 0x08, 0x0E, 0, 1, 1, 0x4F, 0xC2, 5, 0xEC, 0, 0};
    const std::uint8_t bridge[12] = {0xDF, 0x10, 0, 2, 0, 0, 1, 1, 0x4F, 0xC2, 5, 0xEC};
    EXPECT_EQ(0, std::memcmp(spt->Cdb,
                             command == ScsiIdentifyCommand::AtaPassThrough12 ? sat : bridge, 12));
  }

  std::vector<std::uint8_t> nvme = device_input::NvmeHealthLog();
  ASSERT_EQ(nvme.size(), 560u);
  EXPECT_EQ(U32(nvme, offsetof(STORAGE_PROPERTY_QUERY, PropertyId)), 50u);
  // STORAGE_PROTOCOL_SPECIFIC_DATA: type, data type, request value,
  // sub-value, data offset, data length.
  const std::uint32_t protocol[] = {3, 2, 2, 0, 40, 512};
  for (std::size_t i = 0; i < 6; ++i) EXPECT_EQ(U32(nvme, 8 + 4 * i), protocol[i]) << i;
}

// Counts the handles the disk questions take, so that every one is seen
// going back.
class CountingDevices final : public Devices {
 public:
  Answer<DeviceHandle> Open(const Text& path, std::uint32_t access, std::uint32_t flags) override {
    Answer<DeviceHandle> opened = inner.Open(path, access, flags);
    if (opened.ok()) ++open;
    return opened;
  }
  void Close(DeviceHandle device) override {
    if (device != 0) --open;
    inner.Close(device);
  }
  DeviceAnswer DeviceNumber(DeviceHandle d) override { return inner.DeviceNumber(d); }
  DeviceAnswer VolumeDiskExtents(DeviceHandle d) override { return inner.VolumeDiskExtents(d); }
  DeviceAnswer QueryProperty(DeviceHandle d, std::uint32_t id, std::uint32_t in,
                             std::uint32_t out) override {
    return inner.QueryProperty(d, id, in, out);
  }
  DeviceAnswer PredictFailure(DeviceHandle d) override { return inner.PredictFailure(d); }
  DeviceAnswer SmartIdentify(DeviceHandle d, std::uint8_t n) override {
    return inner.SmartIdentify(d, n);
  }
  DeviceAnswer AtaIdentify(DeviceHandle d) override { return inner.AtaIdentify(d); }
  DeviceAnswer ScsiIdentify(DeviceHandle d, ScsiIdentifyCommand c, std::uint8_t n) override {
    return inner.ScsiIdentify(d, c, n);
  }
  DeviceAnswer NvmeHealthLog(DeviceHandle d) override { return inner.NvmeHealthLog(d); }
  DeviceAnswer DiskPerformance(DeviceHandle d) override { return inner.DiskPerformance(d); }
  Text FromAnsi(const std::string& bytes) override { return inner.FromAnsi(bytes); }

  WinDevices inner;
  int open = 0;
};

TEST(DevicesWin, TheSystemDriveAndTheFirstDiskAreAskedOrRefuseCleanly) {
  CountingDevices devices;
  // The volume's number as the system gives it, asked directly.
  DWORD expected = maintenance::kUnknownDiskNumber;
  HANDLE volume =
      CreateFileW(L"\\\\.\\C:", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_EXISTING, 0x02000004, nullptr);
  if (volume != INVALID_HANDLE_VALUE) {
    STORAGE_DEVICE_NUMBER number{0, 0xFFFFFFFF, 0xFFFFFFFF};
    DWORD returned = 0;
    if (DeviceIoControl(volume, IOCTL_STORAGE_GET_DEVICE_NUMBER, nullptr, 0, &number,
                        sizeof(number), &returned, nullptr)) {
      expected = number.DeviceNumber;
    }
    CloseHandle(volume);
  }
  EXPECT_EQ(maintenance::DiskNumberOfDrive(devices, u"C:\\"), expected);
  EXPECT_EQ(devices.open, 0);

  maintenance::PhysicalDisk disk(devices);
  if (disk.OpenByNumber(0)) {
    EXPECT_NE(disk.ClassifyDisk(), maintenance::DiskKind::Unknown);
    (void)disk.ReadIdentity();  // asked so that its handles are counted too
  }
  disk.Close();
  (void)maintenance::IsSolidStateDrive(devices, u"C:");
  EXPECT_EQ(devices.open, 0);
  EXPECT_FALSE(maintenance::IsSolidStateDrive(devices, u"Q"));
}

// The system disk's counters, asked as the desktop-ready rule asks them: of
// the physical drive behind C:, opened with no access rights. Windows keeps
// them (partmgr.sys); Wine has no such driver and refuses the query, which
// must come back as a failure and never as a disk that was idle for 0 s.
TEST(DevicesWin, TheSystemDisksCountersAreReadOrTheirQueryFails) {
  WinDevices devices;
  const std::uint32_t number = DiskNumberOfDrive(devices, u"C:", DeviceAccess::None);
  printf("system disk: %lu\n", static_cast<unsigned long>(number));
  ASSERT_NE(number, kUnknownDiskNumber);
  const std::wstring path = L"\\\\.\\PHYSICALDRIVE" + std::to_wstring(number);
  HANDLE disk = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(disk, INVALID_HANDLE_VALUE) << GetLastError();

  // The query itself, outputs preset to sentinels.
  DISK_PERFORMANCE raw;
  std::memset(&raw, 0xA5, sizeof raw);
  DWORD returned = 0xdeadbeef;
  SetLastError(0xdeadbeef);
  const BOOL ok = DeviceIoControl(disk, IOCTL_DISK_PERFORMANCE, nullptr, 0, &raw, sizeof raw,
                                  &returned, nullptr);
  const DWORD error = GetLastError();
  printf("IOCTL_DISK_PERFORMANCE: %d, error %lu, returned %lu\n", ok, error, returned);

  const DeviceAnswer answer = devices.DiskPerformance(reinterpret_cast<DeviceHandle>(disk));
  const std::optional<DiskTimes> times = ReadDiskPerformance(answer);
  if (test::RunsUnderWine()) {
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_NOT_SUPPORTED));
    EXPECT_EQ(returned, 0xdeadbeefu);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&raw)[0], 0xA5);
    EXPECT_EQ(reinterpret_cast<const unsigned char*>(&raw)[kDiskQueryTimeAt], 0xA5);
  }
  if (!ok) {
    EXPECT_FALSE(answer.ok());
    EXPECT_NE(answer.status, Status::Ok);
    EXPECT_EQ(answer.returned, 0u);
    EXPECT_EQ(times, std::nullopt);
  } else {
    // On Windows: the answer is read as the structure says, and the query
    // time is the system time now.
    ASSERT_TRUE(answer.ok());
    EXPECT_EQ(answer.returned, static_cast<std::uint32_t>(sizeof raw));
    ASSERT_TRUE(times.has_value());
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    const std::uint64_t nowTicks =
        (static_cast<std::uint64_t>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
    EXPECT_LE(times->queryTime, nowTicks);
    EXPECT_GT(times->queryTime + 10ull * 60 * 10000000, nowTicks);
    EXPECT_GE(times->idle, static_cast<std::uint64_t>(raw.IdleTime.QuadPart));
  }
  CloseHandle(disk);

  // The reader opens the same disk without rights; where the query fails it
  // reads none, every time.
  CountingDevices counting;
  {
    DiskCounterReader reader(counting);
    ASSERT_TRUE(reader.Open(u"C:"));
    EXPECT_EQ(counting.open, 1);
    for (int i = 0; i < 2; ++i) EXPECT_EQ(reader.Read().has_value(), ok != FALSE);
  }
  EXPECT_EQ(counting.open, 0);
}

TEST(DevicesWin, ADeviceThatIsNotThereIsNotFound) {
  WinDevices devices;
  Answer<DeviceHandle> opened = devices.Open(u"\\\\.\\PHYSICALDRIVE97", 0, 0);
  EXPECT_FALSE(opened.ok());
  EXPECT_FALSE(devices.DeviceNumber(0).ok());
  EXPECT_EQ(devices.FromAnsi("ACME 1"), u"ACME 1");
}

}  // namespace
}  // namespace twk::platform::win32
