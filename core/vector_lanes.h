// Vector lanes for the board arithmetic on x86-64: `sse2::Lanes` (two double
// lanes) and `sse2::WideLanes` (four, in two registers, for kernels whose
// integer and float work fills four lanes), on every x86-64 processor; and
// `avx2::Lanes` (four), built for AVX2 whatever the rest of the program
// targets and chosen at run time only where the processor has it. A kernel is
// written once in a .inc file against the Lanes operations and included into
// a namespace per lane set that names the set `Lanes`, each inside its
// instruction set's region:
//
//   namespace sse2 {
//   #include "core/x.inc"
//   }
//   KEM_AVX2_BEGIN
//   namespace avx2 {
//   #include "core/x.inc"
//   }
//   KEM_AVX2_END
//
// Every operation is a single IEEE operation on each lane (no fused
// multiply-add, no approximations), so a lane gives the bits the plain code
// gives when the kernel keeps the plain code's operations and order.
//
// The lane sets offer, as far as their kernels need them:
//   V, kCount          a vector of kCount doubles
//   I, F               four 32-bit integers (__m128i), four floats (__m128)
//   Set, Add, Sub, Mul, Div, Sqrt, Equal, Less (masks), Select(mask, yes, no)
//   Load(const float*) kCount floats widened to doubles
//   Truncate(V, int32_t*)  each lane truncated as cvttsd2si does (TruncateToInt32):
//                      out of range and NaN give INT32_MIN, the "integer indefinite"
//   Widen(F), Narrow(V), WidenInts(I)  the first kCount lanes, exactly; Narrow
//                      rounds as a cast to float does
//   SetFloats, FloatsOfInts(I), MulFloats, MinFloats, MaxFloats,
//   StoreFloats(F, float*)  the first kCount lanes
//   ILoad(const int32_t*), ISet, IAdd, ISub, IAnd, IOr, IEqual, IGreater (masks),
//   ISelect(mask, yes, no), IMin, IMax, Mask(I) (integer mask to a V mask),
//   IShiftLeft<n>, IShiftRight<n> (arithmetic), IShiftRightLogical<n>
//   Gather(const float* base, I offsets)  base[offset] of each lane, widened
//   ShiftIn(V before, V v)  v's lanes moved up one, lane 0 taking before's last
//   LoadPixels(bytes, red, green, blue)  kCount window pixels (blue, green, red
//                      bytes); reads kPixelBytesRead bytes from `bytes`
#pragma once

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#define KEM_X86_LANES 1

#if defined(__clang__)
#define KEM_AVX2_BEGIN \
  _Pragma("clang attribute push(__attribute__((target(\"avx2\"))), apply_to = function)")
#define KEM_AVX2_END _Pragma("clang attribute pop")
#else
#define KEM_AVX2_BEGIN _Pragma("GCC push_options") _Pragma("GCC target(\"avx2\")")
#define KEM_AVX2_END _Pragma("GCC pop_options")
#endif

namespace kem {

namespace sse2 {
// Four 32-bit integer and four float lanes, which both SSE2 lane sets use.
struct QuadLanes {
  using I = __m128i;
  using F = __m128;

  static F SetFloats(float value) { return _mm_set1_ps(value); }
  static F FloatsOfInts(I a) { return _mm_cvtepi32_ps(a); }
  static F MulFloats(F a, F b) { return _mm_mul_ps(a, b); }
  static F MinFloats(F a, F b) { return _mm_min_ps(a, b); }
  static F MaxFloats(F a, F b) { return _mm_max_ps(a, b); }

