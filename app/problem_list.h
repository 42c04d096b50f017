// The list under the preview: what a run with the project as it stands
// would stop on (error icon, each message's detail line under it), go on
// despite (warning icon), which file it uses where a name is found in more
// than one place, and where it finds its tile_blank.dat and textures.txt
// (information icon). It only
// informs: nothing in it holds a run back.
#pragma once

#include <wx/listctrl.h>

#include "app/survey_worker.h"

namespace kem::app {

enum class ProblemKind { kError, kWarning, kInformation };

class ProblemList : public wxListCtrl {
 public:
  explicit ProblemList(wxWindow* parent);

  // Shows the problems and warnings of `preview`, then where its files are.
  void Show(const PreviewSurvey& preview);

  // The kind of row `row` (for tests and help).
  ProblemKind KindOf(long row) const;

 private:
  // A row of `kind`; a detail row under its message goes without an icon.
  void Add(ProblemKind kind, const wxString& text, bool withIcon = true);
  void OnSize(wxSizeEvent& event);
};

}  // namespace kem::app
