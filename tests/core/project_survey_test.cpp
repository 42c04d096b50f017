// The project survey: every problem a run would stop on and every warning, the
// pixels it counts, the textures per board and its cancel flag. (Its
// selection, heights and slots are checked against what the generator writes
// in the layout reader's round trip.)
#include "core/project_survey.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/layout_file.h"
#include "support/test_support.h"

namespace kem {
namespace {

namespace fs = std::filesystem;
using Rgb = std::array<std::uint8_t, 3>;

constexpr const char* kNotFound = "Error: image not found or failed to open.";
constexpr const char* kSizeMismatch = "Error: size doesn't match the size of elevation data image.";

// A current folder holding the template and a 2 x 1 board chroma height map;
// the settings point at it and write out.gnd there.
class SurveyFolder {
 public:
  SurveyFolder() {
    dir.Chdir();
    test::WriteFile(kTileTemplateFile, test::SampleTemplate());
    Save("height.tga", 148, 76, [](int, int) { return Rgb{200, 0, 0}; });
    settings.heightMapPath = dir.File("height.tga");
    settings.outputPath = dir.File("out.gnd");
    settings.baseHeight = 0.0f;
    settings.maxHeight = 254.0f;
  }

  // Grey unless `pixel` is given.
  void Save(const std::string& name, int width, int height, std::function<Rgb(int, int)> pixel = {},
            std::uint8_t imageType = 2) {
    test::TargaImage image;
    image.width = width;
    image.height = height;
    image.imageType = imageType;
    image.pixel = pixel ? std::move(pixel) : [](int, int) { return Rgb{90, 90, 90}; };
    image.Save(dir.File(name));
  }

  test::TempDir dir;
  ProjectSettings settings;
};

std::set<std::string> FilesIn(const test::TempDir& dir) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) {
    names.insert(entry.path().filename().string());
  }
  return names;
}

struct SurveyCase {
  const char* name;
  std::function<void(SurveyFolder&)> arrange;
  std::vector<std::string> problems;  // exactly these, in this order
  std::vector<std::string> warnings;  // one warning holding each text, in this order
};

