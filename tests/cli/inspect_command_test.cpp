// kem-cli inspect: the report of a sound layout, its pictures, and the
// message and exit status for damaged, foreign and missing files; the survey
// of a project, its preview, and every reason a run would stop.
#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "cli/png_decode.h"
#include "core/byte_io.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

using Args = std::vector<std::string>;

// Width and height from a PNG file's header chunk; 0 x 0 when it is not one.
std::array<std::uint32_t, 2> PngSize(const std::string& path) {
  const std::vector<std::uint8_t> bytes = ReadFile(path);
  constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  if (bytes.size() < 24 || !std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) {
    return {0, 0};
  }
  const auto be32 = [&bytes](std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | bytes[at + 3];
  };
  return {be32(16), be32(20)};
}

// A folder, made current, holding a layout of 3 x 2 boards: l.gnd.
class InspectFolder {
 public:
  InspectFolder() {
    dir.Chdir();
    WriteFile(dir.File("tile_blank.dat"), SampleTemplate());
    TargaImage image;
    image.width = 3 * 72 + 4;
    image.height = 2 * 72 + 4;
    image.pixel = [](int x, int y) {
      return std::array<std::uint8_t, 3>{0, static_cast<std::uint8_t>(x),
                                         static_cast<std::uint8_t>(y)};
    };
    image.Save(dir.File("h.tga"));
    const CliResult made =
        RunCli({"generate", "--height-map", "h.tga", "--format", "24bit", "--base-height", "0",
                "--max-height", "16777216", "--no-interpolate", "--output", "l.gnd"});
    EXPECT_EQ(made.exitCode, 0) << made.err;
  }
  std::string File(const std::string& name) const { return dir.File(name); }

  TempDir dir;
};

