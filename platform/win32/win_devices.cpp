#include "platform/win32/win_devices.h"

#include <windows.h>
// After windows.h:
#include <winioctl.h>

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "platform/disk_counters.h"
#include "platform/win32/win_error.h"

namespace twk::platform::win32 {
namespace {

// The control codes, as the DDK defines them.
constexpr DWORD kGetDeviceNumber = 0x2D1080;  // IOCTL_STORAGE_GET_DEVICE_NUMBER
constexpr DWORD kGetDiskExtents = 0x560000;   // IOCTL_VOLUME_GET_VOLUME_DISK_EXTENTS
constexpr DWORD kQueryProperty = 0x2D1400;    // IOCTL_STORAGE_QUERY_PROPERTY
constexpr DWORD kPredictFailure = 0x2D1100;   // IOCTL_STORAGE_PREDICT_FAILURE
constexpr DWORD kSmartReceive = 0x7C088;      // SMART_RCV_DRIVE_DATA
constexpr DWORD kAtaPassThrough = 0x4D02C;    // IOCTL_ATA_PASS_THROUGH
constexpr DWORD kScsiPassThrough = 0x4D004;   // IOCTL_SCSI_PASS_THROUGH
constexpr DWORD kDiskPerformance = 0x70020;   // IOCTL_DISK_PERFORMANCE

// The portable reading of DISK_PERFORMANCE relies on this layout, in 32 and
// 64 bits alike.
static_assert(kDiskPerformance == IOCTL_DISK_PERFORMANCE);
static_assert(sizeof(DISK_PERFORMANCE) == kDiskPerformanceSize);
static_assert(offsetof(DISK_PERFORMANCE, IdleTime) == kDiskIdleTimeAt);
static_assert(offsetof(DISK_PERFORMANCE, QueryTime) == kDiskQueryTimeAt);

constexpr std::uint8_t kIdentifyDevice = 0xEC;

using Buffer = std::vector<std::uint8_t>;

void Put16(Buffer& b, std::size_t at, std::uint16_t v) {
  b[at] = v & 0xFF;
  b[at + 1] = v >> 8;
}
void Put32(Buffer& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

HANDLE ToHandle(DeviceHandle device) { return reinterpret_cast<HANDLE>(device); }

// One DeviceIoControl; `output` keeps its size, whatever the driver wrote.
DeviceAnswer Control(DeviceHandle device, DWORD code, const void* input, DWORD inputSize,
                     Buffer output) {
  DeviceAnswer answer;
  DWORD returned = 0;
  if (device == 0) return answer;
  if (DeviceIoControl(ToHandle(device), code, const_cast<void*>(input), inputSize,
                      output.empty() ? nullptr : output.data(), static_cast<DWORD>(output.size()),
                      &returned, nullptr)) {
    answer.status = Status::Ok;
  } else {
    answer.status = StatusFromError(LastError());
  }
  answer.returned = returned;
  answer.bytes = std::move(output);
  return answer;
}

// One buffer in and out: the query is written into it and the answer
// overwrites it.
DeviceAnswer InPlace(DeviceHandle device, DWORD code, Buffer buffer, DWORD inputSize,
                     DWORD outputSize) {
  DeviceAnswer answer;
  DWORD returned = 0;
  if (device == 0) return answer;
  if (DeviceIoControl(ToHandle(device), code, buffer.data(), inputSize, buffer.data(), outputSize,
                      &returned, nullptr)) {
    answer.status = Status::Ok;
  } else {
    answer.status = StatusFromError(LastError());
  }
  answer.returned = returned;
  buffer.resize(outputSize);
  answer.bytes = std::move(buffer);
  return answer;
}

DeviceAnswer InPlace(DeviceHandle device, DWORD code, Buffer buffer) {
  const auto size = static_cast<DWORD>(buffer.size());
  return InPlace(device, code, std::move(buffer), size, size);
}

}  // namespace

namespace device_input {

std::vector<std::uint8_t> SmartIdentify(std::uint8_t driveNumber) {
  // SENDCMDINPARAMS: cBufferSize, IDEREGS at 4 (features, sector count,
  // sector number, cylinder low, cylinder high, drive/head, command,
  // reserved), bDriveNumber at 12, reserved, one buffer byte at 32.
  Buffer b(33, 0);
  Put32(b, 0, 0);
  b[4 + 1] = 1;     // sector count
  b[4 + 2] = 1;     // sector number
  b[4 + 5] = 0xA0;  // drive/head: master
  b[4 + 6] = kIdentifyDevice;
  b[12] = driveNumber;
  return b;
}

std::vector<std::uint8_t> AtaIdentify() {
  // ATA_PASS_THROUGH_EX (40 bytes) and room for the data behind it.
  Buffer b(2088, 0);
  Put16(b, 0, 40);    // Length
  Put16(b, 2, 2);     // AtaFlags: ATA_FLAGS_DATA_IN
  Put32(b, 8, 1024);  // DataTransferLength
  Put32(b, 12, 2);    // TimeOutValue, seconds
  Put32(b, 20, 40);   // DataBufferOffset
  b[32 + 1] = 1;      // CurrentTaskFile: sector count
  b[32 + 6] = kIdentifyDevice;
  return b;
}

std::vector<std::uint8_t> ScsiIdentify(ScsiIdentifyCommand command, std::uint8_t driveNumber) {
  // SCSI_PASS_THROUGH (44 bytes), 32 sense bytes, 512 data bytes.
  Buffer b(588, 0);
  Put16(b, 0, 44);    // Length
  b[6] = 12;          // CdbLength
  b[7] = 32;          // SenseInfoLength
  b[8] = 1;           // DataIn: SCSI_IOCTL_DATA_IN
  Put32(b, 12, 512);  // DataTransferLength
  Put32(b, 16, 2);    // TimeOutValue, seconds
  Put32(b, 20, 76);   // DataBufferOffset
  Put32(b, 24, 44);   // SenseInfoOffset
  // ATA PASS-THROUGH (12): PIO data-in, 512-byte blocks counted in the
  // sector count, IDENTIFY DEVICE. The bridge's own command carries the
  // same registers after its opcode and sub-command.
  const std::uint8_t sat[12] = {
      0xA1, 0x08, 0x0E, 0x00, 0x01, 0x01, 0x4F, 0xC2, driveNumber, kIdentifyDevice, 0x00, 0x00};
  const std::uint8_t bridge[12] = {0xDF, 0x10, 0x00, 0x02, 0x00,        0x00,
                                   0x01, 0x01, 0x4F, 0xC2, driveNumber, kIdentifyDevice};
  std::memcpy(b.data() + 28, command == ScsiIdentifyCommand::AtaPassThrough12 ? sat : bridge, 12);
  return b;
}

std::vector<std::uint8_t> NvmeHealthLog() {
  // STORAGE_PROPERTY_QUERY (property, query type) whose additional
  // parameters are a STORAGE_PROTOCOL_SPECIFIC_DATA at byte 8; the log page
  // lands 40 bytes after that.
  Buffer b(560, 0);
  Put32(b, 0, 50);        // StorageDeviceProtocolSpecificProperty
  Put32(b, 4, 0);         // PropertyStandardQuery
  Put32(b, 8 + 0, 3);     // ProtocolType: NVMe
  Put32(b, 8 + 4, 2);     // DataType: log page
  Put32(b, 8 + 8, 2);     // request: SMART / health information
  Put32(b, 8 + 12, 0);    // sub-value
  Put32(b, 8 + 16, 40);   // ProtocolDataOffset
  Put32(b, 8 + 20, 512);  // ProtocolDataLength
  return b;
}

}  // namespace device_input

Answer<DeviceHandle> WinDevices::Open(const Text& path, std::uint32_t access, std::uint32_t flags) {
  HANDLE device =
      CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), access,
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags, nullptr);
  if (device == INVALID_HANDLE_VALUE || device == nullptr) return {StatusFromError(LastError()), 0};
  return {Status::Ok, reinterpret_cast<DeviceHandle>(device)};
}

