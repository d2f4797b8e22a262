#include "maintenance/physical_disk.h"

#include <algorithm>

#include "base/strings.h"

namespace twk::maintenance {
namespace {

using platform::DeviceAccess::ReadWrite;
namespace DeviceFlags = platform::DeviceFlags;

constexpr char16_t kPhysicalDrivePrefix[] = u"\\\\.\\PHYSICALDRIVE";
constexpr std::size_t kPhysicalDrivePrefixLength = 17;

constexpr std::uint32_t kDeviceDescriptorProperty = 0;
constexpr std::uint32_t kSeekPenaltyProperty = 7;
constexpr std::uint32_t kTrimProperty = 8;
constexpr std::size_t kWorkBufferSize = 4096;
constexpr std::size_t kPropertyQuerySize = 12;
// A property's size comes from the device's own header: a driver that
// reports nonsense must not make the program allocate gigabytes.
constexpr std::uint32_t kLargestProperty = 0x10000;
constexpr int kNvmeAttempts = 5;

Text DevicePath(const Text& path) {
  return path.compare(0, 2, u"\\\\") == 0 ? path : u"\\\\.\\" + path;
}

bool StartsWithIgnoreCase(const Text& text, const Text& prefix) {
  return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

void StripBothEnds(Text& text) { StripWhiteSpace(text, Strip::Leading | Strip::Trailing); }

}  // namespace

bool PhysicalDisk::OpenByNumber(std::uint32_t number) {
  return OpenByPath(platform::PhysicalDrivePath(number));
}

void PhysicalDisk::Close() { device_.Reset(); }

bool PhysicalDisk::OpenDevice() {
  device_.Reset();
  // Some drivers refuse write access or want backup semantics; the last
  // attempt asks for no access at all, which still allows the queries.
  const std::pair<std::uint32_t, std::uint32_t> attempts[] = {
      {ReadWrite, DeviceFlags::None},
      {ReadWrite, DeviceFlags::BackupSemantics},
      {platform::DeviceAccess::None, DeviceFlags::None}};
  for (const auto& [access, flags] : attempts) {
    platform::Answer<platform::DeviceHandle> opened = devices_.Open(path_, access, flags);
    if (opened.ok() && opened.value() != 0) {
      device_ = OwnedDevice(devices_, opened.value());
      return true;
    }
  }
  return false;
}

bool PhysicalDisk::OpenByPath(const Text& path) {
  device_.Reset();
  diskNumber_ = kUnknownDiskNumber;
  bytesReturned_ = 0;
  trimState_ = -1;
  kind_ = DiskKind::Unknown;
  rotationRate_ = 0;
  identifyAttempted_ = false;
  identify_.reset();
  identity_.reset();
  smartTable_.reset();
  nvmeHealthLog_ = false;
  failurePrediction_ = FailurePrediction::NotAsked;

  path_ = DevicePath(path);
  if (!OpenDevice()) return false;

  if (StartsWithIgnoreCase(path_, kPhysicalDrivePrefix)) {
    diskNumber_ = static_cast<std::uint32_t>(ToInteger(path_.substr(kPhysicalDrivePrefixLength)));
  } else {
    // VOLUME_DISK_EXTENTS: the number of extents, then the first extent
    // with its disk number at byte 8.
    platform::DeviceAnswer extents = devices_.VolumeDiskExtents(device_.get());
    if (extents.ok() && ReadU32(extents.bytes, 0) >= 1 && extents.bytes.size() >= 12) {
      diskNumber_ = ReadU32(extents.bytes, 8);
    }
  }
  (void)ReadIdentity();
  if (failurePrediction_ == FailurePrediction::NotAsked) ReadFailurePrediction();
  (void)ClassifyDisk();
  return true;
}

void PhysicalDisk::ReadFailurePrediction() {
  // STORAGE_PREDICT_FAILURE: the prediction word, then 512 vendor bytes
  // that hold the SMART attribute table.
  platform::DeviceAnswer answer = devices_.PredictFailure(device_.get());
  bytesReturned_ = answer.returned;
  if (!answer.ok()) {
    failurePrediction_ = FailurePrediction::QueryFailed;
    return;
  }
  if (!smartTable_ && answer.returned >= 13) {
    Block512 table{};
    for (std::size_t i = 0; i < table.size() && 4 + i < answer.bytes.size(); ++i) {
      table[i] = answer.bytes[4 + i];
    }
    smartTable_ = table;
  }
  failurePrediction_ = ReadU32(answer.bytes, 0) != 0 ? FailurePrediction::FailurePredicted
                                                     : FailurePrediction::NoFailure;
}

const std::optional<Block512>& PhysicalDisk::ReadIdentifyData() {
  if (identifyAttempted_ || !device_) return identify_;
  identifyAttempted_ = true;
  const auto drive = static_cast<std::uint8_t>(diskNumber_ & 0xFF);
  const platform::DeviceHandle device = device_.get();

  platform::DeviceAnswer answer = devices_.SmartIdentify(device, drive);
  bytesReturned_ = answer.returned;
  if (answer.ok()) identify_ = BlockAt(answer.bytes, kSmartIdentifyDataOffset);
  if (identify_) return identify_;

  answer = devices_.AtaIdentify(device);
  bytesReturned_ = answer.returned;
  if (answer.ok()) identify_ = BlockAt(answer.bytes, kAtaIdentifyDataOffset);
  if (identify_) return identify_;

  for (auto command : {platform::ScsiIdentifyCommand::AtaPassThrough12,
                       platform::ScsiIdentifyCommand::UsbBridge}) {
    answer = devices_.ScsiIdentify(device, command, drive);
    bytesReturned_ = answer.returned;
    if (answer.ok() && ScsiIdentifyAnswered(answer.bytes)) {
      identify_ = BlockAt(answer.bytes, kScsiIdentifyDataOffset);
    }
    if (identify_) return identify_;
  }
  return identify_;
}

bool PhysicalDisk::QueryStorageProperty(std::uint32_t propertyId, Bytes& buffer) {
  if (!device_) return false;
  const platform::DeviceHandle device = device_.get();
  std::uint32_t size = static_cast<std::uint32_t>(std::min<std::size_t>(buffer.size(), 0xFFFFFFFF));
  if (buffer.size() < kPropertyQuerySize) {
    // Too small for any property: learn its size from the 8-byte header.
    platform::DeviceAnswer header = devices_.QueryProperty(device, propertyId, 12, 8);
    bytesReturned_ = header.returned;
    if (!header.ok()) return false;
    const std::uint32_t reported = ReadU32(header.bytes, 4);
    if (reported == 0 || reported > kLargestProperty) return false;
    // Room to spare past the reported size; a size at most that of the query
    // itself still needs the query's 12 bytes.
    size = reported > kPropertyQuerySize ? reported : kPropertyQuerySize;
    buffer.assign(reported > kPropertyQuerySize ? reported + 16 : kPropertyQuerySize, 0);
  }
  platform::DeviceAnswer answer = devices_.QueryProperty(device, propertyId, size, size);
  bytesReturned_ = answer.returned;
  std::fill(buffer.begin(), buffer.end(), 0);
  std::copy_n(answer.bytes.begin(), std::min(answer.bytes.size(), buffer.size()), buffer.begin());
  return answer.ok();
}

const DiskIdentity& PhysicalDisk::ReadIdentity() {
  if (identity_) return *identity_;
  DiskIdentity identity;
  Bytes descriptor(kWorkBufferSize, 0);
  const bool described = QueryStorageProperty(kDeviceDescriptorProperty, descriptor);
  const std::optional<Block512>& identify = ReadIdentifyData();
  DescriptorFields fields;
  if (described) fields = ReadDescriptor(descriptor);
  if (fields.complete) {
    identity.removable = fields.removable;
    identity.busType = fields.busType;
  }
  if (identify) {
    // Words 27-46 model, 23-26 firmware revision, 10-19 serial number.
    identity.product = IdentifyText(*identify, 27, 20);
    identity.revision = IdentifyText(*identify, 23, 4);
    identity.serial = IdentifyText(*identify, 10, 10);
  } else if (fields.complete) {
    identity.vendor = devices_.FromAnsi(fields.vendor);
    identity.product = devices_.FromAnsi(fields.product);
    identity.revision = devices_.FromAnsi(fields.revision);
    identity.serial = devices_.FromAnsi(fields.serial);
  }
  for (Text* text : {&identity.vendor, &identity.product, &identity.revision, &identity.serial}) {
    StripBothEnds(*text);
  }
  identity_ = identity;
  return *identity_;
}

int PhysicalDisk::ClassifyDisk(std::uint32_t* rotationRate) {
  if (!device_ || kind_ != DiskKind::Unknown) {
    if (rotationRate != nullptr && kind_ != DiskKind::Unknown) *rotationRate = rotationRate_;
    return kind_;
  }
  const std::optional<Block512>& identify = ReadIdentifyData();
  int kind = DiskKind::Unknown;
  if (identify) {
    const std::uint32_t rate = RotationRate(*identify);
    if (rate > 1000) {
      rotationRate_ = rate;
      kind_ = DiskKind::HardDisk;
      if (rotationRate != nullptr) *rotationRate = rate;
      return kind_;
    }
    if (rate == 1 || TrimSupported(*identify)) kind = DiskKind::SolidStateDisk;
    rotationRate_ = 0;
  }

  // DEVICE_SEEK_PENALTY_DESCRIPTOR / DEVICE_TRIM_DESCRIPTOR: the answer's
  // byte 8. A driver that succeeds without reaching it has said nothing.
  Bytes property(kPropertyQuerySize, 0);
  if (QueryStorageProperty(kSeekPenaltyProperty, property) && bytesReturned_ > 8) {
    if (property[8] != 0) {
      kind_ = DiskKind::HardDisk;
      if (rotationRate != nullptr) *rotationRate = rotationRate_;
      return kind_;
    }
    kind = DiskKind::SolidStateDisk;
  } else {
    if (trimState_ == -1) {
      property.assign(kPropertyQuerySize, 0);
      if (QueryStorageProperty(kTrimProperty, property) && bytesReturned_ > 8) {
        trimState_ = property[8] != 0 ? 1 : 0;
      }
    }
    if (trimState_ != 1 && identify && TrimSupported(*identify)) trimState_ = 1;
    if (trimState_ == -1) trimState_ = 0;
    if (trimState_ == 1) kind = DiskKind::SolidStateDisk;
  }

  if (kind == DiskKind::Unknown && smartTable_) kind = KindFromSmart(*smartTable_);

  if (kind == DiskKind::SolidStateDisk) {
    if (HasNvmeHealthLog()) kind = DiskKind::NvmeDisk;
  } else if (kind == DiskKind::Unknown) {
    kind = ReadIdentity().busType == kBusTypeUsb ? DiskKind::UsbDisk : DiskKind::HardDisk;
  }
  kind_ = kind;
  if (rotationRate != nullptr) *rotationRate = rotationRate_;
  return kind_;
}

bool PhysicalDisk::HasNvmeHealthLog() {
  for (int attempt = 0; attempt < kNvmeAttempts; ++attempt) {
    if (!device_) return false;
    platform::DeviceAnswer answer = devices_.NvmeHealthLog(device_.get());
    bytesReturned_ = answer.returned;
    if (!answer.ok()) return false;
    const HealthLogAnswer log = ReadHealthLog(answer.bytes);
    if (log == HealthLogAnswer::Active) {
      nvmeHealthLog_ = true;
      return true;
    }
    // An idle page may be a stale one the driver cached: a fresh handle
    // makes it read the log again.
    if (log == HealthLogAnswer::Idle && !OpenDevice()) return false;
  }
  return false;
}

std::uint32_t DiskNumberOfDrive(platform::Devices& devices, const Text& drive) {
  return platform::DiskNumberOfDrive(devices, drive, ReadWrite);
}

Text DiskKindName(platform::Devices& devices, const Text& drive) {
  const std::uint32_t number = DiskNumberOfDrive(devices, drive);
  if (number >= 0x80000000) return Text();
  PhysicalDisk disk(devices);
  if (!disk.OpenByNumber(number)) return Text();
  switch (disk.ClassifyDisk()) {
    case DiskKind::HardDisk:
      return u"hdd";
    case DiskKind::UsbDisk:
      return u"usb";
    case DiskKind::SolidStateDisk:
      return u"ssd";
    case DiskKind::NvmeDisk:
      return u"nvme";
    default:
      return Text();
  }
}

bool IsSolidStateDrive(platform::Devices& devices, const Text& drive) {
  const std::uint32_t number = DiskNumberOfDrive(devices, drive);
  if (number >= 0x80000000) return false;  // includes kUnknownDiskNumber
  PhysicalDisk disk(devices);
  if (!disk.OpenByNumber(number)) return false;
  const int kind = disk.ClassifyDisk();
  return kind == DiskKind::SolidStateDisk || kind == DiskKind::NvmeDisk;
}

}  // namespace twk::maintenance
