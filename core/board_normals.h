// Vertex normals of a board: the normal bytes of each vertex record, from the
// heights of the vertex and its neighbours.
#pragma once

#include <array>
#include <cstdint>

#include "core/board_heights.h"

namespace kem {

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
