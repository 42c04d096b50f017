// `kem-cli convert` as a user runs it: exit status, messages on standard
// error, and Ctrl+C. Needs the kem-cli binary named by KEM_CLI.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "support/test_support.h"

namespace kem {
namespace {

std::string KemCli() {
  const char* path = std::getenv("KEM_CLI");
  return path != nullptr && std::filesystem::exists(path) ? path : "";
}

std::string Quote(const std::string& text) {
  return "'" + text + "'";
}

std::string ReadText(const std::string& path) {
  const std::vector<std::uint8_t> bytes = test::ReadFile(path);
  return std::string(bytes.begin(), bytes.end());
}

// Runs `kem-cli convert input` with standard error in `errors`; returns the
// exit status.
int RunConvert(const std::string& cli, const std::string& input, const std::string& errors) {
  const int status =
      std::system((Quote(cli) + " convert " + Quote(input) + " 2>" + Quote(errors)).c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class ConvertCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    cli_ = KemCli();
    if (cli_.empty()) {
      GTEST_SKIP() << "KEM_CLI does not name the kem-cli binary";
    }
  }

  std::string cli_;
  test::TempDir dir_;
};

TEST_F(ConvertCommand, WritesTheHeightMapAndExitsZero) {
  test::WriteText(dir_.File("area.xyz"), "0 0 5\n0 10 6\n10 0 7\n10 10 8\n");
  EXPECT_EQ(RunConvert(cli_, dir_.File("area.xyz"), dir_.File("errors")), 0);
  EXPECT_EQ(test::ReadFile(dir_.File("area.xyz.tga")).size(), 18u + 4 * 3);
  EXPECT_EQ(ReadText(dir_.File("errors")), "");
}

TEST_F(ConvertCommand, PrintsTheMessageAndExitsOneOnBadInput) {
  test::WriteText(dir_.File("area.xyz"), "0 0 5\n0 10\n");
  EXPECT_EQ(RunConvert(cli_, dir_.File("area.xyz"), dir_.File("errors")), 1);
  EXPECT_EQ(ReadText(dir_.File("errors")),
            "Error: the DEM file holds text that is not a number.\n");
  EXPECT_FALSE(std::filesystem::exists(dir_.File("area.xyz.tga")));
}

TEST_F(ConvertCommand, ReportsAMissingInput) {
  EXPECT_EQ(RunConvert(cli_, dir_.File("missing.xyz"), dir_.File("errors")), 1);
  EXPECT_EQ(ReadText(dir_.File("errors")), "Error: the DEM file could not be opened.\n");
}

TEST_F(ConvertCommand, CtrlCCancelsAtTheNextCancelTest) {
  // The DEM comes through a pipe, so that Ctrl+C arrives while the scan is
  // certainly running: the flag is seen at the 25000th point.
  const std::string fifo = dir_.File("area.xyz");
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string errors = dir_.File("errors");
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    const int errorFile = open(errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(errorFile, STDERR_FILENO);
    execl(cli_.c_str(), "kem-cli", "convert", fifo.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  // Opening the pipe waits for kem-cli to open it, by which time it catches Ctrl+C.
  const int pipe = open(fifo.c_str(), O_WRONLY);
  ASSERT_GE(pipe, 0);
  ASSERT_EQ(kill(child, SIGINT), 0);
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
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 130);
  EXPECT_EQ(ReadText(errors), "");
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"area.xyz", "errors"}));
}

}  // namespace
}  // namespace kem