  static I ISet(int value) { return _mm_set1_epi32(value); }
  static I IAdd(I a, I b) { return _mm_add_epi32(a, b); }
  static I ISub(I a, I b) { return _mm_sub_epi32(a, b); }
  static I IAnd(I a, I b) { return _mm_and_si128(a, b); }
  static I IOr(I a, I b) { return _mm_or_si128(a, b); }
  static I IEqual(I a, I b) { return _mm_cmpeq_epi32(a, b); }
  static I IGreater(I a, I b) { return _mm_cmpgt_epi32(a, b); }
  static I ISelect(I mask, I yes, I no) {
    return _mm_or_si128(_mm_and_si128(mask, yes), _mm_andnot_si128(mask, no));
  }
  static I IMin(I a, I b) { return ISelect(IGreater(a, b), b, a); }
  static I IMax(I a, I b) { return ISelect(IGreater(a, b), a, b); }
  template <int kBits>
  static I IShiftLeft(I a) {
    return _mm_slli_epi32(a, kBits);
  }
  template <int kBits>
  static I IShiftRight(I a) {
    return _mm_srai_epi32(a, kBits);
  }
  template <int kBits>
  static I IShiftRightLogical(I a) {
    return _mm_srli_epi32(a, kBits);
  }
};

struct Lanes : QuadLanes {
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
  static V Select(V mask, V yes, V no) {
    return _mm_or_pd(_mm_and_pd(mask, yes), _mm_andnot_pd(mask, no));
  }
  static void Truncate(V a, std::int32_t* to) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_cvttpd_epi32(a));
  }
  static V Widen(F a) { return _mm_cvtps_pd(a); }
  static F Narrow(V a) { return _mm_cvtpd_ps(a); }
  static void StoreFloats(F a, float* to) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(to), _mm_castps_si128(a));
  }
  static I ILoad(const std::int32_t* from) {
    return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(from));
  }
  static V Mask(I mask) { return _mm_castsi128_pd(_mm_unpacklo_epi32(mask, mask)); }
  static V Gather(const float* base, I offsets) {
    const int first = _mm_cvtsi128_si32(offsets);
    const int second = _mm_cvtsi128_si32(_mm_shuffle_epi32(offsets, 1));
    return _mm_setr_pd(base[first], base[second]);
  }
  static V ShiftIn(V before, V v) { return _mm_shuffle_pd(before, v, 1); }
};

// Four double lanes in two registers, for kernels whose integer and float
// work fills four lanes.
struct WideLanes : QuadLanes {
  struct V {
    __m128d low;
    __m128d high;
  };
  static constexpr int kCount = 4;
  // Four bytes at each of the four pixels: 12 + 1. Too small a value lets the
  // decoding loop read a byte past the end of a window run, which no test sees
  // but the AddressSanitizer build (run by CI) does.
  static constexpr int kPixelBytesRead = 13;

  static V Set(double value) { return {_mm_set1_pd(value), _mm_set1_pd(value)}; }
  static V Add(V a, V b) { return {_mm_add_pd(a.low, b.low), _mm_add_pd(a.high, b.high)}; }
  static V Sub(V a, V b) { return {_mm_sub_pd(a.low, b.low), _mm_sub_pd(a.high, b.high)}; }
  static V Mul(V a, V b) { return {_mm_mul_pd(a.low, b.low), _mm_mul_pd(a.high, b.high)}; }
  static V Div(V a, V b) { return {_mm_div_pd(a.low, b.low), _mm_div_pd(a.high, b.high)}; }
  static V Equal(V a, V b) { return {_mm_cmpeq_pd(a.low, b.low), _mm_cmpeq_pd(a.high, b.high)}; }
  static V Less(V a, V b) { return {_mm_cmplt_pd(a.low, b.low), _mm_cmplt_pd(a.high, b.high)}; }
  static V Select(V mask, V yes, V no) {
    return {Lanes::Select(mask.low, yes.low, no.low), Lanes::Select(mask.high, yes.high, no.high)};
  }
  static V Widen(F a) { return {_mm_cvtps_pd(a), _mm_cvtps_pd(_mm_movehl_ps(a, a))}; }
  static F Narrow(V a) { return _mm_movelh_ps(_mm_cvtpd_ps(a.low), _mm_cvtpd_ps(a.high)); }
  static V WidenInts(I a) {
    return {_mm_cvtepi32_pd(a), _mm_cvtepi32_pd(_mm_shuffle_epi32(a, 0xEE))};
  }
  static void StoreFloats(F a, float* to) { _mm_storeu_ps(to, a); }
  static void LoadPixels(const std::uint8_t* bytes, I& red, I& green, I& blue) {
    const I pixels =
        _mm_setr_epi32(Bytes4(bytes), Bytes4(bytes + 3), Bytes4(bytes + 6), Bytes4(bytes + 9));
    const I byte = _mm_set1_epi32(0xFF);
    blue = _mm_and_si128(pixels, byte);
    green = _mm_and_si128(_mm_srli_epi32(pixels, 8), byte);
    red = _mm_and_si128(_mm_srli_epi32(pixels, 16), byte);
  }

