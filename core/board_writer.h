// The board writer: one board of the elevation image to one board block of
// the layout file (vertex records, then the minimap picture).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "core/terrain_job.h"

namespace kem {

// Height grid index of window pixel (x, y), x from the left and y from the top
// of the window as displayed (window row 75 - y). The same index addresses a
// pixel of a source's window (times 3 for its bytes).
constexpr int GridIndex(int x, int y) {
  return kWindowSide * (kWindowSide - 1 - y) + x;
}

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

// Decodes a 76 x 76 window (blue, green, red per pixel) into heights at the
// same index, with the job's data format, base height and height scale.
void DecodeHeights(const TerrainJob& job, const std::uint8_t* window, float* heights);

// Smooths a 76 x 76 height grid (GridIndex layout) in place: an interior 3 x 3
// pass that reads already-smoothed neighbours, then the sides, then the bottom
// and top rows. Sums in double, each result stored as a 32-bit float.
void SmoothHeights(float* grid);

// Bytes 7, 8, 9 of a vertex record: the unit normal's components toward the
// top and the right of the image and upward, times 127, truncated.
struct NormalBytes {
  std::int8_t top = 0;
  std::int8_t right = 0;
  std::int8_t up = 0;
};

// Normal of vertex (x, y) of a height grid (GridIndex layout): the normalised
// sum of the unit normals of the up to four facets around the vertex.
NormalBytes VertexNormal(const float* grid, int x, int y);

// The normal bytes of every vertex of a grid, each array in GridIndex layout.
struct BoardNormals {
  std::array<std::int8_t, kWindowPixels> top;
  std::array<std::int8_t, kWindowPixels> right;
  std::array<std::int8_t, kWindowPixels> up;
};

// VertexNormal of every vertex of a 76 x 76 grid, computed board-wide.
void ComputeBoardNormals(const float* grid, BoardNormals& normals);

}  // namespace kem
