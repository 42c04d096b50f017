// The board writer: one board of the elevation image to one board block of
// the layout file (vertex records, then the minimap picture).
#pragma once

#include <cstdint>
#include <vector>

#include "core/terrain_job.h"

namespace kem {

// Reads the board's windows from the open sources, decodes and optionally
// smooths the heights, and appends one 123318-byte board block to job.output.
// `block` is scratch space reused from board to board (sized on first use),
// so a run allocates it once. Draws one random value per textured vertex when
// job.randomizeTextures is set. Write failures are left to job.output.
void WriteBoard(int col, int row, TerrainJob& job, std::vector<std::uint8_t>& block);

// Builds board (col, row)'s block into `block` (123318 bytes) without writing
// it: reads the windows, fills job.elevation->heights, and draws the random
// values, exactly as WriteBoard does.
void BuildBoardBlock(int col, int row, TerrainJob& job, std::uint8_t* block);

}  // namespace kem
