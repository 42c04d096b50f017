// The vector forms of the board arithmetic: height decoding and smoothing for
// board_heights.cpp, the interior normal rows for board_normals.cpp, and what
// they share with the plain forms there. Each gives the plain form's bits.
#pragma once

#include <cstdint>

#include "core/project_settings.h"
#include "core/vector_paths.h"

namespace kem {

// Decodes pixels 0, 1, ... of a run of `count` window pixels (blue, green, red
// bytes) into heights, code x scale + base rounded to float as DecodeHeight
// does, as far as whole groups of lanes reach without reading past the run;
// returns the first pixel left to the plain code. Null when `level` has no
// vector form or the format is unknown.
using HeightDecodeKernel = int (*)(const std::uint8_t* pixels, int count, double scale, double base,
                                   float* heights);
HeightDecodeKernel HeightDecodeKernelFor(VectorLevel level, DataFormat dataFormat);

// The smoothing multiplies each 3 x 3 sum by the nearest 32-bit float to 1/9
// (not a division by 9).
inline constexpr double kSmoothingNinth = static_cast<double>(0.11111111f);

// Runs the interior pass of SmoothHeights on a 76 x 76 grid (GridIndex layout)
// in place. Null when `level` has no vector form.
using InteriorSmoothingKernel = void (*)(float* grid);
InteriorSmoothingKernel InteriorSmoothingKernelFor(VectorLevel level);

// Computes the normals of interior row vertices 1, 2, ... (the row, the rows
// above and below it, and the three output rows all start at column 0) as
// far as whole groups of lanes reach before column 75, and returns the first
// column left to the plain code. Null when `level` has no vector form.
using NormalRowKernel = int (*)(const float* row, const float* above, const float* below,
                                std::int8_t* top, std::int8_t* right, std::int8_t* up);
NormalRowKernel NormalRowKernelFor(VectorLevel level);

}  // namespace kem
