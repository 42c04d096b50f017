// What the DEM conversion shows and asks of the window that hosts it: the
// importer dialog in the desktop application, a terminal line in kem-cli, a
// recorder in the tests.
#pragma once

#include <string>

#include "core/run_host.h"

namespace kem {

class ImportHost : public RunHost {
 public:
  // Repaints the host window at once, so it is visible before work starts.
  virtual void Repaint() = 0;

  // Shows a status text and sets the progress bar (0 to 100) to `percent`
  // truncated toward zero.
  virtual void SetProgress(const std::string& text, float percent) = 0;

  // Disables the Cancel button: from here on the conversion cannot be cancelled.
  virtual void DisableCancel() = 0;

  // A message box owned by the host window with the error (stop) icon, an OK
  // button and a caption.
  virtual void ShowError(const std::string& caption, const std::string& text) = 0;
};

}  // namespace kem
