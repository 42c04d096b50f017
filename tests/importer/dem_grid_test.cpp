// Grid size, spacing, placement and the interpolation passes.
#include "importer/dem_grid.h"

#include <gtest/gtest.h>
#include <ostream>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace kem {
namespace {

DemExtents Extents(float minX, float maxX, float minY, float maxY) {
  DemExtents extents;
  extents.minX = minX;
  extents.maxX = maxX;
  extents.minY = minY;
  extents.maxY = maxY;
  return extents;
}

struct SizeCase {
  float low;
  float high;
  std::int64_t side;  // -1: too large
};

void PrintTo(const SizeCase& c, std::ostream* os) {
  *os << c.low << " to " << c.high;
}

class DemGridSizeSide : public ::testing::TestWithParam<SizeCase> {};

TEST_P(DemGridSizeSide, TruncatesTheExtentAtATenthPlusOne) {
  GridSize size;
  const bool fits = ComputeGridSize(Extents(GetParam().low, GetParam().high, 0.0f, 0.0f), size);
  EXPECT_EQ(fits, GetParam().side >= 0);
  if (fits) {
    EXPECT_EQ(size.cols, GetParam().side);
    EXPECT_EQ(size.rows, 1);
  }
  // The same rule for rows.
  const bool rowsFit = ComputeGridSize(Extents(0.0f, 0.0f, GetParam().low, GetParam().high), size);
  EXPECT_EQ(rowsFit, fits);
  if (rowsFit) {
    EXPECT_EQ(size.rows, GetParam().side);
  }
}

constexpr float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(Sides, DemGridSizeSide,
                         ::testing::Values(SizeCase{0, 0, 1}, SizeCase{0, 9.9f, 1},
                                           SizeCase{0, 10, 2}, SizeCase{0, 20, 3},
                                           SizeCase{-25, 5, 4}, SizeCase{0, 655340, 65535},
                                           SizeCase{0, 655349, 65535}, SizeCase{0, 655350, -1},
                                           SizeCase{-1e30f, 1e30f, -1}, SizeCase{0, kInf, -1},
                                           SizeCase{kInf, kInf, -1}, SizeCase{-kInf, kInf, -1}));

// The reference: the extended product, truncated.
std::int64_t ExtendedTenths(float low, float high) {
  return static_cast<std::int64_t>((static_cast<long double>(high) - low) *
                                   static_cast<long double>(0.1f));
}

TEST(DemGrid, TruncatesTheExtendedProduct) {
  EXPECT_EQ(TenthsBetween(0, 0), 0);
  EXPECT_EQ(TenthsBetween(0, 9.99f), 0);
  EXPECT_EQ(TenthsBetween(0, 10), 1);
  EXPECT_EQ(TenthsBetween(400000, 5619990), 521999);
  EXPECT_EQ(TenthsBetween(-kInf, kInf), -1);
  EXPECT_EQ(TenthsBetween(0, 1e30f), -1);
  std::mt19937 random(7);
  std::uniform_real_distribution<float> origin(-1e6f, 1e6f);
  std::uniform_int_distribution<int> cells(0, 65534);
  std::uniform_int_distribution<int> nudge(-3, 3);
  for (int i = 0; i < 200000; ++i) {
    // Points on and next to grid lines 10 units apart, where truncation turns.
    const float low = std::round(origin(random));
    float high = low + 10.0f * static_cast<float>(cells(random));
    for (int step = nudge(random); step != 0; step += step > 0 ? -1 : 1) {
      high = std::nextafter(high, step > 0 ? kInf : -kInf);
    }
    if (high < low) {
      continue;
    }
    ASSERT_EQ(TenthsBetween(low, high), ExtendedTenths(low, high)) << low << " " << high;
  }
}

TEST(DemGrid, TruncatesTheFirstChangeTowardZero) {
  EXPECT_EQ(SpacingOf(20.0f, 0.0f), 20);
  EXPECT_EQ(SpacingOf(0.0f, 20.0f), -20);
  EXPECT_EQ(SpacingOf(10.9f, 0.0f), 10);
  EXPECT_EQ(SpacingOf(-0.9f, 0.0f), 0);
  EXPECT_EQ(SpacingOf(100.5f, 130.0f), -29);
}

TEST(DemGrid, StaysInTheThirtyTwoBitRange) {
  EXPECT_EQ(SpacingOf(1e30f, -1e30f), std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(SpacingOf(-1e30f, 0.0f), -std::numeric_limits<std::int32_t>::max());
  EXPECT_EQ(SpacingOf(kInf, kInf), 0);
  EXPECT_EQ(SpacingOf(kInf, 0.0f), std::numeric_limits<std::int32_t>::max());
}

TEST(DemGrid, UsesTheMagnitudeOfTheSpacing) {
  EXPECT_EQ(GridStep(20), 2);
  EXPECT_EQ(GridStep(-20), 2);
  EXPECT_EQ(GridStep(-35), 3);
  EXPECT_EQ(GridStep(10), 1);
  EXPECT_EQ(GridStep(5), 0);
  EXPECT_EQ(GridStep(0), 0);
  EXPECT_EQ(GridStep(-std::numeric_limits<std::int32_t>::max()), 214748364);
}

TEST(DemGrid, KeepsFileOrderThroughManyDoublings) {
  DemPointArray points;
  for (int i = 0; i < 100000; ++i) {
    ASSERT_TRUE(points.Append({static_cast<float>(i), 1.0f, 2.0f}));
  }
  ASSERT_EQ(points.Count(), 100000u);
  float expected = 0.0f;
  for (const DemPoint& point : points) {
    ASSERT_EQ(point.x, expected);
    expected += 1.0f;
  }
  points.Release();
  EXPECT_EQ(points.Count(), 0u);
}

TEST(DemGrid, TakesTheTrueSmallestAndLargest) {
  DemExtents extents;
  extents.Include({5, -3, 0}, true);
  extents.Include({-7, 4, 0}, false);
  extents.Include({2, 1, 0}, false);
  EXPECT_EQ(extents.minX, -7);
  EXPECT_EQ(extents.maxX, 5);
  EXPECT_EQ(extents.minY, -3);
  EXPECT_EQ(extents.maxY, 4);
}

// A grid holding `values` row by row.
HeightGrid Grid(std::int64_t cols, std::int64_t rows, const std::vector<float>& values) {
  HeightGrid grid;
  EXPECT_TRUE(grid.Allocate({cols, rows}));
  const DemExtents extents =
      Extents(0, static_cast<float>((cols - 1) * 10), 0, static_cast<float>((rows - 1) * 10));
  for (std::int64_t row = 0; row < rows; ++row) {
    for (std::int64_t col = 0; col < cols; ++col) {
      const float value = values[row * cols + col];
      if (value != 0.0f) {
        grid.Place({static_cast<float>(col * 10), static_cast<float>((rows - 1 - row) * 10), value},
                   extents);
      }
    }
  }
  return grid;
}

std::vector<float> Cells(const HeightGrid& grid) {
  std::vector<float> cells;
  for (std::int64_t row = 0; row < grid.Rows(); ++row) {
    for (std::int64_t col = 0; col < grid.Cols(); ++col) {
      cells.push_back(grid.At(row, col));
    }
  }
  return cells;
}

TEST(DemGrid, StartsAtZeroAndPlacesNorthWestFirst) {
  HeightGrid grid;
  ASSERT_TRUE(grid.Allocate({3, 2}));
  EXPECT_EQ(Cells(grid), std::vector<float>(6, 0.0f));
  const DemExtents extents = Extents(100, 120, 50, 60);
  grid.Place({100, 60, 1}, extents);  // north-west corner
  grid.Place({120, 50, 2}, extents);  // south-east corner
  grid.Place({110, 50, 3}, extents);
  grid.Place({110, 50, 4}, extents);  // the later point replaces the earlier
  EXPECT_EQ(Cells(grid), (std::vector<float>{1, 0, 0, 0, 4, 2}));
}

TEST(DemGrid, RefusesAByteSizeThatCannotBeRepresented) {
  HeightGrid grid;
  const auto huge = std::numeric_limits<std::int64_t>::max() / 2;
  EXPECT_FALSE(grid.Allocate({huge, huge}));
  EXPECT_FALSE(grid.Allocate({0, 5}));
}

TEST(DemGrid, RowPassLeavesCellsAfterTheLastFullInterval) {
  // 6 columns with n 2: intervals 0-2 and 2-4; column 5 is beyond the last.
  HeightGrid grid = Grid(6, 1, {10, 0, 20, 0, 40, 7});
  std::vector<std::pair<std::int64_t, std::int64_t>> calls;
  ASSERT_TRUE(grid.InterpolateRows(2, [&](std::int64_t sr, std::int64_t scEnd) {
    calls.emplace_back(sr, scEnd);
    return true;
  }));
  EXPECT_EQ(Cells(grid), (std::vector<float>{10, 15, 20, 30, 40, 7}));
  EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 4}}));
}

