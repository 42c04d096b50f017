#include "core/terrain_job.h"

#include "core/layout_output.h"

namespace kem {

TerrainJob::TerrainJob() = default;
TerrainJob::~TerrainJob() = default;

void SetNewProjectDefaults(TerrainJob& job) {
  job.heightMapPath.clear();
  job.elevation = nullptr;
  job.reservedA = 0;
  job.minimapPath.clear();
  job.minimap = nullptr;
  job.reservedB = 0;
  job.randomizeTextures = 0;
  job.texturingGuidePath.clear();
  job.texturingGuide = nullptr;
  job.reservedC = 0;
  job.filterRadius = 2;
  job.filterGuidePath.clear();
  job.filterGuide = nullptr;
  job.outputPath.clear();
  job.output = nullptr;
  job.baseHeight = 0.0f;
  job.maxHeight = 0.0f;
  job.dataFormat = kChromaDepthColours;
  job.interpolate = 1;
  job.boardCols = 0;
  job.boardRows = 0;
  job.boardCount = 0;
  job.boardMap = nullptr;
  job.anchorColOffset = 0;
  job.anchorRowOffset = 0;
  job.textures = nullptr;
}

}  // namespace kem
