// Runs the kem-cli binary named by the environment variable KEM_CLI as a child
// process in the current folder and captures what it writes.
//
// cli_runner_posix.cpp and cli_runner_windows.cpp start processes the two
// systems' ways; the build compiles one of them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace kem::test {

struct CliResult {
  int exitCode = -1;  // -1 when the process did not exit normally
  int signal = 0;     // the signal that ended it, if one did
  std::string out;
  std::string err;
};

// Runs kem-cli with `args`, standard input from /dev/null. `whileRunning`, if
// given, is called with the child's process id before waiting for it.
CliResult RunCli(const std::vector<std::string>& args,
                 const std::function<void(int pid)>& whileRunning = {});

// Runs kem-cli with standard input and standard error on a new pseudo
// terminal and standard output to a file. `input` is typed on the terminal
// as soon as it has shown `typeAfter` (at once when that is empty); `err`
// receives everything the terminal showed (the typed text echoed, line ends
// as "\r\n"). Returns when the child has exited and all it showed has been
// read; a child still running after two minutes is killed.
CliResult RunCliOnTerminal(const std::vector<std::string>& args, const std::string& input,
                           const std::string& typeAfter = "");

// A signal that stops a run, and the exit status it must give.
struct StopSignal {
  const char* name;
  int number;
  int exitStatus;
};

// Ctrl+C, SIGTERM and SIGHUP, by their POSIX numbers (Windows has Ctrl+C and
// Ctrl+Break, which give Ctrl+C's status, and none of the other two).
inline constexpr StopSignal kStopSignals[] = {
    {"CtrlC", 2, 130}, {"Terminate", 15, 143}, {"HangUp", 1, 129}};

// Sends `stop` to the running kem-cli `pid` (on Windows, Ctrl+C as
// Ctrl+Break, which takes the same path). True when it was delivered.
bool SendStop(int pid, const StopSignal& stop);

// Why `stop` cannot be sent to a program on this system; null when it can.
const char* StopUnavailable(const StopSignal& stop);

// Shows the signal by name in a failure message.
inline void PrintTo(const StopSignal& signal, std::ostream* out) {
  *out << signal.name;
}

// Names a test instance after its signal.
inline std::string StopSignalName(const testing::TestParamInfo<StopSignal>& info) {
  return info.param.name;
}

}  // namespace kem::test
