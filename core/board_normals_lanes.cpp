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
  return KernelOfLevel(level, sse2::InteriorRow, avx2::InteriorRow);
#else
  (void)level;
  return nullptr;
#endif
}

}  // namespace kem
