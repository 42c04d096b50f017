// A progress bar that lives in a pane of the main window's status bar, to the
// right of a short message, for as long as the object exists. The generator's
// filtering and terraforming passes each show one.
#pragma once

#include <memory>
#include <string>

#include <wx/gauge.h>
#include <wx/string.h>

#include "app/progress_placement.h"
#include "core/host.h"

class wxEraseEvent;
class wxSizeEvent;
class wxStatusBar;

namespace kem::app {

// Window number of the bar inside the status bar.
inline constexpr int kProgressBarId = 1;

class CProgressBar : public wxGauge {
 public:
  // No window; exists for dynamic creation only.
  CProgressBar();

  // Creates the bar at once (see Create). A failed creation leaves an object
  // without a window, on which every operation does nothing.
  CProgressBar(const wxString& message, int size, int maxValue, bool smooth, int pane);

  // Hides the bar and gives the pane back its text (RestorePane).
  ~CProgressBar() override;

  // Places a bar of range 0 to `maxValue`, step 1, in pane `pane` of the
  // main window's status bar, taking `size` per cent of the width right of
  // `message`, which the pane then shows. `smooth` asks for a continuous bar.
  // False when there is no status bar or the window cannot be made.
  bool Create(const wxString& message, int size, int maxValue, bool smooth, int pane);

  // Sets the range and the step; the position is kept inside the range.
  // False without a window.
  bool SetRange(int lower, int upper, int step);
  void SetRange(int range) override { SetRange(0, range, m_step); }

  // Sets the step and shows the bar; returns the previous step (0 without a
  // window).
  int SetStep(int step);

  // Shows the bar and advances it by one step; a step past the upper limit
  // starts it over at the lower limit. Returns the previous position (0
  // without a window).
  int StepIt();

  // Replaces the message beside the bar ("Terraforming boards: 120 of 400")
  // and fits the bar to it.
  void SetMessage(const wxString& message);

  // Shows the message in the pane and fits the bar into the pane beside it;
  // the window moves only when its place changed. False without a window or
  // status bar.
  bool Reposition();

  // The main window's status bar: the frame's own, or else a status bar under
  // the toolkit's standard status-bar name (wxStatusBarNameStr) among the top
  // window's descendants. Null when there is none.
  static wxStatusBar* FindStatusBar();

  // Current position, for tests and callers that show it elsewhere.
  int GetBarPosition() const { return m_position; }
  const EdgeRect& GetPlacement() const { return m_placement; }

 private:
  bool HasWindow() const;
  // Lets the bar fill `height` pixels of its window: GTK draws a thin trough
  // in the middle of whatever height it is given. Other platforms' bars fill
  // their windows already.
  void FillHeight(int height);
  // The status bar, when it is the one that holds this bar.
  wxStatusBar* OwningStatusBar() const;
  void RestorePane();
  void OnEraseBkgnd(wxEraseEvent& event);
  void OnStatusBarSize(wxSizeEvent& event);

  int m_size = 0;
  int m_pane = 0;
  wxString m_message;
  wxString m_previousText;
  EdgeRect m_placement;
  int m_lower = 0;
  int m_upper = 0;
  int m_step = 1;
  int m_position = 0;
  int m_filledHeight = 0;  // the height the bar was last made to fill (GTK)

  wxDECLARE_DYNAMIC_CLASS_NO_COPY(CProgressBar);
};

// A plain horizontal gauge whose bar fills the height of its window, as a
// dialog's progress bar should read at a glance.
class FullHeightGauge : public wxGauge {
 public:
  FullHeightGauge(wxWindow* parent, int id, int range, const wxPoint& position, const wxSize& size);
};

// The style that lets a GTK progress bar fill `height` pixels: GTK draws a
// thin trough in the middle of whatever height it is given. Other
// platforms' bars fill their windows already.
std::string FullHeightGaugeStyle(int height);

// The generator's progress bar for the desktop application: a CProgressBar in
// the main window's status bar, removed when the returned object goes, its
// message followed by the count of steps done ("Terraforming boards: 120 of
// 400"). Never null; without a status bar it does nothing. `message` is UTF-8.
std::unique_ptr<kem::ProgressBar> MakeStatusProgressBar(const std::string& message, int size,
                                                        int maximum, bool smooth, int pane);

}  // namespace kem::app
