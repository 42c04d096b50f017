// The terminal and Ctrl+C on POSIX systems: isatty and SIGINT.
#include <signal.h>
#include <unistd.h>

#include "cli/terminal.h"

namespace kem::cli {

namespace {

// The SIGINT handling an InterruptCatcher replaced; one catcher at a time.
struct sigaction gPrevious = {};

extern "C" void OnInterrupt(int) {
  SetInterrupted(true);
}

}  // namespace

std::vector<std::string> CommandLineArguments(int argc, char** argv) {
  return std::vector<std::string>(argv, argv + argc);
}

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

bool StdinIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}

bool EnableTerminalEscapes() {
  return true;
}

InterruptCatcher::InterruptCatcher(SecondInterrupt second) {
  SetInterrupted(false);
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A read in progress (the DEM may come through a pipe) must not fail
  // because Ctrl+C arrived; the flag alone decides what happens.
  action.sa_flags = SA_RESTART;
  if (second == SecondInterrupt::kEndsProcess) {
    action.sa_flags |= SA_RESETHAND;
  }
  installed_ = sigaction(SIGINT, &action, &gPrevious) == 0;
}

InterruptCatcher::~InterruptCatcher() {
  if (installed_) {
    sigaction(SIGINT, &gPrevious, nullptr);
  }
}

}  // namespace kem::cli
