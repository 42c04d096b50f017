#include "core/board_normals.h"

#include <cmath>

#include "core/board_lanes.h"
#include "core/float_conversion.h"

namespace kem {

namespace {

constexpr int kLast = kWindowSide - 1;  // 75

// Vertices stand 10 units apart; the facet normal's vertical part is 10 x 10.
constexpr double kSpacing = 10.0;
constexpr double kFacetUp = 100.0;
constexpr double kNormalScale = 127.0;

struct Vector3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// Adds the facet vector (x, y, z) scaled to unit length.
inline void AddUnit(Vector3& sum, double x, double y, double z) {
  const double length = std::sqrt(x * x + y * y + z * z);
  sum.x += x / length;
  sum.y += y / length;
  sum.z += z / length;
}

inline std::int8_t NormalByte(double component) {
  return static_cast<std::int8_t>(TruncateToInt32(component * kNormalScale));
}

// Facet vectors of vertex P from the height differences dN = h(N) - h(P) of
// its left, right, top and bottom neighbours; the sum of their unit vectors,
// scaled to unit length, is the normal.
inline NormalBytes NormalOfFacets(bool left, bool right, bool top, bool bottom, double dL,
                                  double dR, double dT, double dB) {
  Vector3 sum;
  if (left && bottom) {
    AddUnit(sum, kSpacing * dL, kSpacing * dB, kFacetUp);
  }
  if (bottom && right) {
    AddUnit(sum, -kSpacing * dR, kSpacing * dB, kFacetUp);
  }
  if (right && top) {
    AddUnit(sum, -kSpacing * dR, -kSpacing * dT, kFacetUp);
  }
  if (top && left) {
    AddUnit(sum, kSpacing * dL, -kSpacing * dT, kFacetUp);
  }
  const double length = std::sqrt(sum.x * sum.x + sum.y * sum.y + sum.z * sum.z);
  return {NormalByte(sum.y / length), NormalByte(sum.x / length), NormalByte(sum.z / length)};
}

inline NormalBytes ComputeNormal(const float* grid, int x, int y) {
  const double here = grid[GridIndex(x, y)];
  const bool left = x > 0;
  const bool right = x < kLast;
  const bool top = y > 0;
  const bool bottom = y < kLast;
  return NormalOfFacets(left, right, top, bottom, left ? grid[GridIndex(x - 1, y)] - here : 0.0,
                        right ? grid[GridIndex(x + 1, y)] - here : 0.0,
                        top ? grid[GridIndex(x, y - 1)] - here : 0.0,
                        bottom ? grid[GridIndex(x, y + 1)] - here : 0.0);
}

}  // namespace

// The interior rows have all four facets and neighbours side by side in
// memory, so they run branch-free, on vector lanes where the processor has
// them (IEEE division and square root give the same bits either way); the
// plain loop finishes what the lanes leave. The border goes through the
// general rule.
void ComputeBoardNormals(const float* grid, BoardNormals& normals) {
  const NormalRowKernel lanes = NormalRowKernelFor(ActiveVectorLevel());
  for (int y = 1; y < kLast; ++y) {
    const int start = GridIndex(0, y);
    const float* row = grid + start;
    const float* above = grid + GridIndex(0, y - 1);
    const float* below = grid + GridIndex(0, y + 1);
    std::int8_t* top = normals.top.data() + start;
    std::int8_t* right = normals.right.data() + start;
    std::int8_t* up = normals.up.data() + start;
    int x = lanes != nullptr ? lanes(row, above, below, top, right, up) : 1;
    for (; x < kLast; ++x) {
      const double here = row[x];
      const NormalBytes n = NormalOfFacets(true, true, true, true, row[x - 1] - here,
                                           row[x + 1] - here, above[x] - here, below[x] - here);
      top[x] = n.top;
      right[x] = n.right;
      up[x] = n.up;
    }
  }
  auto border = [&](int x, int y) {
    const NormalBytes n = ComputeNormal(grid, x, y);
    const int at = GridIndex(x, y);
    normals.top[at] = n.top;
    normals.right[at] = n.right;
    normals.up[at] = n.up;
  };
  for (int i = 0; i < kWindowSide; ++i) {
    border(i, 0);
    border(i, kLast);
    border(0, i);
    border(kLast, i);
  }
}

NormalBytes VertexNormal(const float* grid, int x, int y) {
  return ComputeNormal(grid, x, y);
}

}  // namespace kem
