// The normal bytes of a board's vertices.
#include "core/board_normals.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <vector>

#include "board_grid.h"

namespace kem {
namespace {

using test::Grid;
using test::GridOf;

struct NormalCase {
  const char* name;
  std::function<float(int x, int y)> height;
  std::array<int, 3> interior;  // bytes 7, 8, 9
};

TEST(BoardNormals, MatchesKnownSlopes) {
  const std::vector<NormalCase> cases = {
      {"level", [](int, int) { return 42.0f; }, {0, 0, 127}},
      {"5 per column to the right",
       [](int x, int) { return 5.0f * static_cast<float>(x); },
       {0, -56, 113}},
      {"5 per row toward the top",
       [](int, int y) { return 5.0f * static_cast<float>(75 - y); },
       {-56, 0, 113}},
      {"10 per column to the right",
       [](int x, int) { return 10.0f * static_cast<float>(x); },
       {0, -89, 89}},
      {"10 per column to the left",
       [](int x, int) { return 10.0f * static_cast<float>(75 - x); },
       {0, 89, 89}},
  };
  for (const auto& c : cases) {
    const Grid grid = GridOf(c.height);
    // A uniform slope gives the same normal at corners and edges too.
    for (auto [x, y] : std::vector<std::pair<int, int>>{
             {1, 1}, {40, 30}, {74, 74}, {0, 0}, {75, 0}, {0, 75}, {75, 75}, {0, 40}, {40, 75}}) {
      const NormalBytes n = VertexNormal(grid.data(), x, y);
      EXPECT_EQ((std::array<int, 3>{n.top, n.right, n.up}), c.interior)
          << c.name << " at " << x << "," << y;
    }
  }
}

TEST(BoardNormals, UsesOnlyTheFacetsPresentAtACorner) {
  // At (0, 0) only the bottom-right facet exists: a drop to the right of 10
  // and nothing below gives (100, 0, 100) normalised.
  Grid grid = GridOf([](int, int) { return 0.0f; });
  grid[GridIndex(1, 0)] = -10.0f;
  const NormalBytes n = VertexNormal(grid.data(), 0, 0);
  EXPECT_EQ(n.right, 89);
  EXPECT_EQ(n.top, 0);
  EXPECT_EQ(n.up, 89);
}

TEST(BoardNormals, AddsUnitFacetsNotRawOnes) {
  // Left neighbour 100 above, right neighbour level: two steep facets and two
  // flat ones. Unit facets: (0.995.., 0, 0.0995..) twice plus (0, 0, 1) twice.
  Grid grid = GridOf([](int, int) { return 0.0f; });
  grid[GridIndex(39, 40)] = 100.0f;
  const double steep = std::sqrt(1000.0 * 1000.0 + 100.0 * 100.0);
  const double sx = 2 * 1000.0 / steep;
  const double sz = 2 * 100.0 / steep + 2.0;
  const double length = std::sqrt(sx * sx + sz * sz);
  const NormalBytes n = VertexNormal(grid.data(), 40, 40);
  EXPECT_EQ(n.right, static_cast<int>(sx / length * 127.0));
  EXPECT_EQ(n.up, static_cast<int>(sz / length * 127.0));
  EXPECT_EQ(n.top, 0);
}

TEST(BoardNormals, BoardWideAgreesWithVertexNormalEverywhere) {
  // Rough terrain, so that the rounding of every step matters.
  std::uint32_t state = 12345;
  Grid grid = GridOf([&state](int, int) {
    state = state * 1664525u + 1013904223u;
    return static_cast<float>(state >> 8) / 65536.0f - 100.0f;
  });
  BoardNormals normals;
  ComputeBoardNormals(grid.data(), normals);
  for (int y = 0; y < 76; ++y) {
    for (int x = 0; x < 76; ++x) {
      const NormalBytes n = VertexNormal(grid.data(), x, y);
      const int at = GridIndex(x, y);
      ASSERT_EQ((std::array<int, 3>{normals.top[at], normals.right[at], normals.up[at]}),
                (std::array<int, 3>{n.top, n.right, n.up}))
          << x << "," << y;
    }
  }
}

// Heights that are not numbers make NaN normals, stored as the low byte of the
// indefinite integer of an x86 truncation: 0, 0, 0, as layouts always held.
TEST(BoardNormals, NonFiniteHeightsGiveZeroBytes) {
  for (const float height :
       {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
        -std::numeric_limits<float>::infinity()}) {
    const Grid grid = GridOf([&](int, int) { return height; });
    BoardNormals normals;
    ComputeBoardNormals(grid.data(), normals);
    for (const int at : {GridIndex(0, 0), GridIndex(40, 40), GridIndex(75, 75)}) {
      EXPECT_EQ(normals.top[at], 0) << height;
      EXPECT_EQ(normals.right[at], 0) << height;
      EXPECT_EQ(normals.up[at], 0) << height;
    }
    const NormalBytes corner = VertexNormal(grid.data(), 0, 75);
    EXPECT_EQ(corner.top | corner.right | corner.up, 0) << height;
  }
}

}  // namespace
}  // namespace kem
