// Heights of a board: the 76 x 76 grid of a window's decoded heights, its
// layout, and the optional smoothing pass.
#pragma once

#include <cstdint>

#include "core/targa_source.h"
#include "core/terrain_job.h"

namespace kem {

// Height grid index of window pixel (x, y), x from the left and y from the top
// of the window as displayed (window row 75 - y). The same index addresses a
// pixel of a source's window (times 3 for its bytes).
constexpr int GridIndex(int x, int y) {
  return kWindowSide * (kWindowSide - 1 - y) + x;
}

// Decodes a 76 x 76 window (blue, green, red per pixel) into heights at the
// same index, with the job's data format, base height and height scale.
void DecodeHeights(const TerrainJob& job, const std::uint8_t* window, float* heights);

// Smooths a 76 x 76 height grid (GridIndex layout) in place: an interior 3 x 3
// pass that reads already-smoothed neighbours, then the sides, then the bottom
// and top rows. Sums in double, each result stored as a 32-bit float.
void SmoothHeights(float* grid);

}  // namespace kem
