#include "core/layout_file.h"

#include <gtest/gtest.h>

#include <vector>

#include "core/byte_io.h"
#include "core/texture_table.h"
#include "support/test_outputs.h"
#include "support/test_support.h"

namespace kem {
namespace {

using test::MemoryOutput;

std::vector<std::int32_t> Int32s(const std::vector<std::uint8_t>& bytes) {
  std::vector<std::int32_t> values;
  for (std::size_t i = 0; i + 4 <= bytes.size(); i += 4) {
    values.push_back(GetLe32Signed(bytes.data() + i));
  }
  return values;
}

// Builds a board map from rows of '#' (marked) and '.' (not marked).
BoardMap MapOf(const std::vector<std::string>& rows) {
  BoardMap map;
  for (const auto& row : rows) {
    for (char c : row) {
      map.push_back(c == '#' ? kBoardMarked : 0);
    }
  }
  return map;
}

std::vector<std::int32_t> IndexOf(const std::vector<std::string>& rows, int anchorCol,
                                  int anchorRow) {
  const BoardMap map = MapOf(rows);
  std::int32_t count = 0;
  for (auto byte : map) {
    count += byte == kBoardMarked ? 1 : 0;
  }
  MemoryOutput output;
  WriteBoardIndex(output, map, static_cast<std::int32_t>(rows[0].size()),
                  static_cast<std::int32_t>(rows.size()), count, anchorCol, anchorRow);
  EXPECT_EQ(output.bytes.size(), static_cast<std::size_t>(BoardIndexSize(count)));
  return Int32s(output.bytes);
}

TEST(LayoutFile, SizesAndOffsetsFollowTheBoardCount) {
  EXPECT_EQ(BoardBlockOffset(1, 0), 3792);
  EXPECT_EQ(MinimapOffset(1, 0), 61556);
  EXPECT_EQ(LayoutFileSize(1), 127110);
  EXPECT_EQ(BoardBlockOffset(2, 1), 127126);
  EXPECT_EQ(MinimapOffset(2, 1), 184890);
  EXPECT_EQ(LayoutFileSize(2), 250444);
  EXPECT_EQ(LayoutFileSize(25), 3776 + 123334 * 25);
  // Nothing marked: empty index, one block after the texture section.
  EXPECT_EQ(BoardIndexSize(0), 0);
  EXPECT_EQ(BoardBlockOffset(0, 0), 3784);
  EXPECT_EQ(LayoutFileSize(0), 3784 + 123318);
}

TEST(LayoutFile, FitsOnlyBoardCountsWhoseOffsetsAreInt32) {
  EXPECT_TRUE(LayoutFits(0));
  EXPECT_TRUE(LayoutFits(17412));
  EXPECT_FALSE(LayoutFits(17413));
  EXPECT_FALSE(LayoutFits(828100));  // the largest grid a Targa image can hold
  EXPECT_EQ(MinimapOffset(17412, 17411), 123334LL * 17412 - 61778);
  EXPECT_LE(MinimapOffset(17412, 17411), INT32_MAX);
  EXPECT_GT(MinimapOffset(17413, 17412), INT32_MAX);
}

TEST(LayoutFile, HeadCarriesTheBoardCountThenEightZeros) {
  MemoryOutput output;
  WriteLayoutHead(output, 0x01020304);
  EXPECT_EQ(output.bytes,
            (std::vector<std::uint8_t>{'G', 'N', 'D', 10, 4, 3, 2, 1, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST(LayoutFile, IndexOfOneBoardHoldsOnlyItsOffsets) {
  EXPECT_EQ(IndexOf({"#"}, 0, 0), (std::vector<std::int32_t>{3792, 61556}));
}

TEST(LayoutFile, IndexOfTwoBoardsPutsTheAnchorFirst) {
  EXPECT_EQ(IndexOf({"##"}, 1, 0), (std::vector<std::int32_t>{3808, 61572, 0, -1, 127126, 184890}));
}

TEST(LayoutFile, IndexPlacesOtherBoardsRelativeToTheAnchor) {
  // Boards (row 0, column 1) and (row 1, column 0): the anchor is (1, 0).
  EXPECT_EQ(IndexOf({".#", "#."}, 0, 1),
            (std::vector<std::int32_t>{3808, 61572, -1, 1, 127126, 184890}));
}

TEST(LayoutFile, IndexOfARowOfThreeCountsColumnsBackFromTheLast) {
  const std::int64_t b0 = BoardBlockOffset(3, 0);
  const std::int64_t b1 = BoardBlockOffset(3, 1);
  const std::int64_t b2 = BoardBlockOffset(3, 2);
  EXPECT_EQ(b0, 3824);
  EXPECT_EQ(IndexOf({"###"}, 2, 0),
            (std::vector<std::int32_t>{
                static_cast<std::int32_t>(b0), static_cast<std::int32_t>(b0 + 57764), 0, -2,
                static_cast<std::int32_t>(b1), static_cast<std::int32_t>(b1 + 57764), 0, -1,
                static_cast<std::int32_t>(b2), static_cast<std::int32_t>(b2 + 57764)}));
}

TEST(LayoutFile, IndexWalksRowsBeforeColumns) {
  // Marked: (0,2), (1,0), (2,1); the anchor is (2,1).
  const auto index = IndexOf({"..#", "#..", ".#."}, 1, 2);
  ASSERT_EQ(index.size(), 10u);
  EXPECT_EQ(index[2], -2);  // (0,2): row delta
  EXPECT_EQ(index[3], 1);   //        column delta
  EXPECT_EQ(index[6], -1);  // (1,0)
  EXPECT_EQ(index[7], -1);
}

TEST(LayoutFile, IndexOfNoMarkedBoardIsEmpty) {
  EXPECT_TRUE(IndexOf({"...", "..."}, 0, 0).empty());
}

TEST(LayoutFile, TemplateBlockIsTheFirst780BytesUnchanged) {
  auto bytes = test::SampleTemplate();
  bytes.resize(1000, 0xAB);
  MemoryOutput output;
  WriteTemplateBlock(output, bytes.data());
  EXPECT_EQ(output.bytes, test::SampleTemplate());
}

void ExpectFillers(const std::vector<std::uint8_t>& section, std::size_t from) {
  for (std::size_t r = from; r < kTextureRecordCount; ++r) {
    const std::vector<std::uint8_t> record(section.begin() + 12 * r, section.begin() + 12 * r + 12);
    ASSERT_EQ(record,
              (std::vector<std::uint8_t>{0, 0, 0, 0, 0x7E, 0x18, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF}))
        << "record " << r;
  }
}

TEST(LayoutFile, TextureSectionOfAnEmptyTableIsAllFiller) {
  TextureTable empty;
  const std::vector<const TextureTable*> tables = {nullptr, &empty};
  for (const TextureTable* table : tables) {
    MemoryOutput output;
    WriteTextureSection(output, table);
    ASSERT_EQ(output.bytes.size(), 2988u);
    ExpectFillers(output.bytes, 0);
  }
}

TEST(LayoutFile, TextureSectionListsEntriesWithKeyBBeforeKeyA) {
  TextureTable table;
  for (int i = 0; i < 5; ++i) {
    table.entries[i].keyA = 100 + i;
    table.entries[i].keyB = -(200 + i);
  }
  MemoryOutput output;
  WriteTextureSection(output, &table);
  ASSERT_EQ(output.bytes.size(), 2988u);
  for (int i = 0; i < 5; ++i) {
    const std::uint8_t* record = output.bytes.data() + 12 * i;
    EXPECT_EQ(GetFloat32(record), static_cast<float>(i + 1));
    EXPECT_EQ(GetLe32Signed(record + 4), -(200 + i));
    EXPECT_EQ(GetLe32Signed(record + 8), 100 + i);
  }
  ExpectFillers(output.bytes, 5);
}

TEST(LayoutFile, TextureSectionStopsAtTheEndMarker) {
  TextureTable table;
  table.entries[0].keyA = 1;
  table.entries[2].keyA = 3;  // left over beyond the marker at position 1
  MemoryOutput output;
  WriteTextureSection(output, &table);
  EXPECT_EQ(GetFloat32(output.bytes.data()), 1.0f);
  ExpectFillers(output.bytes, 1);
}

TEST(LayoutFile, TextureSectionOfAFullTableKeeps121Fillers) {
  TextureTable table;
  for (int i = 0; i <= kTextureTableCapacity; ++i) {
    table.entries[i].keyA = i + 1;  // even the marker position set: never listed
  }
  MemoryOutput output;
  WriteTextureSection(output, &table);
  EXPECT_EQ(GetFloat32(output.bytes.data() + 12 * 127), 128.0f);
  ExpectFillers(output.bytes, 128);
}

}  // namespace
}  // namespace kem
