// Number reading of XYZ files: the decimal grammar, rounding straight to
// float, and tokens that straddle the reader's blocks.
#include "importer/xyz_reader.h"

#include <gtest/gtest.h>
#include <ostream>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <limits>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

struct NumberCase {
  const char* token;
  float value;
};

void PrintTo(const NumberCase& c, std::ostream* os) {
  *os << c.token;
}

class XyzReaderValid : public ::testing::TestWithParam<NumberCase> {};

TEST_P(XyzReaderValid, RoundsOnceToTheNearestFloat) {
  float value = -12345.0f;
  ASSERT_TRUE(ParseXyzNumber(GetParam().token, value)) << GetParam().token;
  if (std::isinf(GetParam().value)) {
    EXPECT_EQ(value, GetParam().value);
  } else {
    EXPECT_EQ(value, GetParam().value) << GetParam().token;
    EXPECT_EQ(std::signbit(value), std::signbit(GetParam().value)) << GetParam().token;
  }
}

constexpr float kInfinity = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Grammar, XyzReaderValid,
    ::testing::Values(NumberCase{"0", 0.0f}, NumberCase{"-0", -0.0f}, NumberCase{"+0.0", 0.0f},
                      NumberCase{"42", 42.0f}, NumberCase{"1.", 1.0f}, NumberCase{".5", 0.5f},
                      NumberCase{"-.5", -0.5f}, NumberCase{"+2", 2.0f}, NumberCase{"1e3", 1000.0f},
                      NumberCase{"1E3", 1000.0f}, NumberCase{"1.e2", 100.0f},
                      NumberCase{"2.5e-1", 0.25f}, NumberCase{"25e+0", 25.0f},
                      NumberCase{"0.1", 0.1f}, NumberCase{"-1234.5678", -1234.5678f},
                      NumberCase{"000000000000000000000000000000001", 1.0f},
                      // Ties go to even.
                      NumberCase{"16777217", 16777216.0f}, NumberCase{"16777219", 16777220.0f},
                      // Just below the midpoint of 1 + 2^-23 and 1 + 2^-22: rounding through
                      // double would land on the midpoint and then go up to the even neighbour.
                      NumberCase{"1.00000017881393432617187499", 1.00000011920928955078125f},
                      NumberCase{"3.4028235e38", std::numeric_limits<float>::max()},
                      NumberCase{"1.4e-45", std::numeric_limits<float>::denorm_min()},
                      // Out of range: infinities and zeros, as a float scan gives them.
                      NumberCase{"3.5e38", kInfinity}, NumberCase{"-1e39", -kInfinity},
                      NumberCase{"1000000000000000000000000000000000000000", kInfinity},
                      NumberCase{"0.000000001e50", kInfinity},
                      NumberCase{"1e99999999999999999999", kInfinity}, NumberCase{"1e-50", 0.0f},
                      NumberCase{"-1e-50", -0.0f}, NumberCase{"100000e-51", 0.0f},
                      NumberCase{"0e99999999999999999999", 0.0f}));

// Random decimals of every length, against the C library's correctly rounded
// conversion: short ones take the quick division, long ones from_chars.
TEST(XyzReader, AgreesWithStrtofOnRandomDecimals) {
  std::mt19937_64 random(20261208);
  std::uniform_int_distribution<int> digit(0, 9);
  std::uniform_int_distribution<int> length(1, 24);
  for (int i = 0; i < 200000; ++i) {
    std::string token = i % 3 == 0 ? "-" : "";
    const int intDigits = length(random) % 12;
    const int fractionDigits = length(random) % 14;
    for (int d = 0; d < intDigits; ++d) {
      token += static_cast<char>('0' + digit(random));
    }
    if (fractionDigits > 0 || intDigits == 0) {
      token += '.';
      for (int d = 0; d < fractionDigits; ++d) {
        token += static_cast<char>('0' + (i % 5 == 0 && d > 1 ? 0 : digit(random)));
      }
    }
    if (token == "." || token == "-.") {
      token += '5';
    }
    if (i % 7 == 0) {
      token += "e" + std::to_string(static_cast<int>(random() % 90) - 45);
    }
    float value = 0.0f;
    ASSERT_TRUE(ParseXyzNumber(token, value)) << token;
    const float expected = std::strtof(token.c_str(), nullptr);
    ASSERT_EQ(std::memcmp(&value, &expected, sizeof value), 0)
        << token << " gives " << value << ", not " << expected;
  }
}

class XyzReaderInvalid : public ::testing::TestWithParam<const char*> {};

TEST_P(XyzReaderInvalid, IsNotANumber) {
  float value = 7.0f;
  EXPECT_FALSE(ParseXyzNumber(GetParam(), value)) << GetParam();
  EXPECT_EQ(value, 7.0f);
}