TEST(DemGrid, RowPassWalksOnlySampleRows) {
  HeightGrid grid = Grid(4, 4, {0, 0, 0, 9, 1, 0, 5, 0, 0, 0, 0, 0, 3, 0, 6, 0});
  std::vector<std::pair<std::int64_t, std::int64_t>> calls;
  ASSERT_TRUE(grid.InterpolateRows(2, [&](std::int64_t sr, std::int64_t scEnd) {
    calls.emplace_back(sr, scEnd);
    return true;
  }));
  // Rows 0 and 2 are sample rows; row 1 and 3 stay as placed.
  EXPECT_EQ(Cells(grid), (std::vector<float>{0, 0, 0, 9, 1, 0, 5, 0, 0, 0, 0, 0, 3, 0, 6, 0}));
  EXPECT_EQ(calls, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 2}, {2, 2}}));
}

TEST(DemGrid, WeightsAreDoubleQuotientsStoredAsFloat) {
  HeightGrid grid = Grid(4, 1, {1, 0, 0, 2});
  ASSERT_TRUE(grid.InterpolateRows(3, [](std::int64_t, std::int64_t) { return true; }));
  EXPECT_EQ(grid.At(0, 1), static_cast<float>(1.0 + (1.0 / 3.0) * (2.0 - 1.0)));
  EXPECT_EQ(grid.At(0, 2), static_cast<float>(1.0 + (2.0 / 3.0) * (2.0 - 1.0)));
}

