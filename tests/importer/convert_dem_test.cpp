// The DEM conversion end to end: worked grids, height codes, input forms,
// progress, cancel, and failures that must leave no output behind.
#include "importer/convert_dem.h"

#include <gtest/gtest.h>
#include <ostream>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/colour.h"
#include "core/replacing_file.h"
#include "core/terrain_job.h"
#include "importer/height_map_writer.h"
#include "importer/recording_import_host.h"
#include "support/test_outputs.h"
#include "support/test_support.h"

namespace kem {
namespace {

using test::RecordingImportHost;
using test::TempDir;

constexpr char kCaption[] = "RezozorUduzuvur.convertdem";
constexpr char kNotANumber[] = "Error: the DEM file holds text that is not a number.";
constexpr char kNoPoints[] = "Error: the DEM file holds no points.";
constexpr char kTooLarge[] = "Error: the DEM is too large for a targa image.";
constexpr char kCannotOpen[] = "Error: the DEM file could not be opened.";
constexpr char kCannotCreate[] = "Error: the height map file could not be created.";
constexpr char kWriteFailed[] = "Error: failed to write the height map file.";
constexpr char kFinerThanAUnit[] =
    "Error: the DEM's point spacing is less than one unit; use projected coordinates in metres.";

// A decoded height map: its size and the 24-bit code of every pixel.
struct HeightMap {
  int width = 0;
  int height = 0;
  std::uint8_t descriptor = 0;
  std::vector<std::uint32_t> codes;
};

HeightMap Decode(const std::vector<std::uint8_t>& bytes) {
  HeightMap map;
  EXPECT_GE(bytes.size(), 18u);
  if (bytes.size() < 18) {
    return map;
  }
  map.width = bytes[12] | bytes[13] << 8;
  map.height = bytes[14] | bytes[15] << 8;
  map.descriptor = bytes[17];
  EXPECT_EQ(bytes.size(), 18u + 3u * map.width * map.height);
  for (std::size_t at = 18; at + 2 < bytes.size(); at += 3) {
    map.codes.push_back(bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16);
  }
  return map;
}

// The code of a height between -1000 and 9000.
std::uint32_t Code(float height) {
  const long double scaled = (static_cast<long double>(height) + 1000) * 1677.7215576171875L;
  return static_cast<std::uint32_t>(static_cast<std::int64_t>(scaled)) & 0xFFFFFF;
}

std::vector<std::uint32_t> Codes(std::initializer_list<float> heights) {
  std::vector<std::uint32_t> codes;
  for (float height : heights) {
    codes.push_back(Code(height));
  }
  return codes;
}

// Files in `dir` other than `keep`.
std::vector<std::string> OtherFiles(const TempDir& dir, const std::string& keep) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
    const std::string name = entry.path().filename().string();
    if (name != keep) {
      names.push_back(name);
    }
  }
  return names;
}

class ConvertDem : public ::testing::Test {
 protected:
  // Writes `text` as the DEM and converts it.
  RunOutcome Convert(const std::string& text) {
    test::WriteText(input_, text);
    return convertdem(input_, host_);
  }

  HeightMap Output() const { return Decode(test::ReadFile(output_)); }
  bool OutputExists() const { return std::filesystem::exists(output_); }

  // Nothing but the input in the folder: no height map, no temporary file.
  void ExpectNoOutput() const { EXPECT_TRUE(OtherFiles(dir_, "area.xyz").empty()); }

  TempDir dir_;
  std::string input_ = dir_.File("area.xyz");
  std::string output_ = dir_.File("area.xyz.tga");
  RecordingImportHost host_;
};

TEST(ConvertDemOutputPath, AppendsTga) {
  EXPECT_EQ(DemOutputPath("C:\\dem\\area.xyz"), "C:\\dem\\area.xyz.tga");
  EXPECT_EQ(DemOutputPath("/data/area"), "/data/area.tga");
}

TEST_F(ConvertDem, InterpolatesTheTwentyUnitExample) {
  ASSERT_EQ(Convert("0 0 0\n0 20 40\n20 0 20\n20 20 60\n"), RunOutcome::kWritten);
  const std::vector<std::uint8_t> bytes = test::ReadFile(output_);
  const std::vector<std::uint8_t> header(bytes.begin(), bytes.begin() + 18);
  EXPECT_EQ(header,
            (std::vector<std::uint8_t>{0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 0, 3, 0, 24, 0x20}));
  EXPECT_EQ(Output().codes, Codes({40, 50, 60, 20, 30, 40, 0, 10, 20}));
  EXPECT_TRUE(host_.Errors().empty());
}

TEST_F(ConvertDem, TwentyUnitExampleReportsEachSampleRowAndColumn) {
  ASSERT_EQ(Convert("0 0 0\n0 20 40\n20 0 20\n20 20 60\n"), RunOutcome::kWritten);
  // n 2, d 4: two sample rows, then three columns, each with its cancel test
  // and pump, after one per point of placement.
  const auto fill = host_.Progress("Completing generated surface");
  ASSERT_EQ(fill.size(), 5u);
  EXPECT_EQ(host_.ProgressCount(), 5u);
  EXPECT_NEAR(fill[0].percent, 62.5 + 50.0 * 2 / 36, 1e-4);
  EXPECT_NEAR(fill[1].percent, 62.5 + 50.0 * 8 / 36, 1e-4);
  EXPECT_NEAR(fill[2].percent, 75.0 + 50.0 * 2 / 36, 1e-4);
  EXPECT_NEAR(fill[4].percent, 75.0 + 50.0 * 8 / 36, 1e-4);
  EXPECT_EQ(host_.cancelTests, 4 + 2 + 3);
  EXPECT_EQ(host_.pumps, 4 + 4 + 2 + 3);
}

