#include "core/board_normals_lanes.h"

#include "core/targa_source.h"

#include "core/vector_lanes.h"

namespace kem {

#ifdef KEM_X86_LANES
namespace sse2 {
#include "core/board_normals_row.inc"
}  // namespace sse2
KEM_AVX2_BEGIN
namespace avx2 {
#include "core/board_normals_row.inc"
}  // namespace avx2
KEM_AVX2_END
#endif

NormalRowKernel NormalRowKernelFor(VectorLevel level) {
#ifdef KEM_X86_LANES
  switch (level) {
    case VectorLevel::kAvx2:
      return avx2::InteriorRow;
    case VectorLevel::kSse2:
      return sse2::InteriorRow;
    case VectorLevel::kPlain:
      break;
  }
#else
  (void)level;
#endif
  return nullptr;
}

}  // namespace kem
