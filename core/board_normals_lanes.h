// The vector forms of the interior normal rows, for board_normals.cpp.
#pragma once

#include <cstdint>

#include "core/vector_paths.h"

namespace kem {

// Computes the normals of interior row vertices 1, 2, ... (the row, the rows
// above and below it, and the three output rows all start at column 0) as
// far as whole groups of lanes reach before column 75, and returns the first
// column left to the plain code. Null when `level` has no vector form here.
using NormalRowKernel = int (*)(const float* row, const float* above, const float* below,
                                std::int8_t* top, std::int8_t* right, std::int8_t* up);
NormalRowKernel NormalRowKernelFor(VectorLevel level);

}  // namespace kem
