// The program-wide texture table: loading from textures.txt and matching of
// texturing-guide colours to texture slots.
#include "core/texture_table.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "core/colour.h"
#include "core/host.h"
#include "core/targa_source.h"

namespace kem {

namespace {

constexpr const char* kTableCaption = "Vurazuz.MakeTextureTable";
constexpr const char* kMissingListText =
    "The texture list appears to be missing.\n\n"
    "The terrain generator was unable to find file textures.txt in the current folder.\n"
    "As this file stores information about textures which should be used to paint\n"
    "the terrain, it will cause the generated route to be left unpainted.";
constexpr const char* kUnreadableEntryText =
    "The texture list textures.txt has an unreadable entry; the entries from there on are not "
    "used.";

constexpr float kHueScale = 1.0f / 360.0f;  // 0.0027777778
constexpr double kThird = 0.333;
constexpr float kNoDistance = 1.0f;  // above every distance of two colours in range
constexpr std::int32_t kNoTextureKey = -1;

// Reads the list byte by byte with one byte of look-ahead, the way the C
// library's formatted input sees it. A read error looks like the end of the
// file and is remembered.
class ListReader {
 public:
  explicit ListReader(std::FILE* file) : file_(file) {}

  int Peek() {
    if (next_ == end_ && !Refill()) {
      return EOF;
    }
    return buffer_[next_];
  }

  void Advance() { ++next_; }

  // True once reading the file has failed (a folder, a disk error).
  bool Failed() const { return failed_; }

 private:
  bool Refill() {
    next_ = 0;
    end_ = std::fread(buffer_, 1, sizeof buffer_, file_);
    failed_ = failed_ || std::ferror(file_) != 0;
    return end_ > 0;
  }

