// What a run does with files that are not what they seem: an output that is
// also one of its inputs, and inputs and outputs that are pipes, where the
// run must not wait beyond a request to end.
#include <gtest/gtest.h>
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_runner.h"
#include "support/test_support.h"

namespace kem::test {
namespace {

using Args = std::vector<std::string>;

// A folder, made current, with a template, a one-board height map h.tga (also
// reachable as the hard link same.tga), a project p.kem, a DEM a.xyz and a
// layout o.gnd.
class GuardFolder {
 public:
  GuardFolder() {
    dir.Chdir();
    WriteFile(dir.File("tile_blank.dat"), SampleTemplate());
    TargaImage image;
    image.width = 76;
    image.height = 76;
    image.pixel = [](int x, int y) {
      return std::array<std::uint8_t, 3>{static_cast<std::uint8_t>(x), static_cast<std::uint8_t>(y),
                                         7};
    };
    image.Save(dir.File("h.tga"));
    std::filesystem::create_hard_link(dir.path() / "h.tga", dir.path() / "same.tga");
    WriteText(dir.File("a.xyz"), "0 0 5\n0 10 6\n10 0 7\n10 10 8\n");
    EXPECT_EQ(RunCli({"project", "new", "p.kem", "--height-map", "h.tga", "--max-height", "100",
                      "--output", "o.gnd"})
                  .exitCode,
              0);
    EXPECT_EQ(RunCli({"generate", "p.kem"}).exitCode, 0);
  }

  TempDir dir;
};

TEST(CliFileGuard, RefusesAnOutputThatIsAlsoAnInput) {
  GuardFolder folder;
  // A project's files are named where the run found them: beside the project.
  struct Case {
    Args args;
    std::string output;
    std::string input;
    bool outputBesideProject;
    bool inputBesideProject;
  };
  const Case cases[] = {
      {{"convert", "a.xyz", "--output", "a.xyz"}, "a.xyz", "a.xyz", false, false},
      {{"generate", "p.kem", "--output", "same.tga"}, "same.tga", "h.tga", true, true},
      {{"generate", "p.kem", "--output", "p.kem"}, "p.kem", "p.kem", true, false},
      {{"inspect", "o.gnd", "--preview", "o.gnd"}, "o.gnd", "o.gnd", false, false},
      {{"inspect", "p.kem", "--preview", "h.tga"}, "h.tga", "h.tga", false, true},
  };
  const auto named = [&folder](const std::string& name, bool besideProject) {
    return besideProject ? folder.dir.File(name) : name;
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.output);
    const std::vector<std::string> files = FilesIn(folder.dir.path().string());
    const std::vector<std::uint8_t> before = ReadFile(folder.dir.File(c.input));
    const CliResult result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.err, "Error: the output " + named(c.output, c.outputBesideProject) +
                              " is also an input (" + named(c.input, c.inputBesideProject) +
                              "); choose another output.\n");
    EXPECT_EQ(ReadFile(folder.dir.File(c.input)), before);
    EXPECT_EQ(FilesIn(folder.dir.path().string()), files);
  }
}

#ifndef _WIN32
// True once the process `pid` has ended (and waits to be reaped) within
// `seconds`.
bool EndsWithin(int pid, double seconds) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  do {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const std::size_t state = text.rfind(')');
    if (state == std::string::npos || text.compare(state, 3, ") Z") == 0) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}
#endif

// A data file that is a FIFO is refused at once rather than waited on.
TEST(CliFileGuard, ATextureListThatIsAFifoIsNotWaitedOn) {
  KEM_SKIP_ON_WINDOWS("Windows has no named pipes in folders");
#ifndef _WIN32
  GuardFolder folder;
  ASSERT_EQ(mkfifo(folder.dir.File("textures.txt").c_str(), 0600), 0);
  bool ended = false;
  const CliResult result =
      RunCli({"generate", "p.kem", "--texturing-guide", "h.tga"}, [&](int pid) {
        ended = EndsWithin(pid, 10);
        if (!ended) {  // let the run go on, so that the test fails rather than hangs
          close(open(folder.dir.File("textures.txt").c_str(), O_WRONLY | O_NONBLOCK));
        }
      });
  EXPECT_TRUE(ended);
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.err.rfind("The texture list appears to be missing.", 0), 0u) << result.err;
#endif
}

// A run waiting on a pipe, a DEM that sends nothing more or a layout output
// that nobody reads, ends at once on a request to end.
class CliBlockedStop : public testing::TestWithParam<StopSignal> {};

TEST_P(CliBlockedStop, EndsARunWaitingOnAPipe) {
  KEM_SKIP_ON_WINDOWS("Windows has no named pipes in folders");
#ifndef _WIN32
  GuardFolder folder;
  const std::string fifo = folder.dir.File("pipe");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    Args args;
    int flags;  // how the test holds the other end of the pipe
  };
  const Case cases[] = {
      {{"convert", fifo, "--output", "x.tga"}, O_WRONLY},
      {{"generate", "p.kem", "--output", fifo}, -1},  // no reader at all
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0]);
    bool ended = false;
    const CliResult result = RunCli(c.args, [&](int pid) {
      const int held = c.flags < 0 ? -1 : open(fifo.c_str(), c.flags);
      if (held >= 0 && write(held, "0 0 1\n", 6) != 6) {
        return;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(300));  // into the wait
      ended = SendStop(pid, GetParam()) && EndsWithin(pid, 5);
      close(held);
      if (!ended) {
        close(open(fifo.c_str(), O_RDONLY | O_NONBLOCK));
      }
    });
    EXPECT_TRUE(ended);
    EXPECT_EQ(result.exitCode, GetParam().exitStatus);
    EXPECT_FALSE(std::filesystem::exists(folder.dir.File("x.tga")));
  }
#endif
}

INSTANTIATE_TEST_SUITE_P(Signals, CliBlockedStop, testing::ValuesIn(kStopSignals), StopSignalName);

}  // namespace
}  // namespace kem::test
