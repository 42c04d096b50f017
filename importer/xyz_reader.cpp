// Number reading for XYZ elevation models. Tokens are checked against the
// decimal grammar first, so that from_chars never sees the inf, nan or
// hexadecimal forms it would otherwise take, then converted by from_chars,
// which rounds correctly straight to float.
#include "importer/xyz_reader.h"

#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>
#include <system_error>

namespace kem {
namespace {

// White space as the C locale knows it: space, \t, \n, \v, \f and \r.
inline bool IsSpace(char c) {
  return c == ' ' || static_cast<unsigned char>(c - '\t') <= '\r' - '\t';
}

inline bool IsDigit(char c) {
  return static_cast<unsigned char>(c - '0') <= 9;
}

// True when [first, last) is exactly one decimal number (after its sign).
bool IsDecimal(const char* first, const char* last) {
  const char* p = first;
  const char* intStart = p;
  while (p != last && IsDigit(*p)) {
    ++p;
  }
  bool digits = p != intStart;
  if (p != last && *p == '.') {
    ++p;
    const char* fracStart = p;
    while (p != last && IsDigit(*p)) {
      ++p;
    }
    digits = digits || p != fracStart;
  }
  if (!digits) {
    return false;
  }
  if (p != last && (*p == 'e' || *p == 'E')) {
    ++p;
    if (p != last && (*p == '+' || *p == '-')) {
      ++p;
    }
    const char* expStart = p;
    while (p != last && IsDigit(*p)) {
      ++p;
    }
    if (p == expStart) {
      return false;
    }
  }
  return p == last;
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
  const char* first = token.data();
  const char* last = first + token.size();
  bool negative = false;
  if (first != last && (*first == '+' || *first == '-')) {
    negative = *first == '-';
    ++first;
  }
  if (!IsDecimal(first, last)) {
    return false;
  }
  float magnitude = 0.0f;
  std::from_chars_result result = std::from_chars(first, last, magnitude);
  if (result.ec == std::errc::result_out_of_range) {
    magnitude = OutOfRangeMagnitude(first, last);
  } else if (result.ec != std::errc() || result.ptr != last) {
    return false;
  }
  value = negative ? -magnitude : magnitude;
  return true;
}

XyzNumberReader::XyzNumberReader(std::FILE* file, std::size_t blockSize)
    : file_(file), buffer_(blockSize > 0 ? blockSize : 1) {}

XyzNumberReader::Result XyzNumberReader::Next(float& value) {
  for (;;) {
    const char* data = buffer_.data();
    while (begin_ != end_ && IsSpace(data[begin_])) {
      ++begin_;
    }
    if (begin_ == end_) {
      if (atEnd_) {
        return Result::kEnd;
      }
      if (!Refill()) {
        return Result::kReadError;
      }
      continue;
    }
    std::size_t stop = begin_;
    while (stop != end_ && !IsSpace(data[stop])) {
      ++stop;
    }
    if (stop == end_ && !atEnd_) {
      // The token may go on in the next block.
      if (!Refill()) {
        return Result::kReadError;
      }
      continue;
    }
    if (!ParseXyzNumber(std::string_view(data + begin_, stop - begin_), value)) {
      return Result::kNotANumber;
    }
    begin_ = stop;
    position_ = bufferOffset_ + stop;
    return Result::kNumber;
  }
}

bool XyzNumberReader::Refill() {
  if (begin_ > 0) {
    std::memmove(buffer_.data(), buffer_.data() + begin_, end_ - begin_);
    bufferOffset_ += begin_;
    end_ -= begin_;
    begin_ = 0;
  }
  if (end_ == buffer_.size()) {
    buffer_.resize(buffer_.size() * 2);
  }
  std::size_t got = std::fread(buffer_.data() + end_, 1, buffer_.size() - end_, file_);
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
