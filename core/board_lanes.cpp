// Every vector kernel of the board arithmetic, compiled once per lane set.
#include "core/board_lanes.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "core/colour_scales.h"
#include "core/targa_source.h"
#include "core/vector_lanes.h"

namespace kem {

#ifdef KEM_X86_LANES

namespace sse2 {
#include "core/board_heights_smoothing.inc"
#include "core/board_normals_row.inc"
// Two double lanes would leave half of the integer and float lanes idle.
namespace wide {
using Lanes = WideLanes;
#include "core/board_heights_decoding.inc"
}  // namespace wide
}  // namespace sse2

KEM_AVX2_BEGIN
namespace avx2 {
#include "core/board_heights_decoding.inc"
#include "core/board_heights_smoothing.inc"
#include "core/board_normals_row.inc"
}  // namespace avx2
KEM_AVX2_END

HeightDecodeKernel HeightDecodeKernelFor(VectorLevel level, DataFormat dataFormat) {
  return KernelOfLevel(level, sse2::wide::DecodeKernel(dataFormat), avx2::DecodeKernel(dataFormat));
}

InteriorSmoothingKernel InteriorSmoothingKernelFor(VectorLevel level) {
  return KernelOfLevel(level, sse2::InteriorSmoothing, avx2::InteriorSmoothing);
}

NormalRowKernel NormalRowKernelFor(VectorLevel level) {
  return KernelOfLevel(level, sse2::InteriorRow, avx2::InteriorRow);
}

#else

// Elsewhere the plain code does all the work.
HeightDecodeKernel HeightDecodeKernelFor(VectorLevel, DataFormat) {
  return nullptr;
}

InteriorSmoothingKernel InteriorSmoothingKernelFor(VectorLevel) {
  return nullptr;
}

NormalRowKernel NormalRowKernelFor(VectorLevel) {
  return nullptr;
}

#endif

}  // namespace kem
