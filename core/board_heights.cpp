#include "core/board_heights.h"

#include "core/colour.h"

namespace kem {

namespace {

constexpr int kLast = kWindowSide - 1;  // 75

// The nearest 32-bit float to 1/9, used as a multiplier (not a division).
constexpr double kNinth = static_cast<double>(0.11111111f);

}  // namespace

void DecodeHeights(const TerrainJob& job, const std::uint8_t* window, float* heights) {
  DecodeHeightRun(job, window, kWindowPixels, heights);
}

void SmoothHeights(float* grid) {
  auto h = [grid](int x, int y) -> float& { return grid[GridIndex(x, y)]; };
  // Interior, from the bottom row of the window upward, reading in place.
  for (int y = kLast - 1; y >= 1; --y) {
    for (int x = 1; x < kLast; ++x) {
      double sum = h(x + 1, y - 1);
      sum += h(x, y - 1);
      sum += h(x - 1, y - 1);
      sum += h(x + 1, y);
      sum += h(x - 1, y);
      sum += h(x + 1, y + 1);
      sum += h(x - 1, y + 1);
      sum += h(x, y + 1);
      sum += h(x, y);
      h(x, y) = static_cast<float>(sum * kNinth);
    }
  }
  // Left and right sides, leaving the two top cells of each.
  for (int y = kLast - 1; y >= 2; --y) {
    h(0, y) = static_cast<float>((static_cast<double>(h(1, y)) + h(0, y)) * 0.5);
    h(kLast, y) = static_cast<float>((static_cast<double>(h(kLast - 1, y)) + h(kLast, y)) * 0.5);
  }
  // Bottom and top rows, column 75 excepted.
  for (int x = 0; x < kLast; ++x) {
    h(x, kLast) = static_cast<float>((static_cast<double>(h(x, kLast - 1)) + h(x, kLast)) * 0.5);
    h(x, 0) = static_cast<float>((static_cast<double>(h(x, 1)) + h(x, 0)) * 0.5);
  }
}

}  // namespace kem
