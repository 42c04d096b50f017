// Which vector instructions the board arithmetic may use. The vector paths
// give the same bits as the plain code (the same IEEE operations in the same
// order, on double lanes); turning them off is for proving exactly that, and
// for measuring what they gain.
#pragma once

namespace kem {

enum class VectorLevel {
  kPlain,  // one vertex at a time
  kSse2,   // two double lanes (every x86-64 processor)
  kAvx2,   // four double lanes, where the processor has AVX2
};

// The widest level this processor and build offer, capped by the environment
// variable KEM_SIMD ("off": kPlain, "sse2": kSse2) or by LimitVectorLevel.
VectorLevel ActiveVectorLevel();

// Of a kernel's vector forms, the one `level` calls for: `sse2` or `avx2`, or
// null for the plain code.
template <typename Kernel>
Kernel KernelOfLevel(VectorLevel level, Kernel sse2, Kernel avx2) {
  switch (level) {
    case VectorLevel::kAvx2:
      return avx2;
    case VectorLevel::kSse2:
      return sse2;
    case VectorLevel::kPlain:
      break;
  }
  return nullptr;
}

// Caps the level for the rest of the process, overriding KEM_SIMD; kAvx2
// lifts the cap. For tests and benchmarks; not to be called while a run is
// building boards.
void LimitVectorLevel(VectorLevel highest);

}  // namespace kem