INSTANTIATE_TEST_SUITE_P(Grammar, XyzReaderInvalid,
                         ::testing::Values("", "+", "-", ".", "+.", "e5", ".e5", "1e", "1e+", "1e-",
                                           "1.5.2", "1..", "--1", "+-1", "inf", "-inf", "INF",
                                           "infinity", "nan", "NaN", "nan(1)", "0x10", "0x1p3",
                                           "1,5", "1d5", "12a", " 1", "1 ", "1\n",
                                           "\xEF\xBB\xBF"
                                           "1",
                                           "1e5.5", "1f"));

// Reads every number of `text` with blocks of `blockSize` bytes.
struct ReadResult {
  std::vector<float> values;
  std::vector<std::uint64_t> positions;
  XyzNumberReader::Result last;
};

ReadResult ReadAll(const std::string& text, std::size_t blockSize) {
  test::TempDir dir;
  test::WriteText(dir.File("in.xyz"), text);
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(dir.File("in.xyz").c_str(), "rb"),
                                                       std::fclose);
  XyzNumberReader reader(file.get(), blockSize);
  ReadResult result;
  float value = 0.0f;
  while ((result.last = reader.Next(value)) == XyzNumberReader::Result::kNumber) {
    result.values.push_back(value);
    result.positions.push_back(reader.Position());
  }
  return result;
}

