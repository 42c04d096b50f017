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

}  // namespace kem
