// Floating-point to integer conversions that are defined for every value.
//
// A plain cast of NaN, an infinity or a value outside the integer's range is
// undefined behaviour, and heights from a project or an option can be any of
// those. Layouts and height maps have always held what the x86 truncating
// conversion (cvttsd2si) gives: the value truncated toward zero when it fits,
// otherwise the "integer indefinite", the smallest integer of the width.
// These give exactly that on every machine, so outputs keep their bytes.
#pragma once

#include <cstdint>
#include <limits>

namespace kem {

// `value` truncated toward zero when that fits 32 bits; INT32_MIN otherwise
// (NaN, infinities and values of 2^31 and beyond either way).
constexpr std::int32_t TruncateToInt32(double value) {
  constexpr double kLimit = 0x1p31;
  if (value >= -kLimit && value < kLimit) {
    return static_cast<std::int32_t>(value);
  }
  return std::numeric_limits<std::int32_t>::min();
}

// `value` truncated toward zero when that fits 64 bits; INT64_MIN otherwise.
constexpr std::int64_t TruncateToInt64(long double value) {
  constexpr long double kLimit = 0x1p63L;
  if (value >= -kLimit && value < kLimit) {
    return static_cast<std::int64_t>(value);
  }
  return std::numeric_limits<std::int64_t>::min();
}

}  // namespace kem