TEST(ProjectSurvey, ListsEveryProblemAndWarningOfARun) {
  using F = SurveyFolder;
  const SurveyCase cases[] = {
      {"sound project", [](F&) {}, {}, {}},
      {"template missing",
       [](F&) { fs::remove(kTileTemplateFile); },
       {"Error: tile template file tile_blank.dat not found or failed to open."},
       {}},
      {"template short",
       [](F&) { test::WriteText(kTileTemplateFile, "short"); },
       {"Error: tile template file tile_blank.dat is shorter than 780 bytes."},
       {}},
      {"height map missing",
       [](F& f) { f.settings.heightMapPath = f.dir.File("none.tga"); },
       {kNotFound},
       {}},
      {"height map not a Targa file",
       [](F& f) { test::WriteText(f.settings.heightMapPath, "tga"); },
       {"Error: file is not a targa image."},
       {}},
      {"compressed and too small: both messages",
       [](F& f) { f.Save("height.tga", 3, 76, {}, 10); },
       {"Error: source is not uncompressed true colour targa image.",
        "Error: image dimensions unsuitable for terrain generation."},
       {}},
      {"unknown format",
       [](F& f) { f.settings.dataFormat = 7; },
       {"Error: unknown height data format."},
       {}},
      {"every guide of another size",
       [](F& f) {
         f.Save("guide.tga", 76, 76);
         f.settings.minimapPath = f.settings.texturingGuidePath = f.settings.filterGuidePath =
             f.dir.File("guide.tga");
       },
       {kSizeMismatch, kSizeMismatch, kSizeMismatch},
       {"The texture list appears to be missing."}},
      {"output folder missing",
       [](F& f) { f.settings.outputPath = f.dir.File("none/out.gnd"); },
       {"Error: layout file could not be created."},
       {}},
      {"output is a folder",
       [](F& f) { f.settings.outputPath = f.dir.path().string(); },
       {"Error: layout file could not be created."},
       {}},
      {"everything at once, in the run's order",
       [](F& f) {
         fs::remove(kTileTemplateFile);
         f.settings.heightMapPath = "";
         f.settings.dataFormat = -1;
         f.settings.filterGuidePath = f.dir.File("none.tga");
         f.settings.outputPath = "";
       },
       {"Error: tile template file tile_blank.dat not found or failed to open.", kNotFound,
        "Error: unknown height data format.", kNotFound,
        "Error: layout file could not be created."},
       {}},
      {"flat range",
       [](F& f) { f.settings.maxHeight = 0.0f; },
       {},
       {"Flat terrain: the base and the maximum height are both 0 m"}},
      {"inverted range",
       [](F& f) { f.settings.baseHeight = 300.0f; },
       {},
       {"Inverted height range: the base height (300 m) is above the maximum height (254 m)"}},
      {"unused pixels",
       [](F& f) { f.Save("height.tga", 150, 80, [](int, int) {
                    return Rgb{200, 0, 0};
                  }); },
       {},
       {"752 pixels of the height map are not used by any board: 2 columns at the right and 4 "
        "rows at the top. Boards use 148 x 76 of its 150 x 80 pixels"}},
      {"no board selected",
       [](F& f) {
         f.Save("filter.tga", 148, 76);
         f.settings.filterGuidePath = f.dir.File("filter.tga");
       },
       {},
       {"The filter guide marks no board"}},
      {"off-format pixels",
       [](F& f) { f.settings.dataFormat = kGreyScale; },
       {},
       {"11248 of the 11248 pixels read are not colours of the \"Grey scale\" scale; the first is "
        "at (0, 0), red 200, green 0, blue 0."}},
      {"placeholder template",
       [](F&) { test::WriteFile(kTileTemplateFile, std::vector<std::uint8_t>(780, 0)); },
       {},
       {"tile_blank.dat is a placeholder: layouts made with it will not load in the simulator"}},
      {"one off-format pixel in a map stored bottom up",
       [](F& f) {
         f.settings.dataFormat = kGreyScale;
         f.Save("height.tga", 150, 80, [](int x, int y) {
           return x == 30 && y == 50 ? Rgb{1, 2, 3} : Rgb{90, 90, 90};
         });
       },
       {},
       {"752 pixels of the height map are not used",
        "1 of the 11248 pixels read are not colours of the \"Grey scale\" scale; the first is at "
        "(30, 50), red 1, green 2, blue 3."}},
      {"texture list with an unreadable entry",
       [](F& f) {
         test::WriteText(kTextureListFile, "1:2 3,4,5\nnonsense\n");
         f.Save("guide.tga", 148, 76);
         f.settings.texturingGuidePath = f.dir.File("guide.tga");
       },
       {},
       {"has an unreadable entry"}},
  };
  for (const SurveyCase& c : cases) {
    SCOPED_TRACE(c.name);
    SurveyFolder folder;
    c.arrange(folder);
    const std::set<std::string> files = FilesIn(folder.dir);
    const ProjectSurvey survey = SurveyProject(folder.settings);
    EXPECT_EQ(survey.problems, c.problems);
    EXPECT_EQ(survey.WouldGenerate(), c.problems.empty());
    ASSERT_EQ(survey.warnings.size(), c.warnings.size()) << testing::PrintToString(survey.warnings);
    for (std::size_t i = 0; i < c.warnings.size(); ++i) {
      EXPECT_NE(survey.warnings[i].find(c.warnings[i]), std::string::npos) << survey.warnings[i];
    }
    EXPECT_EQ(FilesIn(folder.dir), files) << "nothing is created";
  }
}

// A project in a folder of its own, surveyed from another current folder
// that holds files of the same names: the project's own are used, the survey
// says so, and a problem's detail names the places tried.
TEST(ProjectSurvey, UsesTheProjectsFilesAndSaysWhichWhereANameIsAmbiguous) {
  SurveyFolder start;
  test::TempDir project;
  for (const char* name : {"height.tga", kTileTemplateFile}) {
    fs::copy_file(start.dir.File(name), project.File(name));
  }
  start.Save("height.tga", 76, 76);  // the start folder's own, of another size
  SurveyOptions options;
  options.lookup.projectFolder = project.path().string();
  ProjectSettings settings = start.settings;
  settings.heightMapPath = "height.tga";
  settings.outputPath = "out.gnd";
  settings.filterGuidePath = "none.tga";
  const ProjectSurvey survey = SurveyProject(settings, options);
  EXPECT_EQ(survey.imageWidth, 148);
  EXPECT_EQ(survey.resolved.outputPath, project.File("out.gnd"));
  EXPECT_EQ(survey.notes,
            (std::vector<std::string>{"height.tga: using " + project.File("height.tga") + ", not " +
                                          start.dir.File("height.tga"),
                                      "tile_blank.dat: using " + project.File(kTileTemplateFile) +
                                          ", not " + start.dir.File(kTileTemplateFile)}));
  EXPECT_EQ(survey.problems, std::vector<std::string>{kNotFound});
  EXPECT_EQ(survey.problemDetails,
            std::vector<std::string>{project.File("none.tga") + ": no such file; " +
                                     start.dir.File("none.tga") + ": no such file"});
}

