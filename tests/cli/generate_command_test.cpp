// kem-cli generate: the front end of a generation run, from the command line
// or a project file to a layout file, a message and an exit status.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "cli/cli_runner.h"
#include "core/project_file.h"
#include "core/project_settings.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

using Args = std::vector<std::string>;

constexpr std::uintmax_t kOneBoardLayoutSize = 3776 + 123334;
constexpr const char* kFlatQuestion =
    "The defined height range will result in absolutely flat terrain. Are you sure it's OK?\n";

TargaImage HeightMap(int width, int height) {
  TargaImage image;
  image.width = width;
  image.height = height;
  image.pixel = [](int x, int y) {
    return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                       static_cast<std::uint8_t>(x + y)};
  };
  return image;
}

// A folder, made current, holding tile_blank.dat and a one-board height map h.tga.
class GenerateFolder {
 public:
  GenerateFolder() {
    dir.Chdir();
    WriteFile(dir.File("tile_blank.dat"), SampleTemplate());
    HeightMap(76, 76).Save(dir.File("h.tga"));
  }
  std::string File(const std::string& name) const { return dir.File(name); }
  std::vector<std::string> Files() const { return FilesIn(dir.path().string()); }

  TempDir dir;
};

// A run over h.tga that is not flat, plus `extra`.
Args RunArgs(const Args& extra) {
  Args args = {"generate", "--height-map", "h.tga", "--format", "24bit", "--base-height",
               "0",        "--max-height", "100",   "--output", "o.gnd"};
  args.insert(args.end(), extra.begin(), extra.end());
  return args;
}

TEST(CliGenerate, WritesOneBoardAndSaysSo) {
  GenerateFolder folder;
  const CliResult result = RunCli(RunArgs({}));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(result.out, "Wrote o.gnd: 1 board, 127110 bytes\n");
  EXPECT_EQ(std::filesystem::file_size(folder.File("o.gnd")), kOneBoardLayoutSize);
  EXPECT_EQ(folder.Files(), (std::vector<std::string>{"h.tga", "o.gnd", "tile_blank.dat"}));
}

TEST(CliGenerate, TheThreadCountChangesNoByte) {
  GenerateFolder folder;
  HeightMap(5 * 72 + 4, 3 * 72 + 4).Save(folder.File("h.tga"));
  std::vector<std::vector<std::uint8_t>> layouts;
  for (const char* threads : {"1", "3"}) {
    const CliResult result = RunCli(RunArgs({"--threads", threads}));
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "Wrote o.gnd: 15 boards, 1853786 bytes\n");
    layouts.push_back(ReadFile(folder.File("o.gnd")));
  }
  EXPECT_TRUE(layouts[0] == layouts[1]);
}

TEST(CliGenerate, OptionsOverrideTheProjectAndTheOutputMatchesTheLibrary) {
  GenerateFolder folder;
  ASSERT_EQ(RunCli({"project", "new", "p", "--height-map", "h.tga", "--format", "4",
                    "--base-height", "-50", "--max-height", "100", "--output", "from-project.gnd"})
                .exitCode,
            0);
  const CliResult viaProject = RunCli({"generate", "p", "--output", "override.gnd"});
  ASSERT_EQ(viaProject.exitCode, 0) << viaProject.err;
  EXPECT_FALSE(std::filesystem::exists(folder.File("from-project.gnd")));

  const CliResult direct =
      RunCli({"generate", "--height-map", "h.tga", "--format", "24bit", "--base-height", "-50",
              "--max-height", "100", "--output", "direct.gnd"});
  ASSERT_EQ(direct.exitCode, 0) << direct.err;
  EXPECT_EQ(ReadFile(folder.File("override.gnd")), ReadFile(folder.File("direct.gnd")));

  // A different height range gives a different layout.
  ASSERT_EQ(RunCli({"generate", "p", "--max-height", "200", "--output", "higher.gnd"}).exitCode, 0);
  EXPECT_NE(ReadFile(folder.File("higher.gnd")), ReadFile(folder.File("direct.gnd")));
}

TEST(CliGenerate, MissingTemplateStopsWithItsMessage) {
  TempDir dir;
  dir.Chdir();
  HeightMap(76, 76).Save(dir.File("h.tga"));
  const CliResult result = RunCli(RunArgs({}));
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err.substr(0, result.err.find('\n') + 1),
            "Error: tile template file tile_blank.dat not found or failed to open.\n");
  EXPECT_NE(result.err.find("\n  " + dir.File("tile_blank.dat") + ": no such file"),
            std::string::npos)
      << result.err;
  EXPECT_EQ(result.out, "");
  EXPECT_FALSE(std::filesystem::exists(dir.File("o.gnd")));
}

