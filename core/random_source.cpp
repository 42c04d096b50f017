// The program-wide random source: a fixed linear congruential generator, so
// that texture variation is the same on every platform.
#include "core/random_source.h"

namespace kem {

namespace {

constexpr std::uint32_t kMultiplier = 214013u;
constexpr std::uint32_t kIncrement = 2531011u;

}  // namespace

RandomSource& RandomSource::Program() {
  static RandomSource source;
  return source;
}

int RandomSource::Draw() {
  state_ = state_ * kMultiplier + kIncrement;  // unsigned: wraps modulo 2^32
  return static_cast<int>((state_ >> 16) & 0x7FFFu);
}

// n steps of x -> a x + c compose to x -> A x + C; squaring the step (a, c)
// to (a a, a c + c) halves the remaining count each time.
void RandomSource::Skip(std::uint64_t draws) {
  std::uint32_t stepMultiplier = kMultiplier;
  std::uint32_t stepIncrement = kIncrement;
  std::uint32_t totalMultiplier = 1;
  std::uint32_t totalIncrement = 0;
  for (; draws != 0; draws >>= 1) {
    if ((draws & 1u) != 0) {
      totalMultiplier *= stepMultiplier;
      totalIncrement = totalIncrement * stepMultiplier + stepIncrement;
    }
    stepIncrement = stepIncrement * (stepMultiplier + 1u);
    stepMultiplier *= stepMultiplier;
  }
  state_ = state_ * totalMultiplier + totalIncrement;
}

}  // namespace kem
