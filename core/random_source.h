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

  // A source at `state`: a board's own share of the program's sequence, drawn
  // away from the program's source.
  explicit RandomSource(std::uint32_t state = 1) : state_(state) {}

  // The one source of the program.
  static RandomSource& Program();

  // Next value, 0 to 32767.
  int Draw();

  // Moves on by `draws` draws without producing them, in O(log draws) steps:
  // the state after them is the same as after drawing them one by one.
  void Skip(std::uint64_t draws);

  // Current state, for tests that predict the sequence, and for handing a
  // stretch of the sequence to a board built elsewhere.
  std::uint32_t State() const { return state_; }

  // Puts the source back at a state it had: draws taken ahead for boards that
  // were never written are given back.
  void Reset(std::uint32_t state) { state_ = state; }

 private:
  std::uint32_t state_ = 1;
};

}  // namespace kem
