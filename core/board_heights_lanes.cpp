#include "core/board_heights_lanes.h"

#include <algorithm>
#include <cstdint>
#include <type_traits>

#include "core/targa_source.h"
#include "core/vector_lanes.h"

namespace kem {

#ifdef KEM_X86_LANES
namespace sse2 {
#include "core/board_heights_smoothing.inc"
}  // namespace sse2
KEM_AVX2_BEGIN
namespace avx2 {
#include "core/board_heights_smoothing.inc"
}  // namespace avx2
KEM_AVX2_END
#endif

InteriorSmoothingKernel InteriorSmoothingKernelFor(VectorLevel level) {
#ifdef KEM_X86_LANES
  switch (level) {
    case VectorLevel::kAvx2:
      return avx2::InteriorSmoothing;
    case VectorLevel::kSse2:
      return sse2::InteriorSmoothing;
    case VectorLevel::kPlain:
      break;
  }
#else
  (void)level;
#endif
  return nullptr;
}

}  // namespace kem
