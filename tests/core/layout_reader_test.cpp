// The layout reader: hostile files (every truncated prefix, damaged sections,
// foreign bytes) and a round trip through the generator in every data format,
// checked against the survey of the same project.
#include "core/layout_reader.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/board_heights.h"
#include "core/byte_io.h"
#include "core/generate_terrain.h"
#include "core/layout_file.h"
#include "core/project_survey.h"
#include "core/targa_source.h"
#include "core/terrain_job.h"
#include "support/test_support.h"

namespace kem {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Rgb = std::array<std::uint8_t, 3>;
using PixelFn = std::function<Rgb(int x, int y)>;

// The guide colours of the three textures of kTextureList, in slot order.
constexpr std::array<Rgb, 3> kTextureColours = {{{255, 0, 0}, {0, 255, 0}, {0, 0, 255}}};
constexpr const char* kTextureList = "11:1 255,0,0\n12:2 0,255,0\n13:3 0,0,255\n";

int TextureIndexAt(int x, int y) {
  return (x / 20 + y / 20) % 3;
}

// A board as the survey decoded it: heights and slots in GridIndex order.
struct SurveyedBoard {
  std::vector<float> heights;
  std::vector<std::uint8_t> slots;
};

// A layout and the survey of the project it was generated from.
struct GeneratedProject {
  Bytes layout;
  ProjectSurvey survey;
  std::map<std::pair<int, int>, SurveyedBoard> boards;  // by (col, row), the boards written
};

// Surveys, then generates, a project of boardCols x boardRows boards from
// `pixel` (interpolation off) with a texturing guide of three textures and,
// when `filter` is given, a filter guide of radius 0.
GeneratedProject GenerateAndSurvey(int boardCols, int boardRows, DataFormat format, float maxHeight,
                                   const PixelFn& pixel, const PixelFn& filter = {}) {
  test::TempDir dir;
  dir.Chdir();
  test::WriteFile(kTileTemplateFile, test::SampleTemplate());
  test::WriteText(kTextureListFile, kTextureList);
  test::TargaImage image;
  image.width = kBoardSide * boardCols + (kWindowSide - kBoardSide);
  image.height = kBoardSide * boardRows + (kWindowSide - kBoardSide);
  image.pixel = pixel;
  image.Save(dir.File("height.tga"));
  image.pixel = [](int x, int y) { return kTextureColours[TextureIndexAt(x, y)]; };
  image.Save(dir.File("guide.tga"));

  ProjectSettings settings;
  settings.heightMapPath = dir.File("height.tga");
  settings.texturingGuidePath = dir.File("guide.tga");
  settings.outputPath = dir.File("out.gnd");
  settings.dataFormat = format;
  settings.baseHeight = 0.0f;
  settings.maxHeight = maxHeight;
  settings.interpolate = 0;
  if (filter) {
    image.pixel = filter;
    image.Save(dir.File("filter.tga"));
    settings.filterGuidePath = dir.File("filter.tga");
    settings.filterRadius = 0;
  }

  GeneratedProject project;
  SurveyOptions options;
  options.board = [&project](const SurveyBoardView& board) {
    if (board.written && board.slots != nullptr) {
      project.boards[{board.col, board.row}] = {
          std::vector<float>(board.heights, board.heights + kWindowPixels),
          std::vector<std::uint8_t>(board.slots, board.slots + kWindowPixels)};
    }
  };
  project.survey = SurveyProject(settings, options);
  test::RecordingHost host;
  EXPECT_EQ(GenerateTerrain(settings, host).outcome, RunOutcome::kWritten);
  project.layout = test::ReadFile(dir.File("out.gnd"));
  return project;
}

Bytes Generate(int boardCols, int boardRows, DataFormat format, float maxHeight,
               const PixelFn& pixel) {
  return GenerateAndSurvey(boardCols, boardRows, format, maxHeight, pixel).layout;
}

LayoutContents Read(const Bytes& bytes, std::size_t size, const LayoutVisitor& visitor = {}) {
  auto source = MemoryLayoutSource(bytes.data(), size);
  return ReadLayout(*source, visitor);
}

// A 24-bit layout of two boards side by side.
const Bytes& TwoBoards() {
  static const Bytes bytes = Generate(2, 1, k24BitHeightCoding, 16777216.0f, [](int x, int y) {
    return Rgb{0, static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y)};
  });
  return bytes;
}

