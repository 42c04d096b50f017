// Board selection: marker pixels in the filter guide pick the boards to build.
#include "core/board_selection.h"

#include <algorithm>
#include <cstddef>

#include "core/targa_source.h"

namespace kem {

namespace {

// A marker is pure cyan: window bytes blue 255, green 255, red 0.
bool HoldsMarker(const std::vector<std::uint8_t>& window) {
  const std::size_t end = std::min<std::size_t>(window.size(), kWindowBytes);
  for (std::size_t i = 0; i + kWindowPixelBytes <= end; i += kWindowPixelBytes) {
    if (window[i] == 255 && window[i + 1] == 255 && window[i + 2] == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

BoardGrid BoardGridOf(int width, int height) {
  return {(width - (kWindowSide - kBoardSide)) / kBoardSide,
          (height - (kWindowSide - kBoardSide)) / kBoardSide};
}

BoardPosition FindAnchorBoard(const BoardMap& map, std::int32_t boardCols, std::int32_t boardRows) {
  for (std::int32_t row = boardRows - 1; row >= 0; --row) {
    for (std::int32_t col = boardCols - 1; col >= 0; --col) {
      const std::size_t index =
          static_cast<std::size_t>(row) * static_cast<std::size_t>(boardCols) +
          static_cast<std::size_t>(col);
      if (index < map.size() && map[index] == kBoardMarked) {
        return {col, row};
      }
    }
  }
  return {};
}

void FilterBoard(int col, int row, TerrainJob& job) {
  if (!job.filterGuide || !job.boardMap) {
    return;
  }
  ReadBoardWindow(col, row, job.boardCols, job.boardRows, *job.filterGuide);
  if (!HoldsMarker(job.filterGuide->window)) {
    return;
  }
  // The square of boards within filterRadius, clipped to the grid; bounds in
  // 64 bits so that any stored radius is safe. A negative radius is empty.
  const std::int64_t radius = job.filterRadius;
  const std::int64_t firstRow = std::max<std::int64_t>(0, std::int64_t{row} - radius);
  const std::int64_t lastRow =
      std::min<std::int64_t>(job.boardRows - 1, std::int64_t{row} + radius);
  const std::int64_t firstCol = std::max<std::int64_t>(0, std::int64_t{col} - radius);
  const std::int64_t lastCol =
      std::min<std::int64_t>(job.boardCols - 1, std::int64_t{col} + radius);
  BoardMap& map = *job.boardMap;
  for (std::int64_t i = firstRow; i <= lastRow; ++i) {
    for (std::int64_t j = firstCol; j <= lastCol; ++j) {
      const std::int64_t index = i * job.boardCols + j;
      if (index < static_cast<std::int64_t>(map.size())) {
        map[static_cast<std::size_t>(index)] = kBoardMarked;
      }
    }
  }
}

std::int32_t CountMarkedBoards(const TerrainJob& job) {
  if (!job.boardMap || job.boardCols <= 0 || job.boardRows <= 0) {
    return 0;
  }
  const std::size_t cells = std::min<std::size_t>(
      job.boardMap->size(), static_cast<std::size_t>(job.boardCols) * job.boardRows);
  return static_cast<std::int32_t>(
      std::count(job.boardMap->begin(), job.boardMap->begin() + cells, kBoardMarked));
}

}  // namespace kem
