// The vector forms of the board height work, for board_heights.cpp, and what
// they share with the plain forms there.
#pragma once

#include "core/vector_paths.h"

namespace kem {

// The smoothing multiplies each 3 x 3 sum by the nearest 32-bit float to 1/9
// (not a division by 9).
inline constexpr double kSmoothingNinth = static_cast<double>(0.11111111f);

// Runs the interior pass of SmoothHeights on a 76 x 76 grid (GridIndex layout)
// in place, with the plain pass's bits. Null when `level` has no vector form.
using InteriorSmoothingKernel = void (*)(float* grid);
InteriorSmoothingKernel InteriorSmoothingKernelFor(VectorLevel level);

}  // namespace kem
