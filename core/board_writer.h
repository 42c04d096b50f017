// The board writer: one board of the elevation image to one board block of
// the layout file (vertex records, then the minimap picture).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/terrain_job.h"

namespace kem {

// What a board's vertex records are built from, gathered from the open
// sources in board order so that the arithmetic can run on another thread.
struct BoardInput {
  std::array<std::uint8_t, kWindowBytes> window{};  // elevation window, as read
  std::array<std::uint8_t, kWindowPixels> slots{};  // texture slot per vertex (GridIndex)
  std::uint32_t randomState = 0;  // program source's state before the board's first draw
};

// Reads board (col, row)'s windows from the open sources into `input`,
// matches the texturing guide's colours to slots, takes the board's share of
// the program's random sequence (one draw per textured vertex when
// job.randomizeTextures is set: the source moves past them) and fills the
// block's lead bytes and minimap picture. Touches the sources and the random
// source, so boards are gathered one at a time, in the order they are written.
void GatherBoard(int col, int row, TerrainJob& job, BoardInput& input, std::uint8_t* block);

// Decodes, optionally smooths (into `heights`, 5776 floats) and writes the
// vertex records of a gathered board into `block`. Reads only the job's
// format, heights, smoothing and texture settings, so boards of one job can be
// finished on several threads at once.
void FinishBoard(const TerrainJob& job, const BoardInput& input, float* heights,
                 std::uint8_t* block);

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
