// kem-cli convert: the DEM conversion from the command line, its exit status,
// its messages on standard error, and Ctrl+C.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

TEST(CliConvert, WritesTheHeightMapAndExitsZero) {
  // Names beyond ASCII reach the file system whole on every system.
  for (const std::string name : {"area", "hügel_東京"}) {
    TempDir dir;
    WriteText(dir.File(name + ".xyz"), "0 0 5\n0 10 6\n10 0 7\n10 10 8\n");
    const CliResult result = RunCli({"convert", dir.File(name + ".xyz")});
    EXPECT_EQ(result.exitCode, 0) << name;
    EXPECT_EQ(ReadFile(dir.File(name + ".xyz.tga")).size(), 18u + 4 * 3) << name;
    EXPECT_EQ(result.err, "") << name;
  }
}

TEST(CliConvert, StatesTheAreaAndInspectStatesItAgain) {
  TempDir dir;
  WriteText(dir.File("area.xyz"), "Y X Z\n100 500 5\n100 510 6\n110 500 7\n110 510 8\n");
  const CliResult result = RunCli({"convert", dir.File("area.xyz")});
  ASSERT_EQ(result.exitCode, 0);
  const std::string area =
      "Area: 2 x 2 pixels, less than one board\n"
      "Coordinate system: not known (only the position is kept; give it with --crs)\n"
      "Corners: west 495.00, north 115.00, east 515.00, south 95.00\n";
  EXPECT_EQ(result.out, area);
  const CliResult inspect = RunCli({"inspect", "--height-map", dir.File("area.xyz.tga"), "--json"});
  EXPECT_NE(inspect.out.find("\"area\": {\"width\": 2, \"height\": 2"), std::string::npos)
      << inspect.out;
  // A system GDAL does not know, or a build without GDAL: refused, not ignored.
  EXPECT_EQ(RunCli({"convert", dir.File("area.xyz"), "--crs", "no such system"}).exitCode, 1);
}

TEST(CliConvert, ReadsTheTextOnAsManyThreadsAsAsked) {
  TempDir dir;
  WriteText(dir.File("area.xyz"), "0 0 5\n0 10 6\n10 0 7\n10 10 8\n");
  ASSERT_EQ(RunCli({"convert", dir.File("area.xyz")}).exitCode, 0);
  const std::vector<std::uint8_t> expected = ReadFile(dir.File("area.xyz.tga"));
  const CliResult seven = RunCli({"convert", dir.File("area.xyz"), "--threads", "7"});
  EXPECT_EQ(seven.exitCode, 0);
  EXPECT_EQ(ReadFile(dir.File("area.xyz.tga")), expected);
  EXPECT_EQ(RunCli({"convert", dir.File("area.xyz"), "--threads", "0"}).exitCode, 2);
}

TEST(CliConvert, PrintsTheMessageAndExitsOneOnBadInput) {
  TempDir dir;
  WriteText(dir.File("area.xyz"), "0 0 5\n0 10\n");
  const CliResult result = RunCli({"convert", dir.File("area.xyz")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: the DEM file holds text that is not a number.\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("area.xyz.tga")));
}

// Several tiles need a name for their height map; a folder gives its own.
// The area and the boards are read or refused as usage errors.
TEST(CliConvert, TakesTilesOrAFolderOfThem) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("tiles"));
  WriteText(dir.File("tiles/b.xyz"), "10 0 7\n10 10 8\n");
  WriteText(dir.File("tiles/a.xyz"), "0 0 5\n0 10 6\n");
  WriteText(dir.File("tiles/notes.md"), "not a tile");
  const std::string a = dir.File("tiles/a.xyz");
  const std::string b = dir.File("tiles/b.xyz");
  CliResult result = RunCli({"convert", a, b});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.err,
            "Error: several elevation files make one height map; name it with --output.\n");
  ASSERT_EQ(RunCli({"convert", a, b, "--output", dir.File("set.tga")}).exitCode, 0);
  result = RunCli({"convert", dir.File("tiles") + "/"});
  EXPECT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(ReadFile(dir.File("tiles.tga")), ReadFile(dir.File("set.tga")));
  EXPECT_EQ(ReadFile(dir.File("tiles.tga")).size(), 18u + 4 * 3);
  for (const std::vector<std::string>& wrong : {std::vector<std::string>{"--area", "0,0,10"},
                                                {"--area", "10,0,0,10"},
                                                {"--around", "49.5"},
                                                {"--around", "49.5,11", "--boards", "2by3"},
                                                {"--around", "49.5,11", "--area", "0,0,10,10"},
                                                {"--boards", "2x3"}}) {
    std::vector<std::string> arguments = {"convert", a};
    arguments.insert(arguments.end(), wrong.begin(), wrong.end());
    EXPECT_EQ(RunCli(arguments).exitCode, 2) << wrong.front() << " " << wrong.back();
  }
}

TEST(CliConvert, ReportsAMissingInput) {
  TempDir dir;
  const CliResult result = RunCli({"convert", dir.File("missing.xyz")});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_EQ(result.err, "Error: the DEM file could not be opened.\n");
}

// Ctrl+C, SIGTERM and SIGHUP cancel the conversion and leave no file.
class CliConvertStop : public testing::TestWithParam<StopSignal> {};

TEST_P(CliConvertStop, CancelsAtTheNextCancelTest) {
  // The DEM comes through a pipe, so that the signal arrives while the scan
  // is certainly running: the flag is seen at the 25000th point.
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no named pipes in folders to feed the DEM slowly through";
#else
  TempDir dir;
  const std::string fifo = dir.File("area.xyz");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const CliResult result = RunCli({"convert", fifo}, [&](int pid) {
    // Opening the pipe waits for kem-cli to open it, by which time it catches
    // the signal.
    const int pipe = open(fifo.c_str(), O_WRONLY);
    if (pipe < 0 || kill(pid, GetParam().number) != 0) {
      return;
    }
    struct sigaction ignore = {};
    struct sigaction previous = {};
    ignore.sa_handler = SIG_IGN;
    sigaction(SIGPIPE, &ignore, &previous);
    for (int point = 0; point < 30000; ++point) {
      const std::string line =
          std::to_string(point % 100 * 10) + " " + std::to_string(point / 100 * 10) + " 1\n";
      if (write(pipe, line.data(), line.size()) < 0) {
        break;  // kem-cli stopped reading
      }
    }
    close(pipe);
    sigaction(SIGPIPE, &previous, nullptr);
  });
  EXPECT_EQ(result.exitCode, GetParam().exitStatus);
  EXPECT_EQ(result.err, "");
  EXPECT_EQ(FilesIn(dir.path().string()), (std::vector<std::string>{"area.xyz"}));
#endif
}

INSTANTIATE_TEST_SUITE_P(Signals, CliConvertStop, testing::ValuesIn(kStopSignals), StopSignalName);

}  // namespace
}  // namespace kem::test
