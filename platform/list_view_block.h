#pragma once
// The block that carries one item-text request to another process's list
// view: an LVITEMW record at the start, the text area after it. The owner may
// be a 64-bit process while this program is 32-bit, so the record is laid
// out by hand in either width rather than taken from the compiler's LVITEMW.
#include <array>
#include <cstddef>
#include <cstdint>

#include "base/text.h"

namespace twk::platform {

// Narrow: the owner's pointers are 32 bits wide. Wide: the owner is a 64-bit
// process (we run under WOW64, or are 64-bit ourselves), its LVITEMW has
// 64-bit pointers.
enum class ItemRecordLayout : std::uint8_t { Narrow, Wide };

inline constexpr std::size_t kListViewBlockSize = 1152;
inline constexpr std::size_t kListViewTextOffset = 128;    // bytes 0..127: the item record
inline constexpr std::size_t kListViewTextCapacity = 512;  // UTF-16 units from the offset
// Bytes of the point block that position messages use (x, then y).
inline constexpr std::size_t kListViewPointSize = 8;

using ListViewBlock = std::array<std::uint8_t, kListViewBlockSize>;

// Zeroes block and writes a text request for item: mask LVIF_TEXT, the item
// index, sub-item 0, the text pointer (remoteAddress + the text offset, the
// address of the block in the owner) and the capacity.
void FillItemRecord(ListViewBlock& block, ItemRecordLayout layout, std::uint64_t remoteAddress,
                    std::int32_t item);

// The text the view wrote at the text offset: up to its NUL, and never more
// than capacity - 1 units, so a view that filled the whole area without a
// terminator still gives a text of the length it could have terminated.
Text TextOfBlock(const ListViewBlock& block);

// A point block as bytes (little-endian x then y) and back.
std::array<std::uint8_t, kListViewPointSize> PointBytes(std::int32_t x, std::int32_t y);
void PointFromBytes(const std::array<std::uint8_t, kListViewPointSize>& bytes, std::int32_t& x,
                    std::int32_t& y);

}  // namespace twk::platform