TEST(XyzReader, SeparatesNumbersByAnyWhiteSpace) {
  const ReadResult read = ReadAll(" 1\t2\r\n3\v4\f5\n\n 6", 64);
  EXPECT_EQ(read.values, (std::vector<float>{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(read.positions, (std::vector<std::uint64_t>{2, 4, 7, 9, 11, 15}));
  EXPECT_EQ(read.last, XyzNumberReader::Result::kEnd);
}

TEST(XyzReader, ReadsTokensAcrossBlocksOfEverySize) {
  const std::string text = "123456.75 -0.125\r\n1e-3\t\t98765.4321 .5 7.\n";
  const std::vector<float> expected = {123456.75f, -0.125f, 1e-3f, 98765.4321f, 0.5f, 7.0f};
  const std::vector<std::uint64_t> positions = {9, 16, 22, 34, 37, 40};
  for (std::size_t block = 1; block <= text.size() + 1; ++block) {
    const ReadResult read = ReadAll(text, block);
    EXPECT_EQ(read.values, expected) << "block " << block;
    EXPECT_EQ(read.positions, positions) << "block " << block;
    EXPECT_EQ(read.last, XyzNumberReader::Result::kEnd) << "block " << block;
  }
}

TEST(XyzReader, ReadsEveryTokenAsParseXyzNumberDoes) {
  // Short plain decimals take a quicker road than the rest; both must give
  // the same floats and positions wherever the blocks cut the tokens.
  std::mt19937 random(5);
  const char* const spaces[] = {" ", "\t", "\r\n", "\n", "  \v", "\f"};
  std::string text;
  std::vector<float> expected;
  std::vector<std::uint64_t> positions;
  for (int i = 0; i < 3000; ++i) {
    std::string token = random() % 4 == 0 ? "-" : random() % 8 == 0 ? "+" : "";
    const int intDigits = static_cast<int>(random() % (i % 5 == 0 ? 22 : 8));
    const int fractionDigits = static_cast<int>(random() % (i % 7 == 0 ? 22 : 4));
    for (int d = 0; d < intDigits; ++d) {
      token += static_cast<char>('0' + random() % 10);
    }
    if (random() % 3 != 0 || intDigits == 0) {
      token += '.';
      for (int d = 0; d < fractionDigits; ++d) {
        token += static_cast<char>('0' + random() % 10);
      }
    }
    if (random() % 10 == 0) {
      token += "e" + std::to_string(static_cast<int>(random() % 20) - 10);
    }
    float value = 0.0f;
    if (!ParseXyzNumber(token, value)) {
      continue;  // "." or "-." and the like
    }
    text += token;
    expected.push_back(value);
    positions.push_back(text.size());
    text += spaces[random() % 6];
  }
  for (std::size_t block : {std::size_t{7}, std::size_t{64}, std::size_t{1000}, text.size()}) {
    const ReadResult read = ReadAll(text, block);
    ASSERT_EQ(read.values.size(), expected.size()) << "block " << block;
    for (std::size_t i = 0; i < expected.size(); ++i) {
      ASSERT_EQ(std::memcmp(&read.values[i], &expected[i], sizeof(float)), 0)
          << "number " << i << " block " << block;
    }
    EXPECT_EQ(read.positions, positions) << "block " << block;
    EXPECT_EQ(read.last, XyzNumberReader::Result::kEnd);
  }
}

TEST(XyzReader, ReadsATokenLongerThanItsBlockUpToTheLongestNumber) {
  // 4096 characters: a one, 4089 zeros and "e-4089".
  const std::string longest = "1" + std::string(4089, '0') + "e-4089";
  ASSERT_EQ(longest.size(), XyzNumberReader::kMaxToken);
  const ReadResult read = ReadAll("2 " + longest + " 3", 16);
  EXPECT_EQ(read.values, (std::vector<float>{2, 1, 3}));
  const ReadResult tooLong = ReadAll("2 0" + longest + " 3", 16);
  EXPECT_EQ(tooLong.values, (std::vector<float>{2}));
  EXPECT_EQ(tooLong.last, XyzNumberReader::Result::kNotANumber);
}

TEST(XyzReader, StopsPromptlyOnAnEndlessRunOfNulBytes) {
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> zero(std::fopen("/dev/zero", "rb"), std::fclose);
  if (!zero) {
    GTEST_SKIP() << "no /dev/zero here";
  }
  for (std::size_t block : {std::size_t{16}, XyzNumberReader::kDefaultBlockSize}) {
    XyzNumberReader reader(zero.get(), block);
    float value = 0.0f;
    EXPECT_EQ(reader.Next(value), XyzNumberReader::Result::kNotANumber);
  }
}

TEST(XyzReader, PassesOverColumnNamesAndCommentLinesOnly) {
  const ReadResult read = ReadAll("\"x\";'y' z\n# 1 2\n 1,2;3 \n\t#4\n5", 3);
  EXPECT_EQ(read.values, (std::vector<float>{1, 2, 3, 5}));
  EXPECT_EQ(read.positions, (std::vector<std::uint64_t>{18, 20, 22, 29}));
  EXPECT_EQ(read.last, XyzNumberReader::Result::kEnd);
  // Column names come only before the first number, a comment only at the
  // start of its line.
  EXPECT_EQ(ReadAll("1 x\n", 2).last, XyzNumberReader::Result::kNotANumber);
  EXPECT_EQ(ReadAll("1 #x\n", 2).last, XyzNumberReader::Result::kNotANumber);
  EXPECT_EQ(ReadAll("x 1\n", 2).last, XyzNumberReader::Result::kNotANumber);
  // A line longer than any of column names is not one, whether the reader's
  // block holds part of it or all of it.
  const auto names = [](std::size_t length) {
    std::string line(length, ' ');
    for (std::size_t i = 0; i < length; i += 2) {
      line[i] = 'x';
    }
    return line + "\n1";
  };
  for (std::size_t block : {std::size_t{4096}, 2 * XyzNumberReader::kMaxHeaderLine}) {
    EXPECT_EQ(ReadAll(names(XyzNumberReader::kMaxHeaderLine + 1), block).last,
              XyzNumberReader::Result::kNotANumber);
    EXPECT_EQ(ReadAll(names(XyzNumberReader::kMaxHeaderLine), block).values, std::vector<float>{1});
  }
}

TEST(XyzReader, StopsAtTextThatIsNotANumber) {
  const ReadResult read = ReadAll("1 2 3\n4 five 6\n", 4);
  EXPECT_EQ(read.values, (std::vector<float>{1, 2, 3, 4}));
  EXPECT_EQ(read.last, XyzNumberReader::Result::kNotANumber);
}

TEST(XyzReader, TakesTheWholeTokenAtTheEndOfTheFile) {
  EXPECT_EQ(ReadAll("1 2 3e", 3).last, XyzNumberReader::Result::kNotANumber);
  EXPECT_EQ(ReadAll("1 2 3e1", 3).values, (std::vector<float>{1, 2, 30}));
}

TEST(XyzReader, ReportsEmptyInputAsTheEnd) {
  EXPECT_EQ(ReadAll("", 8).last, XyzNumberReader::Result::kEnd);
  EXPECT_EQ(ReadAll(" \n\t\r\n", 2).last, XyzNumberReader::Result::kEnd);
}

TEST(XyzReader, ReportsAFileThatCannotBeRead) {
  test::TempDir dir;
  std::FILE* folder = std::fopen(dir.path().string().c_str(), "rb");
  if (folder == nullptr) {
    GTEST_SKIP() << "folders cannot be opened as files here";
  }
  XyzNumberReader reader(folder);
  float value = 0.0f;
  EXPECT_EQ(reader.Next(value), XyzNumberReader::Result::kReadError);
  std::fclose(folder);
}

}  // namespace
}  // namespace kem