TEST(CliGenerate, FlatTerrainIsNotConfirmedWithoutYes) {
  const std::vector<Args> flatRuns = {
      {"generate", "--height-map", "h.tga", "--output", "o.gnd"},  // a new project: 0 and 0
      RunArgs({"--base-height", "100"}),
      {"generate", "p"},
  };
  GenerateFolder folder;
  ASSERT_EQ(RunCli({"project", "new", "p", "--height-map", "h.tga", "--output", "o.gnd",
                    "--base-height", "7", "--max-height", "7"})
                .exitCode,
            0);
  for (const auto& args : flatRuns) {
    SCOPED_TRACE(testing::PrintToString(args));
    const CliResult result = RunCli(args);
    EXPECT_EQ(result.exitCode, 3);
    EXPECT_EQ(result.err, kFlatQuestion);
    EXPECT_FALSE(std::filesystem::exists(folder.File("o.gnd")));
  }
}

// A project file can hold heights that the options refuse: it is refused as
// they are, by every command that reads it, before anything is written.
TEST(CliGenerate, RefusesAProjectWhoseHeightsAreNotFiniteNumbers) {
  GenerateFolder folder;
  const float inf = std::numeric_limits<float>::infinity();
  const float nan = std::numeric_limits<float>::quiet_NaN();
  for (const auto& [base, max] : {std::pair{inf, 9000.0f}, {-1000.0f, -inf}, {0.0f, nan}}) {
    ProjectSettings settings;
    settings.heightMapPath = "h.tga";
    settings.outputPath = "o.gnd";
    settings.baseHeight = base;
    settings.maxHeight = max;
    ASSERT_TRUE(SaveProjectFile(folder.File("odd.kem"), settings));
    for (const Args& args : {Args{"generate", "odd.kem", "-y"}, Args{"inspect", "odd.kem"}}) {
      SCOPED_TRACE(testing::PrintToString(args));
      const CliResult result = RunCli(args);
      EXPECT_EQ(result.exitCode, 1);
      EXPECT_EQ(result.err,
                "Error: odd.kem gives a base or maximum height that is not a finite number.\n");
      EXPECT_FALSE(std::filesystem::exists(folder.File("o.gnd")));
    }
  }
}

TEST(CliGenerate, YesAnswersTheFlatTerrainQuestion) {
  GenerateFolder folder;
  const CliResult result = RunCli({"generate", "--height-map", "h.tga", "--output", "o.gnd", "-y"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(std::filesystem::file_size(folder.File("o.gnd")), kOneBoardLayoutSize);
}

// `text` with each "{name}" replaced by the absolute path of `name` in `folder`,
// as a detail line shows it.
std::string InFolder(std::string text, const std::filesystem::path& folder) {
  for (std::size_t open = text.find('{'); open != std::string::npos; open = text.find('{')) {
    const std::size_t close = text.find('}', open);
    const std::string name = text.substr(open + 1, close - open - 1);
    text.replace(open, close - open + 1, (folder / name).lexically_normal().string());
  }
  return text;
}

// Each message keeps its first line, and its detail line names the file and
// the reason.
TEST(CliGenerate, DriverFailuresGiveTheirMessagesAndLeaveTheOldOutput) {
  struct Case {
    const char* name;
    std::function<void(const GenerateFolder&)> prepare;
    Args extra;
    std::string err;
  };
  std::vector<Case> cases = {
      {"missing height map",
       [](const GenerateFolder&) {},
       {"--height-map", "none.tga"},
       "Error: image not found or failed to open.\n  {none.tga}: no such file\n"},
      {"height map is a folder",
       [](const GenerateFolder& f) { std::filesystem::create_directory(f.File("maps")); },
       {"--height-map", "maps"},
#ifdef _WIN32
       // Windows opens no folder as a file; elsewhere it opens and holds no image.
       "Error: image not found or failed to open.\n  {maps}: is a folder\n"},
#else
       "Error: file is not a targa image.\n  {maps}: is a folder\n"},
#endif
      {"run-length encoded",
       [](const GenerateFolder& f) {
         TargaImage image = HeightMap(76, 76);
         image.imageType = 10;
         image.Save(f.File("h.tga"));
       },
       {},
       "Error: source is not uncompressed true colour targa image.\n"
       "  height map {h.tga}: image type 10, 24 bits per pixel; needed: type 2, 24 or 32 bits per "
       "pixel\n"},
      {"right to left and too narrow",
       [](const GenerateFolder& f) {
         TargaImage image = HeightMap(3, 76);
         image.extraDescriptorBits = 0x10;
         image.Save(f.File("h.tga"));
       },
       {},
       "Error: data in source arranged right to left, currently unsupported.\n"
       "  height map {h.tga} is stored right to left\n"
       "Error: image dimensions unsuitable for terrain generation.\n"},
      {"guide of another size",
       [](const GenerateFolder& f) { HeightMap(148, 76).Save(f.File("g.tga")); },
       {"--texturing-guide", "g.tga"},
       "Error: size doesn't match the size of elevation data image.\n"
       "  texturing guide {g.tga} is 148 x 76 pixels; the height map is 76 x 76 pixels\n"},
      {"output folder missing",
       [](const GenerateFolder&) {},
       {"--output", "no/such/o.gnd"},
       "Error: layout file could not be created.\n  the folder {no/such} does not exist\n"},
      {"output is a folder",
       [](const GenerateFolder& f) { std::filesystem::create_directory(f.File("store")); },
       {"--output", "store"},
       "Error: layout file could not be created.\n  {store} is a folder\n"},
      {"no output named",
       [](const GenerateFolder&) {},
       {"--output", ""},
       "Error: layout file could not be created.\n  no output file is named\n"},
  };
#ifndef _WIN32
  // Nobody, not even the administrator, may create files in /sys.
  if (std::filesystem::is_directory("/sys/kernel")) {
    cases.push_back({"output folder read-only",
                     [](const GenerateFolder&) {},
                     {"--output", "/sys/kernel/o.gnd"},
                     "Error: layout file could not be created.\n"
                     "  the folder /sys/kernel is read-only\n"});
  }
#endif
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GenerateFolder folder;
    WriteText(folder.File("o.gnd"), "previous layout");
    c.prepare(folder);
    const auto before = folder.Files();
    const CliResult result = RunCli(RunArgs(c.extra));
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, InFolder(c.err, folder.dir.path()));
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(folder.Files(), before);
    EXPECT_EQ(ReadFile(folder.File("o.gnd")).size(), 15u);
  }
}

