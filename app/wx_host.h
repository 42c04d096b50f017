// The generator's Host in the desktop application: message boxes, progress
// bars in the main window's status bar, and the wx event loop.
#pragma once

#include <memory>
#include <string>

#include <wx/window.h>

#include "core/host.h"

namespace kem::app {

class WxHost : public Host {
 public:
  // Message boxes are owned by `owner` (may be null).
  explicit WxHost(wxWindow* owner) : m_owner(owner) {}

  // A message box captioned "Kem" with an OK button and the warning icon.
  void ShowMessage(const std::string& text) override;
  // A message box with the information icon, `caption` and an OK button.
  void ShowInformation(const std::string& caption, const std::string& text) override;
  // A CProgressBar in the status bar of the application's main window.
  std::unique_ptr<ProgressBar> CreateProgressBar(const std::string& message, int size, int maximum,
                                                 bool smooth, int pane) override;
  // Runs the events that are waiting (repaints, progress, the importer's
  // Cancel). Returns false when the main window was asked to close; it closes
  // when the run is over.
  bool PumpMessages() override;

 private:
  wxWindow* m_owner;
};

// Lets waiting events run, unless an event loop is already yielding further
// up the stack. Returns false when a close of the main window is pending.
bool PumpPendingEvents();

}  // namespace kem::app
