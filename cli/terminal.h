// Standard error as kem-cli's screen, shared by the generator's and the
// importer's terminal hosts: message lines, one progress line redrawn in place
// on a terminal, and Ctrl+C (or a request to end: SIGTERM, SIGHUP) caught as
// a flag the work polls between steps.
//
// What differs between systems (finding a terminal, catching Ctrl+C, the
// command line's encoding) lives in console_posix.cpp and console_windows.cpp;
// the build compiles one of them.
#pragma once

#include <string>
#include <vector>

namespace kem::cli {

// The program's arguments, its name first, as UTF-8 whatever the system hands
// main() (Windows gives main() the arguments in the local code page).
std::vector<std::string> CommandLineArguments(int argc, char** argv);

// Writes `text` and a newline to standard error and flushes it, so the whole
// message is out before the run goes on or ends.
void WriteMessageLine(const std::string& text);

// True when standard error is a terminal, where a line can be redrawn in place.
bool StderrIsTerminal();

// True when standard input is a terminal, where a question can be answered.
bool StdinIsTerminal();

// Has standard error's terminal act on the escape sequences the progress line
// draws with (a Windows console needs this switched on). False when it cannot.
bool EnableTerminalEscapes();

// The progress line at the bottom of a terminal, drawn as "\r<line>\033[K" so
// each state overwrites the last. When standard error is not a terminal it
// writes nothing, so that only messages end up there.
class ProgressLine {
 public:
  // Looks once at whether standard error is a terminal.
  ProgressLine();

  // Clears the line if one is still shown.
  ~ProgressLine();

  ProgressLine(const ProgressLine&) = delete;
  ProgressLine& operator=(const ProgressLine&) = delete;

  // Shows `line` in place of the line shown; writes nothing when it is the
  // same line again. An empty `line` clears it.
  void Draw(const std::string& line);

  // Erases the shown line, if any, so that a message starts on a clean line.
  void Clear();

 private:
  bool terminal_;
  std::string shown_;
};

// What a second Ctrl+C (or SIGTERM, SIGHUP) does while an InterruptCatcher
// lives.
enum class SecondInterrupt {
  kIsCaught,     // it only sets the flag, like the first
  kEndsProcess,  // only the first is caught; a second ends the process at once
};

// While it lives, Ctrl+C, SIGTERM and SIGHUP only set the flag that
// Interrupted() reports, so that a run asked to end discards its unfinished
// output; system calls they arrive in are resumed rather than failed. One at
// a time.
class InterruptCatcher {
 public:
  // Clears the flag and catches the three signals; `second` says what a
  // repeated one does.
  explicit InterruptCatcher(SecondInterrupt second);

  // Puts back the handling that was in place before.
  ~InterruptCatcher();

  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

 private:
  bool installed_ = false;
};

// For the system's handlers: records the first request to end, by the POSIX
// signal number whose exit status it gives (Windows' Ctrl+C and Ctrl+Break
// count as SIGINT, closing the console as SIGHUP).
void RecordInterrupt(int signal);

// Forgets any request to end; each InterruptCatcher starts with none.
void ClearInterrupt();

// True once one of the signals arrived while the current InterruptCatcher
// lived.
bool Interrupted();

// The exit status of a run the first such signal ended: 128 plus its number
// (130 for Ctrl+C, 143 for SIGTERM, 129 for SIGHUP).
int InterruptedExitStatus();

}  // namespace kem::cli