TEST(CliGenerate, UnknownFormatFromAProjectStops) {
  GenerateFolder folder;
  ProjectSettings settings;
  settings.heightMapPath = "h.tga";
  settings.outputPath = "o.gnd";
  settings.maxHeight = 10.0f;
  settings.dataFormat = 5;
  WriteFile(folder.File("p"), EncodeProject(settings));
  const CliResult result = RunCli({"generate", "p"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: unknown height data format.\n");
  EXPECT_FALSE(std::filesystem::exists(folder.File("o.gnd")));
}

TEST(CliGenerate, MissingTextureListIsReportedAndTheRunGoesOn) {
  GenerateFolder folder;
  HeightMap(76, 76).Save(folder.File("paint.tga"));
  const CliResult result = RunCli(RunArgs({"--texturing-guide", "paint.tga"}));
  ASSERT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err,
            "The texture list appears to be missing.\n\n"
            "The terrain generator was unable to find file textures.txt in the current folder.\n"
            "As this file stores information about textures which should be used to paint\n"
            "the terrain, it will cause the generated route to be left unpainted.\n");
  EXPECT_EQ(std::filesystem::file_size(folder.File("o.gnd")), kOneBoardLayoutSize);
}

TEST(CliGenerate, FilterGuideWithoutMarkersStillWritesTheAnchorBlock) {
  GenerateFolder folder;
  HeightMap(76, 76).Save(folder.File("filter.tga"));
  const CliResult result = RunCli(RunArgs({"--filter-guide", "filter.tga"}));
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.err, "");  // no progress line when standard error is not a terminal
  EXPECT_EQ(result.out, "Wrote o.gnd: 0 boards, 127102 bytes\n");
}

// Started from another folder, a project still finds its images beside it and
// the template in the user's settings folder; the layout goes to the current
// folder as before.
// Points the user's settings folder at `folder` for as long as it lives:
// $XDG_CONFIG_HOME/kem on Linux, %APPDATA%\Kem on Windows.
class SettingsFolderAt {
 public:
  explicit SettingsFolderAt(const std::string& folder) {
    if (const char* old = std::getenv(kVariable)) {
      old_ = old;
    }
    Set(folder);
  }
  ~SettingsFolderAt() { Set(old_); }
  SettingsFolderAt(const SettingsFolderAt&) = delete;
  SettingsFolderAt& operator=(const SettingsFolderAt&) = delete;

