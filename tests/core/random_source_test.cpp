#include "core/random_source.h"

#include <gtest/gtest.h>

#include <vector>

namespace kem {
namespace {

TEST(RandomSource, StartsWithTheKnownSequence) {
  RandomSource source;
  const std::vector<int> expected = {41,    18467, 6334,  26500, 19169, 15724,
                                     11478, 29358, 26962, 24464, 5705,  28145};
  for (const int value : expected) {
    EXPECT_EQ(source.Draw(), value);
  }
}

TEST(RandomSource, StateWrapsModulo2To32) {
  RandomSource source;
  int last = 0;
  for (int i = 0; i < 10000; ++i) {
    last = source.Draw();
    ASSERT_GE(last, 0);
    ASSERT_LE(last, RandomSource::kMax);
  }
  EXPECT_EQ(last, 18796);
  EXPECT_EQ(source.State(), 0xC96C24D1u);
}

TEST(RandomSource, ProgramSourceIsOneObjectThatContinues) {
  RandomSource& first = RandomSource::Program();
  RandomSource& second = RandomSource::Program();
  EXPECT_EQ(&first, &second);
  const auto before = first.State();
  first.Draw();
  EXPECT_EQ(second.State(), before * 214013u + 2531011u);
}

// Skipping must land where drawing one by one lands, for counts that exercise
// every bit pattern of the jump (none, one, powers of two, odd, large).
TEST(RandomSource, SkipLandsWhereDrawingLands) {
  for (const std::uint64_t draws : {0ull, 1ull, 2ull, 3ull, 64ull, 5775ull, 100003ull}) {
    RandomSource drawn(0xDEADBEEFu);
    RandomSource skipped(0xDEADBEEFu);
    for (std::uint64_t i = 0; i < draws; ++i) {
      drawn.Draw();
    }
    skipped.Skip(draws);
    EXPECT_EQ(skipped.State(), drawn.State()) << draws << " draws";
    EXPECT_EQ(skipped.Draw(), drawn.Draw());
  }
}

}  // namespace
}  // namespace kem
