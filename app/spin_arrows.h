// SpinArrows: the pair of up and down arrows attached to the right edge of a
// height box. It keeps no value of its own: each press notifies the height
// change it stands for, like an up-down control with its default range
// (upper limit below lower limit), so the up arrow notifies -1 and the down
// arrow +1. Held down, it repeats, and after two and five seconds the
// notified step grows to 5 and 20. The Up and Down keys in the box do the
// same as the arrows.
#pragma once

#include <functional>

#include <wx/control.h>
#include <wx/textctrl.h>
#include <wx/timer.h>

namespace kem::app {

class SpinArrows : public wxControl {
 public:
  using DeltaHandler = std::function<void(int delta)>;

  // Places the arrows inside the right edge of `buddy`'s rectangle and
  // narrows the box to make room.
  SpinArrows(wxWindow* parent, wxWindowID id, wxTextCtrl* buddy);

  void SetDeltaHandler(DeltaHandler handler) { m_onDelta = std::move(handler); }

  // Step that a press held for `heldMilliseconds` notifies: 1, then 5 after
  // two seconds, 20 after five.
  static int StepForHoldTime(long heldMilliseconds);

  bool AcceptsFocus() const override { return false; }

 protected:
  wxSize DoGetBestSize() const override;

 private:
  void OnPaint(wxPaintEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnCaptureLost(wxMouseCaptureLostEvent& event);
  void OnTimer(wxTimerEvent& event);
  void OnBuddyKey(wxKeyEvent& event);
  void Notify(int direction, long heldMilliseconds);
  void StopRepeat();

  DeltaHandler m_onDelta;
  wxTimer m_repeat;
  int m_pressed = 0;  // -1 up arrow held, +1 down arrow held, 0 none
  wxLongLong m_pressStart;
};

}  // namespace kem::app