 private:
#ifdef _WIN32
  static constexpr const char* kVariable = "APPDATA";
  static void Set(const std::string& value) {
    _putenv_s(kVariable, value.c_str());
  }
#else
  static constexpr const char* kVariable = "XDG_CONFIG_HOME";
  static void Set(const std::string& value) {
    if (value.empty()) {
      unsetenv(kVariable);
    } else {
      setenv(kVariable, value.c_str(), 1);
    }
  }
#endif
  std::string old_;
};

TEST(CliGenerate, AProjectRunFromAnotherFolderFindsItsFiles) {
  TempDir project;
  TempDir settings;
  TempDir elsewhere;
  HeightMap(76, 76).Save(project.File("h.tga"));
  std::filesystem::create_directories(settings.File("kem"));
  WriteFile(settings.File("kem/tile_blank.dat"), SampleTemplate());
  elsewhere.Chdir();
  ASSERT_EQ(RunCli({"project", "new", project.File("p"), "--height-map", "h.tga", "--format",
                    "24bit", "--base-height", "0", "--max-height", "100", "--output", "o.gnd"})
                .exitCode,
            0);

  const CliResult missing = RunCli({"generate", project.File("p")});
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_EQ(missing.err.substr(0, missing.err.find('\n') + 1),
            "Error: tile template file tile_blank.dat not found or failed to open.\n");

  const CliResult found = [&] {
    const SettingsFolderAt settingsHere(settings.path().string());
    return RunCli({"generate", project.File("p")});
  }();
  ASSERT_EQ(found.exitCode, 0) << found.err;
  // The layout goes beside the project, whatever the current folder.
  EXPECT_EQ(std::filesystem::file_size(project.File("o.gnd")), kOneBoardLayoutSize);
  EXPECT_FALSE(std::filesystem::exists(elsewhere.File("o.gnd")));
  EXPECT_EQ(found.out.rfind("Wrote " + project.File("o.gnd") + ": ", 0), 0u) << found.out;
}

// The output path as the user gave it: a link is written through and stays a
// link; a device is written in place, its errors reported as usual.
TEST(CliGenerate, WritesThroughLinksAndIntoDevices) {
  KEM_SKIP_ON_WINDOWS("links on Windows need privileges few users have, and devices have no paths");
  GenerateFolder folder;
  std::filesystem::create_directory(folder.File("store"));
  WriteText(folder.File("store/real.gnd"), "previous layout");
  std::filesystem::create_symlink("store/real.gnd", folder.File("link.gnd"));
  ASSERT_EQ(RunCli(RunArgs({"--output", "link.gnd"})).exitCode, 0);
  EXPECT_TRUE(std::filesystem::is_symlink(folder.File("link.gnd")));
  EXPECT_EQ(std::filesystem::file_size(folder.File("store/real.gnd")), kOneBoardLayoutSize);
  EXPECT_EQ(FilesIn(folder.File("store")), std::vector<std::string>{"real.gnd"});

  EXPECT_EQ(RunCli(RunArgs({"--output", "/dev/null"})).exitCode, 0);
  if (std::filesystem::exists("/dev/full")) {
    const CliResult full = RunCli(RunArgs({"--output", "/dev/full"}));
    EXPECT_EQ(full.exitCode, 1);
    EXPECT_EQ(full.err, "Error: failed to write layout file.\n");
  }
}

// Ctrl+C, and a request to end (SIGTERM from a shutdown, SIGHUP from a closed
// terminal), discard the unfinished layout and keep the one that was there.
class CliStopSignal : public testing::TestWithParam<StopSignal> {};

TEST_P(CliStopSignal, GenerateDiscardsTheUnfinishedLayout) {
  if (const char* why = StopUnavailable(GetParam())) {
    GTEST_SKIP() << why;
  }
  GenerateFolder folder;
  HeightMap(20 * 72 + 4, 5 * 72 + 4).Save(folder.File("h.tga"));  // 100 boards
  WriteText(folder.File("o.gnd"), "previous layout");
  const auto before = folder.Files();

  bool interrupted = false;
  const CliResult result = RunCli(RunArgs({}), [&](int pid) {
    // Wait for the temporary layout file to appear, then send the signal.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      if (folder.Files().size() > before.size()) {
        interrupted = SendStop(pid, GetParam());
        return;
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
  });
  ASSERT_TRUE(interrupted);
  if (result.exitCode == 0) {
    GTEST_SKIP() << "the run finished before the signal arrived";
  }
  EXPECT_EQ(result.exitCode, GetParam().exitStatus);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(folder.Files(), before);
  EXPECT_EQ(ReadFile(folder.File("o.gnd")).size(), 15u);
}

INSTANTIATE_TEST_SUITE_P(Signals, CliStopSignal, testing::ValuesIn(kStopSignals), StopSignalName);

}  // namespace
}  // namespace kem::test