TEST_F(ConvertDem, TenUnitExampleIsPlacedWithoutInterpolation) {
  ASSERT_EQ(Convert("0 0 5\n0 10 6\n10 0 7\n10 10 8\n"), RunOutcome::kWritten);
  const HeightMap map = Output();
  EXPECT_EQ(map.width, 2);
  EXPECT_EQ(map.height, 2);
  EXPECT_EQ(map.descriptor, 0x20);
  EXPECT_EQ(map.codes, Codes({6, 8, 5, 7}));
  // Fewer than 25000 points and cells: the status line stays empty.
  EXPECT_EQ(host_.ProgressCount(), 0u);
  EXPECT_EQ(host_.cancelTests, 4);
  EXPECT_EQ(host_.pumps, 8);
}

TEST_F(ConvertDem, RepaintsFirstAndDisablesCancelBeforeCreatingTheOutput) {
  test::WriteText(input_, "0 0 5\n0 10 6\n10 0 7\n10 10 8\n");
  bool disabledWhenCreated = false;
  const RunOutcome result =
      convertdem(input_, host_, [&](const std::string& path) -> std::unique_ptr<OutputFile> {
        disabledWhenCreated = host_.cancelDisabled;
        return ReplacingFile::Create(path);
      });
  EXPECT_EQ(result, RunOutcome::kWritten);
  ASSERT_FALSE(host_.events.empty());
  EXPECT_EQ(host_.events.front().kind, "repaint");
  EXPECT_TRUE(disabledWhenCreated);
}

struct CodingCase {
  const char* height;
  std::vector<std::uint8_t> pixel;
};

void PrintTo(const CodingCase& c, std::ostream* os) {
  *os << "height " << c.height;
}

class ConvertDemCoding : public ConvertDem, public ::testing::WithParamInterface<CodingCase> {};

TEST_P(ConvertDemCoding, WritesTheLowTwentyFourBitsLowByteFirst) {
  ASSERT_EQ(Convert(std::string("100 200 ") + GetParam().height + "\n"), RunOutcome::kWritten);
  const std::vector<std::uint8_t> bytes = test::ReadFile(output_);
  ASSERT_EQ(bytes.size(), 21u);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 18, bytes.end()), GetParam().pixel);
}

INSTANTIATE_TEST_SUITE_P(HeightCodes, ConvertDemCoding,
                         ::testing::Values(CodingCase{"0", {0x99, 0x99, 0x19}},
                                           CodingCase{"-1000", {0, 0, 0}},
                                           CodingCase{"9000", {0xFF, 0xFF, 0xFF}},
                                           CodingCase{"9001", {0x8D, 0x06, 0x00}},
                                           CodingCase{"-1001", {0x73, 0xF9, 0xFF}}));

TEST_F(ConvertDem, FiveUnitGridKeepsTheLastPointOfEachCell) {
  // Spacing 5 gives n 0: no interpolation, every 10 x 10 cell holds the last
  // point that fell into it.
  ASSERT_EQ(Convert("0 0 1\n0 5 2\n5 0 3\n5 5 4\n10 0 5\n10 5 6\n0 10 7\n5 10 8\n10 10 9\n"),
            RunOutcome::kWritten);
  const HeightMap map = Output();
  EXPECT_EQ(map.width, 2);
  EXPECT_EQ(map.height, 2);
  // Row 0 takes y 5 and 10, row 1 y 0; column 0 takes x 0 and 5.
  EXPECT_EQ(map.codes, Codes({8, 9, 3, 5}));
  EXPECT_EQ(host_.ProgressCount(), 0u);
}

TEST_F(ConvertDem, ConstantYLineGivesOneRow) {
  ASSERT_EQ(Convert("0 7 1\n10 7 2\n20 7 3\n30 7 4\n"), RunOutcome::kWritten);
  const HeightMap map = Output();
  EXPECT_EQ(map.width, 4);
  EXPECT_EQ(map.height, 1);
  EXPECT_EQ(map.codes, Codes({1, 2, 3, 4}));
}

TEST_F(ConvertDem, NorthToSouthListingIsInterpolatedLikeSouthToNorth) {
  ASSERT_EQ(Convert("0 20 40\n20 20 60\n0 0 0\n20 0 20\n"), RunOutcome::kWritten);
  EXPECT_EQ(Output().codes, Codes({40, 50, 60, 20, 30, 40, 0, 10, 20}));
  // North to south with the rows listed west to east in a 30-unit grid.
  ASSERT_EQ(Convert("0 30 30\n30 30 60\n0 0 0\n30 0 30\n"), RunOutcome::kWritten);
  EXPECT_EQ(Output().codes, Codes({30, 40, 50, 60, 20, 30, 40, 50, 10, 20, 30, 40, 0, 10, 20, 30}));
}

TEST_F(ConvertDem, PointsBetweenSampleRowsGiveWayAndRowsAfterTheLastKeepTheirs) {
  // 30 units from north to south: n 3, 4 x 6 cells, sample rows 0 and 3.
  ASSERT_EQ(Convert("0 50 0\n0 20 60\n30 50 30\n30 20 90\n"
                    "10 40 999\n"   // row 1, between the sample rows: interpolated over
                    "20 28.5 -5\n"  // row 2, off the grid: likewise
                    "0 0 7\n"       // row 5, after the last sample row
                    "20 10 5\n"     // row 4
                    "21 9 6\n"),    // the same cell: the later point stays
            RunOutcome::kWritten);
  const HeightMap map = Output();
  ASSERT_EQ(map.width, 4);
  ASSERT_EQ(map.height, 6);
  const auto between = [](float top, float bottom, int k) {
    return static_cast<float>(top + (k / 3.0) * (static_cast<double>(bottom) - top));
  };
  std::vector<std::uint32_t> expected = Codes({0, 10, 20, 30});
  for (int k = 1; k <= 2; ++k) {
    for (int col = 0; col < 4; ++col) {
      expected.push_back(Code(between(10.0f * col, 60.0f + 10.0f * col, k)));
    }
  }
  for (const auto& row : {Codes({60, 70, 80, 90}), Codes({0, 0, 6, 0}), Codes({7, 0, 0, 0})}) {
    expected.insert(expected.end(), row.begin(), row.end());
  }
  EXPECT_EQ(map.codes, expected);
}

