#include "core/board_normals_lanes.h"

#include "core/targa_source.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KEM_X86_LANES 1
#endif

namespace kem {

#ifdef KEM_X86_LANES

// Conversions truncate as cvttsd2si does (TruncateToInt32): out of range and
// NaN give INT32_MIN, the same "integer indefinite" the packed forms give.
namespace sse2 {
struct Lanes {
  using V = __m128d;
  static constexpr int kCount = 2;
  static V Set(double value) { return _mm_set1_pd(value); }
  static V Load(const float* from) {
    return _mm_cvtps_pd(_mm_castsi128_ps(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(from))));
  }
  static V Add(V a, V b) { return _mm_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm_mul_pd(a, b); }
  static V Div(V a, V b) { return _mm_div_pd(a, b); }
  static V Sqrt(V a) { return _mm_sqrt_pd(a); }
  static void Truncate(V a, std::int32_t* to) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_cvttpd_epi32(a));
  }
};
#include "core/board_normals_row.inc"
}  // namespace sse2

// Built for AVX2 whatever the rest of the program targets; chosen at run time
// only where the processor has it.
#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
struct Lanes {
  using V = __m256d;
  static constexpr int kCount = 4;
  static V Set(double value) { return _mm256_set1_pd(value); }
  static V Load(const float* from) { return _mm256_cvtps_pd(_mm_loadu_ps(from)); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Div(V a, V b) { return _mm256_div_pd(a, b); }
  static V Sqrt(V a) { return _mm256_sqrt_pd(a); }
  static void Truncate(V a, std::int32_t* to) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_cvttpd_epi32(a));
  }
};
#include "core/board_normals_row.inc"
}  // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

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