TEST(LayoutReader, ReportsEveryTruncatedPrefixWhereItEnds) {
  const Bytes bytes = Generate(1, 1, kGreyScale, 100.0f, [](int x, int y) {
    return Rgb{static_cast<std::uint8_t>(x + y), 0, 0};
  });
  ASSERT_EQ(bytes.size(), static_cast<std::size_t>(LayoutFileSize(1)));
  int boardsSeen = 0;
  LayoutVisitor visitor;
  visitor.board = [&boardsSeen](const LayoutBoardView&) { ++boardsSeen; };
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    const LayoutContents contents = Read(bytes, size, visitor);
    ASSERT_TRUE(contents.fault) << size;
    ASSERT_EQ(contents.fault->offset, static_cast<std::int64_t>(size));
    ASSERT_NE(contents.fault->message.find("the file ends inside"), std::string::npos) << size;
  }
  EXPECT_EQ(boardsSeen, 0);
  EXPECT_FALSE(Read(bytes, bytes.size()).fault.has_value());

  // A file cut exactly where a section starts ends inside that section.
  const std::pair<std::int64_t, const char*> starts[] = {
      {kLayoutHeadSize, "the zero bytes after the head"},
      {kLayoutIndexOffset, "the board index"},
      {TemplateBlockOffset(1), "the template block"},
      {TextureSectionOffset(1), "the texture section"},
      {BoardBlockOffset(1, 0), "board block 0"},
  };
  for (const auto& [size, section] : starts) {
    const LayoutContents contents = Read(bytes, static_cast<std::size_t>(size));
    ASSERT_TRUE(contents.fault) << section;
    EXPECT_EQ(contents.fault->message.find("the file ends inside " + std::string(section) + ";"),
              0u)
        << contents.fault->message;
  }
  const LayoutContents second = Read(TwoBoards(), BoardBlockOffset(2, 1));
  ASSERT_TRUE(second.fault);
  EXPECT_EQ(second.fault->message.find("the file ends inside board block 1;"), 0u)
      << second.fault->message;
}

// Two blocks at the same place: the second is not after the first in row order.
TEST(LayoutReader, ReportsABoardPlacedTwice) {
  Bytes bytes = Generate(3, 1, kGreyScale, 100.0f, [](int, int) { return Rgb{9, 9, 9}; });
  ASSERT_FALSE(Read(bytes, bytes.size()).fault.has_value());
  const std::int64_t entry1 = kLayoutIndexOffset + kIndexOffsetsSize;
  const std::int64_t entry2 = entry1 + kIndexEntrySize;
  std::memcpy(bytes.data() + entry2, bytes.data() + entry1, kIndexDeltasSize);
  const LayoutContents contents = Read(bytes, bytes.size());
  ASSERT_TRUE(contents.fault);
  EXPECT_EQ(contents.fault->offset, entry2);
  EXPECT_NE(contents.fault->message.find(
                "places block 2 at row delta 0, column delta -2, out of row order"),
            std::string::npos)
      << contents.fault->message;
}

// Byte offset of field `field` of vertex (x, y) in block p of a 2-board file.
std::int64_t VertexField(std::int64_t p, int x, int y, std::size_t field) {
  return BoardBlockOffset(2, p) +
         static_cast<std::int64_t>(kVertexRecordsOffset +
                                   kVertexRecordSize * (kVertexRunLength * x + y) + field);
}