  std::FILE* file_;
  bool failed_ = false;
  unsigned char buffer_[4096];
  std::size_t next_ = 0;
  std::size_t end_ = 0;
};

enum class Scan { kConverted, kEndOfFile, kMismatch };

bool IsSpace(int c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool IsDigit(int c) {
  return c >= '0' && c <= '9';
}

// A decimal number as the C library's %d and %u read it: white space skipped,
// an optional sign, at least one digit. The magnitude saturates above 2^64 - 1.
struct Number {
  bool negative = false;
  bool overflow = false;
  std::uint64_t magnitude = 0;
};

Scan ScanNumber(ListReader& reader, Number& number) {
  while (IsSpace(reader.Peek())) {
    reader.Advance();
  }
  int c = reader.Peek();
  if (c == EOF) {
    return Scan::kEndOfFile;
  }
  number = Number{};
  if (c == '+' || c == '-') {
    number.negative = c == '-';
    reader.Advance();
    c = reader.Peek();
  }
  if (!IsDigit(c)) {  // a lone sign, even at the end of the file, is no number
    return Scan::kMismatch;
  }
  constexpr std::uint64_t kMax = std::numeric_limits<std::uint64_t>::max();
  while (IsDigit(c = reader.Peek())) {
    const auto digit = static_cast<std::uint64_t>(c - '0');
    if (number.magnitude > (kMax - digit) / 10) {
      number.overflow = true;
    } else {
      number.magnitude = number.magnitude * 10 + digit;
    }
    reader.Advance();
  }
  return Scan::kConverted;
}

// %d: a 64-bit signed value that saturates, kept in 32 bits (two's complement).
std::int32_t SignedValue(const Number& number) {
  constexpr std::uint64_t kLimit = std::uint64_t{1} << 63;
  std::uint64_t bits;
  if (number.negative) {
    bits = (number.overflow || number.magnitude > kLimit) ? kLimit : (0 - number.magnitude);
  } else {
    bits = (number.overflow || number.magnitude >= kLimit) ? kLimit - 1 : number.magnitude;
  }
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(bits));
}

// %u: a 64-bit unsigned value (a minus sign negates modulo 2^64, overflow
// saturates), kept in 32 bits.
std::uint32_t UnsignedValue(const Number& number) {
  std::uint64_t bits = number.magnitude;
  if (number.overflow) {
    bits = std::numeric_limits<std::uint64_t>::max();
  } else if (number.negative) {
    bits = 0 - bits;
  }
  return static_cast<std::uint32_t>(bits);
}

// Matches one character that must follow the previous number directly.
Scan ScanLiteral(ListReader& reader, char literal) {
  const int c = reader.Peek();
  if (c == EOF) {
    return Scan::kEndOfFile;
  }
  if (c != literal) {
    return Scan::kMismatch;
  }
  reader.Advance();
  return Scan::kConverted;
}

enum class EntryRead { kComplete, kEndOfList, kUnreadable };

// One entry "keyA:keyB red,green,blue". Only a read that stops at the end of
// the file before its first number is the quiet end of the list.
EntryRead ReadEntry(ListReader& reader, TextureEntry& entry) {
  Number number;
  Scan scan = ScanNumber(reader, number);
  if (scan == Scan::kEndOfFile) {
    return EntryRead::kEndOfList;
  }
  if (scan != Scan::kConverted) {
    return EntryRead::kUnreadable;
  }
  entry.keyA = SignedValue(number);

  if (ScanLiteral(reader, ':') != Scan::kConverted ||
      ScanNumber(reader, number) != Scan::kConverted) {
    return EntryRead::kUnreadable;
  }
  entry.keyB = SignedValue(number);

  std::uint8_t* const channels[] = {&entry.red, &entry.green, &entry.blue};
  for (int i = 0; i < 3; ++i) {
    if ((i > 0 && ScanLiteral(reader, ',') != Scan::kConverted) ||
        ScanNumber(reader, number) != Scan::kConverted) {
      return EntryRead::kUnreadable;
    }
    *channels[i] = static_cast<std::uint8_t>(UnsignedValue(number) & 0xFFu);
  }
  return EntryRead::kComplete;
}

}  // namespace

TextureTable& ProgramTextureTable() {
  static TextureTable table;
  return table;
}

const TextureTable& MakeTextureTable(const std::string& texturingGuidePath, Host& host,
                                     const std::string& listPath) {
  TextureTable& table = ProgramTextureTable();
  LoadTextureTable(table, texturingGuidePath, host, listPath);
  return table;
}

void LoadTextureTable(TextureTable& table, const std::string& texturingGuidePath, Host& host,
                      const std::string& listPath) {
  if (texturingGuidePath.empty()) {
    table.entries[0].keyA = 0;
    return;
  }
  const FilePtr file(std::fopen(listPath.c_str(), "r"));
  if (!file) {
    host.ShowInformation(kTableCaption, kMissingListText);
    table.entries[0].keyA = 0;
    return;
  }

  ListReader reader(file.get());
  int count = 0;
  EntryRead read = EntryRead::kComplete;
  while (count < kTextureTableCapacity) {
    TextureEntry entry;
    read = ReadEntry(reader, entry);
    if (read != EntryRead::kComplete) {
      break;
    }
    const HsvColour hsv = RgbToHsv(entry.red, entry.green, entry.blue);
    entry.hue = hsv.hue;
    entry.saturation = hsv.saturation;
    entry.value = hsv.value;
    table.entries[count] = entry;
    ++count;
  }
  if (reader.Failed()) {
    // A list that cannot be read paints nothing, just as a missing one.
    host.ShowInformation(kTableCaption, kMissingListText);
    table.entries[0].keyA = 0;
    return;
  }
  if (read == EntryRead::kUnreadable) {
    host.ShowInformation(kTableCaption, kUnreadableEntryText);
  }
  table.entries[count].keyA = 0;
}

float ColourDistance(float hueA, float satA, float valA, float hueB, float satB, float valB) {
  const double k = kHueScale;
  const double hueDifference =
      std::fabs(static_cast<double>(hueA) * k - static_cast<double>(hueB) * k);
  const double satDifference = std::fabs(static_cast<double>(satA) - static_cast<double>(satB));
  const double valDifference = std::fabs(static_cast<double>(valA) - static_cast<double>(valB));
  return static_cast<float>(kThird * hueDifference + kThird * satDifference +
                            kThird * valDifference);
}

std::uint16_t MatchTexture(const TextureTable& table, float hue, float saturation, float value) {
  float bestDistance = kNoDistance;
  int best = 0;
  bool examined = false;
  for (int i = 0; i < kMatchedTextures && table.entries[i].keyA != 0; ++i) {
    const TextureEntry& entry = table.entries[i];
    const float distance =
        ColourDistance(hue, saturation, value, entry.hue, entry.saturation, entry.value);
    if (distance < bestDistance) {
      bestDistance = distance;
      best = i;
    }
    examined = true;
  }
  if (!examined) {
    return 0;
  }
  const TextureEntry& chosen = table.entries[best];
  if (chosen.keyA == kNoTextureKey && chosen.keyB == kNoTextureKey) {
    return 0;
  }
  return static_cast<std::uint16_t>(best + 1);
}

}  // namespace kem