void WinDevices::Close(DeviceHandle device) {
  if (device != 0) CloseHandle(ToHandle(device));
}

DeviceAnswer WinDevices::DeviceNumber(DeviceHandle device) {
  // STORAGE_DEVICE_NUMBER: type 0, numbers unknown until the driver says.
  Buffer out(12, 0);
  Put32(out, 4, 0xFFFFFFFF);
  Put32(out, 8, 0xFFFFFFFF);
  return Control(device, kGetDeviceNumber, nullptr, 0, std::move(out));
}

DeviceAnswer WinDevices::VolumeDiskExtents(DeviceHandle device) {
  return Control(device, kGetDiskExtents, nullptr, 0, Buffer(32, 0));
}

DeviceAnswer WinDevices::QueryProperty(DeviceHandle device, std::uint32_t propertyId,
                                       std::uint32_t inputSize, std::uint32_t outputSize) {
  Buffer buffer(std::max<std::uint32_t>({inputSize, outputSize, 12}), 0);
  Put32(buffer, 0, propertyId);
  Put32(buffer, 4, 0);  // PropertyStandardQuery
  return InPlace(device, kQueryProperty, std::move(buffer), inputSize, outputSize);
}

DeviceAnswer WinDevices::PredictFailure(DeviceHandle device) {
  return Control(device, kPredictFailure, nullptr, 0, Buffer(516, 0));
}

DeviceAnswer WinDevices::SmartIdentify(DeviceHandle device, std::uint8_t driveNumber) {
  const Buffer input = device_input::SmartIdentify(driveNumber);
  Buffer out(529, 0);
  Put32(out, 0, 512);  // cBufferSize
  return Control(device, kSmartReceive, input.data(), static_cast<DWORD>(input.size()),
                 std::move(out));
}

// The pass-through structures hold pointer-sized fields: their layout is
// the 32-bit one, which a 64-bit build would have to lay out anew.
DeviceAnswer WinDevices::AtaIdentify(DeviceHandle device) {
  if (sizeof(void*) != 4) return {};
  return InPlace(device, kAtaPassThrough, device_input::AtaIdentify());
}

DeviceAnswer WinDevices::ScsiIdentify(DeviceHandle device, ScsiIdentifyCommand command,
                                      std::uint8_t driveNumber) {
  if (sizeof(void*) != 4) return {};
  return InPlace(device, kScsiPassThrough, device_input::ScsiIdentify(command, driveNumber));
}

DeviceAnswer WinDevices::NvmeHealthLog(DeviceHandle device) {
  return InPlace(device, kQueryProperty, device_input::NvmeHealthLog());
}

DeviceAnswer WinDevices::DiskPerformance(DeviceHandle device) {
  return Control(device, kDiskPerformance, nullptr, 0, Buffer(kDiskPerformanceSize, 0));
}

Text WinDevices::FromAnsi(const std::string& bytes) {
  if (bytes.empty()) return {};
  const int size = static_cast<int>(bytes.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, wide.data(), length) != length) return {};
  return Text(wide.begin(), wide.end());
}

}  // namespace twk::platform::win32
