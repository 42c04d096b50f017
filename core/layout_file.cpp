#include "core/layout_file.h"

#include "core/byte_io.h"

namespace kem {

void WriteLayoutHead(OutputFile& output, std::int32_t boardCount) {
  std::array<std::uint8_t, kLayoutHeadSize + kLayoutZeroBytes> bytes{};
  for (std::size_t i = 0; i < kLayoutMagic.size(); ++i) {
    bytes[i] = kLayoutMagic[i];
  }
  PutLe32(bytes.data() + kLayoutHeadCountOffset, boardCount);
  output.Write(bytes.data(), bytes.size());
}

void WriteBoardIndex(OutputFile& output, const BoardMap& boardMap, std::int32_t boardCols,
                     std::int32_t boardRows, std::int32_t boardCount, std::int32_t anchorCol,
                     std::int32_t anchorRow) {
  // Marked board m gives the offsets of block m and, being stored in block
  // m + 1 (block 0 is the anchor, the last marked board), its own deltas.
  std::int32_t m = 0;
  for (std::int32_t row = 0; row < boardRows && m < boardCount; ++row) {
    for (std::int32_t col = 0; col < boardCols && m < boardCount; ++col) {
      const auto at = static_cast<std::size_t>(row) * static_cast<std::size_t>(boardCols) +
                      static_cast<std::size_t>(col);
      if (at >= boardMap.size() || boardMap[at] != kBoardMarked) {
        continue;
      }
      std::array<std::uint8_t, kIndexEntrySize> entry{};
      PutLe32(entry.data(), static_cast<std::int32_t>(BoardBlockOffset(boardCount, m)));
      PutLe32(entry.data() + 4, static_cast<std::int32_t>(MinimapOffset(boardCount, m)));
      std::size_t size = kIndexOffsetsSize;
      if (m < boardCount - 1) {
        PutLe32(entry.data() + 8, row - anchorRow);
        PutLe32(entry.data() + 12, col - anchorCol);
        size = kIndexEntrySize;
      }
      output.Write(entry.data(), size);
      ++m;
    }
  }
}

void WriteTemplateBlock(OutputFile& output, const std::uint8_t* templateBytes) {
  output.Write(templateBytes, kTemplateBlockSize);
}

void WriteTextureSection(OutputFile& output, const TextureTable* table) {
  std::array<std::uint8_t, kTextureSectionSize> bytes{};
  std::size_t records = 0;
  if (table != nullptr) {
    for (const auto& entry : table->entries) {
      if (entry.keyA == 0 || records == static_cast<std::size_t>(kTextureTableCapacity)) {
        break;
      }
      std::uint8_t* record = bytes.data() + kTextureRecordSize * records;
      ++records;
      PutFloat32(record, static_cast<float>(records));
      PutLe32(record + 4, entry.keyB);
      PutLe32(record + 8, entry.keyA);
    }
  }
  for (; records < kTextureRecordCount; ++records) {
    std::uint8_t* record = bytes.data() + kTextureRecordSize * records;
    for (std::size_t i = 0; i < kTextureRecordSize; ++i) {
      record[i] = kFillerTextureRecord[i];
    }
  }
  output.Write(bytes.data(), bytes.size());
}

}  // namespace kem
