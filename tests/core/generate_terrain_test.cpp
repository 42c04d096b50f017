#include "core/generate_terrain.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <vector>

#include "core/byte_io.h"
#include "core/colour.h"
#include "core/layout_file.h"
#include "core/random_source.h"
#include "core/replacing_file.h"
#include "core/terrain_job.h"
#include "support/test_outputs.h"
#include "support/test_support.h"

namespace kem {
namespace {

namespace fs = std::filesystem;
using Rgb = std::array<std::uint8_t, 3>;
using test::RecordingHost;

constexpr const char* kDimensionsMessage =
    "Error: image dimensions unsuitable for terrain generation.";
constexpr const char* kNotFoundMessage = "Error: image not found or failed to open.";
constexpr const char* kNotTargaMessage = "Error: file is not a targa image.";
constexpr const char* kWrongTypeMessage =
    "Error: source is not uncompressed true colour targa image.";
constexpr const char* kRightToLeftMessage =
    "Error: data in source arranged right to left, currently unsupported.";
constexpr const char* kSizeMessage = "Error: size doesn't match the size of elevation data image.";
constexpr const char* kCannotCreateMessage = "Error: layout file could not be created.";
constexpr const char* kWriteFailedMessage = "Error: failed to write layout file.";

// Picture pixel (x, y) carries the 24-bit code 1000 x x + y, so a decoded
// height tells where on the image a vertex came from.
Rgb PositionCode(int x, int y) {
  const int code = 1000 * x + y;
  return {static_cast<std::uint8_t>(code >> 16), static_cast<std::uint8_t>(code >> 8),
          static_cast<std::uint8_t>(code)};
}

void ExpectIdle(const TerrainJob& job) {
  EXPECT_FALSE(job.elevation);
  EXPECT_FALSE(job.minimap);
  EXPECT_FALSE(job.texturingGuide);
  EXPECT_FALSE(job.filterGuide);
  EXPECT_FALSE(job.output);
  EXPECT_FALSE(job.boardMap);
  EXPECT_EQ(job.textures, nullptr);
  EXPECT_EQ(job.boardCount, 0);
}

class GenerateTerrainRun : public ::testing::Test {
 public:
  // For the arrangements of the failure cases.
  void Save(const std::string& name, int width, int height) { SaveImage(name, width, height); }
  void Raw(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    test::WriteFile(dir_.File(name), bytes);
  }
  std::string Path(const std::string& name) const { return dir_.File(name); }

 protected:
  void SetUp() override {
    dir_.Chdir();
    test::WriteFile(kTileTemplateFile, test::SampleTemplate());
    SaveImage("height.tga", 76, 76);
    settings_.heightMapPath = dir_.File("height.tga");
    settings_.outputPath = dir_.File("out.gnd");
    settings_.dataFormat = k24BitHeightCoding;
    settings_.baseHeight = 0.0f;
    settings_.maxHeight = 16777216.0f;  // one unit per code step
    settings_.interpolate = 0;
  }

  void SaveImage(const std::string& name, int width, int height,
                 std::function<Rgb(int, int)> pixel = PositionCode) {
    test::TargaImage image;
    image.width = width;
    image.height = height;
    image.pixel = std::move(pixel);
    image.Save(dir_.File(name));
  }

