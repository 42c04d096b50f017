// The program-wide random source for texture variation.
//
// Never reseeded, so a second run in the same process continues the sequence;
// the generator is fixed so that layouts are reproducible on every platform:
// state = state * 214013 + 2531011 (mod 2^32) from state 1, each draw giving
// (state >> 16) & 0x7FFF.
#pragma once

#include <cstdint>

namespace kem {

class RandomSource {
 public:
  static constexpr int kMax = 32767;

  // The one source of the program.
  static RandomSource& Program();

  // Next value, 0 to 32767.
  int Draw();

  // Current state, for tests that predict the sequence.
  std::uint32_t State() const { return state_; }

 private:
  std::uint32_t state_ = 1;
};

}  // namespace kem
