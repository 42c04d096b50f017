#include "core/board_writer.h"

#include <cmath>

#include "core/byte_io.h"
#include "core/colour.h"
#include "core/float_conversion.h"
#include "core/layout_file.h"
#include "core/layout_output.h"
#include "core/random_source.h"
#include "core/texture_table.h"

namespace kem {

namespace {

constexpr int kLast = kWindowSide - 1;  // 75

// The nearest 32-bit float to 1/9, used as a multiplier (not a division).
constexpr double kNinth = static_cast<double>(0.11111111f);

// Vertices stand 10 units apart; the facet normal's vertical part is 10 x 10.
constexpr double kSpacing = 10.0;
constexpr double kFacetUp = 100.0;
constexpr double kNormalScale = 127.0;

struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// Adds the facet vector (x, y, z) scaled to unit length.
inline void AddUnit(Vector3& sum, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  sum.x += x / length;
  sum.y += y / length;
  sum.z += z / length;
}

inline std::int8_t NormalByte(double component) {
  return static_cast<std::int8_t>(TruncateToInt32(component * kNormalScale));
}

// Facet vectors of vertex P from the height differences dN = h(N) - h(P) of
// its left, right, top and bottom neighbours; the sum of their unit vectors,
// scaled to unit length, is the normal.
inline NormalBytes NormalOfFacets(bool left, bool right, bool top, bool bottom, double dL,
                                  double dR, double dT, double dB) {
  Vector3 sum;
  if (left && bottom) {
    AddUnit(sum, kSpacing * dL, kSpacing * dB, kFacetUp);
  }
  if (bottom && right) {
    AddUnit(sum, -kSpacing * dR, kSpacing * dB, kFacetUp);
  }
  if (right && top) {
    AddUnit(sum, -kSpacing * dR, -kSpacing * dT, kFacetUp);
  }
  if (top && left) {
    AddUnit(sum, kSpacing * dL, -kSpacing * dT, kFacetUp);
  }
  const double length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
  return {NormalByte(sum.y / length), NormalByte(sum.x / length), NormalByte(sum.z / length)};
}

inline NormalBytes ComputeNormal(const float* grid, int x, int y) {
  const double here = grid[GridIndex(x, y)];
  const bool left = x > 0;
  const bool right = x < kLast;
  const bool top = y > 0;
  const bool bottom = y < kLast;
  return NormalOfFacets(left, right, top, bottom, left ? grid[GridIndex(x - 1, y)] - here : 0.0,
                        right ? grid[GridIndex(x + 1, y)] - here : 0.0,
                        top ? grid[GridIndex(x, y - 1)] - here : 0.0,
                        bottom ? grid[GridIndex(x, y + 1)] - here : 0.0);
}

}  // namespace

// The interior rows have all four facets and neighbours side by side in
// memory, so this loop runs branch-free (and the compiler may do two vertices
// at once: IEEE division and square root give the same bits either way). The
// border goes through the general rule.
void ComputeBoardNormals(const float* grid, BoardNormals& normals) {
  for (int y = 1; y < kLast; ++y) {
    const int start = GridIndex(0, y);
    const float* row = grid + start;
    const float* above = grid + GridIndex(0, y - 1);
    const float* below = grid + GridIndex(0, y + 1);
    std::int8_t* top = normals.top.data() + start;
    std::int8_t* right = normals.right.data() + start;
    std::int8_t* up = normals.up.data() + start;
    for (int x = 1; x < kLast; ++x) {
      const double here = row[x];
      const NormalBytes n = NormalOfFacets(true, true, true, true, row[x - 1] - here,
                                           row[x + 1] - here, above[x] - here, below[x] - here);
      top[x] = n.top;
      right[x] = n.right;
      up[x] = n.up;
    }
  }
  auto border = [&](int x, int y) {
    const NormalBytes n = ComputeNormal(grid, x, y);
    const int at = GridIndex(x, y);
    normals.top[at] = n.top;
    normals.right[at] = n.right;
    normals.up[at] = n.up;
  };
  for (int i = 0; i < kWindowSide; ++i) {
    border(i, 0);
    border(i, kLast);
    border(0, i);
    border(kLast, i);
  }
}

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

void WriteVertexRecords(TerrainJob& job, std::uint8_t* records) {
  const float* grid = job.elevation->heights.data();
  BoardNormals normals;
  ComputeBoardNormals(grid, normals);
  const std::uint8_t* guide = job.texturingGuide ? job.texturingGuide->window.data() : nullptr;
  TextureMatcher matcher(job.textures);
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
      if (guide != nullptr) {
        const std::uint8_t slot = matcher.Slot(guide + kWindowPixelBytes * at);
        record[kVertexSlotField] = slot;
        if (job.randomizeTextures != 0 && slot != 0) {
          record[kVertexVariationField] = VariationByte(RandomSource::Program().Draw());
        }
      }
    }
  }
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

