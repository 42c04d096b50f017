// Header, height coding and the all-or-nothing output file of height maps.
#include "importer/height_map_writer.h"

#include <gtest/gtest.h>
#include <ostream>

#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iterator>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

struct CodeCase {
  float height;
  std::uint32_t code;
};

void PrintTo(const CodeCase& c, std::ostream* os) {
  *os << "height " << c.height;
}

class HeightMapWriterCode : public ::testing::TestWithParam<CodeCase> {};

TEST_P(HeightMapWriterCode, TruncatesTheScaledHeightToTwentyFourBits) {
  EXPECT_EQ(HeightCode(GetParam().height), GetParam().code) << GetParam().height;
}

INSTANTIATE_TEST_SUITE_P(
    Codes, HeightMapWriterCode,
    ::testing::Values(CodeCase{0.0f, 0x199999}, CodeCase{-1000.0f, 0}, CodeCase{9000.0f, 0xFFFFFF},
                      CodeCase{9001.0f, 0x00068D},
                      // Truncation toward zero, then two's complement low bits.
                      CodeCase{-1000.5f, 0xFFFCBA}, CodeCase{-1001.0f, 0xFFF973},
                      // 1000 x 1677.7215576171875 = 1677721.5576...: truncated.
                      CodeCase{-999.0f, 1677}, CodeCase{19000.0f, 0xFFFFFF},
                      CodeCase{std::numeric_limits<float>::infinity(), 0},
                      CodeCase{-std::numeric_limits<float>::infinity(), 0}));

// The reference: the extended product, truncated, low 24 bits.
std::uint32_t ExtendedCode(float height) {
  const long double code =
      (static_cast<long double>(height) + 1000) * static_cast<long double>(1677.7216f);
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(code)) & 0xFFFFFF;
}

TEST(HeightMapWriter, MatchesTheExtendedProductNearEveryCodeBoundary) {
  std::mt19937 random(11);
  std::uniform_int_distribution<std::int64_t> codes(-(std::int64_t{1} << 31),
                                                    (std::int64_t{1} << 31) - 1);
  std::uniform_int_distribution<int> nudge(-4, 4);
  for (int i = 0; i < 300000; ++i) {
    // The height whose product is closest to a whole code, and its float
    // neighbours, where the truncation turns over.
    const std::int64_t code = i % 2 == 0 ? codes(random) % 20000000 : codes(random);
    float height = static_cast<float>(static_cast<double>(code) / 1677.7215576171875 - 1000.0);
    for (int step = nudge(random); step != 0; step += step > 0 ? -1 : 1) {
      height = std::nextafter(height, step > 0 ? 1e30f : -1e30f);
    }
    ASSERT_EQ(HeightCode(height), ExtendedCode(height)) << height;
  }
  // Heights next to 0, whose products carry the most bits.
  for (std::int64_t code = 1677700; code < 1677745; ++code) {
    float height = static_cast<float>(static_cast<double>(code) / 1677.7215576171875 - 1000.0);
    for (int step = 0; step < 4000; ++step) {
      ASSERT_EQ(HeightCode(height), ExtendedCode(height)) << height;
      ASSERT_EQ(HeightCode(-height), ExtendedCode(-height)) << -height;
      height = std::nextafter(height, 1e30f);
    }
  }
}

TEST(HeightMapWriter, WrapsHugeHeightsWithoutOverflow) {
  // Far beyond 64-bit integers the code is still the low 24 bits of the
  // truncated product; a multiple of 2^24 gives 0.
  EXPECT_EQ(HeightCode(1e30f), 0u);
  EXPECT_EQ(HeightCode(-1e30f), 0u);
  EXPECT_EQ(HeightCode(std::numeric_limits<float>::max()), 0u);
  EXPECT_LE(HeightCode(3e15f), 0xFFFFFFu);
}

TEST(HeightMapWriter, WritesLowByteFirst) {
  std::uint8_t bytes[3] = {};
  PutHeightCode(0x123456, bytes);
  EXPECT_EQ(bytes[0], 0x56);
  EXPECT_EQ(bytes[1], 0x34);
  EXPECT_EQ(bytes[2], 0x12);
}

TEST(HeightMapWriter, CodesEveryPixelAsHeightCodeDoes) {
  // Heights are coded in blocks, several at a time; every count, ordinary
  // heights, heights whose products lie next to whole codes and heights out
  // of range must come out as HeightCode gives them, and not one byte more.
  std::mt19937 random(3);
  std::uniform_real_distribution<float> ordinary(-1000.0f, 9000.0f);
  std::uniform_int_distribution<std::int64_t> codes(0, 16777215);
  const float odd[] = {-1000.0f,
                       0.0f,
                       9000.0f,
                       -1001.0f,
                       1e30f,
                       -3e15f,
                       2e6f,
                       -2e6f,
                       std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN()};
  for (std::size_t count = 0; count < 300; count += count < 140 ? 1 : 37) {
    std::vector<float> heights(count);
    for (std::size_t i = 0; i < count; ++i) {
      switch (random() % 4) {
        case 0:
          heights[i] =
              static_cast<float>(static_cast<double>(codes(random)) / 1677.7215576171875 - 1000.0);
          break;
        case 1:
          heights[i] = odd[random() % std::size(odd)];
          break;
        default:
          heights[i] = ordinary(random);
      }
    }
    std::vector<std::uint8_t> bytes(3 * count + 4, 0xAB);
    EncodeHeightPixels(heights.data(), count, bytes.data());
    for (std::size_t i = 0; i < count; ++i) {
      std::uint8_t pixel[3];
      PutHeightCode(HeightCode(heights[i]), pixel);
      ASSERT_EQ(std::vector<std::uint8_t>(bytes.begin() + 3 * i, bytes.begin() + 3 * i + 3),
                std::vector<std::uint8_t>(pixel, pixel + 3))
          << "pixel " << i << " of " << count << ", height " << heights[i];
    }
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.end() - 4, bytes.end()),
              std::vector<std::uint8_t>(4, 0xAB))
        << count;
  }
}

TEST(HeightMapWriter, DescribesATopDownTrueColourImage) {
  std::uint8_t header[kHeightMapHeaderSize];
  EncodeHeightMapHeader(0x1234, 65535, header);
  EXPECT_EQ(std::vector<std::uint8_t>(header, header + kHeightMapHeaderSize),
            (std::vector<std::uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0x34, 0x12, 0xFF, 0xFF,
                                       24, 0x20}));
}

// The whole boards sit in the middle of the grid; an odd column or row left
// over goes to the right or the bottom.
TEST(HeightMapWriter, CentresTheWholeBoardsInTheGrid) {
  struct Case {
    std::int64_t cols, rows;
    HeightMapWindow window;
  };
  const Case cases[] = {
      {76, 76, {0, 0, 76, 76}},
      {151, 80, {1, 2, 148, 76}},
      {147, 223, {35, 1, 76, 220}},
  };
  for (const Case& c : cases) {
    HeightMapWindow window;
    ASSERT_TRUE(FitWholeBoards(c.cols, c.rows, window)) << c.cols;
    EXPECT_EQ(window.col, c.window.col) << c.cols;
    EXPECT_EQ(window.row, c.window.row) << c.cols;
    EXPECT_EQ(window.cols, c.window.cols) << c.cols;
    EXPECT_EQ(window.rows, c.window.rows) << c.cols;
  }
  HeightMapWindow window;
  EXPECT_FALSE(FitWholeBoards(75, 76, window));
}

}  // namespace
}  // namespace kem