struct FormCase {
  const char* name;
  const char* text;
};

class ConvertDemForms : public ConvertDem, public ::testing::WithParamInterface<FormCase> {};

// Every way of writing the ten-unit example gives the same image.
TEST_P(ConvertDemForms, ReadsTheSamePoints) {
  ASSERT_EQ(Convert(GetParam().text), RunOutcome::kWritten) << GetParam().name;
  const HeightMap map = Output();
  EXPECT_EQ(map.width, 2);
  EXPECT_EQ(map.height, 2);
  EXPECT_EQ(map.codes, Codes({6, 8, 5, 7}));
}

INSTANTIATE_TEST_SUITE_P(
    InputForms, ConvertDemForms,
    ::testing::Values(
        FormCase{"crlf", "0 0 5\r\n0 10 6\r\n10 0 7\r\n10 10 8\r\n"},
        FormCase{"tabs", "0\t0\t5\n0\t10\t6\n10\t0\t7\n10\t10\t8"},
        FormCase{"one_line", "0 0 5 0 10 6 10 0 7 10 10 8"},
        FormCase{"line_per_number", "\n\n0\n0\n5\n0\n10\n6\n10\n0\n7\n10\n10\n8\n\n"},
        FormCase{"vertical_tab_form_feed", "0\v0\f5 0 10 6 10 0 7 10 10 8\f"},
        FormCase{"exponents", "0e0 0E5 5e0\n0 1e1 6.\n1.0E+1 0 .7e1\n+10. 100e-1 8.0\n"},
        FormCase{"decimals", "0.000 -0.0 5.0000\n0.0 10.00 6\n10.0 0 7\n10 10 8\n"},
        FormCase{"negative", "-1000 -2000 5\n-1000 -1990 6\n-990 -2000 7\n-990 -1990 8\n"},
        FormCase{"huge_offset",
                 "500000 9000000 5\n500000 9000010 6\n500010 9000000 7\n"
                 "500010 9000010 8\n"}),
    [](const ::testing::TestParamInfo<FormCase>& info) { return std::string(info.param.name); });

struct RejectCase {
  const char* name;
  const char* text;
  const char* message;
};

class ConvertDemRejects : public ConvertDem, public ::testing::WithParamInterface<RejectCase> {};

TEST_P(ConvertDemRejects, ShowsItsMessageAndWritesNothing) {
  EXPECT_EQ(Convert(GetParam().text), RunOutcome::kFailed);
  ASSERT_EQ(host_.Errors(), std::vector<std::string>{GetParam().message});
  EXPECT_EQ(host_.events.back().caption, kCaption);
  EXPECT_FALSE(host_.cancelDisabled);
  ExpectNoOutput();
}

INSTANTIATE_TEST_SUITE_P(
    BadInput, ConvertDemRejects,
    ::testing::Values(RejectCase{"empty", "", kNoPoints},
                      RejectCase{"blank", " \r\n\t\n", kNoPoints},
                      RejectCase{"only_column_names", "hello world\n", kNoPoints},
                      RejectCase{"names_after_points", "0 0 1\nx y z\n", kNotANumber},
                      RejectCase{"names_beside_numbers", "x y z 1\n0 0 1\n", kNotANumber},
                      RejectCase{"quoted_numbers", "0 0 1\n\"10\",\"0\",\"1\"\n", kNotANumber},
                      RejectCase{"comment_after_numbers", "0 0 1 # note\n", kNotANumber},
                      RejectCase{"garbage_after_points", "0 0 1\n10 0 2\nend\n", kNotANumber},
                      RejectCase{"comma_decimal", "0 0 1,5\n", kNotANumber},
                      // Degrees of latitude and a half-unit grid.
                      RejectCase{"degrees", "7.5 47.25 500\n7.5 47.2508333 501\n", kFinerThanAUnit},
                      RejectCase{"sub_unit_grid", "0 0 1\n0 0.5 2\n0 1 3\n0 10 4\n",
                                 kFinerThanAUnit},
                      RejectCase{"number_then_letters", "0 0 12m\n", kNotANumber},
                      RejectCase{"infinity", "0 0 inf\n", kNotANumber},
                      RejectCase{"nan", "nan 0 0\n", kNotANumber},
                      RejectCase{"hexadecimal", "0x10 0 0\n", kNotANumber},
                      RejectCase{"truncated_last_line", "0 0 1\n10 0 2\n10 10", kNotANumber},
                      RejectCase{"one_number_left", "0 0 1\n10", kNotANumber},
                      // The check for text comes before the size check.
                      RejectCase{"too_large_then_text", "0 0 0\n1000000 0 0\n?\n", kNotANumber},
                      RejectCase{"too_wide", "0 0 0\n1000000 0 0\n", kTooLarge},
                      RejectCase{"too_high", "0 0 0\n0 -655350 0\n", kTooLarge},
                      RejectCase{"overflowing_coordinate", "1e39 0 0\n", kTooLarge},
                      RejectCase{"infinite_extent", "-1e39 0 0\n1e39 0 0\n", kTooLarge},
                      // Heights on no ground, and grids no layout could use.
                      RejectCase{"infinite_height", "0 0 1e39\n10 0 1\n0 10 -32768\n",
                                 "Error: the DEM file holds heights that are not finite or lie "
                                 "beyond 20000 m up or down (2 of 3 points)."},
                      RejectCase{"too_coarse", "0 0 1\n0 2000 2\n",
                                 "Error: the DEM's cells are 2000 m across, 200 times the height "
                                 "map's 10 m; cells more than 1000 m across (100 times) are too "
                                 "coarse for a route."},
                      RejectCase{"more_than_a_layout", "0 0 1\n0 10 2\n200000 300000 3\n",
                                 "Error: the DEM would make a height map of 20001 x 30001 pixels "
                                 "(600050001), more than the 100571712 that the largest layout "
                                 "(17412 boards of 76 x 76 pixels) reads."}),
    [](const ::testing::TestParamInfo<RejectCase>& info) { return std::string(info.param.name); });

