// TerrainJob: one terrain project's generation parameters and, during a run,
// the open sources, the layout output and the board map.
//
// Between runs every handle is null and boardCount is 0; GenerateTerrain
// relies on that at the start of a run and ReleaseJob restores it at the end.
// boardCols, boardRows, heightScale and the anchor offsets keep the values of
// the last run and mean something only during a run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/targa_source.h"

namespace kem {

class LayoutOutput;
struct TextureTable;

// Colour coding of the elevation image, in the order the form lists them.
using DataFormat = std::int32_t;
inline constexpr DataFormat kSpectrumColours = 0;
inline constexpr DataFormat kTerrainColourScale = 1;
inline constexpr DataFormat kChromaDepthColours = 2;
inline constexpr DataFormat kGreyScale = 3;
inline constexpr DataFormat k24BitHeightCoding = 4;

// One byte per board, row-major (row i, column j at i * boardCols + j).
using BoardMap = std::vector<std::uint8_t>;
inline constexpr std::uint8_t kBoardMarked = 35;  // '#'

struct TerrainJob {
  TerrainJob();
  ~TerrainJob();
  TerrainJob(const TerrainJob&) = delete;
  TerrainJob& operator=(const TerrainJob&) = delete;

  std::string heightMapPath;
  std::unique_ptr<TargaSource> elevation;
  std::int32_t reservedA = 0;
  std::string minimapPath;
  std::unique_ptr<TargaSource> minimap;
  std::int32_t reservedB = 0;
  std::int32_t randomizeTextures = 0;
  std::string texturingGuidePath;
  std::unique_ptr<TargaSource> texturingGuide;
  std::int32_t reservedC = 0;
  std::int32_t filterRadius = 2;
  std::string filterGuidePath;
  std::unique_ptr<TargaSource> filterGuide;
  std::string outputPath;
  std::unique_ptr<LayoutOutput> output;
  float baseHeight = 0.0f;
  float maxHeight = 0.0f;
  float heightScale = 0.0f;
  DataFormat dataFormat = kChromaDepthColours;
  std::int32_t interpolate = 1;
  std::int32_t boardCols = 0;
  std::int32_t boardRows = 0;
  std::int32_t boardCount = 0;
  std::unique_ptr<BoardMap> boardMap;
  std::int32_t anchorColOffset = 0;
  std::int32_t anchorRowOffset = 0;
  const TextureTable* textures = nullptr;
};

// Sets the values of a new project: empty paths, no handles, heights 0,
// filter radius 2, chroma depth colours, interpolation on, everything else 0.
// heightScale is left as it is (every run derives it anew).
void SetNewProjectDefaults(TerrainJob& job);

}  // namespace kem
