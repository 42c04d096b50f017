// ProjectForm: the project form (template 101) as a panel: the controls,
// their numbers, texts, tab order and places in dialog units. It knows
// nothing of the job; CKemView exchanges values with it and handles its
// notifications.
#pragma once

#include <vector>

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/statbox.h>
#include <wx/stattext.h>
#include <wx/textctrl.h>

#include "app/form_logic.h"
#include "app/spin_arrows.h"

namespace kem::app {

// What the value beside the filter-radius slider reads: "1 board", "3 boards".
wxString FilterRadiusText(int radius);

class ProjectForm : public wxPanel {
 public:
  explicit ProjectForm(wxWindow* parent);

  // Size of the form: 239 by 316 dialog units.
  wxSize FormSize() const;

  // Contents of the controls, and setting them without change notifications.
  FormValues GetValues() const;
  void SetValues(const FormValues& values);

  // Shows the slider's value in boards beside it.
  void ShowFilterRadius();

  // Enables the controls that the rules call for; paths, Pick buttons and
  // labels stay enabled.
  void ApplyStates(const ControlStates& states);

  // Empties the format list and fills it with the five formats.
  void FillFormatList();

  // The text box that shows `field`.
  wxTextCtrl* HeightBox(FormField field) const;

  wxTextCtrl* heightMapPath = nullptr;
  wxButton* pickHeightMap = nullptr;
  wxChoice* dataFormat = nullptr;
  wxCheckBox* interpolate = nullptr;
  wxTextCtrl* baseHeight = nullptr;
  SpinArrows* baseHeightSpin = nullptr;
  wxTextCtrl* maxHeight = nullptr;
  SpinArrows* maxHeightSpin = nullptr;
  wxTextCtrl* minimapPath = nullptr;
  wxButton* pickMinimap = nullptr;
  wxTextCtrl* texturingGuidePath = nullptr;
  wxButton* pickTexturingGuide = nullptr;
  wxCheckBox* randomize = nullptr;
  wxTextCtrl* filterGuidePath = nullptr;
  wxButton* pickFilterGuide = nullptr;
  wxSlider* filterRadius = nullptr;
  wxStaticText* filterRadiusValue = nullptr;
  wxTextCtrl* outputPath = nullptr;
  wxButton* pickOutput = nullptr;
  wxButton* generate = nullptr;

 private:
  // A control that follows the form's width: its place at the least width,
  // and whether it moves right (else it grows).
  struct Place {
    wxWindow* window;
    wxRect rect;
    bool moves;
  };
  void OnSize(wxSizeEvent& event);
  wxRect Dlu(int x, int y, int width, int height) const;
  wxTextCtrl* AddPathBox(int id, int x, int y, int width);

  std::vector<wxStaticBox*> m_groups;
  std::vector<Place> m_places;
};

}  // namespace kem::app
