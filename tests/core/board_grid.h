// Height grids for the board tests: a 76 x 76 grid in the board's layout,
// filled from a function of the vertex position.
#pragma once

#include <functional>
#include <vector>

#include "core/board_heights.h"

namespace kem::test {

using Grid = std::vector<float>;

inline Grid GridOf(const std::function<float(int x, int y)>& h) {
  Grid grid(kWindowPixels);
  for (int y = 0; y < kWindowSide; ++y) {
    for (int x = 0; x < kWindowSide; ++x) {
      grid[GridIndex(x, y)] = h(x, y);
    }
  }
  return grid;
}

inline float At(const Grid& grid, int x, int y) {
  return grid[GridIndex(x, y)];
}
}  // namespace kem::test
