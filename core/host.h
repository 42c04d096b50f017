// What the terrain generator shows and asks, implemented by each front end.
//
// The generator never calls a toolkit: the desktop application shows these as
// message boxes and a status-bar progress bar, kem-cli writes them to standard
// error, and the tests record them. Texts arrive exactly as the user must see
// them and are passed through unchanged.
#pragma once

#include <memory>
#include <string>

#include "core/run_host.h"

namespace kem {

// A progress bar placed in a status-bar pane for the length of one phase of a
// run. Destroying it removes it and gives the pane back its idle text.
class ProgressBar {
 public:
  virtual ~ProgressBar() = default;
  // Advances the bar by one step; past its maximum it starts over. Returns the
  // previous position.
  virtual int StepIt() = 0;
};

class Host : public RunHost {
 public:
  // An application message box with an OK button; returns when dismissed.
  virtual void ShowMessage(const std::string& text) = 0;

  // The same box for a message whose first line is `text`, exactly as
  // ShowMessage shows it, with a detail line under it naming the file tried
  // and the reason. By default one ShowMessage of both lines
  // (MessageWithDetail), so every front end keeps the first line as it was;
  // a host that keeps the two apart overrides this.
  virtual void ShowDetailedMessage(const std::string& text, const std::string& detail) {
    ShowMessage(MessageWithDetail(text, detail));
  }

  // `text`, then, when `detail` is not empty, a line break and the detail
  // indented by two spaces.
  static std::string MessageWithDetail(const std::string& text, const std::string& detail) {
    return detail.empty() ? text : text + "\n  " + detail;
  }

  // A message box with the information icon, an OK button and a caption.
  virtual void ShowInformation(const std::string& caption, const std::string& text) = 0;

  // A progress bar in status-bar pane `pane`, to the right of `message`,
  // taking `size` per cent of the space after the text, with range 0 to
  // `maximum` and step 1. Never null: a host without a status bar returns a
  // bar that does nothing.
  virtual std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size,
                                                         int maximum, bool smooth, int pane) = 0;
};

}  // namespace kem