TEST(DemGrid, ColumnPassFillsEveryColumnInOrder) {
  // 40 columns cover more than one block of columns filled together.
  const std::int64_t cols = 40;
  std::vector<float> values(cols * 5, 0.0f);
  for (std::int64_t col = 0; col < cols; ++col) {
    values[col] = static_cast<float>(col);                 // row 0
    values[2 * cols + col] = static_cast<float>(col + 4);  // row 2
    values[4 * cols + col] = static_cast<float>(2 * col);  // row 4
  }
  HeightGrid grid = Grid(cols, 5, values);
  std::vector<std::pair<std::int64_t, std::int64_t>> calls;
  ASSERT_TRUE(grid.InterpolateColumns(2, [&](std::int64_t col, std::int64_t srEnd) {
    calls.emplace_back(col, srEnd);
    return true;
  }));
  ASSERT_EQ(calls.size(), static_cast<std::size_t>(cols));
  for (std::int64_t col = 0; col < cols; ++col) {
    EXPECT_EQ(calls[col], std::make_pair(col, std::int64_t{4}));
    EXPECT_EQ(grid.At(1, col), static_cast<float>(col + 2));
    EXPECT_EQ(grid.At(3, col), static_cast<float>((col + 4 + 2 * col) / 2.0));
  }
}

