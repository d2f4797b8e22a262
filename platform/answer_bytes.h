#pragma once
// Numbers in the raw answers the ports hand out (device queries above all).
// An answer may be short, empty or garbage (a driver that fills less than it
// says): nothing here reads outside the bytes it is given. Callers that must
// tell a zero from a missing field ask Fits first.
#include <cstddef>
#include <cstdint>
#include <vector>

namespace twk::platform {

using Bytes = std::vector<std::uint8_t>;

[[nodiscard]] inline bool Fits(const Bytes& bytes, std::size_t offset, std::size_t size) {
  return offset <= bytes.size() && size <= bytes.size() - offset;
}

// Little-endian numbers at an offset; 0 when they do not fit.
[[nodiscard]] inline std::uint64_t ReadLittleEndian(const Bytes& bytes, std::size_t offset,
                                                    std::size_t size) {
  if (!Fits(bytes, offset, size)) return 0;
  std::uint64_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = (value << 8) | bytes[offset + i];
  return value;
}
[[nodiscard]] inline std::uint16_t ReadU16(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::uint16_t>(ReadLittleEndian(bytes, offset, 2));
}
[[nodiscard]] inline std::uint32_t ReadU32(const Bytes& bytes, std::size_t offset) {
  return static_cast<std::uint32_t>(ReadLittleEndian(bytes, offset, 4));
}
[[nodiscard]] inline std::uint64_t ReadU64(const Bytes& bytes, std::size_t offset) {
  return ReadLittleEndian(bytes, offset, 8);
}

}  // namespace twk::platform
