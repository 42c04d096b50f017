// The terminal and requests to end on POSIX systems: isatty, and SIGINT,
// SIGTERM and SIGHUP.
#include <signal.h>
#include <unistd.h>

#include <iterator>

#include "cli/terminal.h"
#include "core/blocking_call.h"

namespace kem::cli {

namespace {

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// The handling an InterruptCatcher replaced; one catcher at a time.
struct sigaction gPrevious[std::size(kSignals)] = {};
bool gInstalled[std::size(kSignals)] = {};

extern "C" void OnInterrupt(int signal) {
  RecordInterrupt(signal);
  // A run waiting on a pipe would not see the flag until the pipe moves.
  if (kem::InBlockingCall()) {
    _exit(InterruptedExitStatus());
  }
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
  ClearInterrupt();
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A read in progress (the DEM may come through a pipe) must not fail
  // because Ctrl+C arrived; the flag alone decides what happens.
  action.sa_flags = SA_RESTART;
  if (second == SecondInterrupt::kEndsProcess) {
    action.sa_flags |= SA_RESETHAND;
  }
  installed_ = true;
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    gInstalled[i] = sigaction(kSignals[i], &action, &gPrevious[i]) == 0;
  }
}

InterruptCatcher::~InterruptCatcher() {
  for (std::size_t i = 0; i < std::size(kSignals); ++i) {
    if (gInstalled[i]) {
      sigaction(kSignals[i], &gPrevious[i], nullptr);
      gInstalled[i] = false;
    }
  }
}

}  // namespace kem::cli