void DecodeHeights(const TerrainJob& job, const std::uint8_t* window, float* heights) {
  for (int i = 0; i < kWindowPixels; ++i) {
    heights[i] = DecodeHeight(job, window + kWindowPixelBytes * i);
  }
}

void SmoothHeights(float* grid) {
  auto h = [grid](int x, int y) -> float& { return grid[GridIndex(x, y)]; };
  // Interior, from the bottom row of the window upward, reading in place.
  for (int y = kLast - 1; y >= 1; --y) {
    for (int x = 1; x < kLast; ++x) {
      double sum = h(x + 1, y - 1);
      sum += h(x, y - 1);
      sum += h(x - 1, y - 1);
      sum += h(x + 1, y);
      sum += h(x - 1, y);
      sum += h(x + 1, y + 1);
      sum += h(x - 1, y + 1);
      sum += h(x, y + 1);
      sum += h(x, y);
      h(x, y) = static_cast<float>(sum * kNinth);
    }
  }
  // Left and right sides, leaving the two top cells of each.
  for (int y = kLast - 1; y >= 2; --y) {
    h(0, y) = static_cast<float>((static_cast<double>(h(1, y)) + h(0, y)) * 0.5);
    h(kLast, y) = static_cast<float>((static_cast<double>(h(kLast - 1, y)) + h(kLast, y)) * 0.5);
  }
  // Bottom and top rows, column 75 excepted.
  for (int x = 0; x < kLast; ++x) {
    h(x, kLast) = static_cast<float>((static_cast<double>(h(x, kLast - 1)) + h(x, kLast)) * 0.5);
    h(x, 0) = static_cast<float>((static_cast<double>(h(x, 1)) + h(x, 0)) * 0.5);
  }
}

NormalBytes VertexNormal(const float* grid, int x, int y) {
  return ComputeNormal(grid, x, y);
}

void BuildBoardBlock(int col, int row, TerrainJob& job, std::uint8_t* block) {
  TargaSource& elevation = *job.elevation;
  ReadBoardWindow(col, row, job.boardCols, job.boardRows, elevation);
  if (job.minimap) {
    ReadBoardWindow(col, row, job.boardCols, job.boardRows, *job.minimap);
  }
  if (job.texturingGuide) {
    ReadBoardWindow(col, row, job.boardCols, job.boardRows, *job.texturingGuide);
  }
  DecodeHeights(job, elevation.window.data(), elevation.heights.data());
  if (job.interpolate != 0) {
    SmoothHeights(elevation.heights.data());
  }
  for (std::size_t i = 0; i < kBoardLeadBytes; ++i) {
    block[i] = 0;
  }
  WriteVertexRecords(job, block + kVertexRecordsOffset);
  for (std::size_t i = 0; i < kMinimapHeaderSize; ++i) {
    block[kMinimapHeaderOffset + i] = kMinimapHeader[i];
  }
  const TargaSource& pictureSource = job.minimap ? *job.minimap : elevation;
  WriteMinimap(pictureSource.window.data(), block + kMinimapPixelsOffset);
}

void WriteBoard(int col, int row, TerrainJob& job, std::vector<std::uint8_t>& block) {
  if (block.size() != kBoardBlockSize) {
    block.resize(kBoardBlockSize);
  }
  BuildBoardBlock(col, row, job, block.data());
  job.output->Write(block.data(), block.size());
}

void WriteBoard(int col, int row, TerrainJob& job) {
  std::vector<std::uint8_t> block;
  WriteBoard(col, row, job, block);
}

}  // namespace kem
