// TerrainJob: the state of one generation run, owned by GenerateTerrain: the
// project's settings it was started with, and the open sources, the layout
// output, the board map and the values derived from them.
//
// A job starts idle (every handle null, boardCount 0); ReleaseJob brings it
// back there at the end of a run. boardCols, boardRows, heightScale and the
// anchor offsets mean something only during a run.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/output_file.h"
#include "core/project_settings.h"
#include "core/targa_source.h"

namespace kem {

struct TextureTable;

// One byte per board, row-major (row i, column j at i * boardCols + j).
using BoardMap = std::vector<std::uint8_t>;
inline constexpr std::uint8_t kBoardMarked = 35;  // '#'

// The settings are a base, so the generator reads them by their own names
// (job.heightMapPath, job.dataFormat, ...).
struct TerrainJob : ProjectSettings {
  TerrainJob() = default;
  explicit TerrainJob(const ProjectSettings& settings) : ProjectSettings(settings) {}
  TerrainJob(const TerrainJob&) = delete;
  TerrainJob& operator=(const TerrainJob&) = delete;

  std::unique_ptr<TargaSource> elevation;
  std::unique_ptr<TargaSource> minimap;
  std::unique_ptr<TargaSource> texturingGuide;
  std::unique_ptr<TargaSource> filterGuide;
  std::unique_ptr<OutputFile> output;
  float heightScale = 0.0f;
  std::int32_t boardCols = 0;
  std::int32_t boardRows = 0;
  std::int32_t boardCount = 0;
  std::unique_ptr<BoardMap> boardMap;
  std::int32_t anchorColOffset = 0;
  std::int32_t anchorRowOffset = 0;
  const TextureTable* textures = nullptr;
};

}  // namespace kem
