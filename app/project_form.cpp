#include "app/project_form.h"

#include <algorithm>

#include <wx/statbmp.h>
#include <wx/statbox.h>
#include <wx/stattext.h>

#include "app/command_ids.h"
#include "app/dialog_units.h"
#include "app/resources.h"

namespace kem::app {
namespace {

constexpr int kFormWidthDlu = 239;
constexpr int kFormHeightDlu = 316;

wxString Utf8(const std::string& text) {
  return wxString::FromUTF8(text);
}
std::string Utf8(const wxString& text) {
  return std::string(text.utf8_str());
}

void SetTextQuietly(wxTextCtrl* box, const std::string& text) {
  const wxString value = Utf8(text);
  if (box->GetValue() != value) {
    box->ChangeValue(value);
  }
}

}  // namespace

ProjectForm::ProjectForm(wxWindow* parent)
    : wxPanel(parent, wxID_ANY, wxDefaultPosition, wxDefaultSize, wxTAB_TRAVERSAL) {
  SetExtraStyle(GetExtraStyle() | wxWS_EX_CONTEXTHELP);

  // Group boxes, pictures and labels first, so that they lie beneath the
  // controls; they take no part in the tab order.
  auto group = [this](int x, int y, int w, int h, const char* text) {
    m_groups.push_back(new wxStaticBox(this, wxID_ANY, text, Dlu(x, y, w, h).GetPosition(),
                                       Dlu(x, y, w, h).GetSize()));
  };
  auto icon = [this](int x, int y, int resource) {
    new wxStaticBitmap(this, wxID_ANY, FormIcon(resource), Dlu(x, y, 0, 0).GetPosition());
  };
  auto label = [this](int x, int y, int w, int h, const char* text) {
    // Labels take the width their text needs in the user's font.
    static_cast<void>(w);
    static_cast<void>(h);
    new wxStaticText(this, wxID_ANY, text, Dlu(x, y, 0, 0).GetPosition());
  };
  group(7, 7, 225, 83, "Elevation data");
  icon(15, 20, 132);
  label(45, 20, 156, 8, "Ground elevation map and covered height range.");
  label(45, 35, 39, 8, "Height map:");
  label(45, 53, 40, 8, "Data format:");
  label(45, 71, 40, 8, "Base height:");
  label(135, 71, 40, 8, "Max. height:");
  group(7, 95, 225, 140, "Additional data");
  icon(15, 110, 133);
  label(45, 110, 137, 8, "Optional alternate image for layout minimap.");
  label(45, 125, 26, 8, "Source:");
  icon(15, 145, 134);
  label(45, 145, 155, 8, "Optional image to serve as layout texturing guide.");
  label(45, 160, 26, 8, "Source:");
  icon(15, 190, 136);
  label(45, 190, 160, 8, "Optional image to serve as guide for layout filtering.");
  label(45, 205, 26, 8, "Source:");
  label(45, 221, 38, 8, "Filter radius:");
  group(7, 240, 225, 50, "Output");
  icon(15, 255, 135);
  label(45, 255, 163, 8, "All supplied data combined in Trainz .gnd layout file.");
  label(45, 270, 35, 8, "Output file:");

  // The controls, in tab order.
  auto button = [this](int id, int x, int y, int w, int h, const char* text) {
    const wxRect r = Dlu(x, y, w, h);
    return new wxButton(this, id, text, r.GetPosition(), r.GetSize());
  };
  heightMapPath = AddPathBox(kIdHeightMapPath, 90, 33, 105);
  pickHeightMap = button(kIdPickHeightMap, 195, 33, 30, 12, "Pick...");
  {
    const wxRect r = Dlu(90, 51, 85, 12);
    dataFormat = new wxChoice(this, kIdDataFormat, r.GetPosition(), wxSize(r.width, -1));
  }
  {
    const wxRect r = Dlu(180, 52, 49, 10);
    interpolate = new wxCheckBox(this, kIdInterpolate, "Interpolate", r.GetPosition());
  }
  {
    const wxRect r = Dlu(90, 69, 40, 12);
    baseHeight = new wxTextCtrl(this, kIdBaseHeight, wxString(), r.GetPosition(), r.GetSize());
    baseHeightSpin = new SpinArrows(this, kIdBaseHeightSpin, baseHeight);
  }
  {
    const wxRect r = Dlu(180, 69, 45, 12);
    maxHeight = new wxTextCtrl(this, kIdMaxHeight, wxString(), r.GetPosition(), r.GetSize());
    maxHeightSpin = new SpinArrows(this, kIdMaxHeightSpin, maxHeight);
  }
  minimapPath = AddPathBox(kIdMinimapPath, 90, 123, 105);
  pickMinimap = button(kIdPickMinimap, 195, 123, 30, 12, "Pick...");
  texturingGuidePath = AddPathBox(kIdTexturingGuidePath, 90, 158, 105);
  pickTexturingGuide = button(kIdPickTexturingGuide, 195, 158, 30, 12, "Pick...");
  {
    // Under the labels rather than the boxes: its text is wider in some
    // systems' fonts than the room right of the labels.
    const wxRect r = Dlu(45, 175, 180, 10);
    randomize = new wxCheckBox(this, kIdRandomize, "Randomize size and rotation of textures",
                               r.GetPosition());
  }
  filterGuidePath = AddPathBox(kIdFilterGuidePath, 90, 203, 105);
  pickFilterGuide = button(kIdPickFilterGuide, 195, 203, 30, 12, "Pick...");
  {
    const wxRect r = Dlu(90, 220, 100, 10);
    filterRadius =
        new wxSlider(this, kIdFilterRadius, 0, kMinFilterRadius, kMaxFilterRadius, r.GetPosition(),
                     wxSize(r.width, -1), wxSL_HORIZONTAL | wxSL_AUTOTICKS);
    filterRadius->SetTickFreq(1);
    filterRadiusValue = new wxStaticText(this, wxID_ANY, FilterRadiusText(kMaxFilterRadius),
                                         Dlu(194, 221, 0, 0).GetPosition());
    // Every way of moving the thumb (mouse, arrow keys, page keys) lands here.
    filterRadius->Bind(wxEVT_SLIDER, [this](wxCommandEvent& event) {
      event.Skip();
      ShowFilterRadius();
    });
  }
  outputPath = AddPathBox(kIdOutputPath, 90, 268, 105);
  pickOutput = button(kIdPickOutput, 195, 268, 30, 12, "Pick...");
  generate = button(kIdGenerate, 150, 295, 82, 14, "&Generate .gnd file");

  SetSize(FormSize());
  SetMinSize(FormSize());
  for (wxWindow* window : m_groups) {
    m_places.push_back({window, window->GetRect(), false});
  }
  for (wxWindow* window :
       {heightMapPath, minimapPath, texturingGuidePath, filterGuidePath, outputPath}) {
    m_places.push_back({window, window->GetRect(), false});
  }
  for (wxWindow* window :
       {pickHeightMap, pickMinimap, pickTexturingGuide, pickFilterGuide, pickOutput, generate}) {
    m_places.push_back({window, window->GetRect(), true});
  }
  Bind(wxEVT_SIZE, &ProjectForm::OnSize, this);
}

wxString FilterRadiusText(int radius) {
  return wxString::Format(radius == 1 ? "%d board" : "%d boards", radius);
}

void ProjectForm::ShowFilterRadius() {
  filterRadiusValue->SetLabel(FilterRadiusText(filterRadius->GetValue()));
}

void ProjectForm::OnSize(wxSizeEvent& event) {
  event.Skip();
  // The group boxes and the path boxes take the width beyond the form's
  // least; what stands right of a path box (its Pick button, the Generate
  // button) moves with its right edge.
  const int extra = std::max(0, GetClientSize().x - FormSize().x);
  for (const Place& place : m_places) {
    wxRect r = place.rect;
    (place.moves ? r.x : r.width) += extra;
    if (place.window->GetRect() != r) {
      place.window->SetSize(r);
    }
  }
}

wxRect ProjectForm::Dlu(int x, int y, int width, int height) const {
  return DialogUnits(this).Rect(x, y, width, height);
}

wxTextCtrl* ProjectForm::AddPathBox(int id, int x, int y, int width) {
  const wxRect r = Dlu(x, y, width, 12);
  return new wxTextCtrl(this, id, wxString(), r.GetPosition(), r.GetSize());
}

wxSize ProjectForm::FormSize() const {
  return DialogUnits(this).Size(kFormWidthDlu, kFormHeightDlu);
}

FormValues ProjectForm::GetValues() const {
  FormValues values;
  values.heightMapPath = Utf8(heightMapPath->GetValue());
  values.baseHeight = Utf8(baseHeight->GetValue());
  values.maxHeight = Utf8(maxHeight->GetValue());
  values.minimapPath = Utf8(minimapPath->GetValue());
  values.outputPath = Utf8(outputPath->GetValue());
  values.texturingGuidePath = Utf8(texturingGuidePath->GetValue());
  values.randomize = randomize->GetValue();
  values.filterGuidePath = Utf8(filterGuidePath->GetValue());
  values.filterRadius = filterRadius->GetValue();
  values.interpolate = interpolate->GetValue();
  values.dataFormat = dataFormat->GetSelection();
  return values;
}

void ProjectForm::SetValues(const FormValues& values) {
  SetTextQuietly(heightMapPath, values.heightMapPath);
  SetTextQuietly(baseHeight, values.baseHeight);
  SetTextQuietly(maxHeight, values.maxHeight);
  SetTextQuietly(minimapPath, values.minimapPath);
  SetTextQuietly(outputPath, values.outputPath);
  SetTextQuietly(texturingGuidePath, values.texturingGuidePath);
  randomize->SetValue(values.randomize);
  SetTextQuietly(filterGuidePath, values.filterGuidePath);
  filterRadius->SetValue(values.filterRadius);
  ShowFilterRadius();
  interpolate->SetValue(values.interpolate);
  const bool listed =
      values.dataFormat >= 0 && values.dataFormat < static_cast<int>(dataFormat->GetCount());
  dataFormat->SetSelection(listed ? values.dataFormat : wxNOT_FOUND);
}

void ProjectForm::ApplyStates(const ControlStates& states) {
  for (wxWindow* control :
       {static_cast<wxWindow*>(dataFormat), static_cast<wxWindow*>(interpolate),
        static_cast<wxWindow*>(baseHeight), static_cast<wxWindow*>(baseHeightSpin),
        static_cast<wxWindow*>(maxHeight), static_cast<wxWindow*>(maxHeightSpin)}) {
    control->Enable(states.heightControls);
  }
  randomize->Enable(states.randomize);
  filterRadius->Enable(states.filterRadius);
  generate->Enable(states.generate);
}

void ProjectForm::FillFormatList() {
  dataFormat->Clear();
  for (const DataFormatName& name : kDataFormatNames) {
    dataFormat->Append(name.label);
  }
}

wxTextCtrl* ProjectForm::HeightBox(FormField field) const {
  return field == FormField::kBaseHeight ? baseHeight : maxHeight;
}

}  // namespace kem::app
