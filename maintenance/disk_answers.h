#pragma once
// Reading the answers of the device queries. Every answer may be short,
// empty or garbage (a driver that fills less than it says, a bridge that
// answers nonsense): nothing here reads outside the bytes it is given, and
// a field that lies outside them reads as absent.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/text.h"
#include "platform/answer_bytes.h"

namespace twk::maintenance {

using platform::Bytes;
// The 512 bytes of ATA IDENTIFY DEVICE data, or of a SMART attribute page.
using Block512 = std::array<std::uint8_t, 512>;

// Little-endian numbers at an offset; 0 when they do not fit.
using platform::ReadU16;
using platform::ReadU32;
using platform::ReadU64;

// The 512 bytes at offset, when the answer holds all of them.
[[nodiscard]] std::optional<Block512> BlockAt(const Bytes& bytes, std::size_t offset);

// Where each identify method's data start in its answer.
inline constexpr std::size_t kSmartIdentifyDataOffset = 16;
inline constexpr std::size_t kAtaIdentifyDataOffset = 40;
inline constexpr std::size_t kScsiIdentifyDataOffset = 76;
// A SCSI pass-through answered when the call succeeded, the SCSI status is 0
// and data came back.
[[nodiscard]] bool ScsiIdentifyAnswered(const Bytes& bytes);

// ---- identify data ----------------------------------------------------------
// Word 217: nominal media rotation rate (1 = not rotating).
[[nodiscard]] std::uint16_t RotationRate(const Block512& identify);
// Word 169 bit 0: data-set management TRIM supported.
[[nodiscard]] bool TrimSupported(const Block512& identify);
// A text of `words` words from word `first` on, each word's high byte
// first; it ends at the first NUL. Not stripped.
[[nodiscard]] Text IdentifyText(const Block512& identify, std::size_t first, std::size_t words);

// ---- device descriptor (STORAGE_DEVICE_DESCRIPTOR) ---------------------------
inline constexpr std::uint32_t kBusTypeUsb = 7;
struct DescriptorFields {
  bool complete = false;  // the fixed part (up to the bus type) is there
  bool removable = false;
  std::uint32_t busType = 0;
  // 8-bit strings at the four offsets; empty when an offset is 0 or lies
  // outside the answer. A string without its NUL ends with the answer.
  std::string vendor, product, revision, serial;
};
[[nodiscard]] DescriptorFields ReadDescriptor(const Bytes& bytes);

// ---- SMART attribute table --------------------------------------------------
// Entries of 12 bytes from byte 2 on, at most 42 of them: id, flags (2),
// current, worst, raw value (6), reserved.
[[nodiscard]] bool HasAttribute(const Block512& table, std::uint8_t id);
// The low 32 bits of the raw value of the first entry with this id; 0 when
// there is none.
[[nodiscard]] std::uint32_t AttributeRaw(const Block512& table, std::uint8_t id);
// What the table alone says: 0 rotating, 2 solid-state, -1 nothing.
[[nodiscard]] int KindFromSmart(const Block512& table);

// ---- NVMe health log --------------------------------------------------------
enum class HealthLogAnswer { Unusable, Idle, Active };
// Unusable: not a protocol data descriptor (version and size 48) of a log
// page, or the page lies outside the answer. Active: host read or write
// commands counted, or a temperature reported.
[[nodiscard]] HealthLogAnswer ReadHealthLog(const Bytes& bytes);

}  // namespace twk::maintenance