  // Files in the folder other than the inputs: the output and any leftovers.
  std::vector<std::string> Outputs() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path())) {
      const std::string name = entry.path().filename().string();
      if (name.find(".gnd") != std::string::npos) {
        names.push_back(name);
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::uint8_t> Output() const { return test::ReadFile(settings_.outputPath); }

  // Height of vertex (x, y) of block p of a layout file.
  static float Height(const std::vector<std::uint8_t>& file, std::int64_t blockOffset, int x,
                      int y) {
    return GetFloat32(file.data() + blockOffset + kVertexRecordsOffset +
                      kVertexRecordSize * (76 * x + y) + kVertexHeightField);
  }

  test::TempDir dir_;
  ProjectSettings settings_;
  RecordingHost host_;
};

TEST_F(GenerateTerrainRun, WritesALayoutOfOneBoard) {
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  EXPECT_TRUE(host_.Messages().empty());
  const auto file = Output();
  ASSERT_EQ(file.size(), 127110u);
  EXPECT_EQ((std::vector<std::uint8_t>(file.begin(), file.begin() + 16)),
            (std::vector<std::uint8_t>{'G', 'N', 'D', 10, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(GetLe32Signed(file.data() + 16), 3792);
  EXPECT_EQ(GetLe32Signed(file.data() + 20), 61556);
  EXPECT_EQ((std::vector<std::uint8_t>(file.begin() + 24, file.begin() + 804)),
            test::SampleTemplate());
  EXPECT_EQ(GetLe32Signed(file.data() + 804 + 4), 6270);  // a filler record
  EXPECT_EQ(file[3792 + 4], 253);
  EXPECT_EQ(Height(file, 3792, 40, 30), 40030.0f);
  EXPECT_EQ(file[61556 + 12], 128);  // the minimap header's width
  EXPECT_EQ(Outputs(), std::vector<std::string>{"out.gnd"});
}

TEST_F(GenerateTerrainRun, ReportsProgressOncePerBoardPosition) {
  SaveImage("height.tga", 148, 148);
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  ASSERT_EQ(host_.events.size(), 2u);
  EXPECT_EQ(host_.events[0].kind, "progress");
  EXPECT_EQ(host_.events[0].text, "Terraforming boards ::");
  EXPECT_EQ(host_.events[0].caption, "4");  // the bar's maximum
  EXPECT_EQ(host_.events[1].kind, "progress-end");
  EXPECT_EQ(host_.steps, 4);
  EXPECT_EQ(host_.pumps, 4);
}

TEST_F(GenerateTerrainRun, PutsTheAnchorFirstAndTheRestInRowMajorOrder) {
  SaveImage("height.tga", 148, 148);
  const GenerateResult result = GenerateTerrain(settings_, host_);
  ASSERT_EQ(result.outcome, RunOutcome::kWritten);
  const auto file = Output();
  ASSERT_EQ(file.size(), static_cast<std::size_t>(3776 + 123334 * 4));
  EXPECT_EQ(result.boards, 4);
  EXPECT_EQ(result.bytes, file.size());
  // Vertex (10, 10) of board (col, row) is picture pixel (72 col + 10, 72 row + 10).
  const std::vector<std::array<int, 2>> order = {{1, 1}, {0, 0}, {1, 0}, {0, 1}};
  for (std::size_t p = 0; p < order.size(); ++p) {
    const auto [col, row] = order[p];
    EXPECT_EQ(Height(file, BoardBlockOffset(4, static_cast<std::int64_t>(p)), 10, 10),
              static_cast<float>(1000 * (72 * col + 10) + 72 * row + 10))
        << "block " << p;
  }
  // Index: anchor offsets, then deltas and offsets of (0,0), (1,0), (0,1).
  std::vector<std::int32_t> index;
  for (std::size_t at = 16; at < 16 + 56; at += 4) {
    index.push_back(GetLe32Signed(file.data() + at));
  }
  EXPECT_EQ(index, (std::vector<std::int32_t>{3840, 61604, -1, -1, 127158, 184922, -1, 0, 250476,
                                              308240, 0, -1, 373794, 431558}));
}

TEST_F(GenerateTerrainRun, FilterGuideWithoutMarkersStillWritesBoardZero) {
  SaveImage("height.tga", 148, 76);
  SaveImage("filter.tga", 148, 76, [](int, int) { return Rgb{0, 0, 0}; });
  settings_.filterGuidePath = dir_.File("filter.tga");
  const GenerateResult result = GenerateTerrain(settings_, host_);
  ASSERT_EQ(result.outcome, RunOutcome::kWritten);
  const auto file = Output();
  ASSERT_EQ(file.size(), 127102u);
  EXPECT_EQ(result.boards, 0);
  EXPECT_EQ(result.bytes, file.size());
  EXPECT_EQ(GetLe32Signed(file.data() + 4), 0);
  EXPECT_EQ((std::vector<std::uint8_t>(file.begin() + 16, file.begin() + 796)),
            test::SampleTemplate());
  EXPECT_EQ(Height(file, 3784, 10, 10), 10010.0f);  // board (0, 0)
  ASSERT_EQ(host_.events.size(), 4u);
  EXPECT_EQ(host_.events[0].text, "Filtering boards ::");
  EXPECT_EQ(host_.events[0].caption, "2");
  EXPECT_EQ(host_.events[1].kind, "progress-end");
  EXPECT_EQ(host_.events[2].text, "Terraforming boards ::");
  EXPECT_EQ(host_.pumps, 4);
}

TEST_F(GenerateTerrainRun, OneMarkedBoardGivesOneBlock) {
  SaveImage("height.tga", 220, 76);
  // A cyan marker inside board 1 only (image columns 76 to 143).
  SaveImage("filter.tga", 220, 76, [](int x, int y) {
    return x == 100 && y == 30 ? Rgb{0, 255, 255} : Rgb{0, 0, 0};
  });
  settings_.filterGuidePath = dir_.File("filter.tga");
  settings_.filterRadius = 0;
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  const auto file = Output();
  ASSERT_EQ(file.size(), 127110u);
  EXPECT_EQ(GetLe32Signed(file.data() + 4), 1);
  EXPECT_EQ(Height(file, 3792, 10, 10), static_cast<float>(1000 * 82 + 10));
}

TEST_F(GenerateTerrainRun, ASecondRunWritesTheSameFile) {
  SaveImage("height.tga", 148, 76);
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  const auto first = Output();
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  EXPECT_EQ(Output(), first);
  EXPECT_EQ(Outputs(), std::vector<std::string>{"out.gnd"});
}

TEST_F(GenerateTerrainRun, ReplacesAnExistingLayout) {
  test::WriteText(settings_.outputPath, "old layout");
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  EXPECT_EQ(Output().size(), 127110u);
}

TEST_F(GenerateTerrainRun, UsesOnlyTheFirst780BytesOfTheTemplate) {
  auto longer = test::SampleTemplate();
  longer.resize(5000, 0x5A);
  test::WriteFile(kTileTemplateFile, longer);
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  const auto file = Output();
  ASSERT_EQ(file.size(), 127110u);
  EXPECT_EQ((std::vector<std::uint8_t>(file.begin() + 24, file.begin() + 804)),
            test::SampleTemplate());
}

TEST_F(GenerateTerrainRun, MissingTextureListIsReportedAndTheRunGoesOn) {
  SaveImage("guide.tga", 76, 76, [](int, int) { return Rgb{0, 200, 0}; });
  settings_.texturingGuidePath = dir_.File("guide.tga");
  settings_.randomizeTextures = 1;
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  ASSERT_EQ(host_.events.size(), 3u);
  EXPECT_EQ(host_.events[0].kind, "information");
  EXPECT_EQ(host_.events[0].caption, "Vurazuz.MakeTextureTable");
  const auto file = Output();
  EXPECT_EQ(file[3792 + 4 + 1], 0);  // unpainted
}

TEST_F(GenerateTerrainRun, ListsAndPaintsTheTexturesOfTheList) {
  SaveImage("guide.tga", 76, 76, [](int x, int) {
    return x < 38 ? Rgb{0, 200, 0} : Rgb{90, 60, 30};
  });
  test::WriteText("textures.txt", "7:70 0,255,0\n8:80 100,50,25\n");
  settings_.texturingGuidePath = dir_.File("guide.tga");
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  EXPECT_TRUE(host_.Messages().empty());
  const auto file = Output();
  EXPECT_EQ(GetFloat32(file.data() + 804), 1.0f);
  EXPECT_EQ(GetLe32Signed(file.data() + 808), 70);
  EXPECT_EQ(GetLe32Signed(file.data() + 812), 7);
  EXPECT_EQ(GetFloat32(file.data() + 816), 2.0f);
  EXPECT_EQ(file[3792 + 4 + 10 * (76 * 0) + 1], 1);
  EXPECT_EQ(file[3792 + 4 + 10 * (76 * 75) + 1], 2);
}

TEST_F(GenerateTerrainRun, EqualBaseAndMaximumGiveFlatTerrain) {
  settings_.baseHeight = 250.0f;
  settings_.maxHeight = 250.0f;
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  EXPECT_EQ(Height(Output(), 3792, 33, 44), 250.0f);
}

TEST_F(GenerateTerrainRun, DerivesTheHeightScaleInDouble) {
  settings_.dataFormat = kGreyScale;
  settings_.baseHeight = -3.5f;
  settings_.maxHeight = 1000.25f;
  ASSERT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kWritten);
  // Vertex (40, 30) shows picture pixel (40, 30), decoded with that scale.
  TerrainJob expected(settings_);
  expected.heightScale = static_cast<float>((1000.25 - -3.5) * static_cast<double>(0.01f));
  const Rgb rgb = PositionCode(40, 30);
  const std::uint8_t pixel[3] = {rgb[2], rgb[1], rgb[0]};
  EXPECT_EQ(Height(Output(), 3792, 40, 30), DecodeHeight(expected, pixel));
}

// Every way a run can stop: the messages in order, no layout left behind, an
// existing layout untouched.
struct FailureCase {
  const char* name;
  std::function<void(GenerateTerrainRun&, ProjectSettings&)> arrange;
  std::vector<std::string> messages;
  OutputFileFactory factory = nullptr;  // the run's own output when null
};

class GenerateTerrainFailure : public GenerateTerrainRun,
                               public ::testing::WithParamInterface<FailureCase> {};

test::TargaImage Image(int width, int height) {
  test::TargaImage image;
  image.width = width;
  image.height = height;
  return image;
}

std::vector<std::uint8_t> Encoded(int width, int height, std::uint8_t type, std::uint8_t bits = 0) {
  auto image = Image(width, height);
  image.imageType = type;
  image.extraDescriptorBits = bits;
  return image.Encode();
}

TEST_P(GenerateTerrainFailure, StopsWithItsMessagesAndLeavesNoLayout) {
  const FailureCase& c = GetParam();
  test::WriteText(settings_.outputPath, "old layout");
  c.arrange(*this, settings_);
  const GenerateResult result =
      c.factory ? GenerateTerrain(settings_, host_, c.factory) : GenerateTerrain(settings_, host_);
  EXPECT_EQ(result.outcome, RunOutcome::kFailed);
  EXPECT_EQ(result.boards, 0);
  EXPECT_EQ(result.bytes, 0u);
  EXPECT_EQ(host_.Messages(), c.messages);
  EXPECT_EQ(Outputs(), std::vector<std::string>{"out.gnd"});
  const auto old = test::ReadFile(Path("out.gnd"));
  EXPECT_EQ(std::string(old.begin(), old.end()), "old layout");
}

using T = GenerateTerrainRun;

// A guide of `width` x `height` beside the 76 x 76 height map; a guide must
// match the map in both.
FailureCase GuideOfSize(const char* name, std::string ProjectSettings::*guide, int width,
                        int height) {
  return {name,
          [guide, width, height](T& t, ProjectSettings& settings) {
            t.Save("guide.tga", width, height);
            settings.*guide = t.Path("guide.tga");
          },
          {kSizeMessage}};
}

INSTANTIATE_TEST_SUITE_P(
    Driver, GenerateTerrainFailure,
    ::testing::Values(
        FailureCase{"TemplateMissing",
                    [](T&, ProjectSettings&) { fs::remove(kTileTemplateFile); },
                    {"Error: tile template file tile_blank.dat not found or failed to open."}},
        FailureCase{"TemplateShort",
                    [](T&, ProjectSettings&) {
                      auto bytes = test::SampleTemplate();
                      bytes.pop_back();
                      test::WriteFile(kTileTemplateFile, bytes);
                    },
                    {"Error: tile template file tile_blank.dat is shorter than 780 bytes."}},
        FailureCase{"TemplateEmpty",
                    [](T&, ProjectSettings&) { test::WriteFile(kTileTemplateFile, {}); },
                    {"Error: tile template file tile_blank.dat is shorter than 780 bytes."}},
        FailureCase{
            "HeightMapMissing",
            [](T& t, ProjectSettings& settings) { settings.heightMapPath = t.Path("none.tga"); },
            {kNotFoundMessage}},
        FailureCase{"HeightMapPathEmpty",
                    [](T&, ProjectSettings& settings) { settings.heightMapPath.clear(); },
                    {kNotFoundMessage}},
        FailureCase{"HeightMapNotTarga",
                    [](T& t, ProjectSettings&) {
                      t.Raw("height.tga", {1, 2, 3, 4, 5});
                    },
                    {kNotTargaMessage}},
        FailureCase{"HeightMapRunLengthEncoded",
                    [](T& t, ProjectSettings&) { t.Raw("height.tga", Encoded(76, 76, 10)); },
                    {kWrongTypeMessage}},
        FailureCase{"HeightMapRightToLeft",
                    [](T& t, ProjectSettings&) { t.Raw("height.tga", Encoded(76, 76, 2, 0x10)); },
                    {kRightToLeftMessage}},
        FailureCase{"HeightMapThreePixelsWideAndColourMapped",
                    [](T& t, ProjectSettings&) { t.Raw("height.tga", Encoded(3, 76, 1)); },
                    {kWrongTypeMessage, kDimensionsMessage}},
        FailureCase{"HeightMapNarrowerThanABoard",
                    [](T& t, ProjectSettings&) { t.Save("height.tga", 75, 76); },
                    {kDimensionsMessage}},
        FailureCase{"HeightMapLowerThanABoard",
                    [](T& t, ProjectSettings&) { t.Save("height.tga", 200, 75); },
                    {kDimensionsMessage}},
        FailureCase{"HeightMapIncomplete",
                    [](T& t, ProjectSettings&) {
                      auto bytes = Image(76, 76).Encode();
                      bytes.pop_back();
                      t.Raw("height.tga", bytes);
                    },
                    {"Error: targa image data is incomplete."}},
        FailureCase{"UnknownDataFormat",
                    [](T&, ProjectSettings& settings) { settings.dataFormat = 5; },
                    {"Error: unknown height data format."}},
        FailureCase{"NegativeDataFormat",
                    [](T&, ProjectSettings& settings) { settings.dataFormat = -1; },
                    {"Error: unknown height data format."}},
        FailureCase{
            "MinimapMissing",
            [](T& t, ProjectSettings& settings) { settings.minimapPath = t.Path("none.tga"); },
            {kNotFoundMessage}},
        GuideOfSize("MinimapOfAnotherWidth", &ProjectSettings::minimapPath, 148, 76),
        GuideOfSize("MinimapOfAnotherHeight", &ProjectSettings::minimapPath, 76, 148),
        GuideOfSize("TexturingGuideOfAnotherWidth", &ProjectSettings::texturingGuidePath, 148, 76),
        GuideOfSize("TexturingGuideOfAnotherHeight", &ProjectSettings::texturingGuidePath, 76, 148),
        GuideOfSize("FilterGuideOfAnotherWidth", &ProjectSettings::filterGuidePath, 148, 76),
        GuideOfSize("FilterGuideOfAnotherHeight", &ProjectSettings::filterGuidePath, 76, 148),
        FailureCase{"FilterGuideNotTarga",
                    [](T& t, ProjectSettings& settings) {
                      t.Raw("filter.tga", {0, 0, 2});
                      settings.filterGuidePath = t.Path("filter.tga");
                    },
                    {kNotTargaMessage}},
        FailureCase{"FilterGuideRightToLeftOfAnotherSize",
                    [](T& t, ProjectSettings& settings) {
                      t.Raw("filter.tga", Encoded(80, 76, 2, 0x10));
                      settings.filterGuidePath = t.Path("filter.tga");
                    },
                    {kRightToLeftMessage, kSizeMessage}},
        FailureCase{
            "OutputFolderMissing",
            [](T& t, ProjectSettings& settings) { settings.outputPath = t.Path("no/out.gnd"); },
            {kCannotCreateMessage}},
        FailureCase{"OutputPathEmpty",
                    [](T&, ProjectSettings& settings) { settings.outputPath.clear(); },
                    {kCannotCreateMessage}},
        FailureCase{"OutputPathIsAFolder",
                    [](T& t, ProjectSettings& settings) {
                      fs::create_directory(t.Path("folder"));
                      settings.outputPath = t.Path("folder");
                    },
                    {kCannotCreateMessage}},
        FailureCase{"WriteFailsInTheHead",
                    [](T&, ProjectSettings&) {},
                    {kWriteFailedMessage},
                    test::FailingAfter(10)},
        FailureCase{"WriteFailsInTheBoards",
                    [](T& t, ProjectSettings&) { t.Save("height.tga", 220, 148); },
                    {kWriteFailedMessage},
                    test::FailingAfter(3 * 123318)},
        FailureCase{"CommitFails",
                    [](T&, ProjectSettings&) {},
                    {kWriteFailedMessage},
                    test::FailingAfter(SIZE_MAX, true)}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

TEST_F(GenerateTerrainRun, RefusesMoreBoardsThanALayoutCanIndex) {
  // 910 x 20 = 18200 boards. The pixels are never read, so the file is left
  // sparse: only its header is written.
  const int width = 910 * 72 + 4;
  const int height = 20 * 72 + 4;
  auto header = Image(1, 1).Encode();
  header.resize(18);
  PutLe16(header.data() + 12, static_cast<std::uint16_t>(width));
  PutLe16(header.data() + 14, static_cast<std::uint16_t>(height));
  test::WriteFile(settings_.heightMapPath, header);
  fs::resize_file(settings_.heightMapPath, 18 + std::uintmax_t{3} * width * height);
  test::WriteText(settings_.outputPath, "old layout");
  EXPECT_EQ(GenerateTerrain(settings_, host_).outcome, RunOutcome::kFailed);
  EXPECT_EQ(host_.Messages(),
            std::vector<std::string>{"Error: too many boards for one layout file."});
  EXPECT_EQ(Outputs(), std::vector<std::string>{"out.gnd"});
  EXPECT_EQ(test::ReadFile(settings_.outputPath).size(), 10u);
}

TEST_F(GenerateTerrainRun, StopsAtTheCancelFlagAndDiscardsTheLayout) {
  SaveImage("height.tga", 220, 76);
  SaveImage("filter.tga", 220, 76, [](int, int) { return Rgb{0, 255, 255}; });
  settings_.filterGuidePath = dir_.File("filter.tga");
  // Three boards: pumps 1 to 3 while filtering, 4 to 6 while writing.
  for (const std::int64_t pump : {1, 3, 4, 6}) {
    SCOPED_TRACE(pump);
    test::WriteText(settings_.outputPath, "old layout");
    RecordingHost host;
    host.cancelAtPump = pump;
    const GenerateResult result = GenerateTerrain(settings_, host);
    EXPECT_EQ(result.outcome, RunOutcome::kCancelled);
    EXPECT_EQ(result.bytes, 0u);
    EXPECT_TRUE(host.Messages().empty());
    EXPECT_EQ(host.pumps, pump);
    EXPECT_EQ(Outputs(), std::vector<std::string>{"out.gnd"});
    EXPECT_EQ(test::ReadFile(settings_.outputPath).size(), 10u);
  }
}

// However many threads build the boards, a run writes the same bytes, pumps
// and reports the same way, and leaves the program's random source where a
// one-thread run leaves it, also when it stops half way (boards gathered
// ahead give their draws back).
TEST_F(GenerateTerrainRun, ThreadCountChangesNothingAUserCanSee) {
  SaveImage("height.tga", 5 * 72 + 4, 2 * 72 + 4);
  SaveImage("guide.tga", 5 * 72 + 4, 2 * 72 + 4, [](int x, int y) {
    return (x + y) % 7 == 0 ? Rgb{0, 0, 0} : Rgb{0, 200, 0};
  });
  test::WriteText("textures.txt", "7:70 0,255,0\n");
  settings_.texturingGuidePath = dir_.File("guide.tga");
  settings_.randomizeTextures = 1;
  settings_.interpolate = 1;
  struct Stop {
    const char* name;
    std::int64_t cancelAtPump;  // 0: never
    std::size_t writeLimit;     // bytes the output takes before failing
  };
  const std::vector<Stop> stops = {
      {"completes", 0, SIZE_MAX},
      {"cancelled at the first board", 1, SIZE_MAX},
      {"cancelled at the sixth board", 6, SIZE_MAX},
      {"write fails in the fourth block", 0, 3792 + 3 * kBoardBlockSize + 100},
  };
  for (const Stop& stop : stops) {
    struct Seen {
      RunOutcome outcome;
      std::int64_t pumps;
      std::vector<std::string> messages;
      std::uint32_t randomState;
      std::vector<std::uint8_t> file;
    };
    std::vector<Seen> seen;
    for (const int threads : {1, 2, 7}) {
      SCOPED_TRACE(std::string(stop.name) + ", threads " + std::to_string(threads));
      RandomSource::Program().Reset(12345u);
      RecordingHost host;
      if (stop.cancelAtPump != 0) {
        host.cancelAtPump = stop.cancelAtPump;
      }
      const GenerateResult result =
          GenerateTerrain(settings_, host, test::FailingAfter(stop.writeLimit),
                          GenerateOptions{.threads = threads, .lookup = {}, .projectPath = {}});
      seen.push_back(
          {result.outcome, host.pumps, host.Messages(), RandomSource::Program().State(),
           result.outcome == RunOutcome::kWritten ? Output() : std::vector<std::uint8_t>{}});
      EXPECT_EQ(seen.back().outcome, seen.front().outcome);
      EXPECT_EQ(seen.back().pumps, seen.front().pumps);
      EXPECT_EQ(seen.back().messages, seen.front().messages);
      EXPECT_EQ(seen.back().randomState, seen.front().randomState);
      EXPECT_TRUE(seen.back().file == seen.front().file);
    }
    EXPECT_NE(seen.front().randomState, 12345u) << stop.name;
  }
}

// A front end may also stop a run by throwing from the message pump.
class CancellingHost : public RecordingHost {
 public:
  bool PumpMessages() override {
    RecordingHost::PumpMessages();
    if (pumps == 2) {
      throw std::runtime_error("cancelled");
    }
    return true;
  }
};

TEST_F(GenerateTerrainRun, ReleasesTheJobWhenTheHostCancels) {
  SaveImage("height.tga", 220, 76);
  CancellingHost host;
  EXPECT_THROW(GenerateTerrain(settings_, host), std::runtime_error);
  EXPECT_TRUE(Outputs().empty());
}

TEST(GenerateTerrain, ShowsTheMessageOfEachCode) {
  const std::vector<std::pair<int, std::string>> cases = {
      {0, "Error: memory allocation failed."},
      {1, "Error: image not found or failed to open."},
      {2, "Error: file is not a targa image."},
      {3, "Undetermined error while reading Targa file."},
      {-1, "Undetermined error while reading Targa file."},
  };
  for (const auto& [code, message] : cases) {
    RecordingHost host;
    ReportTargaOpenError(code, host);
    EXPECT_EQ(host.Messages(), std::vector<std::string>{message}) << code;
  }
}

TEST(GenerateTerrain, ShowsItsMessageAndLeavesTheJobIdle) {
  test::TempDir dir;
  TerrainJob job;
  job.output = ReplacingFile::Create(dir.File("out.gnd"));
  job.boardMap = std::make_unique<BoardMap>(4, kBoardMarked);
  job.boardCount = 4;
  std::vector<std::uint8_t> templateBuffer(780);
  RecordingHost host;
  ReleaseJob("Error: memory allocation failed.", job, templateBuffer, host);
  EXPECT_EQ(host.Messages(), std::vector<std::string>{"Error: memory allocation failed."});
  ExpectIdle(job);
  EXPECT_TRUE(templateBuffer.empty());
  EXPECT_TRUE(fs::is_empty(dir.path()));  // the uncommitted output is gone

  RecordingHost quiet;
  ReleaseJob("", job, templateBuffer, quiet);
  EXPECT_TRUE(quiet.events.empty());
}

}  // namespace
}  // namespace kem
