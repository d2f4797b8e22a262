#pragma once
#include <cstdint>
#include <vector>

#include "platform/devices.h"

namespace twk::platform::win32 {

// The input buffers of the queries, byte for byte in the 32-bit layouts of
// the structures the drivers read (apart for the tests).
namespace device_input {
std::vector<std::uint8_t> SmartIdentify(std::uint8_t driveNumber);  // 33 bytes
std::vector<std::uint8_t> AtaIdentify();                            // 2088 bytes
std::vector<std::uint8_t> ScsiIdentify(ScsiIdentifyCommand command,
                                       std::uint8_t driveNumber);  // 588 bytes
std::vector<std::uint8_t> NvmeHealthLog();                         // 560 bytes
}  // namespace device_input

class WinDevices final : public Devices {
 public:
  Answer<DeviceHandle> Open(const Text& path, std::uint32_t access, std::uint32_t flags) override;
  void Close(DeviceHandle device) override;
  DeviceAnswer DeviceNumber(DeviceHandle device) override;
  DeviceAnswer VolumeDiskExtents(DeviceHandle device) override;
  DeviceAnswer QueryProperty(DeviceHandle device, std::uint32_t propertyId, std::uint32_t inputSize,
                             std::uint32_t outputSize) override;
  DeviceAnswer PredictFailure(DeviceHandle device) override;
  DeviceAnswer SmartIdentify(DeviceHandle device, std::uint8_t driveNumber) override;
  DeviceAnswer AtaIdentify(DeviceHandle device) override;
  DeviceAnswer ScsiIdentify(DeviceHandle device, ScsiIdentifyCommand command,
                            std::uint8_t driveNumber) override;
  DeviceAnswer NvmeHealthLog(DeviceHandle device) override;
  DeviceAnswer DiskPerformance(DeviceHandle device) override;
  Text FromAnsi(const std::string& bytes) override;
};

}  // namespace twk::platform::win32
