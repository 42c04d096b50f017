#include "cli/terminal.h"

#include <atomic>
#include <csignal>
#include <cstdio>

namespace kem::cli {

namespace {

// The erase-to-end-of-line sequence that ends every drawn line.
constexpr const char* kEraseToEndOfLine = "\033[K";

// The first signal caught, 0 before any.
std::atomic<int> gInterruptSignal{0};
static_assert(std::atomic<int>::is_always_lock_free, "the Ctrl+C flag is set in a signal handler");

// The shell's convention for a process ended by a signal.
constexpr int kSignalExitBase = 128;

void WriteToStderr(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

}  // namespace

void WriteMessageLine(const std::string& text) {
  WriteToStderr(text + "\n");
}

ProgressLine::ProgressLine() : terminal_(StderrIsTerminal() && EnableTerminalEscapes()) {}

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

void RecordInterrupt(int signal) {
  int none = 0;
  gInterruptSignal.compare_exchange_strong(none, signal);
}

void ClearInterrupt() {
  gInterruptSignal.store(0);
}

bool Interrupted() {
  return gInterruptSignal.load() != 0;
}

int InterruptedExitStatus() {
  const int signal = gInterruptSignal.load();
  return kSignalExitBase + (signal != 0 ? signal : SIGINT);
}

}  // namespace kem::cli
