#include "core/float_conversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace kem {
namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInfinity = std::numeric_limits<double>::infinity();
constexpr std::int32_t kMin32 = std::numeric_limits<std::int32_t>::min();
constexpr std::int64_t kMin64 = std::numeric_limits<std::int64_t>::min();

TEST(FloatConversion, TruncatesLikeX86AndGivesTheIndefiniteOutOfRange) {
  struct Case {
    double value;
    std::int32_t expected32;
    std::int64_t expected64;
  };
  const Case cases[] = {
      {0.0, 0, 0},
      {-0.9, 0, 0},
      {126.99, 126, 126},
      {-127.5, -127, -127},
      {2147483647.9, 2147483647, 2147483647},
      {-2147483648.0, kMin32, -2147483648LL},
      {-2147483648.5, kMin32, -2147483648LL},
      {2147483648.0, kMin32, 2147483648LL},
      {-2147483649.0, kMin32, -2147483649LL},
      {0x1p62, kMin32, std::int64_t{1} << 62},
      {0x1p63, kMin32, kMin64},
      {-0x1p63, kMin32, kMin64},
      {-0x1p64, kMin32, kMin64},
      {1e300, kMin32, kMin64},
      {kInfinity, kMin32, kMin64},
      {-kInfinity, kMin32, kMin64},
      {kNaN, kMin32, kMin64},
      {-kNaN, kMin32, kMin64},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(TruncateToInt32(c.value), c.expected32) << c.value;
    EXPECT_EQ(TruncateToInt64(c.value), c.expected64) << c.value;
  }
}

}  // namespace
}  // namespace kem
