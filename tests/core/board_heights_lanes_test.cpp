// The vector forms of height decoding and smoothing against the plain forms,
// bit for bit, at every vector level.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "board_grid.h"
#include "core/board_heights.h"
#include "core/vector_paths.h"

namespace kem {
namespace {

using test::Grid;
using test::GridOf;

constexpr VectorLevel kVectorLevels[] = {VectorLevel::kSse2, VectorLevel::kAvx2};

std::string LevelName(VectorLevel level) {
  return level == VectorLevel::kSse2 ? "SSE2" : "AVX2";
}

// Same bits, NaN payloads and signs of zero included.
bool SameBits(const std::vector<float>& a, const std::vector<float>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(float)) == 0;
}

// Runs `work` with the vector paths capped at `level`, then lifts the cap.
template <typename Work>
void AtLevel(VectorLevel level, Work work) {
  LimitVectorLevel(level);
  work();
  LimitVectorLevel(VectorLevel::kAvx2);
}

std::uint32_t NextRandom(std::uint32_t& state) {
  state = state * 1664525u + 1013904223u;
  return state >> 8;
}

TEST(BoardHeightLanes, SmoothingGivesThePlainBitsAtEveryLevel) {
  std::uint32_t state = 99;
  const float inf = std::numeric_limits<float>::infinity();
  auto edge = [](int v) { return v <= 1 || v >= 73; };
  const std::vector<std::pair<const char*, Grid>> grids = {
      {"rough",
       GridOf([&](int, int) { return static_cast<float>(NextRandom(state)) / 4096.0f - 2000.0f; })},
      // Every cell its own value: a lane reading a wrong neighbour shows.
      {"every cell different",
       GridOf([](int x, int y) { return static_cast<float>(x * 131 + y * 7919) + 0.3f; })},
      {"spikes along the interior's ends", GridOf([&](int x, int y) {
         return edge(x) || edge(y) ? static_cast<float>(NextRandom(state) % 9000) : 1.0f;
       })},
      // A board holds one kind of NaN: the processor's own, from infinities
      // that cancel, or a project's, which makes every height NaN. Where two
      // kinds meet, which one a sum keeps is the compiler's choice of operand
      // order, in the plain code as much as on lanes.
      {"infinities, overflow and the processor's NaN", GridOf([&](int, int) {
         const std::uint32_t r = NextRandom(state);
         const float pick[] = {-std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3e38f, -3e38f};
         return r % 7 == 0 ? pick[(r >> 4) % 5] : static_cast<float>(r % 1000);
       })},
      {"a project's NaN among finite heights", GridOf([&](int, int) {
         const std::uint32_t r = NextRandom(state);
         return r % 5 == 0 ? std::numeric_limits<float>::quiet_NaN() : static_cast<float>(r % 1000);
       })},
      {"subnormal", GridOf([&](int, int) {
         return static_cast<float>(NextRandom(state) % 64) *
                std::numeric_limits<float>::denorm_min();
       })},
  };
  for (const auto& [name, grid] : grids) {
    Grid plain = grid;
    AtLevel(VectorLevel::kPlain, [&] { SmoothHeights(plain.data()); });
    for (const VectorLevel level : kVectorLevels) {
      Grid lanes = grid;
      AtLevel(level, [&] { SmoothHeights(lanes.data()); });
      EXPECT_TRUE(SameBits(lanes, plain)) << name << ", " << LevelName(level);
    }
  }
}

}  // namespace
}  // namespace kem