// Board (col, row) of a 3 x 3 grid holds a marker pixel at its centre.
std::function<Rgb(int, int)> MarkersAt(std::set<std::pair<int, int>> boards) {
  return [boards](int x, int y) {
    const bool centre = x % 72 == 38 && y % 72 == 38;
    return centre && boards.count({x / 72, y / 72}) != 0 ? Rgb{0, 255, 255} : Rgb{90, 90, 90};
  };
}

TEST(ProjectSurvey, CountsEachPixelOfTheBoardsWrittenOnce) {
  struct Case {
    const char* name;
    // Boards (col, row) with a marker; none: no guide; (-1, -1): a guide of no marker.
    std::set<std::pair<int, int>> markers;
    std::int64_t pixels;
  };
  const Case cases[] = {
      {"whole grid", {}, 220 * 220},
      {"no board marked: board (0, 0) alone", {{-1, -1}}, 76 * 76},
      {"one board", {{1, 1}}, 76 * 76},
      {"side by side", {{0, 0}, {1, 0}}, 148 * 76},
      {"one above the other", {{2, 0}, {2, 1}}, 76 * 148},
      {"corner to corner", {{0, 0}, {1, 1}}, 2 * 76 * 76 - 16},
      {"the other diagonal", {{1, 0}, {0, 1}}, 2 * 76 * 76 - 16},
      {"an L of three", {{0, 0}, {1, 0}, {0, 1}}, 148 * 76 + 76 * 72},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    SurveyFolder folder;
    // Heights 0 at the left to 219 at the right (24-bit codes of x).
    folder.Save("height.tga", 220, 220, [](int x, int) {
      return Rgb{0, 0, static_cast<std::uint8_t>(x)};
    });
    folder.settings.dataFormat = k24BitHeightCoding;
    folder.settings.maxHeight = 16777216.0f;
    if (!c.markers.empty()) {
      folder.Save("filter.tga", 220, 220, MarkersAt(c.markers));
      folder.settings.filterGuidePath = folder.dir.File("filter.tga");
      folder.settings.filterRadius = 0;
    }
    std::set<std::pair<int, int>> written;
    SurveyOptions options;
    options.board = [&written](const SurveyBoardView& board) {
      if (board.written) {
        written.insert({board.col, board.row});
      }
    };
    const ProjectSurvey survey = SurveyProject(folder.settings, options);
    ASSERT_TRUE(survey.heightsRead);
    EXPECT_EQ(survey.heights.pixels, c.pixels);
    if (survey.boardCount == 0) {
      EXPECT_EQ(written, (std::set<std::pair<int, int>>{{0, 0}}));
    } else {
      EXPECT_EQ(written.size(), static_cast<std::size_t>(survey.boardCount));
    }
    EXPECT_EQ(survey.heights.offFormatPixels, 0);
  }
}

TEST(ProjectSurvey, GivesTheHeightRangeAndMeanOfTheBoardsWritten) {
  SurveyFolder folder;
  folder.Save("height.tga", 148, 76, [](int x, int) {
    return x < 74 ? Rgb{0, 0, 0} : Rgb{255, 255, 255};
  });
  folder.settings.dataFormat = kGreyScale;
  folder.settings.baseHeight = -10.0f;
  folder.settings.maxHeight = 90.0f;
  const ProjectSurvey survey = SurveyProject(folder.settings);
  EXPECT_EQ(survey.heights.min, -10.0f);
  EXPECT_EQ(survey.heights.max, 90.0f);
  EXPECT_DOUBLE_EQ(survey.heights.mean, 40.0);
  EXPECT_EQ(survey.grid.cols, 2);
  EXPECT_EQ(survey.boardCount, 2);
  EXPECT_EQ(survey.anchor.col, 1);
  EXPECT_EQ(survey.layoutBytes, LayoutFileSize(2));
}

TEST(ProjectSurvey, CountsTheDistinctTexturesOfEachBoard) {
  SurveyFolder folder;
  test::WriteText(kTextureListFile, "1:1 255,0,0\n2:2 0,255,0\n3:3 0,0,255\n-1:-1 0,0,0\n");
  // Board 0: red, green, black (no texture) and, in the strip it shares with
  // board 1, blue; board 1: blue only.
  folder.Save("guide.tga", 148, 76, [](int x, int y) {
    if (x >= 72) {
      return Rgb{0, 0, 255};
    }
    return y < 20 ? Rgb{255, 0, 0} : (y < 40 ? Rgb{0, 255, 0} : Rgb{0, 0, 0});
  });
  folder.settings.texturingGuidePath = folder.dir.File("guide.tga");
  const ProjectSurvey survey = SurveyProject(folder.settings);
  ASSERT_TRUE(survey.texturesRead);
  EXPECT_EQ(survey.textureEntries, 4);
  EXPECT_EQ(survey.boardTextures, (std::vector<std::uint8_t>{3, 1}));
  EXPECT_EQ(survey.mostTextures, 3);
  EXPECT_EQ(survey.mostTexturesBoard.col, 0);
}

