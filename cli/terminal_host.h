// The generator's Host for a terminal: messages on standard error, a progress
// line drawn in place when standard error is a terminal, and Ctrl+C.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "cli/terminal.h"
#include "core/host.h"

namespace kem::cli {

class TerminalHost : public Host {
 public:
  // Writes the text and a newline to standard error.
  void ShowMessage(const std::string& text) override;

  // Writes the text (not the caption) and a newline to standard error.
  void ShowInformation(const std::string& caption, const std::string& text) override;

  // A bar that draws "<message> 37%" in place on a terminal and clears its
  // line when destroyed; elsewhere it shows nothing.
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size, int maximum,
                                                 bool smooth, int pane) override;

  // Returns true. After Ctrl+C (caught by an InterruptCatcher) it runs the
  // interrupt action and ends the process with exit status 130 instead.
  bool PumpMessages() override;

  // What to do before the process ends on Ctrl+C, for instance discard the
  // unfinished layout file.
  void SetInterruptAction(std::function<void()> action) { interruptAction_ = std::move(action); }

 private:
  ProgressLine progress_;
  std::function<void()> interruptAction_;
};

}  // namespace kem::cli
