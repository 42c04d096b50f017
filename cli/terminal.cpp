#include "cli/terminal.h"

#include <atomic>
#include <cstdio>

namespace kem::cli {

namespace {

// The erase-to-end-of-line sequence that ends every drawn line.
constexpr const char* kEraseToEndOfLine = "\033[K";

std::atomic<bool> gInterrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the Ctrl+C flag is set in a signal handler");

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

void SetInterrupted(bool interrupted) {
  gInterrupted.store(interrupted);
}

bool Interrupted() {
  return gInterrupted.load();
}

}  // namespace kem::cli