TEST_F(ConvertDem, RejectsANulByteAfterThePoints) {
  test::WriteFile(input_, {'0', ' ', '0', ' ', '1', '\n', 0, '\n'});
  EXPECT_EQ(convertdem(input_, host_), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kNotANumber});
  ExpectNoOutput();
}

// A token longer than any number, and an endless run of NUL bytes, are text
// that is not a number, found without reading on.
TEST_F(ConvertDem, RejectsATokenLongerThanAnyNumber) {
  EXPECT_EQ(Convert("0 0 1\n10 0 " + std::string(5000, '7') + "\n"), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kNotANumber});
  ExpectNoOutput();
}

TEST_F(ConvertDem, RejectsALargeRunOfNulBytes) {
  const std::string point = "0 0 1\n";
  std::vector<std::uint8_t> bytes(point.size() + (std::size_t{32} << 20), 0);
  std::copy(point.begin(), point.end(), bytes.begin());
  test::WriteFile(input_, bytes);
  EXPECT_EQ(convertdem(input_, host_), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kNotANumber});
  ExpectNoOutput();
}

struct DialectCase {
  const char* name;
  const char* text;
};

class ConvertDemDialects : public ConvertDem, public ::testing::WithParamInterface<DialectCase> {};

// XYZ as GIS programs export it: the same bytes, and the same messages and
// progress, as the twenty-unit example written plainly.
TEST_P(ConvertDemDialects, GiveTheBytesOfThePlainFile) {
  ASSERT_EQ(Convert("0 0 0\n0 20 40\n20 0 20\n20 20 60\n"), RunOutcome::kWritten);
  const std::vector<std::uint8_t> plain = test::ReadFile(output_);
  const std::vector<RecordingImportHost::Event> plainEvents = host_.events;
  host_ = RecordingImportHost();
  ASSERT_EQ(Convert(GetParam().text), RunOutcome::kWritten) << GetParam().name;
  EXPECT_EQ(test::ReadFile(output_), plain);
  ASSERT_EQ(host_.events.size(), plainEvents.size());
  for (std::size_t i = 0; i < plainEvents.size(); ++i) {
    EXPECT_EQ(host_.events[i].kind, plainEvents[i].kind);
    EXPECT_EQ(host_.events[i].text, plainEvents[i].text);
    EXPECT_EQ(host_.events[i].percent, plainEvents[i].percent);
  }
}

INSTANTIATE_TEST_SUITE_P(
    GisExports, ConvertDemDialects,
    ::testing::Values(
        DialectCase{"header", "X Y Z\n0 0 0\n0 20 40\n20 0 20\n20 20 60\n"},
        DialectCase{"quoted_header_commas",
                    "\"x\",\"y\",\"z\"\n0,0,0\n0,20,40\n20,0,20\n20,20,60\n"},
        DialectCase{"two_header_lines",
                    "Easting Northing Elevation\n\"(m)\" \"(m)\" \"(m a.s.l.)\"\n"
                    "0 0 0\n0 20 40\n20 0 20\n20 20 60"},
        DialectCase{"commas_and_spaces", "0, 0, 0\n0, 20, 40\n20, 0, 20\n20, 20, 60\n"},
        DialectCase{"semicolons", "x;y;z\n0;0;0\n0;20;40\n20;0;20\n20;20;60\n"},
        DialectCase{"tabs", "x\ty\tz\n0\t0\t0\n0\t20\t40\n20\t0\t20\n20\t20\t60\n"},
        DialectCase{"comments_first",
                    "# exported DEM\n#crs EPSG:25832, 20 m\n0 0 0\n0 20 40\n"
                    "20 0 20\n20 20 60\n"},
        DialectCase{"comments_between",
                    "X Y Z\n# tile 1\n0 0 0\n0 20 40\n  # tile 2 x y z 1 2\n"
                    "20 0 20\n#\n20 20 60\n# end"},
        DialectCase{"comment_inside_a_point", "0 0 0 0 20\n# split\n40 20 0 20 20 20 60\n"},
        DialectCase{"blank_lines", "\n\nx y z\n\n0 0 0\n\n\n0 20 40\n20 0 20\n \t \n20 20 60\n\n"},
        DialectCase{"crlf",
                    "\"X\";\"Y\";\"Z\"\r\n# c\r\n0;0;0\r\n\r\n0;20;40\r\n20;0;20\r\n"
                    "20;20;60\r\n"},
        // Old Mac line ends, and a UTF-8 byte-order mark before the numbers or
        // the column names.
        DialectCase{"cr_only", "X Y Z\r# c\r0 0 0\r0 20 40\r20 0 20\r20 20 60\r"},
        DialectCase{"byte_order_mark",
                    "\xEF\xBB\xBF"
                    "0 0 0\n0 20 40\n20 0 20\n20 20 60\n"},
        DialectCase{"byte_order_mark_header",
                    "\xEF\xBB\xBF"
                    "x,y,z\n# c\n0,0,0\n0,20,40\n20,0,20\n20,20,60\n"}),
    [](const ::testing::TestParamInfo<DialectCase>& info) { return std::string(info.param.name); });

// Points of a 10- and a 30-unit grid in any order give the map of the same
// points listed row by row.
TEST_F(ConvertDem, TakesTheGridStepFromTheRowsWhateverTheOrder) {
  for (const int spacing : {10, 30}) {
    std::vector<std::string> lines;
    for (int row = 0; row < 12; ++row) {
      for (int col = 0; col < 9; ++col) {
        lines.push_back(std::to_string(col * spacing) + " " + std::to_string(row * spacing) + " " +
                        std::to_string((row * 7 + col * 3) % 50) + "\n");
      }
    }
    std::string sorted;
    std::string shuffled;
    for (std::size_t i = 0; i < lines.size(); ++i) {
      sorted += lines[i];
      shuffled += lines[i * 41 % lines.size()];  // 41 and 108 are coprime
    }
    ASSERT_EQ(Convert(sorted), RunOutcome::kWritten);
    const std::vector<std::uint8_t> expected = test::ReadFile(output_);
    ASSERT_EQ(Convert(shuffled), RunOutcome::kWritten) << spacing;
    EXPECT_EQ(test::ReadFile(output_), expected) << spacing;
  }
}