TEST(LayoutReader, ReportsTheFirstFaultAndWhereItLies) {
  const std::int64_t textures = TextureSectionOffset(2);
  const std::int64_t entry1 = kLayoutIndexOffset + kIndexOffsetsSize;
  struct Case {
    const char* name;
    std::function<void(Bytes&)> damage;
    std::int64_t faultAt;
    const char* says;
  };
  const auto put32 = [](std::int64_t at, std::int32_t value) {
    return [at, value](Bytes& b) { PutLe32(b.data() + at, value); };
  };
  const auto set = [](std::int64_t at, std::uint8_t value) {
    return [at, value](Bytes& b) { b[static_cast<std::size_t>(at)] = value; };
  };
  const Case cases[] = {
      {"foreign", [](Bytes& b) { std::memcpy(b.data(), "PK\3\4", 4); }, 0, "not a layout file"},
      {"version", set(kLayoutVersionOffset, 11), 3, "layout version 11"},
      {"negative count", put32(kLayoutHeadCountOffset, -1), 4, "board count -1"},
      {"count too large", put32(kLayoutHeadCountOffset, kMaxLayoutBoards + 1), 4, "outside 0"},
      {"count of one", put32(kLayoutHeadCountOffset, 1), LayoutFileSize(1), "follow the last"},
      {"zero byte", set(12, 7), 12, "not zero"},
      {"index past the end", put32(kLayoutIndexOffset, 0x7FFFFFFF), kLayoutIndexOffset,
       "block offset 2147483647, outside the file"},
      {"minimap offset", put32(entry1 + kIndexDeltasSize + kIndexMinimapOffsetField, 5),
       entry1 + kIndexDeltasSize + kIndexMinimapOffsetField, "minimap offset 5"},
      {"board after the anchor", put32(entry1 + kIndexColDeltaField, 1), entry1,
       "out of row order"},
      {"texture slot", put32(textures + kTextureRecordSize, 0x40800000), textures + 12,
       "slot number 4"},
      {"record after filler",
       [&](Bytes& b) { std::memcpy(b.data() + textures + 4 * 12, b.data() + textures, 12); },
       textures + 4 * 12, "follows a filler record"},
      {"no end marker",
       [&](Bytes& b) {
         for (std::size_t i = 0; i < kTextureRecordCount; ++i) {
           std::uint8_t* record = b.data() + textures + i * kTextureRecordSize;
           PutFloat32(record + kTextureSlotField, static_cast<float>(i + 1));
           PutLe32(record + kTextureKeyAField, std::int32_t{5});
         }
       },
       textures + 128 * 12, "has no end"},
      {"lead byte", set(BoardBlockOffset(2, 1) + 2, 1), BoardBlockOffset(2, 1) + 2, "lead byte"},
      {"marker", set(VertexField(1, 5, 6, kVertexMarkerField), 0),
       VertexField(1, 5, 6, kVertexMarkerField), "vertex (5, 6) of board block 1 has no vertex"},
      {"slot", set(VertexField(0, 0, 0, kVertexSlotField), 4),
       VertexField(0, 0, 0, kVertexSlotField), "texture slot"},
      {"height", put32(VertexField(0, 75, 75, kVertexHeightField), 0x7FC00000),
       VertexField(0, 75, 75, kVertexHeightField), "not a number"},
      {"normal", set(VertexField(1, 3, 3, kVertexNormalUpField), 0x81),
       VertexField(1, 3, 3, kVertexNormalTopField), "upward unit vector"},
      {"minimap header", set(BoardBlockOffset(2, 0) + kMinimapHeaderOffset + 12, 64),
       BoardBlockOffset(2, 0) + kMinimapHeaderOffset, "minimap header"},
      {"minimap pad", set(BoardBlockOffset(2, 1) + kMinimapPixelsOffset + 4 * 9 + 3, 1),
       BoardBlockOffset(2, 1) + kMinimapPixelsOffset + 4 * 9 + 3, "minimap pixel 9"},
  };
  for (const Case& c : cases) {
    Bytes bytes = TwoBoards();
    c.damage(bytes);
    const LayoutContents contents = Read(bytes, bytes.size());
    ASSERT_TRUE(contents.fault) << c.name;
    EXPECT_EQ(contents.fault->offset, c.faultAt) << c.name;
    EXPECT_NE(contents.fault->message.find(c.says), std::string::npos)
        << c.name << ": " << contents.fault->message;
  }
}

// Pixel colours and the colour codes they stand for in one data format.
struct FormatCase {
  DataFormat format;
  float maxHeight;   // with base 0, a code step is maxHeight / codeRange
  double codeRange;  // codes from base to maximum height
  std::vector<std::pair<Rgb, double>> codes;
};

