// Reading XYZ text on several threads: every number, position and ending as
// one reader of the whole file gives them, wherever the blocks fall and
// however many threads parse them.
#include "importer/xyz_scan.h"

#include <gtest/gtest.h>
#include <ostream>

#include <cstdio>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

using Result = XyzNumberReader::Result;
using FilePtr = std::unique_ptr<std::FILE, int (*)(std::FILE*)>;

// What a reading gave: each number's bits and position, and how it ended.
struct Reading {
  std::vector<std::uint32_t> bits;
  std::vector<std::uint64_t> positions;
  Result last = Result::kEnd;

  bool operator==(const Reading&) const = default;
};

template <typename Numbers>
Reading ReadAll(Numbers& numbers) {
  Reading reading;
  float value = 0.0f;
  while ((reading.last = numbers.Next(value)) == Result::kNumber) {
    std::uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    reading.bits.push_back(bits);
    reading.positions.push_back(numbers.Position());
  }
  return reading;
}

FilePtr Open(const std::string& path) {
  return FilePtr(std::fopen(path.c_str(), "rb"), std::fclose);
}

// The reading of one XyzNumberReader, and of an XyzScan on each thread count
// and block size, must agree.
void ExpectSameReadings(const std::string& text, const std::string& name) {
  test::TempDir dir;
  const std::string path = dir.File("in.xyz");
  test::WriteText(path, text);
  FilePtr whole = Open(path);
  XyzNumberReader reader(whole.get());
  const Reading expected = ReadAll(reader);
  for (int threads : {2, 7}) {
    for (std::size_t block : {std::size_t{16}, std::size_t{61}, std::size_t{4096}}) {
      FilePtr file = Open(path);
      XyzScan scan(file.get(), threads, block);
      EXPECT_TRUE(ReadAll(scan) == expected)
          << name << ": " << threads << " threads, blocks of " << block;
    }
  }
}

// A grid of points, each line ended by `lineEnd`.
std::string Grid(int points, const std::string& lineEnd) {
  std::string text;
  for (int i = 0; i < points; ++i) {
    text += std::to_string(i % 37 * 10) + " " + std::to_string(i / 37 * 10) + " " +
            std::to_string(i % 101) + "." + std::to_string(i % 7) + lineEnd;
  }
  return text;
}

struct TextCase {
  const char* name;
  std::string text;
};

void PrintTo(const TextCase& c, std::ostream* os) {
  *os << c.name;
}

class XyzScanTexts : public ::testing::TestWithParam<TextCase> {};

TEST_P(XyzScanTexts, ReadEveryNumberAsOneReaderDoes) {
  ExpectSameReadings(GetParam().text, GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(
    Dialects, XyzScanTexts,
    ::testing::Values(
        TextCase{"lf", Grid(300, "\n")}, TextCase{"crlf", Grid(300, "\r\n")},
        TextCase{"cr_only", Grid(100, "\r")},
        TextCase{"no_last_line_end", Grid(50, "\n") + "7 8 9"},
        TextCase{"one_line", Grid(120, " ")},
        TextCase{"long_line_between", Grid(40, "\n") + Grid(40, ";") + "\n" + Grid(40, "\n")},
        TextCase{"column_names_over_many_blocks",
                 std::string(40, '\n') + "\"X\";\"Y\";\"Z\"\n" + std::string(30, ' ') +
                     "\nEasting Northing Height\n" + Grid(60, "\n")},
        TextCase{"comments_everywhere",
                 "# head\n" + Grid(30, "\n#   note 1 2 3\n") + "\r#after cr\n" + Grid(20, "\n")},
        TextCase{"comment_after_a_number", Grid(80, "\n") + "5 # late\n" + Grid(10, "\n")},
        TextCase{"names_after_numbers", Grid(90, "\n") + "x y z\n" + Grid(10, "\n")},
        TextCase{"error_at_the_end", Grid(200, ",\n") + "12m\n"},
        TextCase{"token_longer_than_a_number",
                 Grid(70, "\n") + std::string(XyzNumberReader::kMaxToken + 1, '4') + "\n"},
        TextCase{"blank", " \n\t\r\n\n"}, TextCase{"empty", ""}),
    [](const ::testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// Texts made of every kind of piece: numbers plain and not, separators,
// line ends, comments, column names and blank lines, and now and then text
// that is not a number.
TEST(XyzScan, ReadsRandomTextsAsOneReaderDoes) {
  std::mt19937 random(17);
  const char* const pieces[] = {"12.5",  "-3",      "1e2",       ".5",          "7.",
                                " ",     "\t",      ",",         ";",           "\n",
                                "\r\n",  "\n\n",    "\r",        "\n# c 1 2\n", "\nx y z\n",
                                "\"h\"", "  \n  #", "400000.25", "\f",          "nan"};
  for (int round = 0; round < 60; ++round) {
    std::string text;
    const int length = 20 + static_cast<int>(random() % 400);
    for (int i = 0; i < length; ++i) {
      const std::size_t kind = random() % std::size(pieces);
      // Text that is not a number only rarely, so that most texts read far.
      if ((kind == 15 || kind == 19) && random() % 8 != 0) {
        continue;
      }
      text += pieces[kind];
    }
    ExpectSameReadings(text, "round " + std::to_string(round));
  }
}

TEST(XyzScan, ReportsAFileThatCannotBeRead) {
  test::TempDir dir;
  FilePtr folder = Open(dir.path().string());
  if (!folder) {
    GTEST_SKIP() << "folders cannot be opened as files here";
  }
  XyzScan scan(folder.get(), 2, 16);
  float value = 0.0f;
  EXPECT_EQ(scan.Next(value), Result::kReadError);
}

}  // namespace
}  // namespace kem