TEST_F(ConvertDem, AcceptsTheWidestImageATargaHeaderDescribes) {
  // 655340 units at 0.1 per unit give 65535 columns; 10 units more would not fit.
  ASSERT_EQ(Convert("0 0 1\n655340 0 2\n"), RunOutcome::kWritten);
  const HeightMap map = Output();
  EXPECT_EQ(map.width, 65535);
  EXPECT_EQ(map.height, 1);
  EXPECT_EQ(map.codes.front(), Code(1));
  EXPECT_EQ(map.codes.back(), Code(2));
  EXPECT_EQ(Convert("0 0 1\n655350 0 2\n"), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kTooLarge});
}

TEST_F(ConvertDem, ReportsAnInputThatCannotBeOpened) {
  EXPECT_EQ(convertdem(dir_.File("missing.xyz"), host_), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kCannotOpen});
  EXPECT_EQ(host_.events.back().caption, kCaption);
}

TEST_F(ConvertDem, ReportsAFolderGivenAsInput) {
  std::filesystem::create_directory(dir_.File("folder.xyz"));
  EXPECT_EQ(convertdem(dir_.File("folder.xyz"), host_), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kCannotOpen});
}

TEST_F(ConvertDem, ReportsAnOutputThatCannotBeCreated) {
  std::filesystem::create_directory(output_);  // a folder holds the output's name
  EXPECT_EQ(Convert("0 0 1\n"), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kCannotCreate});
  EXPECT_TRUE(std::filesystem::is_directory(output_));
  EXPECT_TRUE(std::filesystem::is_empty(output_));
}

TEST_F(ConvertDem, ReportsAnUnwritableOutputFolder) {
  KEM_SKIP_ON_WINDOWS("Windows folders have access lists, not permission bits");
  const std::filesystem::path folder = dir_.path() / "locked";
  std::filesystem::create_directory(folder);
  const std::string input = (folder / "area.xyz").string();
  test::WriteText(input, "0 0 1\n");
  std::filesystem::permissions(
      folder, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  const bool writable = std::ofstream((folder / "probe").string()).is_open();
  std::filesystem::remove(folder / "probe");
  if (!writable) {
    EXPECT_EQ(convertdem(input, host_), RunOutcome::kFailed);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
    EXPECT_EQ(host_.Errors(), std::vector<std::string>{kCannotCreate});
    EXPECT_FALSE(std::filesystem::exists(folder / "area.xyz.tga"));
    return;
  }
  // Folder permissions do not bind this user: reach the same file through
  // /proc/self/fd, where nobody can create files.
  std::filesystem::permissions(folder, std::filesystem::perms::owner_all);
  std::FILE* open = std::fopen(input.c_str(), "rb");
  ASSERT_NE(open, nullptr);
  const std::string viaProc = "/proc/self/fd/" + std::to_string(fileno(open));
  if (!std::filesystem::exists(viaProc)) {
    std::fclose(open);
    GTEST_SKIP() << "no folder here refuses new files";
  }
  EXPECT_EQ(convertdem(viaProc, host_), RunOutcome::kFailed);
  std::fclose(open);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kCannotCreate});
}

TEST_F(ConvertDem, ReportsAFailedWriteAndKeepsTheExistingFile) {
  test::WriteText(output_, "previous height map");
  test::WriteText(input_, "0 0 1\n");
  EXPECT_EQ(convertdem(input_, host_, test::FailingAfter(0)), RunOutcome::kFailed);
  EXPECT_EQ(host_.Errors(), std::vector<std::string>{kWriteFailed});
  const std::vector<std::uint8_t> kept = test::ReadFile(output_);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "previous height map");
}

TEST_F(ConvertDem, KeepsTheExistingFileWhenTheInputIsBad) {
  test::WriteText(output_, "previous height map");
  EXPECT_EQ(Convert("0 0 1\n10 0\n"), RunOutcome::kFailed);
  const std::vector<std::uint8_t> kept = test::ReadFile(output_);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "previous height map");
  EXPECT_EQ(OtherFiles(dir_, "area.xyz"), std::vector<std::string>{"area.xyz.tga"});
}

TEST_F(ConvertDem, ReplacesAnExistingFileOnSuccess) {
  test::WriteText(output_, "previous height map");
  ASSERT_EQ(Convert("0 0 0\n"), RunOutcome::kWritten);
  EXPECT_EQ(test::ReadFile(output_).size(), 21u);
  // The map and its sidecar, no temporary file.
  EXPECT_EQ(OtherFiles(dir_, "area.xyz").size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(output_ + ".aux.xml"));
}

// A DEM of cols x rows points `spacing` units apart, listed row by row from
// the south; `offsetAfter` receives the byte offset just after the z of
// point number `mark` (from 1).
std::string GridDem(int cols, int rows, int spacing, std::size_t mark = 0,
                    std::size_t* offsetAfter = nullptr) {
  std::string text;
  std::size_t point = 0;
  for (int row = 0; row < rows; ++row) {
    for (int col = 0; col < cols; ++col) {
      text += std::to_string(col * spacing) + " " + std::to_string(row * spacing) + " " +
              std::to_string((row * 7 + col * 3) % 500);
      if (++point == mark && offsetAfter != nullptr) {
        *offsetAfter = text.size();
      }
      text += "\n";
    }
  }
  return text;
}

