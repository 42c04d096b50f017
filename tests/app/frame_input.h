// Whether the main window takes input: a run scope disables its menus and
// swallows the rest of its input.
#pragma once

#include <wx/menu.h>

#include "app/main_frame.h"

namespace kem::app {

inline bool FrameTakesInput(const CMainFrame& frame) {
  const wxMenuBar* bar = frame.GetMenuBar();
  return frame.IsEnabled() && (bar == nullptr || bar->IsEnabledTop(0));
}

}  // namespace kem::app
