#pragma once
// What the disk questions need of storage devices: open a volume or a
// physical drive, and ask it the handful of device queries that tell what
// kind of disk it is. Every query answers with the raw output bytes as the
// driver left them; reading them is the caller's business, so that the
// decisions can be checked against recorded answers. The Win32 adapter lays
// out each query's input exactly as the drivers expect it (32-bit layouts).
#include <cstdint>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/port_handle.h"
#include "platform/status.h"

namespace twk::platform {

using DeviceHandle = std::uintptr_t;  // 0 = none

// Access and flags of a device open, with the values Windows gives them.
namespace DeviceAccess {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t ReadWrite = 0xC0000000;  // GENERIC_READ | GENERIC_WRITE
}  // namespace DeviceAccess
namespace DeviceFlags {
inline constexpr std::uint32_t None = 0;
inline constexpr std::uint32_t BackupSemantics = 0x02000000;        // FILE_FLAG_BACKUP_SEMANTICS
inline constexpr std::uint32_t BackupSemanticsSystem = 0x02000004;  // ... | FILE_ATTRIBUTE_SYSTEM
}  // namespace DeviceFlags

// The identify command sent through the SCSI pass-through: the ATA
// PASS-THROUGH (12) command of the SCSI/ATA translation, or the command a
// common USB-to-ATA bridge understands instead.
enum class ScsiIdentifyCommand : std::uint8_t { AtaPassThrough12, UsbBridge };

// One device query's answer. `bytes` is the whole output buffer (its size is
// the output size of the query), whatever the driver wrote into it; a
// failed query may leave it empty.
struct DeviceAnswer {
  Status status = Status::Failed;
  std::uint32_t returned = 0;  // bytes the driver reports as written
  std::vector<std::uint8_t> bytes;
  [[nodiscard]] bool ok() const { return status == Status::Ok; }
};

class Devices {
 public:
  virtual ~Devices() = default;

  // CreateFileW(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, no
  // security, OPEN_EXISTING, flags, no template). The path is used as given.
  [[nodiscard]] virtual Answer<DeviceHandle> Open(const Text& path, std::uint32_t access,
                                                  std::uint32_t flags) = 0;
  // CloseHandle; 0 is not a handle and is ignored.
  virtual void Close(DeviceHandle device) = 0;

  // IOCTL_STORAGE_GET_DEVICE_NUMBER into a 12-byte STORAGE_DEVICE_NUMBER
  // preset to type 0, device and partition numbers 0xFFFFFFFF.
  [[nodiscard]] virtual DeviceAnswer DeviceNumber(DeviceHandle device) = 0;
  // IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS into 32 bytes (one extent).
  [[nodiscard]] virtual DeviceAnswer VolumeDiskExtents(DeviceHandle device) = 0;
  // IOCTL_STORAGE_QUERY_PROPERTY, standard query of propertyId, in place on
  // one zeroed buffer of max(inputSize, outputSize, 12) bytes that starts
  // with the 12-byte STORAGE_PROPERTY_QUERY; `bytes` is its first
  // outputSize bytes.
  [[nodiscard]] virtual DeviceAnswer QueryProperty(DeviceHandle device, std::uint32_t propertyId,
                                                   std::uint32_t inputSize,
                                                   std::uint32_t outputSize) = 0;
  // IOCTL_STORAGE_PREDICT_FAILURE into a 516-byte STORAGE_PREDICT_FAILURE.
  [[nodiscard]] virtual DeviceAnswer PredictFailure(DeviceHandle device) = 0;
  // SMART_RCV_DRIVE_DATA with IDENTIFY DEVICE for this drive number: a
  // 33-byte SENDCMDINPARAMS in, a 529-byte SENDCMDOUTPARAMS out (data at 16).
  [[nodiscard]] virtual DeviceAnswer SmartIdentify(DeviceHandle device,
                                                   std::uint8_t driveNumber) = 0;
  // IOCTL_ATA_PASS_THROUGH with IDENTIFY DEVICE, in place on 2088 bytes
  // (ATA_PASS_THROUGH_EX, data at 40).
  [[nodiscard]] virtual DeviceAnswer AtaIdentify(DeviceHandle device) = 0;
  // IOCTL_SCSI_PASS_THROUGH with an identify command, in place on 588 bytes
  // (SCSI_PASS_THROUGH, sense at 44, data at 76).
  [[nodiscard]] virtual DeviceAnswer ScsiIdentify(DeviceHandle device, ScsiIdentifyCommand command,
                                                  std::uint8_t driveNumber) = 0;
  // IOCTL_STORAGE_QUERY_PROPERTY for the NVMe SMART / health log page, in
  // place on 560 bytes (the query, the protocol data, the 512-byte page).
  [[nodiscard]] virtual DeviceAnswer NvmeHealthLog(DeviceHandle device) = 0;
  // IOCTL_DISK_PERFORMANCE into an 88-byte DISK_PERFORMANCE (the same layout
  // in 32 and 64 bits). The query needs no access right, so a device opened
  // with access 0, which needs no administrator, can answer it.
  [[nodiscard]] virtual DeviceAnswer DiskPerformance(DeviceHandle device) = 0;

  // The identity strings of a device descriptor are 8-bit text in the
  // system's ANSI code page (MultiByteToWideChar, CP_ACP).
  [[nodiscard]] virtual Text FromAnsi(const std::string& bytes) = 0;
};

// Closes the device it holds when it goes out of scope.
using OwnedDevice = PortHandle<Devices, DeviceHandle, &Devices::Close>;

}  // namespace twk::platform