TEST(CliInspect, ReportsASoundLayoutAndDrawsItsPictures) {
  InspectFolder folder;
  const CliResult result =
      RunCli({"inspect", "l.gnd", "--preview", "p.png", "--minimaps", "m.png"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "Layout file: l.gnd\n"
            "Size: 743780 bytes, as a layout of 6 boards should be\n"
            "Boards: 6 in a grid of 3 columns x 2 rows; the anchor (block 0) is at column 2, "
            "row 1\n"
            "  ###\n"
            "  ##@\n"
            "Textures: 0 entries\n"
            "Heights: 0 to 56211 over the vertices of 6 board blocks\n"
            "Structure: sound\n");
  EXPECT_EQ(PngSize(folder.File("p.png")), (std::array<std::uint32_t, 2>{216, 144}));
  EXPECT_EQ(PngSize(folder.File("m.png")), (std::array<std::uint32_t, 2>{384, 256}));
  // The heights climb 256 a column eastward and 1 a row southward: in the
  // relief the tint (whose red rises with the height) changes along rows.
  const RgbImage preview = DecodePng(folder.File("p.png"));
  ASSERT_EQ(preview.width, 216);
  const auto red = [&preview](int x, int y) {
    return int{preview.pixels.at((static_cast<std::size_t>(y) * preview.width + x) * 3)};
  };
  EXPECT_GT(red(60, 30), red(10, 30) + 10);
  EXPECT_NEAR(red(30, 60), red(30, 10), 2);
  // The anchor's outline at the left edge of board (2, 1), and inside it ground.
  const std::size_t outline = (100u * 216u + 144u) * 3u;
  EXPECT_EQ(std::vector<std::uint8_t>(preview.pixels.begin() + outline,
                                      preview.pixels.begin() + outline + 3),
            (std::vector<std::uint8_t>{230, 40, 40}));
  EXPECT_NE(red(150, 100), 230);

  const CliResult json = RunCli({"inspect", folder.File("l.gnd"), "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  EXPECT_NE(json.out.find("\"boards\": [{\"column\": 2, \"row\": 1}, {\"column\": 0, \"row\": 0}"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"heights\": {\"min\": 0, \"max\": 56211}"), std::string::npos);
  EXPECT_NE(json.out.find("\"fault\": null"), std::string::npos);
}

TEST(CliInspect, DamagedForeignAndMissingFilesStopWithAMessage) {
  InspectFolder folder;
  std::vector<std::uint8_t> layout = ReadFile(folder.File("l.gnd"));
  WriteFile(folder.File("cut.gnd"), std::vector<std::uint8_t>(layout.begin(), layout.end() - 10));
  PutLe32(layout.data() + 16, std::int32_t{-5});
  WriteFile(folder.File("bad-index"), layout);  // a layout by its content, not its name
  WriteText(folder.File("text.GND"), "not a layout\n");

  struct Case {
    Args args;
    std::string err;
    std::string out = "";  // a line the report holds
  };
  const Case cases[] = {
      {{"inspect", "cut.gnd", "--preview", "p.png"},
       "Error: cut.gnd is not a sound layout file: the file ends inside board block 5; a layout "
       "of 6 boards is 743780 bytes (at byte 743770).\n",
       "Size: 743770 bytes (a layout of 6 boards is 743780)\nStructure: damaged\n"},
      {{"inspect", "bad-index", "--minimaps", "p.png"},
       "Error: bad-index is not a sound layout file: board index entry 0 gives block offset -5, "
       "outside the file; block 0's is at 3872 (at byte 16).\n"},
      {{"inspect", "text.GND", "--json"},
       "Error: text.GND is not a sound layout file: not a layout file: it does not start with "
       "\"GND\" (at byte 0).\n",
       "\"boardCount\": null"},
      {{"inspect", "none.gnd"}, "Error: layout file not found or failed to open: none.gnd\n"},
      {{"inspect", "l.gnd", "--preview", folder.dir.path().string()},
       "Error: the preview could not be written to " + folder.dir.path().string() + ".\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    const CliResult result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, c.err);
    EXPECT_NE(result.out.find(c.out), std::string::npos) << result.out;
    EXPECT_FALSE(std::filesystem::exists(folder.File("p.png")));
  }
}

// Board places a height map cannot give are refused by the reader, before the
// grid or a picture is sized by them; the widest grid it can give is drawn
// within 1024 pixels a side.
TEST(CliInspect, RefusesBoardPlacesNoHeightMapCanGive) {
  InspectFolder folder;
  const std::vector<std::uint8_t> layout = ReadFile(folder.File("l.gnd"));
  struct Case {
    int entry;  // of the index, 1 to 5: in l.gnd they hold (-1, -2) (-1, -1) (-1, 0) (0, -2) (0,
                // -1)
    std::int32_t rowDelta;
    std::int32_t colDelta;
    bool sound;
  };
  const Case cases[] = {
      {1, INT32_MIN, INT32_MIN, false},  // a grid of 2^31 + 1 columns and rows
      {4, 0, -2000000000, false},
      {1, -910, -2, false},
      {3, -1, 908, false},
      {1, -909, -909, true},  // 910 x 910 boards, the most a height map can hold
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.rowDelta) + ", " + std::to_string(c.colDelta));
    std::vector<std::uint8_t> changed = layout;
    const std::size_t at = 24 + 16 * static_cast<std::size_t>(c.entry - 1);
    PutLe32(changed.data() + at, c.rowDelta);
    PutLe32(changed.data() + at + 4, c.colDelta);
    WriteFile(folder.File("x.gnd"), changed);
    const CliResult result =
        RunCli({"inspect", "x.gnd", "--json", "--preview", "p.png", "--minimaps", "m.png"});
    if (c.sound) {
      EXPECT_EQ(result.exitCode, 0) << result.err;
      EXPECT_NE(result.out.find("\"columns\": 910, \"rows\": 910"), std::string::npos);
      EXPECT_EQ(PngSize(folder.File("p.png")), (std::array<std::uint32_t, 2>{1024, 1024}));
      EXPECT_EQ(PngSize(folder.File("m.png")), (std::array<std::uint32_t, 2>{910, 910}));
      continue;
    }
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Error: x.gnd is not a sound layout file: board index entry " +
                              std::to_string(c.entry) + " places block " + std::to_string(c.entry) +
                              " at row delta " + std::to_string(c.rowDelta) + ", column delta " +
                              std::to_string(c.colDelta) +
                              ", outside a layout of 910 x 910 boards (at byte " +
                              std::to_string(at) + ").\n");
    EXPECT_FALSE(std::filesystem::exists(folder.File("p.png")));
  }
}

