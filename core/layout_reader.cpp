#include "core/layout_reader.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#include "core/byte_io.h"
#include "core/file_ptr.h"
#include "core/layout_file.h"
#include "core/open_file.h"
#include "core/texture_table.h"

namespace kem {
namespace {

class MemorySource : public LayoutSource {
 public:
  MemorySource(const std::uint8_t* bytes, std::size_t size) : bytes_(bytes), size_(size) {}
  std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
  bool Read(std::uint8_t* into, std::size_t size) override {
    if (size > size_ - position_) {
      return false;
    }
    if (size == 0) {
      return true;
    }
    std::memcpy(into, bytes_ + position_, size);
    position_ += size;
    return true;
  }

 private:
  const std::uint8_t* bytes_;
  std::size_t size_;
  std::size_t position_ = 0;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

class FileSource : public LayoutSource {
 public:
  FileSource(std::FILE* file, std::int64_t size) : file_(file), size_(size) {}
  std::int64_t Size() const override { return size_; }
  bool Read(std::uint8_t* into, std::size_t size) override {
    return std::fread(into, 1, size, file_.get()) == size;
  }

 private:
  FilePtr file_;
  std::int64_t size_;
};

constexpr std::size_t kMinimapPixelCount =
    static_cast<std::size_t>(kMinimapSide) * static_cast<std::size_t>(kMinimapSide);
constexpr std::size_t kMinimapPadByte = 3;  // the fourth byte of a minimap pixel, always 0

// A vertex normal is a unit vector times 127 with each component truncated
// toward zero, so its squared length lies between (127 - sqrt 3)^2 and 127^2.
constexpr int kNormalMaxSquare = 127 * 127;
constexpr int kNormalMinSquare = 15692;

// Offset in the index of entry p's first field (entry 0 holds only offsets).
std::int64_t IndexEntryOffset(std::int64_t p) {
  if (p == 0) {
    return static_cast<std::int64_t>(kLayoutIndexOffset);
  }
  return static_cast<std::int64_t>(kLayoutIndexOffset + kIndexOffsetsSize) +
         static_cast<std::int64_t>(kIndexEntrySize) * (p - 1);
}

// The section of a file of boardCount blocks that holds byte `offset`.
std::string SectionAt(std::int64_t boardCount, std::int64_t offset) {
  if (offset < static_cast<std::int64_t>(kLayoutHeadSize)) {
    return "the head";
  }
  if (offset < static_cast<std::int64_t>(kLayoutIndexOffset)) {
    return "the zero bytes after the head";
  }
  if (offset < TemplateBlockOffset(boardCount)) {
    return "the board index";
  }
  if (offset < TextureSectionOffset(boardCount)) {
    return "the template block";
  }
  if (offset < BoardBlockOffset(boardCount, 0)) {
    return "the texture section";
  }
  const std::int64_t block =
      (offset - BoardBlockOffset(boardCount, 0)) / static_cast<std::int64_t>(kBoardBlockSize);
  return "board block " + std::to_string(block);
}

std::string Plural(std::int64_t count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

bool IsFillerRecord(const std::uint8_t* record) {
  return std::equal(kFillerTextureRecord.begin(), kFillerTextureRecord.end(), record);
}

// Reads the file front to back, remembering where it is and the first fault.
class Reader {
 public:
  Reader(LayoutSource& source, const LayoutVisitor& visitor) : source_(source), visitor_(visitor) {}

  LayoutContents Run() {
    contents_.fileSize = source_.Size();
    if (ReadHead() && CheckSize() && ReadIndex() && ReadTemplate() && ReadTextures()) {
      if (visitor_.front) {
        visitor_.front(contents_);
      }
      ReadBlocks();
    }
    return std::move(contents_);
  }

 private:
  bool Fail(std::int64_t offset, std::string message) {
    contents_.fault = LayoutFault{offset, std::move(message)};
    return false;
  }

  // Reads the next `size` bytes, which the size check has shown are there.
  bool Take(std::uint8_t* into, std::size_t size) {
    if (size > 0 && !source_.Read(into, size)) {
      return Fail(position_, "the file could not be read");
    }
    position_ += static_cast<std::int64_t>(size);
    return true;
  }

  bool ReadHead() {
    std::array<std::uint8_t, kLayoutIndexOffset> head{};
    const auto present = static_cast<std::size_t>(
        std::min<std::int64_t>(contents_.fileSize, static_cast<std::int64_t>(head.size())));
    if (!Take(head.data(), present)) {
      return false;
    }
    for (std::size_t i = 0; i < std::min(present, kLayoutMagic.size()); ++i) {
      if (head[i] != kLayoutMagic[i]) {
        if (i == kLayoutVersionOffset) {
          return Fail(static_cast<std::int64_t>(i),
                      "layout version " + std::to_string(head[i]) + ", only version " +
                          std::to_string(kLayoutMagic[i]) + " is read");
        }
        return Fail(0, "not a layout file: it does not start with \"GND\"");
      }
    }
    if (present < kLayoutHeadSize) {
      return Fail(contents_.fileSize, "the file ends inside the head");
    }
    const std::int32_t count = GetLe32Signed(head.data() + kLayoutHeadCountOffset);
    if (count < 0 || !LayoutFits(count)) {
      return Fail(kLayoutHeadCountOffset, "board count " + std::to_string(count) +
                                              " in the head is outside 0 to " +
                                              std::to_string(kMaxLayoutBoards));
    }
    contents_.boardCount = count;
    contents_.headRead = true;
    for (std::size_t i = kLayoutHeadSize; i < present; ++i) {
      if (head[i] != 0) {
        return Fail(static_cast<std::int64_t>(i), "a byte after the head is not zero");
      }
    }
    return true;
  }

  bool CheckSize() {
    const std::int64_t count = contents_.boardCount;
    const std::int64_t expected = LayoutFileSize(count);
    const std::string shape =
        "a layout of " + Plural(count, "board") + " is " + std::to_string(expected) + " bytes";
    if (contents_.fileSize < expected) {
      return Fail(contents_.fileSize,
                  "the file ends inside " + SectionAt(count, contents_.fileSize) + "; " + shape);
    }
    if (contents_.fileSize > expected) {
      return Fail(expected, Plural(contents_.fileSize - expected, "byte") +
                                " follow the last board block; " + shape);
    }
    return true;
  }

  bool CheckOffset(std::int64_t fieldOffset, std::int64_t stored, std::int64_t expected,
                   std::int64_t p, const char* what) {
    if (stored == expected) {
      return true;
    }
    std::string message =
        "board index entry " + std::to_string(p) + " gives " + what + " " + std::to_string(stored);
    if (stored < 0 || stored >= contents_.fileSize) {
      message += ", outside the file";
    }
    return Fail(fieldOffset,
                message + "; block " + std::to_string(p) + "'s is at " + std::to_string(expected));
  }

  bool ReadIndex() {
    const std::int64_t count = contents_.boardCount;
    std::vector<std::uint8_t> index(static_cast<std::size_t>(BoardIndexSize(count)));
    if (!Take(index.data(), index.size())) {
      return false;
    }
    contents_.places.assign(static_cast<std::size_t>(std::max<std::int64_t>(count, 1)), {});
    std::int64_t minCol = 0;  // the anchor's column
    std::int64_t maxCol = 0;
    for (std::int64_t p = 0; p < count; ++p) {
      const std::int64_t entry = IndexEntryOffset(p);
      const std::uint8_t* at = index.data() + (entry - kLayoutIndexOffset);
      std::int64_t offsets = entry;
      if (p > 0) {
        LayoutBoardPlace place{GetLe32Signed(at + kIndexRowDeltaField),
                               GetLe32Signed(at + kIndexColDeltaField)};
        const LayoutBoardPlace& before = contents_.places[static_cast<std::size_t>(p - 1)];
        // Blocks after the anchor go in row-major order, all before the anchor.
        const bool beforeAnchor = place.rowDelta < 0 || (place.rowDelta == 0 && place.colDelta < 0);
        const bool afterPrevious =
            p == 1 || place.rowDelta > before.rowDelta ||
            (place.rowDelta == before.rowDelta && place.colDelta > before.colDelta);
        if (!beforeAnchor || !afterPrevious) {
          return Fail(entry, "board index entry " + std::to_string(p) + " places block " +
                                 std::to_string(p) + " at row delta " +
                                 std::to_string(place.rowDelta) + ", column delta " +
                                 std::to_string(place.colDelta) +
                                 ", out of row order before the anchor");
        }
        // The anchor's row is the last; columns may lie on both sides of it.
        minCol = std::min<std::int64_t>(minCol, place.colDelta);
        maxCol = std::max<std::int64_t>(maxCol, place.colDelta);
        if (1 - static_cast<std::int64_t>(place.rowDelta) > kMaxLayoutSpan ||
            maxCol - minCol + 1 > kMaxLayoutSpan) {
          return Fail(entry, "board index entry " + std::to_string(p) + " places block " +
                                 std::to_string(p) + " at row delta " +
                                 std::to_string(place.rowDelta) + ", column delta " +
                                 std::to_string(place.colDelta) + ", outside a layout of " +
                                 std::to_string(kMaxLayoutSpan) + " x " +
                                 std::to_string(kMaxLayoutSpan) + " boards");
        }
        contents_.places[static_cast<std::size_t>(p)] = place;
        at += kIndexDeltasSize;
        offsets += static_cast<std::int64_t>(kIndexDeltasSize);
      }
      if (!CheckOffset(offsets + kIndexBlockOffsetField, GetLe32Signed(at + kIndexBlockOffsetField),
                       BoardBlockOffset(count, p), p, "block offset") ||
          !CheckOffset(offsets + kIndexMinimapOffsetField,
                       GetLe32Signed(at + kIndexMinimapOffsetField), MinimapOffset(count, p), p,
                       "minimap offset")) {
        return false;
      }
    }
    return true;
  }

  bool ReadTemplate() {
    std::array<std::uint8_t, kTemplateBlockSize> block{};
    return Take(block.data(), block.size());
  }

  bool ReadTextures() {
    const std::int64_t section = position_;
    std::array<std::uint8_t, kTextureSectionSize> records{};
    if (!Take(records.data(), records.size())) {
      return false;
    }
    for (std::size_t i = 0; i < kTextureRecordCount; ++i) {
      const std::uint8_t* record = records.data() + i * kTextureRecordSize;
      const std::int64_t at = section + static_cast<std::int64_t>(i * kTextureRecordSize);
      const bool filler = IsFillerRecord(record);
      if (filler) {
        continue;
      }
      if (i != contents_.textures.size()) {
        return Fail(at, "texture record " + std::to_string(i + 1) +
                            " follows a filler record but is not one");
      }
      if (i == static_cast<std::size_t>(kTextureTableCapacity)) {
        return Fail(at, "the texture section has no end: more than " +
                            std::to_string(kTextureTableCapacity) + " real records");
      }
      const float slot = GetFloat32(record + kTextureSlotField);
      if (slot != static_cast<float>(i + 1)) {
        return Fail(at, "texture record " + std::to_string(i + 1) + " has slot number " +
                            std::to_string(slot));
      }
      const std::int32_t keyA = GetLe32Signed(record + kTextureKeyAField);
      if (keyA == 0) {
        return Fail(at + static_cast<std::int64_t>(kTextureKeyAField),
                    "texture record " + std::to_string(i + 1) + " has key 0");
      }
      contents_.textures.push_back(
          {static_cast<std::int32_t>(i + 1), GetLe32Signed(record + kTextureKeyBField), keyA});
    }
    return true;
  }

  void ReadBlocks() {
    std::vector<std::uint8_t> block(kBoardBlockSize);
    std::vector<float> heights(kVertexRecordCount);
    std::vector<std::uint8_t> slots(kVertexRecordCount);
    const auto slotLimit = static_cast<std::uint8_t>(
        std::min<std::size_t>(contents_.textures.size(), kMatchedTextures));
    bool anyHeight = false;
    float low = 0.0f;
    float high = 0.0f;
    for (std::size_t p = 0; p < contents_.places.size(); ++p) {
      const std::int64_t start = position_;
      if (!Take(block.data(), block.size())) {
        return;
      }
      for (std::size_t i = 0; i < kBoardLeadBytes; ++i) {
        if (block[i] != 0) {
          Fail(start + static_cast<std::int64_t>(i),
               "a lead byte of board block " + std::to_string(p) + " is not zero");
          return;
        }
      }
      for (std::size_t v = 0; v < kVertexRecordCount; ++v) {
        const std::size_t offset = kVertexRecordsOffset + v * kVertexRecordSize;
        const std::uint8_t* record = block.data() + offset;
        const float height = GetFloat32(record + kVertexHeightField);
        const int top = static_cast<std::int8_t>(record[kVertexNormalTopField]);
        const int right = static_cast<std::int8_t>(record[kVertexNormalRightField]);
        const int up = static_cast<std::int8_t>(record[kVertexNormalUpField]);
        const int square = top * top + right * right + up * up;
        const char* wrong = nullptr;
        std::size_t field = 0;
        if (record[kVertexMarkerField] != kVertexMarker) {
          wrong = "has no vertex marker";
          field = kVertexMarkerField;
        } else if (record[kVertexSlotField] > slotLimit) {
          wrong = "names a texture slot the texture section does not hold";
          field = kVertexSlotField;
        } else if (!std::isfinite(height)) {
          wrong = "has a height that is not a number";
          field = kVertexHeightField;
        } else if (up < 0 || square < kNormalMinSquare || square > kNormalMaxSquare) {
          wrong = "has a normal that is not an upward unit vector";
          field = kVertexNormalTopField;
        }
        if (wrong != nullptr) {
          Fail(start + static_cast<std::int64_t>(offset + field),
               "vertex (" + std::to_string(v / kVertexRunLength) + ", " +
                   std::to_string(v % kVertexRunLength) + ") of board block " + std::to_string(p) +
                   " " + wrong);
          return;
        }
        heights[v] = height;
        slots[v] = record[kVertexSlotField];
      }
      const auto [blockLow, blockHigh] = std::minmax_element(heights.begin(), heights.end());
      low = anyHeight ? std::min(low, *blockLow) : *blockLow;
      high = anyHeight ? std::max(high, *blockHigh) : *blockHigh;
      anyHeight = true;
      if (!std::equal(kMinimapHeader.begin(), kMinimapHeader.end(),
                      block.begin() + kMinimapHeaderOffset)) {
        Fail(start + static_cast<std::int64_t>(kMinimapHeaderOffset),
             "the minimap header of board block " + std::to_string(p) + " is not the expected one");
        return;
      }
      for (std::size_t i = 0; i < kMinimapPixelCount; ++i) {
        const std::size_t offset = kMinimapPixelsOffset + i * kMinimapPixelSize + kMinimapPadByte;
        if (block[offset] != 0) {
          Fail(start + static_cast<std::int64_t>(offset),
               "minimap pixel " + std::to_string(i) + " of board block " + std::to_string(p) +
                   " has a fourth byte that is not zero");
          return;
        }
      }
      contents_.minHeight = low;
      contents_.maxHeight = high;
      ++contents_.blocksRead;
      if (visitor_.board) {
        visitor_.board(LayoutBoardView{static_cast<std::int64_t>(p), contents_.places[p],
                                       heights.data(), slots.data(),
                                       block.data() + kMinimapPixelsOffset});
      }
    }
  }

  LayoutSource& source_;
  const LayoutVisitor& visitor_;
  LayoutContents contents_;
  std::int64_t position_ = 0;
};

}  // namespace

std::unique_ptr<LayoutSource> MemoryLayoutSource(const std::uint8_t* bytes, std::size_t size) {
  return std::make_unique<MemorySource>(bytes, size);
}

std::unique_ptr<LayoutSource> FileLayoutSource(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(FileSystemPath(path), error)) {
    return nullptr;
  }
  const auto size = std::filesystem::file_size(FileSystemPath(path), error);
  if (error) {
    return nullptr;
  }
  std::FILE* file = OpenFile(path, "rb");
  if (file == nullptr) {
    return nullptr;
  }
  return std::make_unique<FileSource>(file, static_cast<std::int64_t>(size));
}

LayoutContents ReadLayout(LayoutSource& source, const LayoutVisitor& visitor) {
  return Reader(source, visitor).Run();
}

bool LooksLikeLayout(const std::uint8_t* bytes, std::size_t size) {
  return size >= kLayoutVersionOffset &&
         std::equal(kLayoutMagic.begin(), kLayoutMagic.begin() + kLayoutVersionOffset, bytes);
}

}  // namespace kem