TEST_F(ConvertDem, ReportsProgressEvery25000PointsAndCells) {
  std::size_t offset = 0;
  const std::string text = GridDem(200, 130, 10, 25000, &offset);
  ASSERT_EQ(Convert(text), RunOutcome::kWritten);
  const auto scan = host_.Progress("Processing source file");
  const auto place = host_.Progress("Generating surface from imported data");
  const auto write = host_.Progress("Writing output .tga image");
  ASSERT_EQ(scan.size(), 1u);
  ASSERT_EQ(place.size(), 1u);
  ASSERT_EQ(write.size(), 1u);
  EXPECT_EQ(host_.ProgressCount(), 3u);
  EXPECT_FLOAT_EQ(scan[0].percent, static_cast<float>(50.0 * offset / text.size()));
  EXPECT_FLOAT_EQ(place[0].percent, 74.0375f);  // 50 + 50 x 24999 / (26000 x 2)
  EXPECT_FLOAT_EQ(write[0].percent, 99.0375f);  // 75 + 50 x 24999 / (26000 x 2)
  // One cancel test in the scan, one per point in placement, none in writing;
  // one pump per point in the scan and in placement.
  EXPECT_EQ(host_.cancelTests, 1 + 26000);
  EXPECT_EQ(host_.pumps, 2 * 26000);
  // Cancel is disabled after placement and before writing.
  std::size_t disabledAt = 0;
  for (std::size_t i = 0; i < host_.events.size(); ++i) {
    if (host_.events[i].kind == "disable") {
      disabledAt = i;
    }
  }
  EXPECT_EQ(host_.events[disabledAt - 1].text, "Generating surface from imported data");
  EXPECT_EQ(host_.events[disabledAt + 1].text, "Writing output .tga image");
}

TEST_F(ConvertDem, ReportsEveryPhaseOfAnInterpolatedGrid) {
  // 160 x 160 points 20 units apart: 319 x 319 cells, n 2, d 4.
  ASSERT_EQ(Convert(GridDem(160, 160, 20)), RunOutcome::kWritten);
  const auto place = host_.Progress("Generating surface from imported data");
  const auto fill = host_.Progress("Completing generated surface");
  const auto write = host_.Progress("Writing output .tga image");
  ASSERT_EQ(place.size(), 1u);
  EXPECT_FLOAT_EQ(place[0].percent, 62.2065430f);
  ASSERT_EQ(fill.size(), 160u + 319u);
  EXPECT_FLOAT_EQ(fill[0].percent, 62.5390621f);    // row 0, walk stopped at column 318
  EXPECT_FLOAT_EQ(fill[159].percent, 74.9998772f);  // row 318
  EXPECT_FLOAT_EQ(fill[160].percent, 75.0390621f);  // column 0, walk stopped at row 318
  EXPECT_FLOAT_EQ(fill[478].percent, 87.4998772f);  // column 318
  ASSERT_EQ(write.size(), 4u);                      // 101761 cells
  EXPECT_FLOAT_EQ(write[0].percent, 90.5707982f);
  EXPECT_FLOAT_EQ(write[3].percent, 99.7835615f);
  for (std::size_t i = 1; i < host_.events.size(); ++i) {
    if (host_.events[i].kind == "progress" && host_.events[i - 1].kind == "progress") {
      EXPECT_LE(host_.events[i - 1].percent, host_.events[i].percent) << i;
    }
  }
  EXPECT_EQ(host_.pumps, 2 * 25600 + 160 + 319);
  EXPECT_EQ(host_.cancelTests, 1 + 25600 + 160 + 319);
  // The filled cells lie on the planes between the samples.
  const HeightMap map = Output();
  const auto sample = [](int col, int row) {
    return static_cast<float>((row * 7 + col * 3) % 500);
  };
  // Cell (row 1, column 1) of the image is south of the top row by one cell.
  const float top = (sample(0, 159) + sample(1, 159)) / 2;
  const float below = (sample(0, 158) + sample(1, 158)) / 2;
  EXPECT_EQ(map.codes[319 + 1], Code((top + below) / 2));
}

TEST_F(ConvertDem, CancelDuringTheScanStopsAtItsNextTest) {
  host_.cancelOnProgress = "Processing source file";
  EXPECT_EQ(Convert(GridDem(200, 130, 10)), RunOutcome::kCancelled);
  EXPECT_EQ(host_.cancelTests, 1);
  EXPECT_EQ(host_.pumps, 24999);
  EXPECT_EQ(host_.ProgressCount(), 1u);
  EXPECT_TRUE(host_.Errors().empty());
  EXPECT_FALSE(host_.cancelDisabled);
  ExpectNoOutput();
}

TEST_F(ConvertDem, CancelDuringPlacementStopsAtTheNextPoint) {
  test::WriteText(output_, "previous height map");
  host_.cancelAtPump = 4 + 2;  // inside the pump after the second placed point
  EXPECT_EQ(Convert("0 0 5\n0 10 6\n10 0 7\n10 10 8\n"), RunOutcome::kCancelled);
  EXPECT_EQ(host_.cancelTests, 3);
  EXPECT_TRUE(host_.Errors().empty());
  EXPECT_FALSE(host_.cancelDisabled);
  const std::vector<std::uint8_t> kept = test::ReadFile(output_);
  EXPECT_EQ(std::string(kept.begin(), kept.end()), "previous height map");
  EXPECT_EQ(OtherFiles(dir_, "area.xyz"), std::vector<std::string>{"area.xyz.tga"});
}

TEST_F(ConvertDem, CancelDuringInterpolationWritesNothing) {
  host_.cancelOnProgress = "Completing generated surface";
  EXPECT_EQ(Convert("0 0 0\n0 20 40\n20 0 20\n20 20 60\n"), RunOutcome::kCancelled);
  EXPECT_EQ(host_.ProgressCount(), 1u);
  EXPECT_FALSE(host_.cancelDisabled);
  ExpectNoOutput();
}

// `text` with every line end made CRLF and every space a semicolon, under
// column names and a comment.
std::string AsGisExport(const std::string& text) {
  std::string exported = "\"X\";\"Y\";\"Z\"\r\n# exported\r\n";
  for (char c : text) {
    exported += c == '\n' ? std::string("\r\n") : c == ' ' ? std::string(";") : std::string(1, c);
  }
  return exported;
}

