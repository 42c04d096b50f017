// Number reading for XYZ elevation models. Tokens are checked against the
// decimal grammar first, so that from_chars never sees the inf, nan or
// hexadecimal forms it would otherwise take. Short numbers are converted by
// one exact float division; the rest by from_chars, which also rounds
// correctly straight to float.
#include "importer/xyz_reader.h"

#include <algorithm>
#include <array>
#include <cfloat>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <memory>
#include <string>
#include <system_error>
#include <utility>

#include "core/blocking_call.h"

namespace kem {
namespace {

// What separates two numbers: white space as the C locale knows it (space,
// \t, \n, \v, \f and \r), commas and semicolons.
constexpr auto kSeparators = [] {
  std::array<bool, 256> table{};
  for (unsigned char c : {' ', '\t', '\n', '\v', '\f', '\r', ',', ';'}) {
    table[c] = true;
  }
  return table;
}();

inline bool IsSeparator(char c) {
  return kSeparators[static_cast<unsigned char>(c)];
}

inline bool IsLineEnd(char c) {
  return c == '\n' || c == '\r';
}

constexpr char kComment = '#';

// The UTF-8 byte-order mark that some programs write before the text.
constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";
constexpr std::size_t kByteOrderMarkSize = 3;

// The first line end (\n or \r: files from old Macs end lines with \r alone)
// in data[from, to), or to.
std::size_t FindLineEnd(const char* data, std::size_t from, std::size_t to) {
  for (std::size_t at = from; at != to; ++at) {
    if (IsLineEnd(data[at])) {
      return at;
    }
  }
  return to;
}

inline bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

// Digits that a 64-bit integer holds exactly.
constexpr int kExactDigits = 19;

// mantissa / 10^fractionDigits when both are exact floats, so that one float
// division rounds it correctly (the common case: up to 7 significant digits);
// false otherwise.
bool QuickMagnitude(std::uint64_t mantissa, int fractionDigits, float& magnitude) {
#if FLT_EVAL_METHOD == 0
  static constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f,
                                           1e6f, 1e7f, 1e8f, 1e9f, 1e10f};
  constexpr std::uint64_t kExactInteger = std::uint64_t{1} << 24;
  while (mantissa > kExactInteger && fractionDigits > 0 && mantissa % 10 == 0) {
    mantissa /= 10;  // trailing zeros after the point
    --fractionDigits;
  }
  if (mantissa > kExactInteger || fractionDigits > 10) {
    return false;
  }
  // A whole number is exact as it is; the division would only cost time.
  magnitude = fractionDigits == 0 ? static_cast<float>(mantissa)
                                  : static_cast<float>(mantissa) / kPowersOfTen[fractionDigits];
  return true;
#else
  // Float arithmetic with excess precision would round twice.
  (void)mantissa;
  (void)fractionDigits;
  (void)magnitude;
  return false;
#endif
}

// The value of a valid unsigned decimal that from_chars found out of the
// float range: infinity when its leading significant digit stands at 10^0 or
// above, zero otherwise (the range limits lie near 10^38 and 10^-45, so a
// nonzero number out of range is always one or the other).
float OutOfRangeMagnitude(const char* first, const char* last) {
  constexpr std::int64_t kExponentCap = std::int64_t{1} << 40;
  std::int64_t lead = 0;  // power of ten of the leading significant digit
  bool found = false;
  const char* p = first;
  std::int64_t intDigits = 0;
  while (p != last && IsDigit(*p)) {
    ++intDigits;
    ++p;
  }
  for (const char* q = first; q != p; ++q) {
    if (*q != '0') {
      lead = intDigits - 1 - (q - first);
      found = true;
      break;
    }
  }
  if (p != last && *p == '.') {
    ++p;
    for (std::int64_t place = -1; p != last && IsDigit(*p); ++p, --place) {
      if (!found && *p != '0') {
        lead = place;
        found = true;
      }
    }
  }
  std::int64_t exponent = 0;
  if (p != last && (*p == 'e' || *p == 'E')) {
    ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
      negative = *p == '-';
      ++p;
    }
    for (; p != last; ++p) {
      if (exponent < kExponentCap) {
        exponent = exponent * 10 + (*p - '0');
      }
    }
    if (negative) {
      exponent = -exponent;
    }
  }
  if (found && lead + exponent >= 0) {
    return std::numeric_limits<float>::infinity();
  }
  return 0.0f;
}

}  // namespace

