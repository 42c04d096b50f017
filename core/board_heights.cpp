#include "core/board_heights.h"

#include "core/board_lanes.h"
#include "core/colour.h"

namespace kem {

namespace {

constexpr int kLast = kWindowSide - 1;  // 75

// Rows from the bottom of the window upward, each from the left, reading in
// place: the left neighbour and the row below are already smoothed.
void SmoothInterior(float* grid) {
  auto h = [grid](int x, int y) -> float& { return grid[GridIndex(x, y)]; };
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
      h(x, y) = static_cast<float>(sum * kSmoothingNinth);
    }
  }
}

}  // namespace

// On vector lanes where the processor has them, the plain code finishing the
// pixels the lanes leave: the same bits either way.
void DecodeHeights(const TerrainJob& job, const std::uint8_t* window, float* heights) {
  const HeightDecodeKernel lanes = HeightDecodeKernelFor(ActiveVectorLevel(), job.dataFormat);
  const int done =
      lanes != nullptr ? lanes(window, kWindowPixels, job.heightScale, job.baseHeight, heights) : 0;
  DecodeHeightRun(job, window + kWindowPixelBytes * done, kWindowPixels - done, heights + done);
}

void SmoothHeights(float* grid) {
  // The interior on vector lanes where the processor has them: the same bits.
  const InteriorSmoothingKernel lanes = InteriorSmoothingKernelFor(ActiveVectorLevel());
  if (lanes != nullptr) {
    lanes(grid);
  } else {
    SmoothInterior(grid);
  }
  auto h = [grid](int x, int y) -> float& { return grid[GridIndex(x, y)]; };
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
