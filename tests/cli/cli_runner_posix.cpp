#include "cli/cli_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/test_support.h"

extern char** environ;

namespace kem::test {

namespace {

// Longest a run on the terminal may take, even in a sanitizer build on a busy machine.
constexpr std::chrono::seconds kTerminalTimeout{120};

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

namespace {

const char* Program() {
  const char* program = std::getenv("KEM_CLI");
  if (program == nullptr || *program == '\0') {
    throw std::runtime_error("KEM_CLI is not set");
  }
  return program;
}

pid_t Spawn(const std::vector<std::string>& args, const posix_spawn_file_actions_t& actions) {
  std::vector<std::string> argvStorage = {Program()};
  argvStorage.insert(argvStorage.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& arg : argvStorage) {
    argv.push_back(arg.data());
  }
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
    throw std::runtime_error("cannot start " + argvStorage[0]);
  }
  return pid;
}

void SetStatus(int status, CliResult& result) {
  if (WIFEXITED(status)) {
    result.exitCode = WEXITSTATUS(status);
  } else if (WIFSIGNALED(status)) {
    result.signal = WTERMSIG(status);
  }
}

}  // namespace

CliResult RunCli(const std::vector<std::string>& args,
                 const std::function<void(int pid)>& whileRunning) {
  // The captured output goes to a folder of its own so that the current
  // folder holds only what kem-cli wrote.
  TempDir capture;
  const std::string outPath = capture.File("out");
  const std::string errPath = capture.File("err");

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  const pid_t pid = Spawn(args, actions);
  posix_spawn_file_actions_destroy(&actions);
  if (whileRunning) {
    whileRunning(pid);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      throw std::runtime_error("waitpid failed");
    }
  }

  CliResult result;
  SetStatus(status, result);
  result.out = ReadText(outPath);
  result.err = ReadText(errPath);
  return result;
}

CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::string& input,
                           const std::string& typeAfter) {
  TempDir capture;
  const std::string outPath = capture.File("out");

  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    throw std::runtime_error("no pseudo terminal");
  }
  const std::string slavePath = ptsname(master);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, slavePath.c_str(), O_RDWR | O_NOCTTY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC,
                                   0600);
  posix_spawn_file_actions_adddup2(&actions, 0, 2);
  posix_spawn_file_actions_addclose(&actions, master);
  const pid_t pid = Spawn(args, actions);
  posix_spawn_file_actions_destroy(&actions);

  // Text typed before the child reads it is echoed wherever the child's output
  // happens to be, so it waits for the question, as a person would.
  bool typed = false;
  const auto typeWhenAsked = [&](const std::string& shown) {
    if (!typed && shown.find(typeAfter) != std::string::npos) {
      typed = true;
      if (!input.empty() && write(master, input.data(), input.size()) < 0) {
        throw std::runtime_error("cannot type on the pseudo terminal");
      }
    }
  };
  CliResult result;
  typeWhenAsked(result.err);
  // The child holds the only other end of the terminal, so the terminal ends
  // when the child has exited and all it wrote has been read. A child that
  // is still running after kTerminalTimeout is stopped.
  const auto deadline = std::chrono::steady_clock::now() + kTerminalTimeout;
  while (true) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    pollfd ready = {master, POLLIN, 0};
    const int polled = poll(&ready, 1, static_cast<int>(std::max<long long>(left.count(), 0)));
    if (polled < 0 && errno == EINTR) {
      continue;
    }
    if (polled <= 0) {
      kill(pid, SIGKILL);
      break;
    }
    char buffer[4096];
    const ssize_t got = read(master, buffer, sizeof buffer);
    if (got > 0) {
      result.err.append(buffer, static_cast<std::size_t>(got));
      typeWhenAsked(result.err);
    } else if (got == 0 || errno != EINTR) {
      break;  // EIO: the child's end is closed and nothing is left to read
    }
  }
  close(master);
  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      throw std::runtime_error("waitpid failed");
    }
  }
  SetStatus(status, result);
  result.out = ReadText(outPath);
  return result;
}

bool SendStop(int pid, const StopSignal& stop) {
  return kill(pid, stop.number) == 0;
}

const char* StopUnavailable(const StopSignal&) {
  return nullptr;
}

}  // namespace kem::test