 private:
  static int Bytes4(const std::uint8_t* from) {
    std::int32_t value;
    std::memcpy(&value, from, sizeof value);
    return value;
  }
};
}  // namespace sse2

KEM_AVX2_BEGIN
namespace avx2 {
// The integer and float lanes are SSE's, as in the SSE2 sets; SSE4.1 adds the
// select, minimum and maximum.
struct Lanes : sse2::QuadLanes {
  using V = __m256d;
  static constexpr int kCount = 4;
  // One 16-byte load. Too small a value lets the decoding loop read past the
  // end of a window run, which only the AddressSanitizer build (run by CI) sees.
  static constexpr int kPixelBytesRead = 16;

  static V Set(double value) { return _mm256_set1_pd(value); }
  static V Load(const float* from) { return _mm256_cvtps_pd(_mm_loadu_ps(from)); }
  static V Add(V a, V b) { return _mm256_add_pd(a, b); }
  static V Sub(V a, V b) { return _mm256_sub_pd(a, b); }
  static V Mul(V a, V b) { return _mm256_mul_pd(a, b); }
  static V Div(V a, V b) { return _mm256_div_pd(a, b); }
  static V Sqrt(V a) { return _mm256_sqrt_pd(a); }
  static V Equal(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_EQ_OQ); }
  static V Less(V a, V b) { return _mm256_cmp_pd(a, b, _CMP_LT_OQ); }
  static V Select(V mask, V yes, V no) { return _mm256_blendv_pd(no, yes, mask); }
  static void Truncate(V a, std::int32_t* to) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(to), _mm256_cvttpd_epi32(a));
  }

  static V Widen(F a) { return _mm256_cvtps_pd(a); }
  static F Narrow(V a) { return _mm256_cvtpd_ps(a); }
  static V WidenInts(I a) { return _mm256_cvtepi32_pd(a); }
  static void StoreFloats(F a, float* to) { _mm_storeu_ps(to, a); }

  static I ILoad(const std::int32_t* from) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(from));
  }
  static I ISelect(I mask, I yes, I no) { return _mm_blendv_epi8(no, yes, mask); }
  static I IMin(I a, I b) { return _mm_min_epi32(a, b); }
  static I IMax(I a, I b) { return _mm_max_epi32(a, b); }
  static V Mask(I mask) { return _mm256_castsi256_pd(_mm256_cvtepi32_epi64(mask)); }

  static V Gather(const float* base, I offsets) {
    return _mm256_cvtps_pd(_mm_i32gather_ps(base, offsets, 4));
  }
  static V ShiftIn(V before, V v) {
    return _mm256_shuffle_pd(_mm256_permute2f128_pd(before, v, 0x21), v, 0b0101);
  }
  static void LoadPixels(const std::uint8_t* bytes, I& red, I& green, I& blue) {
    const I pixels = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes));
    red = _mm_shuffle_epi8(
        pixels, _mm_setr_epi8(2, -1, -1, -1, 5, -1, -1, -1, 8, -1, -1, -1, 11, -1, -1, -1));
    green = _mm_shuffle_epi8(
        pixels, _mm_setr_epi8(1, -1, -1, -1, 4, -1, -1, -1, 7, -1, -1, -1, 10, -1, -1, -1));
    blue = _mm_shuffle_epi8(
        pixels, _mm_setr_epi8(0, -1, -1, -1, 3, -1, -1, -1, 6, -1, -1, -1, 9, -1, -1, -1));
  }
};
}  // namespace avx2
KEM_AVX2_END

}  // namespace kem

#endif