// The reader is the generator's independent witness: what it reads back
// must be what the survey decoded from the same project, board by board.
TEST(LayoutReader, ReadsBackWhatTheSurveyDecodedInEveryFormat) {
  const FormatCase cases[] = {
      {kSpectrumColours,
       350.0f,
       350.0,
       {{{255, 0, 0}, 300}, {{0, 0, 0}, 400}, {{255, 0, 255}, 0}, {{0, 0, 255}, 60}}},
      {kTerrainColourScale,
       129.0f,
       129.0,
       {{{0, 255, 0}, 11}, {{128, 128, 128}, 132}, {{255, 0, 0}, 131}}},
      {kChromaDepthColours,
       254.0f,
       254.0,
       {{{255, 0, 255}, 272}, {{128, 0, 0}, 167}, {{0, 255, 255}, 102}, {{0, 0, 0}, -68}}},
      {kGreyScale, 100.0f, 100.0, {{{51, 51, 51}, 20}, {{255, 255, 255}, 100}, {{0, 0, 0}, 0}}},
      {k24BitHeightCoding,
       16777216.0f,
       16777216.0,
       {{{18, 52, 86}, 1193046}, {{255, 255, 255}, 16777215}, {{1, 2, 3}, 66051}}},
  };
  // Markers in board (0, 0), in the strip boards (1, 0) and (2, 0) share, and
  // in board (2, 1): four of the twelve boards, the anchor being (2, 1).
  const PixelFn filter = [](int x, int y) {
    const bool marker = (x == 38 && y == 38) || (x == 145 && y == 10) || (x == 182 && y == 110);
    return marker ? Rgb{0, 255, 255} : Rgb{90, 90, 90};
  };
  constexpr int kCols = 4;
  constexpr int kRows = 3;
  for (const FormatCase& c : cases) {
    SCOPED_TRACE(c.format);
    const auto codeAt = [&c](int x, int y) {
      return c.codes[static_cast<std::size_t>(x * 7 + y * 3) / 5 % c.codes.size()];
    };
    const GeneratedProject project = GenerateAndSurvey(
        kCols, kRows, c.format, c.maxHeight, [&codeAt](int x, int y) { return codeAt(x, y).first; },
        filter);
    const ProjectSurvey& survey = project.survey;
    ASSERT_TRUE(survey.WouldGenerate()) << testing::PrintToString(survey.problems);
    ASSERT_TRUE(survey.heightsRead && survey.texturesRead);
    EXPECT_EQ(survey.boardCount, 4);
    EXPECT_EQ(project.layout.size(), static_cast<std::size_t>(survey.layoutBytes));

    std::vector<std::pair<int, int>> places;  // (col, row) of each block
    int wrongHeights = 0;
    int wrongSlots = 0;
    int wrongCodes = 0;
    LayoutVisitor visitor;
    visitor.board = [&](const LayoutBoardView& board) {
      const int col = survey.anchor.col + board.place.colDelta;
      const int row = survey.anchor.row + board.place.rowDelta;
      places.emplace_back(col, row);
      const auto surveyed = project.boards.find({col, row});
      ASSERT_NE(surveyed, project.boards.end()) << col << ", " << row;
      for (int x = 0; x < kWindowSide; ++x) {
        for (int y = 0; y < kWindowSide; ++y) {
          const std::size_t v = kVertexRunLength * x + y;
          const auto g = static_cast<std::size_t>(GridIndex(x, y));
          wrongHeights += board.heights[v] != surveyed->second.heights[g];
          wrongSlots += board.slots[v] != surveyed->second.slots[g];
          // And both are the codes the picture was painted with.
          const double expected =
              codeAt(kBoardSide * col + x, kBoardSide * row + y).second * c.maxHeight / c.codeRange;
          wrongCodes += std::abs(board.heights[v] - expected) > 1e-4 * (1 + std::abs(expected));
        }
      }
    };
    const LayoutContents contents = Read(project.layout, project.layout.size(), visitor);
    EXPECT_FALSE(contents.fault.has_value());
    EXPECT_EQ(contents.boardCount, survey.boardCount);
    EXPECT_EQ(contents.blocksRead, survey.boardCount);
    // Block 0 is the survey's anchor, the others its marked boards in
    // row-major order.
    EXPECT_EQ(places, (std::vector<std::pair<int, int>>{{2, 1}, {0, 0}, {1, 0}, {2, 0}}));
    for (const auto& [col, row] : places) {
      EXPECT_EQ(survey.boardMap[static_cast<std::size_t>(row) * kCols + col], kBoardMarked);
    }
    EXPECT_EQ(contents.minHeight, survey.heights.min);
    EXPECT_EQ(contents.maxHeight, survey.heights.max);
    ASSERT_EQ(contents.textures.size(), static_cast<std::size_t>(survey.textureEntries));
    for (std::int32_t i = 0; i < 3; ++i) {
      EXPECT_EQ(contents.textures[i].slot, i + 1);
      EXPECT_EQ(contents.textures[i].keyA, 11 + i);
      EXPECT_EQ(contents.textures[i].keyB, 1 + i);
    }
    EXPECT_EQ(wrongHeights, 0);
    EXPECT_EQ(wrongSlots, 0);
    EXPECT_EQ(wrongCodes, 0);
  }
}

TEST(LayoutReader, ReadsTheUnindexedBlockOfALayoutOfNoBoard) {
  const Bytes& bytes = TwoBoards();
  // The file rebuilt as a layout of no board: head, template, textures, and
  // the block of board (0, 0).
  Bytes empty(bytes.begin(), bytes.begin() + kLayoutIndexOffset);
  PutLe32(empty.data() + kLayoutHeadCountOffset, std::int32_t{0});
  empty.insert(empty.end(), bytes.begin() + TemplateBlockOffset(2),
               bytes.begin() + BoardBlockOffset(2, 0));
  empty.insert(empty.end(), bytes.begin() + BoardBlockOffset(2, 1), bytes.end());
  const LayoutContents contents = Read(empty, empty.size());
  EXPECT_FALSE(contents.fault.has_value());
  EXPECT_EQ(contents.boardCount, 0);
  EXPECT_EQ(contents.blocksRead, 1);
  EXPECT_EQ(contents.minHeight, 0.0f);
  EXPECT_EQ(contents.maxHeight, 75.0f * 256 + 75.0f);
}

}  // namespace
}  // namespace kem
