// Board selection from a filter guide: a board whose window holds a marker
// pixel (pure cyan) is generated with every board within filterRadius of it.
#pragma once

#include <cstdint>

#include "core/terrain_job.h"

namespace kem {

// The board grid of an elevation image of width x height pixels: (width - 4)
// / 72 columns by (height - 4) / 72 rows, truncated toward zero.
struct BoardGrid {
  std::int32_t cols = 0;
  std::int32_t rows = 0;

  // True when the grid has at least one board and lies inside the image.
  bool FitsImage(int width, int height) const {
    return cols >= 1 && rows >= 1 && cols * kBoardSide + 4 <= width &&
           rows * kBoardSide + 4 <= height;
  }
};
BoardGrid BoardGridOf(int width, int height);

struct BoardPosition {
  std::int32_t col = 0;
  std::int32_t row = 0;
};

// The anchor board of a board map of boardCols x boardRows: the last marked
// board in row-major order, or board (0, 0) when none is marked.
BoardPosition FindAnchorBoard(const BoardMap& map, std::int32_t boardCols, std::int32_t boardRows);

// Reads the filter guide's window of board (col, row) and, if it holds a
// marker pixel, marks the clipped square of boards around it in job.boardMap.
void FilterBoard(int col, int row, TerrainJob& job);

// Number of marked boards in job.boardMap.
std::int32_t CountMarkedBoards(const TerrainJob& job);

}  // namespace kem