struct ThreadCase {
  const char* name;
  std::string text;
  const char* cancelOn = nullptr;  // press Cancel when this progress text shows
};

void PrintTo(const ThreadCase& c, std::ostream* os) {
  *os << c.name;
}

class ConvertDemThreads : public ConvertDem, public ::testing::WithParamInterface<ThreadCase> {
 protected:
  // What the user sees of one conversion, and what it writes.
  struct Run {
    RunOutcome outcome = RunOutcome::kFailed;
    std::vector<std::uint8_t> bytes;
    std::vector<RecordingImportHost::Event> events;
    std::int64_t pumps = 0;
    std::int64_t cancelTests = 0;
  };

  Run ConvertWith(int threads, std::size_t blockBytes) {
    host_ = RecordingImportHost();
    if (GetParam().cancelOn != nullptr) {
      host_.cancelOnProgress = GetParam().cancelOn;
    }
    std::filesystem::remove(output_);
    ConvertOptions options;
    options.threads = threads;
    options.scanBlockBytes = blockBytes;
    Run run;
    run.outcome = convertdem(input_, host_, CreateHeightMapOutput, options);
    if (OutputExists()) {
      run.bytes = test::ReadFile(output_);
    }
    run.events = host_.events;
    run.pumps = host_.pumps;
    run.cancelTests = host_.cancelTests;
    return run;
  }
};

