// The pane beside the project form: the survey of the project as it stands.
// It shows the shaded relief of the decoded heights with the board grid
// (boards the filter guide leaves out dimmed, the anchor outlined), a summary
// line, and the list of problems a run would meet. Every change of the
// project asks for a new survey; it starts once the typing pauses, runs on
// its own thread and replaces the picture only if no newer change came since.
#pragma once

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/image.h>
#include <wx/panel.h>
#include <wx/stattext.h>
#include <wx/timer.h>

#include "app/problem_list.h"
#include "app/survey_worker.h"
#include "core/file_lookup.h"
#include "core/project_settings.h"

namespace kem::app {

// The summary line of a survey, e.g. "20 × 20 boards, 162 selected ·
// 19.9 MB · heights 3.0 to 300.0 m"; it says what is missing when the grid
// or the heights could not be read.
wxString SurveySummary(const ProjectSurvey& survey);

class PreviewPane : public wxPanel {
 public:
  explicit PreviewPane(wxWindow* parent);

  // The project changed: surveys `settings` (files found through `lookup`)
  // once no other change follows within the debounce delay.
  void Request(const ProjectSettings& settings, const FileLookup& lookup);

  // True from a request until its survey is shown.
  bool Pending() const { return m_timer.IsRunning() || m_worker.Busy(); }

  wxString Summary() const { return m_summary->GetLabel(); }
  // The relief as surveyed (not scaled to the pane); empty without heights.
  const wxImage& Picture() const { return m_picture; }
  ProblemList* Problems() const { return m_problems; }
  // "Locate tile_blank.dat...", shown while no tile_blank.dat is found.
  wxButton* LocateButton() const { return m_locate; }

 private:
  void OnTimer(wxTimerEvent& event);
  void OnPaintPicture(wxPaintEvent& event);
  void OnLocate(wxCommandEvent& event);
  void ShowSurvey(PreviewSurvey&& preview);

  wxWindow* m_canvas = nullptr;
  wxStaticText* m_summary = nullptr;
  ProblemList* m_problems = nullptr;
  wxButton* m_locate = nullptr;
  wxImage m_picture;
  wxBitmap m_scaled;
  wxTimer m_timer;
  ProjectSettings m_settings;
  FileLookup m_lookup;
  SurveyWorker m_worker;
};

}  // namespace kem::app
