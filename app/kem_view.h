// CKemView: the project form in the main window. It keeps the document's
// ProjectSettings in step with the form at every change, enables the controls
// that make sense for the paths given, offers the file pickers, turns spin
// arrows into height steps, presets the range for the 24-bit height coding,
// gives per-control help and runs the Generate command.
#pragma once

#include <optional>

#include <wx/docview.h>
#include <wx/weakref.h>

#include "app/form_logic.h"
#include "app/preview_pane.h"
#include "app/project_form.h"
#include "core/run_host.h"

namespace kem::app {

class CKemDoc;

class CKemView : public wxView {
 public:
  CKemView() = default;
  ~CKemView() override;

  bool OnCreate(wxDocument* doc, long flags) override;
  void OnDraw(wxDC*) override {}
  // The document changed: repaint (the form is rewritten by OnInitialUpdate).
  void OnUpdate(wxView* sender, wxObject* hint) override;
  // Caption "Kem - " and the project's title.
  void OnChangeFilename() override;
  bool OnClose(bool deleteWindow) override;

  // After start-up, New and Open: refills the format list, fits the main
  // window to the form, sets the trackbar's range, writes the form and
  // applies the enabling rules.
  void OnInitialUpdate();

  // Reads the form into the settings in exchange order; a height that is not a
  // number stops the read. Only a complete read (Generate, Save) then shows
  // "Please enter a number." and gives the box the focus; while typing
  // (`mode`) the box is marked and listed among the problems, and a height
  // that can still become a number is skipped. A change of a value marks the
  // project modified and is recorded for Undo, continuing the last change of
  // the same field when `extends`. Returns the field that stopped the read.
  std::optional<FormField> ReadFromForm(ReadMode mode = ReadMode::kComplete, bool extends = true);
  // Undo and Redo: makes `settings` the project's and shows them; the project
  // is modified unless this brings back the state last saved.
  void ApplyEdit(const ProjectSettings& settings);
  // Writes the settings into the form; notifications are ignored meanwhile.
  void WriteToForm();
  // Enables and disables the form's controls for the project's paths.
  void UpdateControls();

  // The Generate command (button, menu entry, Ctrl+G). During the run the
  // button reads Cancel and, like Escape, stops it; nothing is written then.
  // A written layout is reported in the status bar.
  void OnGenerate();

  // Makes `path` the height map with the 24-bit height coding and its range,
  // as offered after a DEM conversion.
  void UseHeightMap(const wxString& path);

  CKemDoc* GetDocument() const;
  // The survey beside the form (null once the frame is gone).
  PreviewPane* Preview() const { return m_preview.get(); }

 private:
  void Bindings();
  void OnPathChanged(wxCommandEvent& event);
  void OnHeightChanged(wxCommandEvent& event);
  void OnHeightLeft(wxFocusEvent& event);
  void OnCheckClicked(wxCommandEvent& event);
  void OnFormatChanged(wxCommandEvent& event);
  void OnSliderMoved(wxCommandEvent& event);
  void OnRefreshCommand(wxCommandEvent& event);
  void OnZoomCommand(wxCommandEvent& event);
  // Records the change from `before` to the settings now, for Undo.
  void RecordEdit(const ProjectSettings& before, bool extends);
  // Marks each height box whose text is no number (one being typed into only
  // when it can never become one) and lists it among the problems.
  void ShowHeightProblems();
  void OnSpin(float ProjectSettings::*height, int delta);
  void OnPick(wxCommandEvent& event);
  void OnGenerateButton(wxCommandEvent& event);
  void OnGenerateCommand(wxCommandEvent& event);
  // File > Open Folder: the folder of the layout last written, in the
  // system's file manager; enabled once a run has written one.
  void OnOpenFolder(wxCommandEvent& event);
  void OnUpdateOpenFolder(wxUpdateUIEvent& event);
  void OnHelpRequest(wxHelpEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);

  // Asks the preview for a survey of the project as it now stands.
  void RefreshPreview();

  wxWeakRef<ProjectForm> m_form;
  wxWeakRef<PreviewPane> m_preview;
  wxString m_generateLabel;
  bool m_exchanging = false;
  RunHost* m_running = nullptr;  // the run under way, if any
  std::string m_lastLayout;      // the full path of the layout last written

  wxDECLARE_DYNAMIC_CLASS(CKemView);
};

}  // namespace kem::app
