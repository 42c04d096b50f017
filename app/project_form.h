// ProjectForm: the project form (template 101) as a panel: the controls,
// their numbers, texts, tab order and places in dialog units. It knows
// nothing of the job; CKemView exchanges values with it and handles its
// notifications.
#pragma once

#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/panel.h>
#include <wx/slider.h>
#include <wx/textctrl.h>

#include "app/form_logic.h"
#include "app/spin_arrows.h"

namespace kem::app {

class ProjectForm : public wxPanel {
 public:
  explicit ProjectForm(wxWindow* parent);

  // Size of the form: 239 by 316 dialog units.
  wxSize FormSize() const;

  // Contents of the controls, and setting them without change notifications.
  FormValues GetValues() const;
  void SetValues(const FormValues& values);

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
  wxTextCtrl* outputPath = nullptr;
  wxButton* pickOutput = nullptr;
  wxButton* generate = nullptr;

 private:
  wxRect Dlu(int x, int y, int width, int height) const;
  wxTextCtrl* AddPathBox(int id, int x, int y, int width);
};

}  // namespace kem::app