// The height map, every message, progress step, pump and cancel test are the
// same whether one thread reads the text or several, wherever the blocks fall.
TEST_P(ConvertDemThreads, GiveWhatOneThreadGives) {
  test::WriteText(input_, GetParam().text);
  const Run one = ConvertWith(1, 0);
  struct Reading {
    int threads;
    std::size_t blockBytes;
  };
  for (const Reading reading : {Reading{2, 64}, Reading{2, 4096}, Reading{7, 100}}) {
    const Run run = ConvertWith(reading.threads, reading.blockBytes);
    const std::string label = std::string(GetParam().name) + ", " +
                              std::to_string(reading.threads) + " threads, blocks of " +
                              std::to_string(reading.blockBytes);
    EXPECT_EQ(run.outcome, one.outcome) << label;
    EXPECT_TRUE(run.bytes == one.bytes) << label;
    EXPECT_EQ(run.pumps, one.pumps) << label;
    EXPECT_EQ(run.cancelTests, one.cancelTests) << label;
    ASSERT_EQ(run.events.size(), one.events.size()) << label;
    for (std::size_t i = 0; i < one.events.size(); ++i) {
      EXPECT_EQ(run.events[i].kind, one.events[i].kind) << label << ", event " << i;
      EXPECT_EQ(run.events[i].text, one.events[i].text) << label << ", event " << i;
      EXPECT_EQ(run.events[i].percent, one.events[i].percent) << label << ", event " << i;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(
    Readings, ConvertDemThreads,
    ::testing::Values(
        ThreadCase{"lf", GridDem(200, 130, 10)},
        ThreadCase{"crlf_gis_export", AsGisExport(GridDem(200, 130, 10))},
        ThreadCase{"interpolated", GridDem(160, 160, 20)},
        ThreadCase{"text_late_in_the_file", GridDem(200, 130, 10) + "0 0 end\n"},
        // The first fault in the file is the one shown, though a later block
        // may be read first.
        ThreadCase{"spacing_fault_before_text", "0 0 1\n0 0.5 2\n" + GridDem(200, 130, 10) + "x\n"},
        ThreadCase{"cancel_while_scanning", GridDem(200, 130, 10), "Processing source file"},
        ThreadCase{"cancel_while_placing", GridDem(200, 130, 10),
                   "Generating surface from imported data"}),
    [](const ::testing::TestParamInfo<ThreadCase>& info) { return std::string(info.param.name); });

TEST_F(ConvertDem, HeightsRoundTripThroughTheTwentyFourBitCoding) {
  const std::vector<float> heights = {-1000.0f, -999.5f, -12.25f, 0.0f,    0.001f,
                                      123.456f, 1000.0f, 4321.5f, 8999.9f, 9000.0f};
  std::string text;
  for (std::size_t i = 0; i < heights.size(); ++i) {
    text += std::to_string(i * 10) + " 0 " + std::to_string(heights[i]) + "\n";
  }
  ASSERT_EQ(Convert(text), RunOutcome::kWritten);
  const std::vector<std::uint8_t> bytes = test::ReadFile(output_);
  TerrainJob job;
  job.dataFormat = k24BitHeightCoding;
  job.baseHeight = -1000.0f;
  job.maxHeight = 9000.0f;
  job.heightScale = static_cast<float>((static_cast<double>(job.maxHeight) - job.baseHeight) *
                                       HeightFactor(k24BitHeightCoding));
  // One code step, plus the float rounding of heights near 9000.
  const double tolerance = 10000.0 / 16777216.0 + 1e-3;
  for (std::size_t i = 0; i < heights.size(); ++i) {
    const float decoded = DecodeHeight(job, bytes.data() + 18 + 3 * i);
    EXPECT_NEAR(decoded, std::stof(std::to_string(heights[i])), tolerance) << i;
  }
}

// The height of the 1 m point at (x + 0.5, y + 0.5) as its text gives it.
float TileHeight(int x, int y) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", 200 + 0.05 * x - 0.03 * y + 2 * ((x * 7 + y * 3) % 5));
  return std::strtof(text, nullptr);
}

// Tiles of one model: four 1 m tiles of 100 x 100 points, two by two, each
// listed row by row from the north, with a sloping, rippled surface.
class ConvertDemTiles : public ConvertDem {
 protected:
  void SetUp() override {
    for (int tile = 0; tile < 4; ++tile) {
      const int west = 5000 + 100 * (tile % 2);
      const int south = 8000 + 100 * (tile / 2);
      std::string text;
      char line[96];
      for (int y = south + 99; y >= south; --y) {
        for (int x = west; x < west + 100; ++x) {
          std::snprintf(line, sizeof line, "%d.5 %d.5 %.2f\n", x, y,
                        static_cast<double>(TileHeight(x, y)));
          text += line;
        }
      }
      tiles_.push_back(dir_.File("tile" + std::to_string(tile) + ".xyz"));
      test::WriteText(tiles_.back(), text);
      all_ += text;
    }
  }

  RunOutcome ConvertTiles(const ConvertOptions& options) {
    return convertdem(tiles_, host_, CreateHeightMapOutput, options, report_);
  }

  std::vector<std::string> tiles_;
  std::string all_;  // the tiles' text, concatenated in order
  ConvertReport report_;
};

TEST_F(ConvertDemTiles, GiveTheBytesOfTheirConcatenation) {
  for (const bool average : {false, true}) {
    ConvertOptions options;
    options.average = average;
    options.outputPath = dir_.File("set.tga");
    ASSERT_EQ(ConvertTiles(options), RunOutcome::kWritten);
    test::WriteText(input_, all_);
    options.outputPath = output_;
    ASSERT_EQ(convertdem({input_}, host_, CreateHeightMapOutput, options, report_),
              RunOutcome::kWritten);
    EXPECT_EQ(test::ReadFile(dir_.File("set.tga")), test::ReadFile(output_)) << average;
    EXPECT_EQ(Decode(test::ReadFile(output_)).width, 20);
  }
  EXPECT_FALSE(host_.Progress("Reading tile 3 of 4").empty());
  // The pixels cover the tiles' cells, not their posts.
  EXPECT_EQ(report_.georeference.west, 5000);
  EXPECT_EQ(report_.georeference.north, 8200);
  EXPECT_EQ(report_.georeference.height, 20);
}

// A 1 m model averaged: each 10 m pixel is the mean of its hundred points,
// where the default keeps the last.
TEST_F(ConvertDemTiles, AverageTakesTheMeanOfEachPixel) {
  ConvertOptions options;
  options.outputPath = output_;
  options.area = ConvertArea{5000, 8190, 5010, 8200};
  ASSERT_EQ(ConvertTiles(options), RunOutcome::kWritten);
  // The last point of the pixel, listed from the north: (5009.5, 8190.5).
  EXPECT_EQ(Output().codes, std::vector<std::uint32_t>{Code(TileHeight(5009, 8190))});
  options.average = true;
  ASSERT_EQ(ConvertTiles(options), RunOutcome::kWritten);
  double sum = 0;
  for (int y = 8190; y < 8200; ++y) {
    for (int x = 5000; x < 5010; ++x) {
      sum += static_cast<double>(TileHeight(x, y));
    }
  }
  const HeightMap map = Output();
  ASSERT_EQ(map.width, 1);
  EXPECT_NEAR(static_cast<double>(map.codes.front()), Code(static_cast<float>(sum / 100)), 2.0);
}

struct AreaCase {
  const char* name;
  ConvertArea area;
  int width;  // 0: refused
  int height;
  const char* error;
};

void PrintTo(const AreaCase& c, std::ostream* os) {
  *os << c.name;
}

class ConvertDemArea : public ConvertDemTiles, public ::testing::WithParamInterface<AreaCase> {};

TEST_P(ConvertDemArea, CropsToTheAreaOrRefusesIt) {
  ConvertOptions options;
  options.outputPath = output_;
  options.area = GetParam().area;
  const RunOutcome outcome = ConvertTiles(options);
  if (GetParam().width == 0) {
    EXPECT_EQ(outcome, RunOutcome::kFailed);
    EXPECT_EQ(host_.Errors(), std::vector<std::string>{GetParam().error});
    EXPECT_FALSE(OutputExists());
    return;
  }
  ASSERT_EQ(outcome, RunOutcome::kWritten);
  const HeightMap map = Output();
  EXPECT_EQ(map.width, GetParam().width);
  EXPECT_EQ(map.height, GetParam().height);
  EXPECT_EQ(report_.georeference.west, GetParam().area.xMin);
  EXPECT_EQ(report_.georeference.north, GetParam().area.yMax);
}

INSTANTIATE_TEST_SUITE_P(
    Areas, ConvertDemArea,
    ::testing::Values(AreaCase{"whole_tiles", {5000, 8000, 5200, 8200}, 20, 20, ""},
                      AreaCase{"across_the_seams", {5050, 8050, 5150, 8130}, 10, 8, ""},
                      AreaCase{
                          "reaching_outside",
                          {4990, 8000, 5100, 8100},
                          0,
                          0,
                          "Error: the area asked for reaches 10.0 m outside the data, which covers "
                          "5000.0,8000.0 to 5200.0,8200.0."}),
    [](const ::testing::TestParamInfo<AreaCase>& info) { return std::string(info.param.name); });

TEST_F(ConvertDemTiles, RefuseThePointAroundWhichTheyDoNotKnow) {
  ConvertOptions options;
  options.around = ConvertAround{49.5, 11.5, 1, 1};
  EXPECT_EQ(ConvertTiles(options), RunOutcome::kFailed);
  ASSERT_EQ(host_.Errors().size(), 1u);
  EXPECT_NE(host_.Errors().front().find("--around"), std::string::npos);
}

TEST_F(ConvertDemTiles, CancelInTheThirdTileLeavesNothing) {
  host_.cancelOnProgress = "Reading tile 3 of 4";
  ConvertOptions options;
  options.outputPath = dir_.File("set.tga");
  options.threads = 1;
  EXPECT_EQ(ConvertTiles(options), RunOutcome::kCancelled);
  EXPECT_TRUE(host_.Progress("Reading tile 4 of 4").empty());
  EXPECT_EQ(OtherFiles(dir_, "").size(), 4u);  // the tiles alone
}

}  // namespace
}  // namespace kem
