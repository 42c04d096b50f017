// CMainFrame: the main window: the project form at the left, the preview
// pane filling the rest, with the menu, the accelerators, the one-pane status bar and the help
// commands.
#pragma once

#include <memory>

#include <wx/dnd.h>
#include <wx/docview.h>
#include <wx/weakref.h>

#include "core/run_host.h"

namespace kem::app {

class CMainFrame : public wxDocParentFrame {
 public:
  // Creates the window (not shown yet): caption "Kem", system menu, close,
  // maximize and context-help buttons where the platform has them, and a
  // sizing border.
  explicit CMainFrame(wxDocManager* manager);
  ~CMainFrame() override;

  // The form at the left of the client area; the frame is fitted to it.
  void ShowProjectForm(wxWindow* form);
  // The pane that takes the client area beside the form.
  void SetPreview(wxWindow* preview);
  // Sizes the window to hold the form and a preview beside it, and lets it
  // grow but not shrink below the form's height and a narrow preview. Only
  // the first call with both panes sizes the window; later ones (New, Open)
  // only lay the panes out again.
  void FitToForm();

  // The length of one long run (a generation or a DEM conversion): while a
  // scope lives, the window takes no input at all (menu, keys, form), and a
  // close requested meanwhile happens after it. On Windows the frame is
  // disabled outright; on GTK, where a disabled window greys every child and
  // the status-bar progress bar with it, the menus are disabled and input to
  // the window is swallowed. When the scope names the run (`run`), Escape and
  // a click on `cancelButton` still come through: Escape sets the run's
  // cancel flag, the button does what it is bound to do. Scopes nest; a null
  // frame makes a scope that does nothing.
  class RunScope {
   public:
    explicit RunScope(CMainFrame* frame, RunHost* run = nullptr, wxWindow* cancelButton = nullptr);
    ~RunScope();
    RunScope(const RunScope&) = delete;
    RunScope& operator=(const RunScope&) = delete;

   private:
    wxWeakRef<CMainFrame> m_frame;
  };

  bool IsClosePending() const { return m_closePending; }

  // A file dropped on the window (outside the path boxes): an elevation file
  // is converted, any other file opened as a project. False during a run.
  bool OpenDroppedFile(const wxString& path);

  // Shows what a command wrote in the status bar, until the next command.
  void ShowResult(const wxString& text);
  // Gives the status bar back its idle text if it shows a result.
  void ClearResult();

  // The File menu, where the recent files go.
  wxMenu* FileMenu() const { return m_fileMenu; }
  // The Edit menu, whose Undo and Redo name the change they act on.
  wxMenu* EditMenu() const { return m_editMenu; }

 private:
  wxDropTarget* MakeDropTarget();
  void BuildMenu();
  void BuildAccelerators();
  void OnClose(wxCloseEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnConvert(wxCommandEvent& event);
  void OnConvertRaster(wxCommandEvent& event);
  void OnHelpContents(wxCommandEvent& event);
  void OnHelp(wxCommandEvent& event);
  void OnContextHelp(wxCommandEvent& event);
  void OnToggleStatusBar(wxCommandEvent& event);
  void OnUpdateStatusBar(wxUpdateUIEvent& event);
  void OnNothing(wxCommandEvent& event);
  void OnCopy(wxCommandEvent& event);
  void OnSize(wxSizeEvent& event);
  void LayOutPanes();

  class InputBlocker;

  void BeginRun(RunHost* run, wxWindow* cancelButton);
  void EndRun();
  void EnableMenus(bool enable);
  bool TryBefore(wxEvent& event) override;

  wxWeakRef<wxWindow> m_form;
  wxWeakRef<wxWindow> m_preview;
  std::unique_ptr<InputBlocker> m_blocker;
  wxMenu* m_fileMenu = nullptr;
  wxMenu* m_editMenu = nullptr;
  bool m_fitted = false;
  int m_runs = 0;
  bool m_closePending = false;
  bool m_showsResult = false;
};

}  // namespace kem::app
