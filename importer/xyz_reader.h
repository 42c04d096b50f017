// Reading the numbers of an ASCII XYZ elevation model as GIS programs export
// it: decimal numbers separated by white space of any kind, commas or
// semicolons (line ends carry no meaning), read from the file in large blocks
// and rounded once to 32-bit floats. Leading lines of column names, and lines
// that start with '#', are passed over; a line ends at \n or \r, and a UTF-8
// byte-order mark at the start of the file is passed over too.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
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

// Where a reader starts in its file: at the start of a line.
struct XyzReadStart {
  std::uint64_t offset = 0;   // file offset of the first byte it reads
  bool afterNumbers = false;  // numbers came before: no more lines of column names
};

// Hands out the numbers of an open file one at a time. Besides the numbers
// and their separators the file may hold:
// - before its first number, lines that hold no number (column names, quoted
//   or not, up to kMaxHeaderLine bytes each from the first name);
// - anywhere, lines whose first character other than a separator is '#'.
// Anything else that is not a number stops the reading, and so does a token
// longer than any number (kMaxToken bytes), so that the memory taken stays
// bounded whatever the input.
class XyzNumberReader {
 public:
  enum class Result {
    kNumber,      // a number was read
    kEnd,         // no number left before the end of the file
    kNotANumber,  // the next token is not a number
    kReadError,   // the file could not be read
    kMore,        // a reader of a text only: the text ended, the file goes on
  };

  static constexpr std::size_t kDefaultBlockSize = std::size_t{1} << 20;
  // The longest token taken for a number; a longer one is not a number.
  static constexpr std::size_t kMaxToken = 4096;
  // The longest line of column names.
  static constexpr std::size_t kMaxHeaderLine = 65536;

  // Reads `file` (open for reading, at its start; not owned) in blocks of
  // `blockSize` bytes. A token or column-name line longer than a block widens
  // the block, up to those limits.
  explicit XyzNumberReader(std::FILE* file, std::size_t blockSize = kDefaultBlockSize);

  // Reads `file` from `start` on: first the bytes of `readAhead`, already read
  // from there, then the rest of the file.
  XyzNumberReader(std::FILE* file, std::size_t blockSize, std::string_view readAhead,
                  const XyzReadStart& start);

  // Reads the numbers of `text` (not copied; it must outlive the reader), the
  // bytes of a file from `start` on. When `endsFile` is false the file goes on
  // after it, and the reader stops with kMore where it would read further.
  XyzNumberReader(std::string_view text, const XyzReadStart& start, bool endsFile);

  // Reads decimal commas: the numbers are separated by semicolons or white
  // space, and a comma is a number's decimal point ("0,5;1;100"), as
  // spreadsheets in many European languages write them.
  void UseDecimalCommas() { decimalComma_ = true; }

  // Reads the next number into `value`.
  Result Next(float& value);

  // Reads every number left, appending each to `values` and the offset just
  // after it, less `base`, to `ends` (which must fit 32 bits), until the
  // reading stops; returns what stopped it. Throws std::bad_alloc when the
  // vectors cannot grow.
  Result ReadAll(std::vector<float>& values, std::vector<std::uint32_t>& ends, std::uint64_t base);

  // Byte offset in the file just after the last number read.
  std::uint64_t Position() const { return position_; }

 private:
  // Reads a plain decimal of up to 19 digits that a separator ends within
  // [first, last) (first is not a separator) and moves past it. Returns false,
  // moving nothing, for every other token.
  bool QuickNumber(const char* first, const char* last, float& value);

  // At the start of the file: passes over a UTF-8 byte-order mark. Returns
  // false when the buffer holds too little to tell yet.
  bool SkipByteOrderMark();

  // True when only separators stand between the start of its line and
  // buffer_[at].
  bool AtLineStart(std::size_t at) const;

  // Passes over the comment line that starts at begin_, or what of it is in
  // the buffer. Returns false when the rest of the line is still to be read.
  bool SkipComment();

  // Before the first number: passes over the line that starts at begin_ when
  // none of its tokens is a number. Returns kNumber when it did, kEnd when the
  // line must be read further first, kNotANumber when it is not such a line.
  Result SkipHeaderLine();

  // True when `c` separates two numbers.
  bool Separates(char c) const;

  // ParseXyzNumber, with a decimal comma where the reader takes them.
  bool ParseToken(std::string_view token, float& value) const;

  // Moves the unread bytes to the front of the buffer and appends the next
  // block. Returns false on a read error, or at the end of a text that does
  // not end the file; sets atEnd_ at the end of the file.
  bool Refill();

  // What Next says when Refill fails.
  Result RefillFailure() const { return file_ != nullptr ? Result::kReadError : Result::kMore; }

  std::FILE* file_ = nullptr;  // null for a reader of a text
  // Left uninitialised: only the bytes fread fills, [0, end_), are ever read.
  std::unique_ptr<char[]> buffer_;
  const char* data_ = nullptr;  // buffer_, or the text
  std::size_t capacity_ = 0;
  std::size_t begin_ = 0;  // unread bytes are data_[begin_, end_)
  std::size_t end_ = 0;
  std::uint64_t bufferOffset_ = 0;  // file offset of data_[0]
  std::uint64_t position_ = 0;
  bool atEnd_ = false;
  bool textEndsFile_ = true;      // a reader of a text: the file ends with it
  bool numbersRead_ = false;      // no more lines of column names
  bool lineStartAtFront_ = true;  // data_[0] starts a line, as far as AtLineStart goes
  bool inComment_ = false;        // the rest of a comment line is still to be passed over
  bool markChecked_ = false;      // the start of the file was looked at for a byte-order mark
  std::size_t textStart_ = 0;     // bytes of the mark at the start of the file
  bool decimalComma_ = false;     // a comma is a decimal point, not a separator
};

}  // namespace kem
