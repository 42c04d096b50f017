// The byte layout of a .gnd layout file, defined once: sizes and offsets of
// every section, and one writer for each section that the driver writes
// before the board blocks (the blocks themselves come from the board writer).
//
// File order: head (8 bytes), eight zero bytes, board index, template block
// (780 bytes), texture section (249 records of 12 bytes), then one 123318-byte
// board block per marked board. Multi-byte values are little-endian.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "core/output_file.h"
#include "core/targa_source.h"
#include "core/terrain_job.h"
#include "core/texture_table.h"

namespace kem {

// Head: "GND", the version byte 10, the int32 board count; then eight zeros.
inline constexpr std::array<std::uint8_t, 4> kLayoutMagic = {'G', 'N', 'D', 10};
inline constexpr std::size_t kLayoutHeadSize = 8;
inline constexpr std::size_t kLayoutVersionOffset = 3;
inline constexpr std::size_t kLayoutHeadCountOffset = 4;
inline constexpr std::size_t kLayoutZeroBytes = 8;
inline constexpr std::size_t kLayoutIndexOffset = kLayoutHeadSize + kLayoutZeroBytes;  // 16

// Board index: the anchor's entry holds only its two offsets; every further
// entry holds row delta, column delta, block offset and minimap offset.
inline constexpr std::size_t kIndexOffsetsSize = 8;
inline constexpr std::size_t kIndexEntrySize = 16;
inline constexpr std::size_t kIndexDeltasSize = kIndexEntrySize - kIndexOffsetsSize;
inline constexpr std::size_t kIndexRowDeltaField = 0;  // in the deltas
inline constexpr std::size_t kIndexColDeltaField = 4;
inline constexpr std::size_t kIndexBlockOffsetField = 0;  // in the offsets
inline constexpr std::size_t kIndexMinimapOffsetField = 4;

// Template block: the first 780 bytes of tile_blank.dat, copied unchanged.
inline constexpr std::size_t kTemplateBlockSize = 780;

// Texture section: one record per loaded texture (slot as float32, keyB,
// keyA), then filler records up to 249.
inline constexpr std::size_t kTextureRecordSize = 12;
inline constexpr std::size_t kTextureRecordCount = 249;
inline constexpr std::size_t kTextureSectionSize = kTextureRecordSize * kTextureRecordCount;
inline constexpr std::size_t kTextureSlotField = 0;
inline constexpr std::size_t kTextureKeyBField = 4;
inline constexpr std::size_t kTextureKeyAField = 8;
inline constexpr std::array<std::uint8_t, kTextureRecordSize> kFillerTextureRecord = {
    0x00, 0x00, 0x00, 0x00, 0x7E, 0x18, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0xFF};

// Board block: four zero bytes, 76 x 76 vertex records, minimap header,
// 128 x 128 minimap pixels.
inline constexpr std::size_t kBoardLeadBytes = 4;
inline constexpr std::size_t kVertexRecordSize = 10;
inline constexpr std::size_t kVertexRunLength = 76;  // records per window column
inline constexpr std::size_t kVertexRecordCount = kVertexRunLength * kVertexRunLength;
inline constexpr std::size_t kVertexRecordsOffset = kBoardLeadBytes;
inline constexpr std::size_t kMinimapHeaderOffset =
    kVertexRecordsOffset + kVertexRecordSize * kVertexRecordCount;  // 57764
inline constexpr std::size_t kMinimapHeaderSize = 18;
inline constexpr std::size_t kMinimapPixelsOffset = kMinimapHeaderOffset + kMinimapHeaderSize;
inline constexpr int kMinimapSide = 128;
inline constexpr std::size_t kMinimapPixelSize = 4;  // blue, green, red, 0
inline constexpr std::size_t kBoardBlockSize =
    kMinimapPixelsOffset + kMinimapPixelSize * kMinimapSide * kMinimapSide;  // 123318
static_assert(kMinimapHeaderOffset == 57764);
static_assert(kBoardBlockSize == 123318);

// Vertex record fields.
inline constexpr std::uint8_t kVertexMarker = 253;
inline constexpr std::size_t kVertexMarkerField = 0;
inline constexpr std::size_t kVertexSlotField = 1;
inline constexpr std::size_t kVertexVariationField = 2;
inline constexpr std::size_t kVertexHeightField = 3;
inline constexpr std::size_t kVertexNormalTopField = 7;
inline constexpr std::size_t kVertexNormalRightField = 8;
inline constexpr std::size_t kVertexNormalUpField = 9;

// A Targa header for a 128 x 128, 32-bit, bottom-up picture.
inline constexpr std::array<std::uint8_t, kMinimapHeaderSize> kMinimapHeader = {
    0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 128, 0, 128, 0, 32, 8};

// Size of the board index of a file of boardCount blocks (empty for none).
constexpr std::int64_t BoardIndexSize(std::int64_t boardCount) {
  if (boardCount < 1) {
    return 0;
  }
  return static_cast<std::int64_t>(kIndexEntrySize) * boardCount -
         static_cast<std::int64_t>(kIndexEntrySize - kIndexOffsetsSize);
}

// File offset of the template block in a file of boardCount blocks.
constexpr std::int64_t TemplateBlockOffset(std::int64_t boardCount) {
  return static_cast<std::int64_t>(kLayoutIndexOffset) + BoardIndexSize(boardCount);
}

// File offset of the texture section in a file of boardCount blocks.
constexpr std::int64_t TextureSectionOffset(std::int64_t boardCount) {
  return TemplateBlockOffset(boardCount) + static_cast<std::int64_t>(kTemplateBlockSize);
}

// File offset of board block p (0-based) in a file of boardCount blocks.
constexpr std::int64_t BoardBlockOffset(std::int64_t boardCount, std::int64_t p) {
  return static_cast<std::int64_t>(kLayoutIndexOffset + kTemplateBlockSize + kTextureSectionSize) +
         BoardIndexSize(boardCount) + static_cast<std::int64_t>(kBoardBlockSize) * p;
}

// File offset of block p's minimap header.
constexpr std::int64_t MinimapOffset(std::int64_t boardCount, std::int64_t p) {
  return BoardBlockOffset(boardCount, p) + static_cast<std::int64_t>(kMinimapHeaderOffset);
}

// Size of the whole file. With no marked board the index is empty and one
// unindexed block (of board (0, 0)) still follows the texture section.
constexpr std::int64_t LayoutFileSize(std::int64_t boardCount) {
  return BoardBlockOffset(boardCount, boardCount < 1 ? 1 : boardCount);
}
static_assert(BoardBlockOffset(1, 0) == 3792 && MinimapOffset(1, 0) == 61556);
static_assert(LayoutFileSize(1) == 127110 && LayoutFileSize(2) == 250444);
static_assert(BoardBlockOffset(0, 0) == 3784);
static_assert(TextureSectionOffset(0) == 796 &&
              TextureSectionOffset(2) + static_cast<std::int64_t>(kTextureSectionSize) ==
                  BoardBlockOffset(2, 0));

// Index offsets are int32: the largest board count whose last minimap offset
// still fits.
inline constexpr std::int32_t kMaxLayoutBoards = 17412;
static_assert(MinimapOffset(kMaxLayoutBoards, kMaxLayoutBoards - 1) <= INT32_MAX);
static_assert(MinimapOffset(kMaxLayoutBoards + 1, kMaxLayoutBoards) > INT32_MAX);

// A layout comes from one height map, a Targa image of at most 65535 pixels a
// side, so its boards span at most 910 columns and 910 rows.
inline constexpr std::int32_t kMaxLayoutSpan = (kMaxTargaSide - 4) / kBoardSide;
static_assert(kMaxLayoutSpan == 910);

// True when a layout of boardCount blocks can be indexed.
constexpr bool LayoutFits(std::int64_t boardCount) {
  return boardCount <= kMaxLayoutBoards;
}

// Writes the head carrying the board count, and the eight zero bytes.
void WriteLayoutHead(OutputFile& output, std::int32_t boardCount);

// Writes the board index in one pass over the marked boards in row-major
// order. The anchor board (anchorCol, anchorRow) is the last marked one; its
// block comes first, the others follow in row-major order with their row and
// column relative to it. Writes nothing when boardCount is 0.
void WriteBoardIndex(OutputFile& output, const BoardMap& boardMap, std::int32_t boardCols,
                     std::int32_t boardRows, std::int32_t boardCount, std::int32_t anchorCol,
                     std::int32_t anchorRow);

// Writes the 780-byte template block (templateBytes holds at least 780 bytes).
void WriteTemplateBlock(OutputFile& output, const std::uint8_t* templateBytes);

// Writes the texture section: a record per table entry before the end marker
// (all filler for a null table), then filler records up to 249.
void WriteTextureSection(OutputFile& output, const TextureTable* table);

}  // namespace kem