TEST(DemGrid, ColumnPassStopsWhenTold) {
  HeightGrid grid = Grid(20, 3, std::vector<float>(60, 1.0f));
  int calls = 0;
  EXPECT_FALSE(grid.InterpolateColumns(2, [&](std::int64_t col, std::int64_t) {
    ++calls;
    return col < 4;
  }));
  EXPECT_EQ(calls, 5);
}

TEST(DemGrid, PassesReportTheWalkEndWhenThereIsNoFullInterval) {
  HeightGrid grid = Grid(2, 2, {1, 2, 3, 4});
  std::vector<std::pair<std::int64_t, std::int64_t>> rows;
  std::vector<std::pair<std::int64_t, std::int64_t>> cols;
  ASSERT_TRUE(grid.InterpolateRows(3, [&](std::int64_t sr, std::int64_t scEnd) {
    rows.emplace_back(sr, scEnd);
    return true;
  }));
  ASSERT_TRUE(grid.InterpolateColumns(3, [&](std::int64_t col, std::int64_t srEnd) {
    cols.emplace_back(col, srEnd);
    return true;
  }));
  EXPECT_EQ(rows, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 0}}));
  EXPECT_EQ(cols, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 0}, {1, 0}}));
  EXPECT_EQ(Cells(grid), (std::vector<float>{1, 2, 3, 4}));
}

struct StepCase {
  std::int64_t cols;
  std::int64_t rows;
  std::int64_t n;
};

class DemGridStep : public ::testing::TestWithParam<StepCase> {};

