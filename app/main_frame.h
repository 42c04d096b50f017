// CMainFrame: the fixed-size main window around the project form, with the
// menu, the accelerators, the one-pane status bar and the help commands.
#pragma once

#include <wx/docview.h>

namespace kem::app {

class CMainFrame : public wxDocParentFrame {
 public:
  // Creates the window (not shown yet): caption "Kem", system menu, close
  // and context-help buttons where the platform has them, no sizing border,
  // no minimize or maximize button.
  explicit CMainFrame(wxDocManager* manager);

  // The form that fills the client area; the frame is fitted to it.
  void SetForm(wxWindow* form);
  // Sizes the window so that its client area holds the form exactly.
  void FitToForm();

  // A long run (generation) starts and ends: the whole window is disabled
  // meanwhile, and a close requested during the run happens after it.
  void BeginRun();
  void EndRun();
  bool IsClosePending() const { return m_closePending; }

  // The File menu, where the recent files go.
  wxMenu* FileMenu() const { return m_fileMenu; }

 private:
  void BuildMenu();
  void BuildAccelerators();
  void OnClose(wxCloseEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnConvert(wxCommandEvent& event);
  void OnHelpContents(wxCommandEvent& event);
  void OnHelp(wxCommandEvent& event);
  void OnContextHelp(wxCommandEvent& event);
  void OnToggleStatusBar(wxCommandEvent& event);
  void OnUpdateStatusBar(wxUpdateUIEvent& event);
  void OnNothing(wxCommandEvent& event);
  void OnSize(wxSizeEvent& event);

  wxWindow* m_form = nullptr;
  wxMenu* m_fileMenu = nullptr;
  int m_runs = 0;
  bool m_closePending = false;
};

}  // namespace kem::app
