#include "cli/terminal.h"

#include <unistd.h>

#include <atomic>
#include <cstdio>

namespace kem::cli {

namespace {

// The erase-to-end-of-line sequence that ends every drawn line.
constexpr const char* kEraseToEndOfLine = "\033[K";

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the Ctrl+C flag is set in a signal handler");

extern "C" void OnInterrupt(int) {
  gInterrupted.store(true);
}

void WriteToStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void WriteMessageLine(const std::string& text) {
  WriteToStderr(text + "\n");
}

bool StderrIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

ProgressLine::ProgressLine() : terminal_(StderrIsTerminal()) {}

ProgressLine::~ProgressLine() {
  Clear();
}

void ProgressLine::Draw(const std::string& line) {
  if (line.empty()) {
    Clear();
    return;
  }
  if (!terminal_ || line == shown_) {
    return;
  }
  WriteToStderr("\r" + line + kEraseToEndOfLine);
  shown_ = line;
}

void ProgressLine::Clear() {
  if (!shown_.empty()) {
    WriteToStderr(std::string("\r") + kEraseToEndOfLine);
    shown_.clear();
  }
}

InterruptCatcher::InterruptCatcher(SecondInterrupt second) {
  gInterrupted.store(false);
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  // A read in progress (the DEM may come through a pipe) must not fail
  // because Ctrl+C arrived; the flag alone decides what happens.
  action.sa_flags = SA_RESTART;
  if (second == SecondInterrupt::kEndsProcess) {
    action.sa_flags |= SA_RESETHAND;
  }
  installed_ = sigaction(SIGINT, &action, &previous_) == 0;
}

InterruptCatcher::~InterruptCatcher() {
  if (installed_) {
    sigaction(SIGINT, &previous_, nullptr);
  }
}

bool Interrupted() {
  return gInterrupted.load();
}

const std::atomic<bool>& InterruptFlag() {
  return gInterrupted;
}

}  // namespace kem::cli