// A grid that keeps only the samples and the cells after the last ones
// reads, cell for cell and bit for bit, like the full grid after both passes,
// and its passes report alike.
TEST_P(DemGridStep, ReadsLikeTheFullGridAfterBothPasses) {
  const StepCase& param = GetParam();
  HeightGrid full;
  HeightGrid sampled;
  ASSERT_TRUE(full.Allocate({param.cols, param.rows}));
  ASSERT_TRUE(sampled.Allocate({param.cols, param.rows}, param.n));
  const DemExtents extents = Extents(0, static_cast<float>((param.cols - 1) * 10), 0,
                                     static_cast<float>((param.rows - 1) * 10));
  std::mt19937 random(static_cast<std::uint32_t>(param.cols * 1000 + param.rows * 10 + param.n));
  std::uniform_int_distribution<std::int64_t> col(0, param.cols - 1);
  std::uniform_int_distribution<std::int64_t> row(0, param.rows - 1);
  std::uniform_real_distribution<float> height(-1000.0f, 9000.0f);
  // More points than cells: most cells are hit, many more than once, in
  // every kind of row.
  for (std::int64_t i = 0; i < 3 * param.cols * param.rows; ++i) {
    const DemPoint point{static_cast<float>(col(random) * 10), static_cast<float>(row(random) * 10),
                         height(random)};
    full.Place(point, extents);
    sampled.Place(point, extents);
  }
  using Calls = std::vector<std::pair<std::int64_t, std::int64_t>>;
  const auto run = [&](HeightGrid& grid, Calls& calls) {
    const auto record = [&](std::int64_t at, std::int64_t end) {
      calls.emplace_back(at, end);
      return true;
    };
    ASSERT_TRUE(grid.InterpolateRows(param.n, record));
    ASSERT_TRUE(grid.InterpolateColumns(param.n, record));
  };
  Calls fullCalls;
  Calls sampledCalls;
  run(full, fullCalls);
  run(sampled, sampledCalls);
  EXPECT_EQ(sampledCalls, fullCalls);
  // The reader in order, as the height map is written, and backwards.
  HeightRowReader reader(sampled);
  for (std::int64_t pass = 0; pass < 2; ++pass) {
    for (std::int64_t i = 0; i < param.rows; ++i) {
      const std::int64_t r = pass == 0 ? i : param.rows - 1 - i;
      const float* cells = reader.Row(r);
      for (std::int64_t c = 0; c < param.cols; ++c) {
        ASSERT_EQ(std::bit_cast<std::uint32_t>(cells[c]),
                  std::bit_cast<std::uint32_t>(full.At(r, c)))
            << "row " << r << " column " << c << " pass " << pass;
      }
    }
  }
  for (std::int64_t r = 0; r < param.rows; ++r) {
    for (std::int64_t c = 0; c < param.cols; ++c) {
      ASSERT_EQ(std::bit_cast<std::uint32_t>(sampled.At(r, c)),
                std::bit_cast<std::uint32_t>(full.At(r, c)))
          << "row " << r << " column " << c;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Sizes, DemGridStep,
                         ::testing::Values(StepCase{7, 11, 2}, StepCase{10, 10, 3},
                                           StepCase{5, 4, 3},  // one interval, no rows after it
                                           StepCase{5, 5, 3},  // one row after the last sample row
                                           StepCase{6, 9, 4},  // three rows after it
                                           StepCase{1, 7, 3},  // narrower than the step
                                           StepCase{9, 2, 3},  // lower than the step: no interval
                                           StepCase{4, 1, 2}, StepCase{3, 9, 5},
                                           StepCase{17, 23, 4}, StepCase{40, 41, 7},
                                           StepCase{33, 31, 2}),
                         [](const ::testing::TestParamInfo<StepCase>& info) {
                           return std::to_string(info.param.cols) + "x" +
                                  std::to_string(info.param.rows) + "_step" +
                                  std::to_string(info.param.n);
                         });

TEST(DemGrid, StepDropsPointsBetweenSampleRowsAndKeepsThoseAfterTheLast) {
  // Step 2 over 4 rows: sample rows 0 and 2, row 1 between them, row 3
  // after the last sample row.
  HeightGrid grid;
  ASSERT_TRUE(grid.Allocate({2, 4}, 2));
  const DemExtents extents = Extents(0, 10, 0, 30);
  grid.Place({0, 30, 4}, extents);   // row 0
  grid.Place({0, 20, 99}, extents);  // row 1, between samples: dropped
  grid.Place({0, 10, 8}, extents);   // row 2
  grid.Place({10, 0, 5}, extents);   // row 3, after the last sample row
  grid.Place({10, 0, 6}, extents);   // the later point replaces the earlier
  EXPECT_EQ(grid.At(1, 0), 6.0f);
  EXPECT_EQ(grid.At(1, 1), 0.0f);
  EXPECT_EQ(grid.At(3, 0), 0.0f);
  EXPECT_EQ(grid.At(3, 1), 6.0f);
  EXPECT_EQ(grid.CellCount(), 8u);
}

TEST(DemGrid, StepDropsPointsBetweenSampleColumnsAndKeepsThoseAfterTheLast) {
  // Step 2 over 4 columns: sample columns 0 and 2, column 1 between them,
  // column 3 after the last sample column.
  HeightGrid grid;
  ASSERT_TRUE(grid.Allocate({4, 1}, 2));
  const DemExtents extents = Extents(0, 30, 0, 0);
  grid.Place({0, 0, 4}, extents);
  grid.Place({10, 0, 99}, extents);  // between samples: dropped
  grid.Place({20, 0, 8}, extents);
  grid.Place({30, 0, 5}, extents);  // after the last sample column
  EXPECT_EQ(grid.At(0, 0), 4.0f);
  EXPECT_EQ(grid.At(0, 1), 6.0f);
  EXPECT_EQ(grid.At(0, 2), 8.0f);
  EXPECT_EQ(grid.At(0, 3), 5.0f);
}

}  // namespace
}  // namespace kem
