#include "core/board_heights_lanes.h"

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
}  // namespace avx2
KEM_AVX2_END
#endif

InteriorSmoothingKernel InteriorSmoothingKernelFor(VectorLevel level) {
#ifdef KEM_X86_LANES
  return KernelOfLevel(level, sse2::InteriorSmoothing, avx2::InteriorSmoothing);
#else
  (void)level;
  return nullptr;
#endif
}

HeightDecodeKernel HeightDecodeKernelFor(VectorLevel level, DataFormat dataFormat) {
#ifdef KEM_X86_LANES
  return KernelOfLevel(level, sse2::wide::DecodeKernel(dataFormat), avx2::DecodeKernel(dataFormat));
#else
  (void)level;
  (void)dataFormat;
  return nullptr;
#endif
}

}  // namespace kem