TEST(CliInspect, SurveysAProjectWithTheOptionsOfGenerateAndWritesNothingElse) {
  InspectFolder folder;
  const Args options = {"--height-map", "h.tga",    "--format", "24bit", "--base-height", "0",
                        "--max-height", "16777216", "--output", "o.gnd"};
  Args args = {"inspect"};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {"--preview", "s.png"});
  const CliResult result = RunCli(args);
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out,
            "Project: (a new project)\n"
            "Height map: h.tga, 220 x 148 pixels\n"
            "Board grid: 3 columns x 2 rows, every pixel used\n"
            "Boards: 6 of 6; the anchor is at column 2, row 1\n"
            "  ###\n"
            "  ##@\n"
            "Layout file: o.gnd, 743780 bytes\n"
            "Heights (24-bit height coding): 0 to 56211 m, mean 28105.5 m over 32560 pixels; 0 "
            "not colours of the format\n"
            "Generation: would write the layout file\n");
  EXPECT_EQ(PngSize(folder.File("s.png")), (std::array<std::uint32_t, 2>{220, 148}));
  EXPECT_FALSE(std::filesystem::exists(folder.File("o.gnd")));

  // The layout generate writes is the size the survey gave.
  args[0] = "generate";
  args.resize(1 + options.size());
  ASSERT_EQ(RunCli(args).exitCode, 0);
  EXPECT_EQ(std::filesystem::file_size(folder.File("o.gnd")), 743780u);

  args = {"inspect", "--json"};
  args.insert(args.end(), options.begin(), options.end());
  const CliResult json = RunCli(args);
  ASSERT_EQ(json.exitCode, 0) << json.err;
  for (const char* part :
       {"\"selection\": {\"boardCount\": 6, \"anchor\": {\"column\": 2, \"row\": 1}, "
        "\"layoutBytes\": 743780, \"map\": [\"###\", \"##@\"]}",
        "\"heights\": {\"min\": 0, \"max\": 56211, \"mean\": 28105.5, \"pixels\": 32560, "
        "\"offFormatPixels\": 0, \"firstOffFormat\": null}",
        "\"problems\": [],", "\"wouldGenerate\": true"}) {
    EXPECT_NE(json.out.find(part), std::string::npos) << part << "\n" << json.out;
  }
}

TEST(CliInspect, ListsEveryReasonARunWouldStopOn) {
  InspectFolder folder;
  ASSERT_EQ(RunCli({"project", "new", "p.kem", "--height-map", "none.tga", "--output",
                    "nowhere/o.gnd", "--base-height", "0", "--max-height", "10"})
                .exitCode,
            0);
  const CliResult result = RunCli({"inspect", "p.kem", "--preview", "s.png"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: image not found or failed to open.\n  " +
                            folder.dir.File("none.tga") +
                            ": no such file\n"
                            "Error: layout file could not be created.\n  the folder " +
                            folder.dir.File("nowhere") +
                            " does not exist\n"
                            "Error: no preview: the heights of the map could not be read.\n");
  EXPECT_NE(result.out.find("Generation: would stop; 2 problems on standard error\n"),
            std::string::npos)
      << result.out;
  EXPECT_FALSE(std::filesystem::exists(folder.File("s.png")));

  const CliResult json = RunCli({"inspect", "p.kem", "--json", "--height-map", "h.tga"});
  EXPECT_EQ(json.exitCode, 1);
  EXPECT_EQ(json.err, "Error: layout file could not be created.\n  the folder " +
                          folder.dir.File("nowhere") + " does not exist\n");
  EXPECT_NE(json.out.find("\"problems\": [\"Error: layout file could not be created.\"]"),
            std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"wouldGenerate\": false"), std::string::npos);
}

// A project surveyed from another folder uses its own files, says which
// where the start folder holds the same names, and names a placeholder
// template; `generate` warns of the placeholder too and still writes.
TEST(CliInspect, SurveysAProjectFromElsewhereWithItsOwnFiles) {
  InspectFolder start;
  TempDir project;
  std::filesystem::copy_file(start.File("h.tga"), project.File("h.tga"));
  WriteFile(project.File("tile_blank.dat"), std::vector<std::uint8_t>(780, 0));
  ASSERT_EQ(RunCli({"project", "new", project.File("p.kem"), "--height-map", "h.tga", "--format",
                    "24bit", "--base-height", "0", "--max-height", "100", "--output", "o.gnd"})
                .exitCode,
            0);
  const std::string placeholder =
      "tile_blank.dat is a placeholder: layouts made with it will not load in the simulator; "
      "copy the simulator's own file.";
  const CliResult inspect = RunCli({"inspect", project.File("p.kem")});
  EXPECT_EQ(inspect.exitCode, 0) << inspect.err;
  for (const std::string& line :
       {"Warning: " + placeholder,
        "Note: h.tga: using " + project.File("h.tga") + ", not " + start.File("h.tga"),
        "Note: tile_blank.dat: using " + project.File("tile_blank.dat") + ", not " +
            start.File("tile_blank.dat")}) {
    EXPECT_NE(inspect.out.find(line + "\n"), std::string::npos) << line << "\n" << inspect.out;
  }
  const CliResult generate = RunCli({"generate", project.File("p.kem")});
  EXPECT_EQ(generate.exitCode, 0);
  EXPECT_EQ(generate.err, placeholder + "\n");
  EXPECT_TRUE(std::filesystem::exists(project.File("o.gnd")));
  EXPECT_FALSE(std::filesystem::exists(start.File("o.gnd")));
}

}  // namespace
}  // namespace kem::test
