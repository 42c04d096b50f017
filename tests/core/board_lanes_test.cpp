// The vector forms of height decoding and smoothing against the plain forms,
// bit for bit, at every vector level.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "board_grid.h"
#include "core/board_heights.h"
#include "core/board_lanes.h"
#include "core/colour.h"
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

// Colours where the decodings branch: black, white and greys; the six pure
// hues at full and at the lowest brightness; ties between the two largest
// channels; hues just either side of 0 (360) and of the chroma bands; the
// brightest channel either side of the chroma centre 136.
const std::vector<std::array<int, 3>> kEdgeColours = {
    {0, 0, 0},       {255, 255, 255}, {1, 1, 1},     {136, 136, 136}, {255, 0, 0},
    {255, 255, 0},   {0, 255, 0},     {0, 255, 255}, {0, 0, 255},     {255, 0, 255},
    {1, 0, 0},       {1, 1, 0},       {0, 1, 0},     {0, 1, 1},       {0, 0, 1},
    {1, 0, 1},       {255, 0, 1},     {255, 1, 0},   {254, 255, 255}, {255, 254, 254},
    {135, 0, 0},     {137, 0, 0},     {136, 0, 136}, {135, 135, 0},   {255, 128, 0},
    {128, 255, 255}, {255, 255, 254}, {0, 7, 5},     {200, 100, 200}, {17, 34, 17},
};

// A window of the edge colours, then an even sweep through the colour cube.
std::vector<std::uint8_t> EdgeWindow() {
  std::vector<std::uint8_t> window;
  auto add = [&window](int red, int green, int blue) {
    window.insert(window.end(), {static_cast<std::uint8_t>(blue), static_cast<std::uint8_t>(green),
                                 static_cast<std::uint8_t>(red)});
  };
  for (const auto& [red, green, blue] : kEdgeColours) {
    add(red, green, blue);
  }
  for (int i = 0; window.size() < kWindowBytes; ++i) {
    add(i * 13 % 256, i / 20 * 13 % 256, i / 400 * 13 % 256);
  }
  return window;
}

// Scales and bases from the projects a user can write: ordinary, flat, whose
// heights overflow a float, infinite and NaN.
struct HeightRange {
  const char* name;
  float scale;
  float base;
};
const float kInf = std::numeric_limits<float>::infinity();
const float kNaN = std::numeric_limits<float>::quiet_NaN();
const std::vector<HeightRange> kHeightRanges = {
    {"ordinary", 0.5f, -100.0f},    {"flat", 0.0f, 250.25f},         {"overflowing", 3e38f, -3e38f},
    {"infinite scale", kInf, 0.0f}, {"minus infinite", -kInf, 5.0f}, {"NaN scale", kNaN, 1.0f},
    {"NaN base", 1.0f, kNaN},
};

TEST(BoardHeightLanes, DecodingGivesThePlainBitsForEveryFormat) {
  const auto window = EdgeWindow();
  for (DataFormat format = kSpectrumColours; format <= k24BitHeightCoding; ++format) {
    for (const HeightRange& range : kHeightRanges) {
      TerrainJob job;
      job.dataFormat = format;
      job.heightScale = range.scale;
      job.baseHeight = range.base;
      std::vector<float> plain(kWindowPixels);
      AtLevel(VectorLevel::kPlain, [&] { DecodeHeights(job, window.data(), plain.data()); });
      for (const VectorLevel level : kVectorLevels) {
        std::vector<float> lanes(kWindowPixels);
        AtLevel(level, [&] { DecodeHeights(job, window.data(), lanes.data()); });
        EXPECT_TRUE(SameBits(lanes, plain))
            << "format " << format << ", " << range.name << ", " << LevelName(level);
      }
    }
  }
}

// The lanes never read past a run (the sanitizer build sees every byte) nor
// write past the pixels they say they did, and those are DecodeHeight's.
TEST(BoardHeightLanes, DecodingStopsWithinTheRunItWasGiven) {
  TerrainJob job;
  job.heightScale = 0.75f;
  job.baseHeight = 3.0f;
  const float untouched = -12345.0f;
  for (const VectorLevel level : kVectorLevels) {
    for (DataFormat format = kSpectrumColours; format <= k24BitHeightCoding; ++format) {
      job.dataFormat = format;
      AtLevel(level, [&] {
        const HeightDecodeKernel lanes = HeightDecodeKernelFor(ActiveVectorLevel(), format);
        ASSERT_NE(lanes, nullptr);
        for (int count = 0; count <= 13; ++count) {
          std::vector<std::uint8_t> run(kWindowPixelBytes * count);
          for (std::size_t i = 0; i < run.size(); ++i) {
            run[i] = static_cast<std::uint8_t>(i * 89 + 7);
          }
          std::vector<float> heights(count, untouched);
          const int done =
              lanes(run.data(), count, job.heightScale, job.baseHeight, heights.data());
          ASSERT_GE(done, 0);
          ASSERT_LE(done, count);
          for (int i = 0; i < count; ++i) {
            const float expected =
                i < done ? DecodeHeight(job, run.data() + kWindowPixelBytes * i) : untouched;
            EXPECT_EQ(heights[i], expected) << "format " << format << ", " << count
                                            << " pixels, pixel " << i << ", " << LevelName(level);
          }
        }
      });
    }
  }
}

}  // namespace
}  // namespace kem
