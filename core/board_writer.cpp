#include "core/board_writer.h"

#include <algorithm>
#include <memory>

#include "core/board_heights.h"
#include "core/board_normals.h"
#include "core/byte_io.h"
#include "core/colour.h"
#include "core/layout_file.h"
#include "core/output_file.h"
#include "core/random_source.h"
#include "core/texture_table.h"

namespace kem {

namespace {

// Texture slot of a guide pixel. Guides are painted in large areas of one
// colour, so the slot of the previous pixel is kept and reused for the same
// colour (matching is a pure function of the colour).
class TextureMatcher {
 public:
  explicit TextureMatcher(const TextureTable* table) : table_(table) {}

  std::uint8_t Slot(const std::uint8_t* pixel) {
    if (table_ == nullptr) {
      return 0;
    }
    if (!valid_ || pixel[0] != blue_ || pixel[1] != green_ || pixel[2] != red_) {
      const HsvColour hsv = RgbToHsv(pixel[2], pixel[1], pixel[0]);
      slot_ = static_cast<std::uint8_t>(MatchTexture(*table_, hsv.hue, hsv.saturation, hsv.value));
      blue_ = pixel[0];
      green_ = pixel[1];
      red_ = pixel[2];
      valid_ = true;
    }
    return slot_;
  }

 private:
  const TextureTable* table_;
  bool valid_ = false;
  std::uint8_t blue_ = 0;
  std::uint8_t green_ = 0;
  std::uint8_t red_ = 0;
  std::uint8_t slot_ = 0;
};

// Variation byte from a draw of 0 to 32767: v * 255 / 32767, truncated.
inline std::uint8_t VariationByte(int draw) {
  return static_cast<std::uint8_t>(draw * 255 / RandomSource::kMax);
}

void WriteVertexRecords(const TerrainJob& job, const BoardInput& input, const float* grid,
                        std::uint8_t* records) {
  BoardNormals normals;
  ComputeBoardNormals(grid, normals);
  const bool textured = job.texturingGuide != nullptr;
  const bool randomize = textured && job.randomizeTextures != 0;
  RandomSource random(input.randomState);
  std::uint8_t* record = records;
  for (int x = 0; x < kWindowSide; ++x) {
    for (int y = 0; y < kWindowSide; ++y, record += kVertexRecordSize) {
      const int at = GridIndex(x, y);
      record[kVertexMarkerField] = kVertexMarker;
      record[kVertexSlotField] = 0;
      record[kVertexVariationField] = 0;
      PutFloat32(record + kVertexHeightField, grid[at]);
      record[kVertexNormalTopField] = static_cast<std::uint8_t>(normals.top[at]);
      record[kVertexNormalRightField] = static_cast<std::uint8_t>(normals.right[at]);
      record[kVertexNormalUpField] = static_cast<std::uint8_t>(normals.up[at]);
      if (textured) {
        const std::uint8_t slot = input.slots[static_cast<std::size_t>(at)];
        record[kVertexSlotField] = slot;
        if (randomize && slot != 0) {
          record[kVertexVariationField] = VariationByte(random.Draw());
        }
      }
    }
  }
}

// Slots of the guide's window, and the number of draws they take: one per
// textured vertex, in the order the records are written.
std::uint64_t MatchSlots(const TerrainJob& job, const std::uint8_t* guide,
                         std::array<std::uint8_t, kWindowPixels>& slots) {
  TextureMatcher matcher(job.textures);
  std::uint64_t draws = 0;
  for (int x = 0; x < kWindowSide; ++x) {
    for (int y = 0; y < kWindowSide; ++y) {
      const int at = GridIndex(x, y);
      const std::uint8_t slot = matcher.Slot(guide + kWindowPixelBytes * at);
      slots[static_cast<std::size_t>(at)] = slot;
      draws += slot != 0 ? 1 : 0;
    }
  }
  return job.randomizeTextures != 0 ? draws : 0;
}

// Run r samples window column 2 + 9r/16; pixel q samples window row
// 73 - 9(128 - q)/16 from the top, so each run climbs from y = 1 to y = 73.
void WriteMinimap(const std::uint8_t* window, std::uint8_t* pixels) {
  std::uint8_t* out = pixels;
  for (int r = 0; r < kMinimapSide; ++r) {
    const int x = 2 + 9 * r / 16;
    for (int q = 0; q < kMinimapSide; ++q, out += kMinimapPixelSize) {
      const int y = 73 - 9 * (kMinimapSide - q) / 16;
      const std::uint8_t* pixel = window + kWindowPixelBytes * GridIndex(x, y);
      out[0] = pixel[0];
      out[1] = pixel[1];
      out[2] = pixel[2];
      out[3] = 0;
    }
  }
}

}  // namespace

void GatherBoard(int col, int row, TerrainJob& job, BoardInput& input, std::uint8_t* block) {
  TargaSource& elevation = *job.elevation;
  ReadBoardWindow(col, row, job.boardCols, job.boardRows, elevation);
  if (job.minimap) {
    ReadBoardWindow(col, row, job.boardCols, job.boardRows, *job.minimap);
  }
  std::copy(elevation.window.begin(), elevation.window.begin() + kWindowBytes,
            input.window.begin());
  input.randomState = RandomSource::Program().State();
  if (job.texturingGuide) {
    ReadBoardWindow(col, row, job.boardCols, job.boardRows, *job.texturingGuide);
    RandomSource::Program().Skip(MatchSlots(job, job.texturingGuide->window.data(), input.slots));
  }
  for (std::size_t i = 0; i < kBoardLeadBytes; ++i) {
    block[i] = 0;
  }
  for (std::size_t i = 0; i < kMinimapHeaderSize; ++i) {
    block[kMinimapHeaderOffset + i] = kMinimapHeader[i];
  }
  const TargaSource& pictureSource = job.minimap ? *job.minimap : elevation;
  WriteMinimap(pictureSource.window.data(), block + kMinimapPixelsOffset);
}

void FinishBoard(const TerrainJob& job, const BoardInput& input, float* heights,
                 std::uint8_t* block) {
  DecodeHeights(job, input.window.data(), heights);
  if (job.interpolate != 0) {
    SmoothHeights(heights);
  }
  WriteVertexRecords(job, input, heights, block + kVertexRecordsOffset);
}

void BuildBoardBlock(int col, int row, TerrainJob& job, std::uint8_t* block) {
  auto input = std::make_unique<BoardInput>();
  GatherBoard(col, row, job, *input, block);
  FinishBoard(job, *input, job.elevation->heights.data(), block);
}

void WriteBoard(int col, int row, TerrainJob& job, std::vector<std::uint8_t>& block) {
  if (block.size() != kBoardBlockSize) {
    block.resize(kBoardBlockSize);
  }
  BuildBoardBlock(col, row, job, block.data());
  job.output->Write(block.data(), block.size());
}

}  // namespace kem
