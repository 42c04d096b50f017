// Sends what a control sends when a user picks an entry, ticks a box or
// presses a button, so that tests drive the real handlers.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/event.h>

namespace kem::app {

inline void SendCommand(wxWindow* control, wxEventType type, int value) {
  wxCommandEvent event(type, control->GetId());
  event.SetInt(value);
  event.SetEventObject(control);
  control->ProcessWindowEvent(event);
}

inline void SendChoice(wxChoice* choice, int item) {
  choice->SetSelection(item);
  SendCommand(choice, wxEVT_CHOICE, item);
}

inline void SendTick(wxCheckBox* box, bool ticked) {
  box->SetValue(ticked);
  SendCommand(box, wxEVT_CHECKBOX, ticked ? 1 : 0);
}

inline void SendClick(wxButton* button) {
  SendCommand(button, wxEVT_BUTTON, 0);
}

}  // namespace kem::app
