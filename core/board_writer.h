// The board writer: one board of the elevation image to one board block of
// the layout file (vertex records, then the minimap picture).
#pragma once

#include <cstdint>

#include "core/terrain_job.h"

namespace kem {

// Height grid index of window pixel (x, y), x from the left and y from the top
// of the window as displayed (window row 75 - y).
constexpr int GridIndex(int x, int y) { return kWindowSide * (kWindowSide - 1 - y) + x; }

// Reads the board's windows from the open sources, decodes and optionally
// smooths the heights, and appends one 123318-byte board block to job.output.
void WriteBoard(int col, int row, TerrainJob& job);

// Smooths a 76 x 76 height grid (GridIndex layout) in place: an interior 3 x 3
// pass that reads already-smoothed neighbours, then the sides, then the bottom
// and top rows.
void SmoothHeights(float* grid);

// Bytes 7, 8, 9 of a vertex record: the unit normal's components toward the
// top and the right of the image and upward, times 127, truncated.
struct NormalBytes {
  std::int8_t top = 0;
  std::int8_t right = 0;
  std::int8_t up = 0;
};
NormalBytes VertexNormal(const float* grid, int x, int y);

}  // namespace kem
