#include "platform/list_view_block.h"

namespace twk::platform {
namespace {

constexpr std::uint32_t kMaskText = 1;  // LVIF_TEXT

// Byte offsets of the LVITEMW fields used. mask, iItem and iSubItem come
// before any pointer, so they sit at the same place in both widths; the
// 64-bit record aligns pszText to 8 bytes, which moves it and cchTextMax.
constexpr std::size_t kMaskAt = 0;
constexpr std::size_t kItemAt = 4;
constexpr std::size_t kSubItemAt = 8;
constexpr std::size_t kNarrowTextPointerAt = 20;
constexpr std::size_t kNarrowCapacityAt = 24;
constexpr std::size_t kWideTextPointerAt = 24;
constexpr std::size_t kWideCapacityAt = 32;

void Put32(std::uint8_t* at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t Get32(const std::uint8_t* at) {
  std::uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<std::uint32_t>(at[i]) << (8 * i);
  return value;
}

}  // namespace

void FillItemRecord(ListViewBlock& block, ItemRecordLayout layout, std::uint64_t remoteAddress,
                    std::int32_t item) {
  block.fill(0);
  std::uint8_t* record = block.data();
  Put32(record + kMaskAt, kMaskText);
  Put32(record + kItemAt, static_cast<std::uint32_t>(item));
  Put32(record + kSubItemAt, 0);
  const std::uint64_t textAddress = remoteAddress + kListViewTextOffset;
  const auto capacity = static_cast<std::uint32_t>(kListViewTextCapacity);
  if (layout == ItemRecordLayout::Wide) {
    Put32(record + kWideTextPointerAt, static_cast<std::uint32_t>(textAddress));
    Put32(record + kWideTextPointerAt + 4, static_cast<std::uint32_t>(textAddress >> 32));
    Put32(record + kWideCapacityAt, capacity);
  } else {
    Put32(record + kNarrowTextPointerAt, static_cast<std::uint32_t>(textAddress));
    Put32(record + kNarrowCapacityAt, capacity);
  }
}

Text TextOfBlock(const ListViewBlock& block) {
  Text text;
  const std::uint8_t* area = block.data() + kListViewTextOffset;
  for (std::size_t i = 0; i + 1 < kListViewTextCapacity; ++i) {
    const auto unit = static_cast<char16_t>(area[2 * i] | (area[2 * i + 1] << 8));
    if (unit == u'\0') break;
    text.push_back(unit);
  }
  return text;
}

std::array<std::uint8_t, kListViewPointSize> PointBytes(std::int32_t x, std::int32_t y) {
  std::array<std::uint8_t, kListViewPointSize> bytes{};
  Put32(bytes.data(), static_cast<std::uint32_t>(x));
  Put32(bytes.data() + 4, static_cast<std::uint32_t>(y));
  return bytes;
}

void PointFromBytes(const std::array<std::uint8_t, kListViewPointSize>& bytes, std::int32_t& x,
                    std::int32_t& y) {
  x = static_cast<std::int32_t>(Get32(bytes.data()));
  y = static_cast<std::int32_t>(Get32(bytes.data() + 4));
}

}  // namespace twk::platform
