// Reading the numbers of an ASCII XYZ elevation model: decimal numbers
// separated by white space of any kind (line ends carry no meaning), read from
// the file in large blocks and rounded once to 32-bit floats.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace kem {

// Parses a whole token as a decimal number, [+-]digits[.digits][(e|E)[+-]digits]
// where either digit run around the point may be empty but not both ("1.",
// ".5"), and rounds it once to the nearest 32-bit float. Magnitudes beyond the
// float range give an infinity, those below its smallest step a zero, both
// signed. Returns false for anything else, among them inf, nan and hexadecimal
// forms.
bool ParseXyzNumber(std::string_view token, float& value);

// Hands out the numbers of an open file one at a time.
class XyzNumberReader {
 public:
  enum class Result {
    kNumber,      // a number was read
    kEnd,         // no number left before the end of the file
    kNotANumber,  // the next token is not a number
    kReadError,   // the file could not be read
  };

  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;

  // Reads `file` (open for reading, at its start; not owned) in blocks of
  // `blockSize` bytes. A single token longer than a block widens the block.
  explicit XyzNumberReader(std::FILE* file, std::size_t blockSize = kDefaultBlockSize);

  // Reads the next number into `value`.
  Result Next(float& value);

  // Byte offset in the file just after the last number read.
  std::uint64_t Position() const { return position_; }

 private:
  // Reads a plain decimal of up to 19 digits that white space ends within
  // [first, last) (first is not white space) and moves past it. Returns false,
  // moving nothing, for every other token.
  bool QuickNumber(const char* first, const char* last, float& value);

  // Moves the unread bytes to the front of the buffer and appends the next
  // block. Returns false on a read error; sets atEnd_ at the end of the file.
  bool Refill();

  std::FILE* file_;
  std::vector<char> buffer_;
  std::size_t begin_ = 0;  // unread bytes are buffer_[begin_, end_)
  std::size_t end_ = 0;
  std::uint64_t bufferOffset_ = 0;  // file offset of buffer_[0]
  std::uint64_t position_ = 0;
  bool atEnd_ = false;
};

}  // namespace kem
