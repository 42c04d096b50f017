// kem-cli's hosts: the generator's Host and the importer's ImportHost on a
// terminal. Messages go to standard error, progress is a line drawn in place
// when standard error is a terminal, and Ctrl+C is the cancel flag.
#pragma once

#include <memory>
#include <string>

#include "cli/terminal.h"
#include "core/host.h"
#include "importer/import_host.h"

namespace kem::cli {

// What both hosts share. `Base` is Host or ImportHost.
template <typename Base>
class TerminalRun : public Base {
 public:
  // Nothing waits to run on a terminal.
  bool PumpMessages() override { return true; }

  // True once Ctrl+C was caught by the InterruptCatcher around the run.
  bool IsCancelled() const override { return Interrupted(); }

 protected:
  // Clears the progress line, then writes `text` and a newline.
  void WriteMessage(const std::string& text) {
    progress_.Clear();
    WriteMessageLine(text);
  }

  ProgressLine progress_;
};

class TerminalHost : public TerminalRun<Host> {
 public:
  // Writes the text and a newline to standard error.
  void ShowMessage(const std::string& text) override { WriteMessage(text); }

  // Writes the text (not the caption) and a newline to standard error.
  void ShowInformation(const std::string&, const std::string& text) override { WriteMessage(text); }

  // A bar that draws "<message> 37%" in place on a terminal and clears its
  // line when destroyed; elsewhere it shows nothing.
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size, int maximum,
                                                 bool smooth, int pane) override;
};

// Progress as one line "<text> NN%"; errors as their text (not the caption).
class TerminalImportHost : public TerminalRun<ImportHost> {
 public:
  void Repaint() override {}

  void SetProgress(const std::string& text, float percent) override;

  // Writing is not cancellable; a Ctrl+C from here on is ignored.
  void DisableCancel() override {}

  void ShowError(const std::string&, const std::string& text) override { WriteMessage(text); }
};

}  // namespace kem::cli