bool ParseXyzNumber(std::string_view token, float& value) {
  const char* p = token.data();
  const char* const last = p + token.size();
  bool negative = false;
  if (p != last && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  const char* const unsignedStart = p;
  // The first 19 digits as an integer, and how many of them follow the point.
  std::uint64_t mantissa = 0;
  int digits = 0;
  int fractionDigits = 0;
  const char* const intStart = p;
  for (; p != last && IsDigit(*p); ++p, ++digits) {
    if (digits < kExactDigits) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  bool anyDigit = p != intStart;
  if (p != last && *p == '.') {
    ++p;
    const char* const fractionStart = p;
    for (; p != last && IsDigit(*p); ++p, ++digits) {
      if (digits < kExactDigits) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        ++fractionDigits;
      }
    }
    anyDigit = anyDigit || p != fractionStart;
  }
  if (!anyDigit) {
    return false;
  }
  bool exponent = false;
  if (p != last && (*p == 'e' || *p == 'E')) {
    exponent = true;
    ++p;
    if (p != last && (*p == '+' || *p == '-')) {
      ++p;
    }
    const char* const exponentStart = p;
    while (p != last && IsDigit(*p)) {
      ++p;
    }
    if (p == exponentStart) {
      return false;
    }
  }
  if (p != last) {
    return false;
  }
  float magnitude = 0.0f;
  if (!exponent && digits <= kExactDigits && QuickMagnitude(mantissa, fractionDigits, magnitude)) {
    value = negative ? -magnitude : magnitude;
    return true;
  }
  const std::from_chars_result result = std::from_chars(unsignedStart, last, magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    magnitude = OutOfRangeMagnitude(unsignedStart, last);
  } else if (result.ec != std::errc() || result.ptr != last) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

XyzNumberReader::XyzNumberReader(std::FILE* file, std::size_t blockSize)
    : XyzNumberReader(file, blockSize, {}, {}) {}

XyzNumberReader::XyzNumberReader(std::FILE* file, std::size_t blockSize, std::string_view readAhead,
                                 const XyzReadStart& start)
    : file_(file),
      capacity_(std::max({blockSize, readAhead.size(), std::size_t{1}})),
      end_(readAhead.size()),
      bufferOffset_(start.offset),
      numbersRead_(start.afterNumbers) {
  buffer_ = std::make_unique_for_overwrite<char[]>(capacity_);
  data_ = buffer_.get();
  if (!readAhead.empty()) {
    std::memcpy(buffer_.get(), readAhead.data(), readAhead.size());
  }
}

XyzNumberReader::XyzNumberReader(std::string_view text, const XyzReadStart& start, bool endsFile)
    : data_(text.data()),
      capacity_(text.size()),
      end_(text.size()),
      bufferOffset_(start.offset),
      textEndsFile_(endsFile),
      numbersRead_(start.afterNumbers) {}

bool XyzNumberReader::Separates(char c) const {
  return IsSeparator(c) && !(decimalComma_ && c == ',');
}

bool XyzNumberReader::ParseToken(std::string_view token, float& value) const {
  if (!decimalComma_ || token.find(',') == std::string_view::npos) {
    return ParseXyzNumber(token, value);
  }
  std::string pointed(token);
  for (char& c : pointed) {
    c = c == ',' ? '.' : c;
  }
  return ParseXyzNumber(pointed, value);
}

XyzNumberReader::Result XyzNumberReader::Next(float& value) {
  for (;;) {
    const char* data = data_;
    if (bufferOffset_ == 0 && begin_ == 0 && !markChecked_ && !SkipByteOrderMark()) {
      if (!Refill()) {
        return RefillFailure();
      }
      continue;
    }
    if (inComment_ && !SkipComment()) {
      begin_ = end_;
    }
    while (begin_ != end_ && Separates(data[begin_])) {
      ++begin_;
    }
    if (begin_ == end_) {
      if (atEnd_) {
        return Result::kEnd;
      }
      if (!Refill()) {
        return RefillFailure();
      }
      continue;
    }
    // The common token, a short plain decimal followed by a separator, is
    // read in one pass; anything else goes through ParseXyzNumber.
    if (QuickNumber(data + begin_, data + end_, value)) {
      return Result::kNumber;
    }
    if (data[begin_] == kComment && AtLineStart(begin_)) {
      inComment_ = true;
      continue;
    }
    std::size_t stop = begin_;
    while (stop != end_ && !Separates(data[stop])) {
      ++stop;
    }
    if (stop - begin_ > kMaxToken) {
      return Result::kNotANumber;
    }
    if (stop == end_ && !atEnd_) {
      // The token may go on in the next block.
      if (!Refill()) {
        return RefillFailure();
      }
      continue;
    }
    if (ParseToken(std::string_view(data + begin_, stop - begin_), value)) {
      begin_ = stop;
      position_ = bufferOffset_ + stop;
      numbersRead_ = true;
      return Result::kNumber;
    }
    // Before the first number the token may begin a line of column names.
    const Result header = numbersRead_ ? Result::kNotANumber : SkipHeaderLine();
    if (header == Result::kNotANumber) {
      return header;
    }
    if (header == Result::kEnd && !Refill()) {
      return RefillFailure();
    }
  }
}

XyzNumberReader::Result XyzNumberReader::ReadAll(std::vector<float>& values,
                                                 std::vector<std::uint32_t>& ends,
                                                 std::uint64_t base) {
  float value = 0.0f;
  Result result = Result::kNumber;
  while ((result = Next(value)) == Result::kNumber) {
    values.push_back(value);
    ends.push_back(static_cast<std::uint32_t>(position_ - base));
  }
  return result;
}

bool XyzNumberReader::SkipByteOrderMark() {
  const std::size_t have = std::min(end_, kByteOrderMarkSize);
  if (std::memcmp(data_, kByteOrderMark, have) != 0) {
    markChecked_ = true;  // the text starts with something else
    return true;
  }
  if (have == kByteOrderMarkSize) {
    begin_ = textStart_ = kByteOrderMarkSize;
    markChecked_ = true;
    return true;
  }
  if (atEnd_ || (file_ == nullptr && textEndsFile_)) {
    markChecked_ = true;  // a text too short for a mark: it reads as it is
    return true;
  }
  return false;
}

bool XyzNumberReader::AtLineStart(std::size_t at) const {
  const char* data = data_;
  const std::size_t front = bufferOffset_ == 0 ? textStart_ : 0;
  while (at > front) {
    const char c = data[--at];
    if (IsLineEnd(c)) {
      return true;
    }
    if (!Separates(c)) {
      return false;
    }
  }
  return lineStartAtFront_;
}

bool XyzNumberReader::SkipComment() {
  const std::size_t lineEnd = FindLineEnd(data_, begin_, end_);
  if (lineEnd == end_) {
    return false;
  }
  begin_ = lineEnd;
  inComment_ = false;
  return true;
}

XyzNumberReader::Result XyzNumberReader::SkipHeaderLine() {
  if (!AtLineStart(begin_)) {
    return Result::kNotANumber;
  }
  const char* data = data_;
  const std::size_t lineEnd = FindLineEnd(data, begin_, end_);
  const bool found = lineEnd != end_;
  // However much of the line the buffer happens to hold, a longer one is
  // never a line of column names.
  if (lineEnd - begin_ > kMaxHeaderLine) {
    return Result::kNotANumber;
  }
  if (!found && !atEnd_) {
    return Result::kEnd;
  }
  std::size_t at = begin_;
  while (at != lineEnd) {
    std::size_t stop = at;
    while (stop != lineEnd && !Separates(data[stop])) {
      ++stop;
    }
    float number = 0.0f;
    if (stop != at && ParseToken(std::string_view(data + at, stop - at), number)) {
      return Result::kNotANumber;
    }
    while (stop != lineEnd && Separates(data[stop])) {
      ++stop;
    }
    at = stop;
  }
  begin_ = lineEnd;
  return Result::kNumber;
}

bool XyzNumberReader::QuickNumber(const char* first, const char* last, float& value) {
  const char* p = first;
  bool negative = false;
  if (*p == '+' || *p == '-') {
    negative = *p == '-';
    ++p;
  }
  std::uint64_t mantissa = 0;
  int digits = 0;
  for (; p != last && IsDigit(*p); ++p, ++digits) {
    mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
  }
  int fractionDigits = 0;
  if (p != last && (*p == '.' || (decimalComma_ && *p == ','))) {
    ++p;
    for (; p != last && IsDigit(*p); ++p, ++fractionDigits) {
      mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
    }
  }
  digits += fractionDigits;
  // The token must end inside the buffer, at a separator, with no more
  // digits than the mantissa holds exactly; the rest is as ParseXyzNumber
  // reads a token without an exponent.
  float magnitude = 0.0f;
  if (digits == 0 || digits > kExactDigits || p == last || !Separates(*p) ||
      !QuickMagnitude(mantissa, fractionDigits, magnitude)) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  begin_ = static_cast<std::size_t>(p - data_);
  position_ = bufferOffset_ + begin_;
  numbersRead_ = true;
  return true;
}

bool XyzNumberReader::Refill() {
  if (file_ == nullptr) {
    // A text holds all there is to read.
    atEnd_ = textEndsFile_;
    return textEndsFile_;
  }
  if (begin_ > 0) {
    lineStartAtFront_ = AtLineStart(begin_);
    std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
    bufferOffset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == capacity_) {
    std::unique_ptr<char[]> grown = std::make_unique_for_overwrite<char[]>(capacity_ * 2);
    std::memcpy(grown.get(), buffer_.get(), end_);
    buffer_ = std::move(grown);
    data_ = buffer_.get();
    capacity_ *= 2;
  }
  std::size_t got = 0;
  {
    // The text may come through a pipe whose writer keeps it waiting.
    const BlockingCall waiting;
    got = std::fread(buffer_.get() + end_, 1, capacity_ - end_, file_);
  }
  end_ += got;
  if (got == 0) {
    if (std::ferror(file_)) {
      return false;
    }
    atEnd_ = true;
  }
  return true;
}

}  // namespace kem
