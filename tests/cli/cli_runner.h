// Runs the kem-cli binary named by the environment variable KEM_CLI as a child
// process in the current folder and captures what it writes.
//
// cli_runner_posix.cpp and cli_runner_windows.cpp start processes the two
// systems' ways; the build compiles one of them.
#pragma once

#include <functional>
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

// Presses Ctrl+C for the running kem-cli `pid` (on Windows, Ctrl+Break, which
// takes the same path). True when it was delivered.
bool PressCtrlC(int pid);

// The names of the files in `folder`, sorted.
std::vector<std::string> FilesIn(const std::string& folder);

}  // namespace kem::test
