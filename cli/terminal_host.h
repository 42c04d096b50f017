// The generator's Host for a terminal: messages on standard error, a progress
// line drawn in place when standard error is a terminal, and Ctrl+C.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "core/host.h"

namespace kem::cli {

class TerminalHost : public Host {
 public:
  // Draws progress lines only when standard error is a terminal.
  TerminalHost();

  // Writes the text and a newline to standard error.
  void ShowMessage(const std::string& text) override;

  // Writes the text (not the caption) and a newline to standard error.
  void ShowInformation(const std::string& caption, const std::string& text) override;

  // A bar that draws "<message> 37%" in place on a terminal and clears its
  // line when destroyed; elsewhere a bar that shows nothing.
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size, int maximum,
                                                 bool smooth, int pane) override;

  // Returns true. After Ctrl+C (see CatchInterrupts) it runs the interrupt
  // action and ends the process with exit status 130 instead.
  bool PumpMessages() override;

  // What to do before the process ends on Ctrl+C, for instance discard the
  // unfinished layout file.
  void SetInterruptAction(std::function<void()> action) { interruptAction_ = std::move(action); }

  // Called by the progress bars: draws `line` in place of the previous one,
  // or clears it when `line` is empty.
  void DrawProgressLine(const std::string& line);

 private:
  void ClearProgressLine();

  bool terminal_;
  bool lineDrawn_ = false;
  std::function<void()> interruptAction_;
};

// From now on Ctrl+C only sets a flag, which PumpMessages acts on between
// boards; a second Ctrl+C ends the process at once.
void CatchInterrupts();

// True once Ctrl+C was pressed after CatchInterrupts.
bool Interrupted();

}  // namespace kem::cli
