#pragma once
// The system disk's activity counters, as the desktop-ready rule reads them:
// which physical disk holds a drive, and how long that disk was idle. Both
// are asked of the Devices port and read from its raw answers here, so that
// the reading can be checked against recorded bytes.
#include <cstddef>
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "platform/devices.h"

namespace twk::platform {

inline constexpr std::uint32_t kUnknownDiskNumber = 0xFFFFFFFF;

// "\\.\PHYSICALDRIVE<number>".
[[nodiscard]] Text PhysicalDrivePath(std::uint32_t number);

// The number of the physical disk that holds the volume of a drive text
// ("C:", "C:\"), asked of the volume opened with `access`
// (IOCTL_STORAGE_GET_DEVICE_NUMBER needs none); kUnknownDiskNumber when it
// cannot be learnt.
[[nodiscard]] std::uint32_t DiskNumberOfDrive(Devices& devices, const Text& drive,
                                              std::uint32_t access);

// DISK_PERFORMANCE: five LARGE_INTEGERs (bytes read and written, read,
// write and idle time), four DWORDs (read, write count, queue depth, split
// count), the LARGE_INTEGER QueryTime at 56, the device number and the
// storage manager's eight WCHARs; 84 bytes padded to the LARGE_INTEGERs'
// alignment.
inline constexpr std::size_t kDiskPerformanceSize = 88;
inline constexpr std::size_t kDiskIdleTimeAt = 32;
inline constexpr std::size_t kDiskQueryTimeAt = 56;

// Two of a disk's counters, in 100-ns units: the idle time accumulated since
// the counters were enabled, and the system time of the query. How idle the
// disk was between two readings is the share of the one's difference in the
// other's.
struct DiskTimes {
  std::uint64_t idle = 0;
  std::uint64_t queryTime = 0;
  bool operator==(const DiskTimes&) const = default;
};

// The counters of a DISK_PERFORMANCE answer; none when the query failed or
// the driver did not write as far as QueryTime. A zero QueryTime is no
// reading either: the system time is never 0.
[[nodiscard]] std::optional<DiskTimes> ReadDiskPerformance(const DeviceAnswer& answer);

// The counters of the physical disk that holds a drive, read again and again
// through one handle: a sampler that opened the disk at every reading would
// cost more than the reading.
class DiskCounterReader {
 public:
  explicit DiskCounterReader(Devices& devices) : devices_(devices) {}

  // Finds the disk of the drive and opens it. Both with no access rights,
  // which the queries need no more of, so that a start without
  // administrator rights can read the counters too. False when either fails.
  [[nodiscard]] bool Open(const Text& drive);
  void Close() { device_.Reset(); }
  [[nodiscard]] bool isOpen() const { return static_cast<bool>(device_); }
  // None when it is not open or the query found no counters.
  [[nodiscard]] std::optional<DiskTimes> Read();

 private:
  Devices& devices_;
  OwnedDevice device_;
};

}  // namespace twk::platform
