#pragma once
// The physical disk behind a drive letter, and what kind of disk it is. The
// defragmenter is told to retrim rather than defragment a solid-state disk
// (and old systems must not touch one at all), so the optimiser asks
// IsSolidStateDrive. The answer is pieced together from whatever evidence
// the disk and its drivers give: the ATA identify data, the seek-penalty and
// TRIM properties, the SMART attribute table, the NVMe health log, and at
// last the bus. Each query runs at most once per open, and a query that
// fails only moves on to the next source.
#include <cstdint>
#include <optional>

#include "base/text.h"
#include "maintenance/disk_answers.h"
#include "platform/devices.h"
#include "platform/disk_counters.h"

namespace twk::maintenance {

namespace DiskKind {
inline constexpr int Unknown = -1;
inline constexpr int HardDisk = 0;  // rotating, or nothing says otherwise
inline constexpr int UsbDisk = 1;   // nothing said by the media, on the USB bus
inline constexpr int SolidStateDisk = 2;
inline constexpr int NvmeDisk = 4;  // solid-state with a readable NVMe health log
}  // namespace DiskKind

using platform::kUnknownDiskNumber;

struct DiskIdentity {
  bool removable = false;
  std::uint32_t busType = 0;
  Text vendor, product, revision, serial;
};

namespace FailurePrediction {
inline constexpr int NoFailure = 0;
inline constexpr int FailurePredicted = 1;
inline constexpr int QueryFailed = 2;
inline constexpr int NotAsked = 255;
}  // namespace FailurePrediction

using platform::OwnedDevice;

class PhysicalDisk {
 public:
  explicit PhysicalDisk(platform::Devices& devices) : devices_(devices) {}

  // Opens "\\.\PHYSICALDRIVE<number>" and classifies it.
  [[nodiscard]] bool OpenByNumber(std::uint32_t number);
  // Opens the device (a path without a leading "\\" gets "\\.\" in front),
  // finds its disk number, reads its identity and failure prediction and
  // classifies it. False when no way of opening it worked.
  [[nodiscard]] bool OpenByPath(const Text& path);
  void Close();

  // Both are read once per open; later calls give the held answers.
  const DiskIdentity& ReadIdentity();
  [[nodiscard]] const std::optional<Block512>& ReadIdentifyData();
  // Asks for a storage property into `buffer` and leaves the answer there.
  // A buffer under 12 bytes first learns the property's size from its
  // header and grows to fit it; a bigger one is used at its own size.
  // Returns whether the last query succeeded.
  [[nodiscard]] bool QueryStorageProperty(std::uint32_t propertyId, Bytes& buffer);
  // The disk's kind; decided once, then kept. The rotation rate is given
  // when the identify data name one.
  int ClassifyDisk(std::uint32_t* rotationRate = nullptr);
  [[nodiscard]] bool HasNvmeHealthLog();

  std::uint32_t diskNumber() const { return diskNumber_; }
  std::uint32_t bytesReturned() const { return bytesReturned_; }
  int failurePrediction() const { return failurePrediction_; }
  int trimState() const { return trimState_; }
  bool hasSmartTable() const { return smartTable_.has_value(); }
  bool isOpen() const { return static_cast<bool>(device_); }

 private:
  [[nodiscard]] bool OpenDevice();
  void ReadFailurePrediction();

  platform::Devices& devices_;
  Text path_;
  OwnedDevice device_;
  std::uint32_t diskNumber_ = kUnknownDiskNumber;
  std::uint32_t bytesReturned_ = 0;  // by the last query
  int trimState_ = -1;
  int kind_ = DiskKind::Unknown;
  std::uint32_t rotationRate_ = 0;
  bool identifyAttempted_ = false;
  std::optional<Block512> identify_;
  std::optional<DiskIdentity> identity_;
  std::optional<Block512> smartTable_;
  bool nvmeHealthLog_ = false;
  int failurePrediction_ = FailurePrediction::NotAsked;
};

// The disk number of the volume of a drive text ("C:", "C:\"), or
// kUnknownDiskNumber; the volume is opened for reading and writing, as the
// optimiser's elevated start may.
[[nodiscard]] std::uint32_t DiskNumberOfDrive(platform::Devices& devices, const Text& drive);

// Whether the drive lies on a solid-state disk (plain or NVMe); false on
// every failure.
[[nodiscard]] bool IsSolidStateDrive(platform::Devices& devices, const Text& drive);

// The kind of the disk behind the drive as a word for files that are read
// by people and spreadsheets alike: "hdd", "ssd", "nvme" or "usb"; empty
// when it cannot be told.
[[nodiscard]] Text DiskKindName(platform::Devices& devices, const Text& drive);

}  // namespace twk::maintenance
