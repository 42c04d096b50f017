// The pane beside the project form: the survey of the project as it stands.
// It shows the shaded relief of the decoded heights with the board grid
// (boards the filter guide leaves out dimmed, the anchor outlined), a summary
// line, and the list of problems a run would meet. Two toggles lay the
// texturing guide or the minimap source over the relief, one at a time. The
// wheel zooms the relief about the pointer, + and - (and the View menu) about
// its middle, down to the whole map; a drag with the left button pans it.
// Under the pointer, the frame's status bar names the board, the height map
// pixel and the decoded height. Every
// change of the project asks for a new survey; it starts once the typing
// pauses, runs on its own thread and replaces the picture only if no newer
// change came since. A toggle only chooses among the pictures of the last
// survey.
#pragma once

#include <array>
#include <string>
#include <vector>

#include <wx/bitmap.h>
#include <wx/button.h>
#include <wx/checkbox.h>
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

  // Surveys the project again at once (View > Refresh). The pane also does
  // so by itself when a file the last survey read (an image, tile_blank.dat,
  // textures.txt) changes on disk, is removed or appears.
  void Resurvey();

  // True from a request until its survey is shown.
  bool Pending() const { return m_timer.IsRunning() || m_worker.Busy(); }

  wxString Summary() const { return m_summary->GetLabel(); }
  // The picture as shown: the relief as surveyed, or the relief in the
  // colours of the overlay ticked (not scaled to the pane); empty without
  // heights.
  const wxImage& Picture() const { return m_pictures[static_cast<std::size_t>(m_shown)]; }
  // How much the relief is enlarged beyond the whole map fitting the pane (1
  // shows the whole map). A new survey of another size shows the whole map.
  double Zoom() const { return m_zoom; }
  void ZoomIn();
  void ZoomOut();
  void ZoomToFit();
  // Zooms by `factor`, keeping the relief point under `canvasPoint` there.
  void ZoomAt(double factor, const wxPoint& canvasPoint);
  // The window the relief is drawn in, and the point of the picture (in its
  // pixels, fractions within them) shown at a point of that window.
  wxWindow* Canvas() const { return m_canvas; }
  wxRealPoint PictureAt(const wxPoint& canvasPoint) const;
  // The status text for the pointer at `canvasPoint`; empty off the picture.
  wxString ReadoutAt(const wxPoint& canvasPoint) const;

  // "Texturing guide" and "Minimap": each is enabled while the last survey
  // has its picture (the minimap's comes from the height map itself when no
  // minimap image is given); ticking one clears the other.
  wxCheckBox* GuideToggle() const { return m_guideToggle; }
  wxCheckBox* MinimapToggle() const { return m_minimapToggle; }
  ProblemList* Problems() const { return m_problems; }
  // "Locate tile_blank.dat...", shown while no tile_blank.dat is found.
  wxButton* LocateButton() const { return m_locate; }

 private:
  void OnTimer(wxTimerEvent& event);
  void OnWatch(wxTimerEvent& event);
  void StartSurvey();
  void OnPaintPicture(wxPaintEvent& event);
  void OnWheel(wxMouseEvent& event);
  void OnLeftDown(wxMouseEvent& event);
  void OnLeftUp(wxMouseEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnLeave(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  void EndDrag();
  // Canvas pixels per picture pixel, and where picture pixel (0, 0) is drawn.
  double FitScale() const;
  double Scale() const { return FitScale() * m_zoom; }
  wxRealPoint Origin() const;
  // Keeps the picture over as much of the canvas as it can cover.
  void ClampCentre();
  // Shows `text` in the frame's status bar over what it showed, or puts that
  // back when `text` is empty.
  void ShowReadout(const wxString& text);
  void OnLocate(wxCommandEvent& event);
  void OnToggle(wxCommandEvent& event);
  void ShowSurvey(PreviewSurvey&& preview);
  // Shows the picture the toggles choose.
  void ShowPicture();

  // The pictures of a survey, by what lies over the relief.
  enum class Overlay { kNone, kTexturingGuide, kMinimap };

  wxWindow* m_canvas = nullptr;
  wxCheckBox* m_guideToggle = nullptr;
  wxCheckBox* m_minimapToggle = nullptr;
  wxStaticText* m_summary = nullptr;
  ProblemList* m_problems = nullptr;
  wxButton* m_locate = nullptr;
  std::array<wxImage, 3> m_pictures;
  Overlay m_shown = Overlay::kNone;
  wxBitmap m_scaled;
  wxRect m_scaledSource;  // the part of the picture m_scaled shows
  // What the relief's pixels stand for (ProjectSurvey::reliefHeights).
  std::vector<float> m_heights;
  int m_factor = 1;
  int m_topOffset = 0;
  int m_boardCols = 0;
  int m_boardRows = 0;
  double m_zoom = 1.0;
  wxRealPoint m_centre;  // the picture point at the middle of the canvas
  bool m_dragging = false;
  wxPoint m_dragStart;
  wxRealPoint m_dragCentre;
  bool m_readoutShown = false;
  wxString m_statusBefore;  // what the status bar said before the readout
  wxTimer m_timer;
  wxTimer m_watch;
  std::vector<std::string> m_watchedFiles;
  std::string m_filesState;
  ProjectSettings m_settings;
  FileLookup m_lookup;
  SurveyWorker m_worker;
};

}  // namespace kem::app
