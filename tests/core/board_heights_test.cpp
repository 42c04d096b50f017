// Decoding a board's window into heights, and the smoothing pass.
#include "core/board_heights.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>
#include <vector>

#include "board_grid.h"
#include "core/colour.h"

namespace kem {
namespace {

using test::At;
using test::Grid;
using test::GridOf;

TEST(BoardHeights, SmoothingLeavesLevelGroundUnchanged) {
  Grid grid = GridOf([](int, int) { return 123.25f; });
  SmoothHeights(grid.data());
  for (float h : grid) {
    ASSERT_EQ(h, 123.25f);
  }
}

TEST(BoardHeights, SmoothingAveragesTheSidesOfARampWithTheirInnerNeighbours) {
  Grid grid = GridOf([](int x, int) { return 10.0f * static_cast<float>(x); });
  SmoothHeights(grid.data());
  for (int y = 1; y <= 74; ++y) {
    for (int x = 1; x <= 74; ++x) {
      ASSERT_NEAR(At(grid, x, y), 10.0f * static_cast<float>(x), 1e-3) << x << "," << y;
    }
  }
  for (int y = 2; y <= 74; ++y) {
    EXPECT_NEAR(At(grid, 0, y), 5.0f, 1e-4) << y;
    EXPECT_NEAR(At(grid, 75, y), 745.0f, 1e-3) << y;
  }
  EXPECT_NEAR(At(grid, 0, 75), 2.5f, 1e-4);
  EXPECT_EQ(At(grid, 0, 0), 0.0f);
  EXPECT_EQ(At(grid, 0, 1), 0.0f);
  EXPECT_EQ(At(grid, 75, 0), 750.0f);
  EXPECT_EQ(At(grid, 75, 1), 750.0f);
  EXPECT_EQ(At(grid, 75, 75), 750.0f);
}

TEST(BoardHeights, SmoothingReadsNeighboursAlreadySmoothedInThisPass) {
  Grid grid = GridOf([](int x, int y) { return x == 10 && y == 10 ? 81.0f : 0.0f; });
  SmoothHeights(grid.data());
  EXPECT_EQ(At(grid, 9, 11), 9.0f);
  EXPECT_EQ(At(grid, 10, 11), 10.0f);
  // (81 + 10) x 0.11111111 in double, stored as float.
  EXPECT_EQ(At(grid, 11, 11), static_cast<float>(91.0 * static_cast<double>(0.11111111f)));
  EXPECT_NEAR(At(grid, 11, 11), 10.111111f, 1e-5);
}

TEST(BoardHeights, SmoothingMultipliesByTheSinglePrecisionNinth) {
  // One low cell in a field of 3: its upper-left neighbour sums 25, and
  // 25 x 0.11111111f rounds to another float than 25 / 9 does.
  Grid grid = GridOf([](int, int) { return 3.0f; });
  grid[GridIndex(40, 40)] = 1.0f;
  SmoothHeights(grid.data());
  const float smoothed = At(grid, 39, 41);  // sees the low cell as (x + 1, y - 1)
  EXPECT_EQ(smoothed, static_cast<float>(25.0 * static_cast<double>(0.11111111f)));
  EXPECT_NE(smoothed, static_cast<float>(25.0 / 9.0));
}

TEST(BoardHeights, SmoothingKeepsTheFourUnvisitedCells) {
  Grid grid = GridOf([](int x, int y) { return static_cast<float>(x * 7 + y * 13 % 5); });
  const Grid before = grid;
  SmoothHeights(grid.data());
  for (auto [x, y] : std::vector<std::pair<int, int>>{{0, 1}, {75, 0}, {75, 1}, {75, 75}}) {
    EXPECT_EQ(At(grid, x, y), At(before, x, y)) << x << "," << y;
  }
}
TEST(BoardHeights, DecodesEveryPixelAtItsOwnIndex) {
  TerrainJob job;
  job.dataFormat = kGreyScale;
  job.heightScale = 2.0f;
  job.baseHeight = 1.0f;
  std::vector<std::uint8_t> window(kWindowBytes);
  for (int i = 0; i < kWindowPixels; ++i) {
    window[3 * i] = window[3 * i + 1] = window[3 * i + 2] = static_cast<std::uint8_t>(i % 256);
  }
  std::vector<float> heights(kWindowPixels);
  DecodeHeights(job, window.data(), heights.data());
  for (int i = 0; i < kWindowPixels; i += 97) {
    ASSERT_EQ(heights[i], DecodeHeight(job, window.data() + 3 * i)) << i;
  }
}

}  // namespace
}  // namespace kem
