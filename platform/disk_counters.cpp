#include "platform/disk_counters.h"

#include "base/strings.h"
#include "platform/answer_bytes.h"

namespace twk::platform {

Text PhysicalDrivePath(std::uint32_t number) {
  return u"\\\\.\\PHYSICALDRIVE" + FormatUnsigned(number);
}

std::uint32_t DiskNumberOfDrive(Devices& devices, const Text& drive, std::uint32_t access) {
  if (drive.size() < 2) return kUnknownDiskNumber;
  // "C:" and "C:\" both name the volume \\.\C:.
  const Text path = (drive.compare(0, 2, u"\\\\") == 0 ? drive : u"\\\\.\\" + drive).substr(0, 6);
  Answer<DeviceHandle> opened = devices.Open(path, access, DeviceFlags::BackupSemanticsSystem);
  if (!opened.ok() || opened.value() == 0) return kUnknownDiskNumber;
  const OwnedDevice volume(devices, opened.value());
  // STORAGE_DEVICE_NUMBER: type, device number, partition number.
  const DeviceAnswer answer = devices.DeviceNumber(volume.get());
  if (!answer.ok() || !Fits(answer.bytes, 4, 4)) return kUnknownDiskNumber;
  return ReadU32(answer.bytes, 4);
}

std::optional<DiskTimes> ReadDiskPerformance(const DeviceAnswer& answer) {
  // The bytes are the whole output buffer whatever the driver wrote; what it
  // says it wrote must reach past QueryTime.
  if (!answer.ok() || answer.returned < kDiskQueryTimeAt + 8 ||
      !Fits(answer.bytes, kDiskQueryTimeAt, 8)) {
    return std::nullopt;
  }
  const DiskTimes times{ReadU64(answer.bytes, kDiskIdleTimeAt),
                        ReadU64(answer.bytes, kDiskQueryTimeAt)};
  if (times.queryTime == 0) return std::nullopt;
  return times;
}

bool DiskCounterReader::Open(const Text& drive) {
  device_.Reset();
  const std::uint32_t number = DiskNumberOfDrive(devices_, drive, DeviceAccess::None);
  if (number == kUnknownDiskNumber) return false;
  Answer<DeviceHandle> opened =
      devices_.Open(PhysicalDrivePath(number), DeviceAccess::None, DeviceFlags::None);
  if (!opened.ok() || opened.value() == 0) return false;
  device_ = OwnedDevice(devices_, opened.value());
  return true;
}

std::optional<DiskTimes> DiskCounterReader::Read() {
  if (!device_) return std::nullopt;
  return ReadDiskPerformance(devices_.DiskPerformance(device_.get()));
}

}  // namespace twk::platform
