#include "platform/list_view_block.h"

#include <gtest/gtest.h>

namespace twk::platform {
namespace {

std::uint32_t At32(const ListViewBlock& block, std::size_t offset) {
  return block[offset] | block[offset + 1] << 8 | block[offset + 2] << 16 |
         static_cast<std::uint32_t>(block[offset + 3]) << 24;
}

void PutText(ListViewBlock& block, const Text& text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    block[kListViewTextOffset + 2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    block[kListViewTextOffset + 2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
}

TEST(ListViewBlockTest, ItemRecordInBothWidths) {
  ListViewBlock block;
  block.fill(0xAB);  // every byte not named must come back zero
  FillItemRecord(block, ItemRecordLayout::Narrow, 0x00A10000, 7);
  EXPECT_EQ(At32(block, 0), 1u);  // LVIF_TEXT
  EXPECT_EQ(At32(block, 4), 7u);  // iItem
  EXPECT_EQ(At32(block, 20), 0x00A10080u);
  EXPECT_EQ(At32(block, 24), 512u);
  std::size_t nonZero = 0;
  for (std::uint8_t b : block) nonZero += b != 0 ? 1 : 0;
  EXPECT_EQ(nonZero, 5u);  // mask 01, item 07, pointer 80 00 A1 00, capacity 00 02

  block.fill(0xAB);
  FillItemRecord(block, ItemRecordLayout::Wide, 0x1'7FFE0000, 1152);
  EXPECT_EQ(At32(block, 0), 1u);
  EXPECT_EQ(At32(block, 4), 1152u);
  EXPECT_EQ(At32(block, 20), 0u);
  EXPECT_EQ(At32(block, 24), 0x7FFE0080u);
  EXPECT_EQ(At32(block, 28), 1u);  // high half of the 64-bit pointer
  EXPECT_EQ(At32(block, 32), 512u);
  for (std::size_t i = 36; i < kListViewBlockSize; ++i) ASSERT_EQ(block[i], 0) << i;
}

TEST(ListViewBlockTest, TextStopsAtItsTerminatorOrOneShortOfTheArea) {
  ListViewBlock block{};
  PutText(block, u"R\u00e9cycle");
  EXPECT_EQ(TextOfBlock(block), u"R\u00e9cycle");
  EXPECT_EQ(TextOfBlock(ListViewBlock{}), u"");

  // A view that filled all 512 units without a terminator: 511 come back.
  PutText(block, Text(kListViewTextCapacity, u'w'));
  EXPECT_EQ(TextOfBlock(block), Text(kListViewTextCapacity - 1, u'w'));
}

TEST(ListViewBlockTest, PointsRoundTripAsLittleEndianPairs) {
  const auto bytes = PointBytes(-75, 0x01020304);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()),
            (std::vector<std::uint8_t>{0xB5, 0xFF, 0xFF, 0xFF, 4, 3, 2, 1}));
  std::int32_t x = 0, y = 0;
  PointFromBytes(bytes, x, y);
  EXPECT_EQ(std::pair(x, y), std::pair(-75, 0x01020304));
}

}  // namespace
}  // namespace twk::platform