TEST(ProjectSurvey, DrawsTheReliefOfTheWholeGrid) {
  SurveyFolder folder;
  folder.Save("height.tga", 150, 80, [](int, int) { return Rgb{200, 0, 0}; });
  SurveyOptions options;
  options.relief = true;
  const ProjectSurvey survey = SurveyProject(folder.settings, options);
  EXPECT_EQ(survey.relief.width, 148);
  EXPECT_EQ(survey.relief.height, 76);
  EXPECT_EQ(survey.relief.pixels.size(), 148u * 76u * 3u);

  // Level ground draws evenly to the last column, the edge board 1 shares
  // with no neighbour. (Board 1 is left out, so no anchor outline lies there.)
  folder.Save("filter.tga", 150, 80, [](int x, int y) {
    return x == 30 && y == 40 ? Rgb{0, 255, 255} : Rgb{90, 90, 90};
  });
  folder.settings.filterGuidePath = folder.dir.File("filter.tga");
  folder.settings.filterRadius = 0;
  const ProjectSurvey filtered = SurveyProject(folder.settings, options);
  ASSERT_EQ(filtered.anchor.col, 0);
  const auto pixel = [&filtered](int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * filtered.relief.width + x) * 3;
    return Rgb{filtered.relief.pixels.at(at), filtered.relief.pixels.at(at + 1),
               filtered.relief.pixels.at(at + 2)};
  };
  EXPECT_NE(pixel(147, 38), (Rgb{40, 40, 48}));  // not background
  for (int x = 100; x < 148; ++x) {
    EXPECT_EQ(pixel(x, 38), pixel(100, 38)) << x;
  }
}

// The relief in a guide's colours: the texturing guide when it can be read,
// the minimap image, or the height map itself when there is no minimap image.
TEST(ProjectSurvey, DrapesTheTexturingGuideAndTheMinimapSourceOverTheRelief) {
  SurveyFolder folder;  // level ground in red 200
  folder.Save("guide.tga", 148, 76, [](int x, int) {
    return x < 72 ? Rgb{255, 0, 0} : Rgb{0, 0, 255};
  });
  folder.Save("minimap.tga", 148, 76, [](int, int) { return Rgb{10, 120, 30}; });
  folder.Save("small.tga", 100, 76);
  folder.settings.texturingGuidePath = folder.dir.File("guide.tga");
  SurveyOptions options;
  options.relief = true;
  const auto pixel = [](const RgbImage& image, int x, int y) {
    const std::size_t at = (static_cast<std::size_t>(y) * image.width + x) * 3;
    return Rgb{image.pixels.at(at), image.pixels.at(at + 1), image.pixels.at(at + 2)};
  };

  ProjectSurvey survey = SurveyProject(folder.settings, options);
  EXPECT_TRUE(survey.guideRelief.pixels.empty());  // not asked for
  options.drapes = true;
  survey = SurveyProject(folder.settings, options);
  ASSERT_EQ(survey.guideRelief.width, survey.relief.width);
  ASSERT_EQ(survey.guideRelief.height, survey.relief.height);
  EXPECT_EQ(pixel(survey.guideRelief, 10, 38), (Rgb{255, 0, 0}));
  EXPECT_EQ(pixel(survey.guideRelief, 110, 38), (Rgb{0, 0, 255}));
  EXPECT_EQ(pixel(survey.minimapRelief, 10, 38), (Rgb{200, 0, 0}));

  folder.settings.minimapPath = folder.dir.File("minimap.tga");
  survey = SurveyProject(folder.settings, options);
  EXPECT_EQ(pixel(survey.minimapRelief, 110, 38), (Rgb{10, 120, 30}));

  // A minimap image the run would stop on has no picture; the guide's stays.
  folder.settings.minimapPath = folder.dir.File("small.tga");
  survey = SurveyProject(folder.settings, options);
  EXPECT_TRUE(survey.minimapRelief.pixels.empty());
  EXPECT_FALSE(survey.guideRelief.pixels.empty());
}

TEST(ProjectSurvey, StopsWhenCancelled) {
  SurveyFolder folder;
  // As a desktop front end would: a flag set on another thread.
  const std::atomic<bool> cancel{true};
  SurveyOptions options;
  options.cancelled = [&cancel] { return cancel.load(); };
  const ProjectSurvey survey = SurveyProject(folder.settings, options);
  EXPECT_TRUE(survey.cancelled);
  EXPECT_FALSE(survey.WouldGenerate());
  EXPECT_FALSE(survey.heightsRead);
}

}  // namespace
}  // namespace kem
