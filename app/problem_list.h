// The list under the preview: what a run with the project as it stands
// would stop on (error icon, each message's detail line under it), go on
// despite (warning icon), which file it uses where a name is found in more
// than one place, and where it finds its tile_blank.dat and textures.txt
// (information icon). It only
// informs: nothing in it holds a run back.
//
// An entry of several lines (a problem and the advice under it) takes one
// row per line, the later ones indented and without an icon. Pointing at a
// row shows its whole entry as a tooltip, however narrow the pane; Ctrl+C
// and the context menu's Copy put the selected entries on the clipboard.
#pragma once

#include <utility>
#include <vector>

#include <wx/listctrl.h>

#include "app/survey_worker.h"

namespace kem::app {

enum class ProblemKind { kError, kWarning, kInformation };

class ProblemList : public wxListCtrl {
 public:
  explicit ProblemList(wxWindow* parent);

  // Shows the problems and warnings of `preview`, then where its files are.
  void Show(const PreviewSurvey& preview);

  // Problems of the form itself ("Base height: not a number"), listed first,
  // as errors, until they are set again.
  void SetFormProblems(const std::vector<wxString>& problems);

  // The kind of row `row` (for tests and help).
  ProblemKind KindOf(long row) const;

  // The whole entry that row `row` belongs to, all its lines.
  wxString EntryOf(long row) const;

  // The entries of the selected rows, one after the other, each once.
  wxString SelectedText() const;
  // Puts SelectedText on the clipboard; false when nothing is selected.
  bool CopySelection();

 private:
  using Entry = std::pair<ProblemKind, wxString>;

  void Rebuild();
  void OnSize(wxSizeEvent& event);
  void OnMotion(wxMouseEvent& event);
  void OnKey(wxKeyEvent& event);
  void OnContextMenu(wxContextMenuEvent& event);

  std::vector<Entry> m_formEntries;
  std::vector<Entry> m_surveyEntries;
  std::vector<const Entry*> m_rowEntries;  // the entry of each row
  long m_tipRow = -1;
};

}  // namespace kem::app
