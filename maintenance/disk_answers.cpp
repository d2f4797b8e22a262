#include "maintenance/disk_answers.h"

#include <algorithm>

namespace twk::maintenance {
namespace {

using platform::Fits;

// STORAGE_DEVICE_DESCRIPTOR: RemovableMedia at 10, the four string offsets
// at 12, 16, 20 and 24, BusType at 28.
constexpr std::size_t kRemovableAt = 10;
constexpr std::size_t kVendorAt = 12, kProductAt = 16, kRevisionAt = 20, kSerialAt = 24;
constexpr std::size_t kBusTypeAt = 28;

std::string StringAt(const Bytes& bytes, std::uint32_t offset) {
  std::string text;
  if (offset == 0) return text;
  for (std::size_t i = offset; i < bytes.size() && bytes[i] != 0; ++i) {
    text.push_back(static_cast<char>(bytes[i]));
  }
  return text;
}

constexpr std::size_t kSmartFirstEntry = 2;
constexpr std::size_t kSmartEntrySize = 12;
constexpr std::size_t kSmartEntries = 42;

}  // namespace

std::optional<Block512> BlockAt(const Bytes& bytes, std::size_t offset) {
  if (!Fits(bytes, offset, 512)) return std::nullopt;
  Block512 block;
  std::copy_n(bytes.begin() + static_cast<std::ptrdiff_t>(offset), 512, block.begin());
  return block;
}

bool ScsiIdentifyAnswered(const Bytes& bytes) {
  // SCSI_PASS_THROUGH: ScsiStatus at 2, DataTransferLength at 12.
  return bytes.size() > 2 && bytes[2] == 0 && ReadU32(bytes, 12) != 0;
}

std::uint16_t RotationRate(const Block512& identify) {
  return static_cast<std::uint16_t>(identify[434] | (identify[435] << 8));
}

bool TrimSupported(const Block512& identify) { return (identify[338] & 1) != 0; }

Text IdentifyText(const Block512& identify, std::size_t first, std::size_t words) {
  Text text;
  for (std::size_t w = first; w < first + words && 2 * w + 1 < identify.size(); ++w) {
    for (std::uint8_t c : {identify[2 * w + 1], identify[2 * w]}) {
      if (c == 0) return text;
      text.push_back(static_cast<char16_t>(c));
    }
  }
  return text;
}

DescriptorFields ReadDescriptor(const Bytes& bytes) {
  DescriptorFields fields;
  fields.complete = Fits(bytes, kBusTypeAt, 4);
  if (!fields.complete) return fields;
  fields.removable = bytes[kRemovableAt] != 0;
  fields.busType = ReadU32(bytes, kBusTypeAt);
  fields.vendor = StringAt(bytes, ReadU32(bytes, kVendorAt));
  fields.product = StringAt(bytes, ReadU32(bytes, kProductAt));
  fields.revision = StringAt(bytes, ReadU32(bytes, kRevisionAt));
  fields.serial = StringAt(bytes, ReadU32(bytes, kSerialAt));
  return fields;
}

bool HasAttribute(const Block512& table, std::uint8_t id) {
  for (std::size_t i = 0; i < kSmartEntries; ++i) {
    if (table[kSmartFirstEntry + i * kSmartEntrySize] == id) return true;
  }
  return false;
}

std::uint32_t AttributeRaw(const Block512& table, std::uint8_t id) {
  for (std::size_t i = 0; i < kSmartEntries; ++i) {
    const std::size_t entry = kSmartFirstEntry + i * kSmartEntrySize;
    if (table[entry] != id) continue;
    return static_cast<std::uint32_t>(table[entry + 5]) | (table[entry + 6] << 8) |
           (table[entry + 7] << 16) | (static_cast<std::uint32_t>(table[entry + 8]) << 24);
  }
  return 0;
}

int KindFromSmart(const Block512& table) {
  // Signs of spinning platters, strongest first: spin-up time, the
  // fly-height and head counters, spin retries, calibration retries, seek
  // time, ... Any one of them settles it.
  for (std::uint8_t id : {3, 206, 189}) {
    if (AttributeRaw(table, id) != 0) return 0;
  }
  if (HasAttribute(table, 10)) return 0;
  if (AttributeRaw(table, 207) != 0) return 0;
  for (std::uint8_t id : {8, 11, 208, 191}) {
    if (HasAttribute(table, id)) return 0;
  }
  // Wear levelling, spare blocks, media wear-out, host writes in flash
  // units: only flash keeps these.
  for (std::uint8_t id : {170, 231, 233, 202, 32, 242, 241}) {
    if (HasAttribute(table, id)) return 2;
  }
  return -1;
}

HealthLogAnswer ReadHealthLog(const Bytes& bytes) {
  // STORAGE_PROTOCOL_DATA_DESCRIPTOR: Version, Size, then the protocol
  // data (type at 12, the page's offset from byte 8 at 24).
  constexpr std::uint32_t kDescriptorSize = 48;
  constexpr std::uint32_t kLogPage = 2;
  if (ReadU32(bytes, 0) != kDescriptorSize || ReadU32(bytes, 4) != kDescriptorSize ||
      ReadU32(bytes, 12) != kLogPage) {
    return HealthLogAnswer::Unusable;
  }
  const std::uint64_t page = 8 + static_cast<std::uint64_t>(ReadU32(bytes, 24));
  // The counters and the temperature lie within the page's first 88 bytes.
  if (page > bytes.size() || bytes.size() - page < 88) return HealthLogAnswer::Unusable;
  const std::size_t at = static_cast<std::size_t>(page);
  const bool active =
      ReadU64(bytes, at + 64) != 0 || ReadU64(bytes, at + 80) != 0 || ReadU16(bytes, at + 1) != 0;
  return active ? HealthLogAnswer::Active : HealthLogAnswer::Idle;
}

}  // namespace twk::maintenance
