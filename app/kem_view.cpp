#include "app/kem_view.h"

#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>

#include "app/command_ids.h"
#include "app/kem_app.h"
#include "app/kem_doc.h"
#include "app/main_frame.h"
#include "app/ui_hooks.h"
#include "app/wx_host.h"
#include "core/file_lookup.h"
#include "core/generate_terrain.h"
#include "core/project_rules.h"

namespace kem::app {
namespace {

constexpr char kNotANumber[] = "Please enter a number.";
constexpr char kTargaWildcard[] = "Targa Images (*.tga)|*.tga|All Files|*";
constexpr char kLayoutWildcard[] = "Trainz Terrain Files (*.gnd)|*.gnd|All Files|*";

struct Picker {
  int button;
  std::string ProjectSettings::*field;
};

constexpr Picker kPickers[] = {
    {kIdPickHeightMap, &ProjectSettings::heightMapPath},
    {kIdPickMinimap, &ProjectSettings::minimapPath},
    {kIdPickTexturingGuide, &ProjectSettings::texturingGuidePath},
    {kIdPickFilterGuide, &ProjectSettings::filterGuidePath},
    {kIdPickOutput, &ProjectSettings::outputPath},
};

// The output picker works like an Open dialog that may name a new file: a
// name without extension gets ".gnd", a file that does not exist yet is
// created only after a question, an existing one raises no question.
std::optional<wxString> PickOutputFile(wxWindow* owner) {
  FileDialogRequest request;
  request.message = "Open";
  request.wildcard = kLayoutWildcard;
  request.style = wxFD_SAVE;
  for (;;) {
    auto path = ShowFileDialog(owner, request);
    if (!path) {
      return std::nullopt;
    }
    if (!wxFileName(*path).HasExt()) {
      *path += ".gnd";
    }
    if (wxFileName::FileExists(*path)) {
      return path;
    }
    const wxString question =
        wxFileName(*path).GetFullName() + "\nThis file does not exist.\nDo you want to create it?";
    if (ShowMessageBox(question, "Open", wxYES_NO | wxICON_QUESTION, owner) == wxYES) {
      return path;
    }
  }
}

std::optional<wxString> PickImageFile(wxWindow* owner) {
  FileDialogRequest request;
  request.message = "Open";
  request.wildcard = kTargaWildcard;
  request.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  return ShowFileDialog(owner, request);
}

}  // namespace

wxIMPLEMENT_DYNAMIC_CLASS(CKemView, wxView);

CKemView::~CKemView() {
  if (m_form) {
    m_form->Destroy();
  }
  if (m_preview) {
    m_preview->Destroy();
  }
}

CKemDoc* CKemView::GetDocument() const {
  return static_cast<CKemDoc*>(wxView::GetDocument());
}

bool CKemView::OnCreate(wxDocument* doc, long flags) {
  if (!wxView::OnCreate(doc, flags)) {
    return false;
  }
  auto* frame = dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow());
  if (!frame) {
    return false;
  }
  SetFrame(frame);
  m_form = new ProjectForm(frame);
  Bindings();
  frame->SetForm(m_form.get());
  m_preview = new PreviewPane(frame);
  frame->SetPreview(m_preview.get());
  Activate(true);
  return true;
}

void CKemView::Bindings() {
  ProjectForm* form = m_form.get();
  for (int id : {kIdHeightMapPath, kIdMinimapPath, kIdOutputPath, kIdTexturingGuidePath,
                 kIdFilterGuidePath}) {
    form->Bind(wxEVT_TEXT, &CKemView::OnPathChanged, this, id);
  }
  form->Bind(wxEVT_TEXT, &CKemView::OnHeightChanged, this, kIdBaseHeight);
  form->Bind(wxEVT_TEXT, &CKemView::OnHeightChanged, this, kIdMaxHeight);
  form->Bind(wxEVT_CHECKBOX, &CKemView::OnCheckClicked, this, kIdRandomize);
  form->Bind(wxEVT_CHECKBOX, &CKemView::OnCheckClicked, this, kIdInterpolate);
  form->Bind(wxEVT_CHOICE, &CKemView::OnFormatChanged, this, kIdDataFormat);
  form->filterRadius->Bind(wxEVT_LEFT_UP, &CKemView::OnTrackbarReleased, this);
  form->baseHeightSpin->SetDeltaHandler(
      [this](int delta) { OnSpin(&ProjectSettings::baseHeight, delta); });
  form->maxHeightSpin->SetDeltaHandler(
      [this](int delta) { OnSpin(&ProjectSettings::maxHeight, delta); });
  for (const Picker& picker : kPickers) {
    form->Bind(wxEVT_BUTTON, &CKemView::OnPick, this, picker.button);
  }
  form->Bind(wxEVT_BUTTON, &CKemView::OnGenerateButton, this, kIdGenerate);
  Bind(wxEVT_MENU, &CKemView::OnGenerateCommand, this, kIdGenerate);
  form->Bind(wxEVT_HELP, &CKemView::OnHelpRequest, this);
  form->Bind(wxEVT_CONTEXT_MENU, &CKemView::OnContextMenu, this);
}

bool CKemView::OnClose(bool deleteWindow) {
  if (!wxView::OnClose(deleteWindow)) {
    return false;
  }
  Activate(false);
  return true;
}

void CKemView::OnUpdate(wxView*, wxObject*) {
  if (m_form) {
    m_form->Refresh();
  }
}

void CKemView::OnChangeFilename() {
  if (wxWindow* frame = GetFrame(); frame && GetDocument()) {
    frame->SetLabel("Kem - " + GetDocument()->GetUserReadableName());
  }
}

void CKemView::OnInitialUpdate() {
  if (!m_form) {
    return;
  }
  WriteToForm();
  if (auto* frame = dynamic_cast<CMainFrame*>(GetFrame())) {
    frame->FitToForm();
  }
  m_form->FillFormatList();
  m_form->filterRadius->SetRange(kMinFilterRadius, kMaxFilterRadius);
  WriteToForm();
  UpdateControls();
  OnChangeFilename();
}

std::optional<FormField> CKemView::ReadFromForm() {
  if (!m_form || !GetDocument()) {
    return std::nullopt;
  }
  m_exchanging = true;
  const auto bad = ReadForm(m_form->GetValues(), GetDocument()->Settings());
  if (bad) {
    ShowMessageBox(kNotANumber, "Kem", wxOK | wxICON_EXCLAMATION, GetFrame());
    if (m_form) {
      wxTextCtrl* box = m_form->HeightBox(*bad);
      box->SetFocus();
      box->SelectAll();
    }
  }
  m_exchanging = false;
  RefreshPreview();
  return bad;
}

void CKemView::WriteToForm() {
  if (!m_form || !GetDocument()) {
    return;
  }
  m_exchanging = true;
  m_form->SetValues(WriteForm(GetDocument()->Settings()));
  m_exchanging = false;
  RefreshPreview();
}

void CKemView::RefreshPreview() {
  if (m_preview && GetDocument()) {
    m_preview->Request(GetDocument()->Settings(),
                       LookupForProject(std::string(GetDocument()->GetFilename().utf8_str())));
  }
}

void CKemView::UpdateControls() {
  if (m_form && GetDocument()) {
    m_form->ApplyStates(EnablingRules(GetDocument()->Settings()));
  }
}

void CKemView::OnPathChanged(wxCommandEvent&) {
  if (m_exchanging) {
    return;
  }
  ReadFromForm();
  UpdateControls();
}

void CKemView::OnHeightChanged(wxCommandEvent&) {
  if (!m_exchanging) {
    ReadFromForm();
  }
}

void CKemView::OnCheckClicked(wxCommandEvent&) {
  if (!m_exchanging) {
    ReadFromForm();
  }
}

void CKemView::OnFormatChanged(wxCommandEvent&) {
  if (m_exchanging) {
    return;
  }
  ReadFromForm();
  if (ApplyFormatPreset(GetDocument()->Settings())) {
    WriteToForm();
  }
}

void CKemView::OnTrackbarReleased(wxMouseEvent& event) {
  event.Skip();
  // The slider takes its final position when it handles the release itself.
  CallAfter([this] {
    if (!m_exchanging) {
      ReadFromForm();
    }
  });
}

void CKemView::OnSpin(float ProjectSettings::*height, int delta) {
  if (m_exchanging || !GetDocument()) {
    return;
  }
  ApplySpinDelta(GetDocument()->Settings().*height, delta);
  WriteToForm();
}

void CKemView::OnPick(wxCommandEvent& event) {
  ProjectSettings& settings = GetDocument()->Settings();
  for (const Picker& picker : kPickers) {
    if (picker.button != event.GetId()) {
      continue;
    }
    const auto path =
        picker.button == kIdPickOutput ? PickOutputFile(GetFrame()) : PickImageFile(GetFrame());
    if (path) {
      settings.*picker.field = std::string(path->utf8_str());
      UpdateControls();
    }
    WriteToForm();
    return;
  }
}

void CKemView::OnGenerateButton(wxCommandEvent&) {
  OnGenerate();
}

void CKemView::OnGenerateCommand(wxCommandEvent&) {
  OnGenerate();
}

void CKemView::OnGenerate() {
  if (!m_form || !GetDocument()) {
    return;
  }
  ReadFromForm();
  auto* frame = dynamic_cast<CMainFrame*>(GetFrame());
  m_form->generate->Disable();
  const CMainFrame::RunScope scope(frame);
  const ProjectSettings& settings = GetDocument()->Settings();
  bool go = true;
  if (IsFlatTerrain(settings)) {
    go = ShowMessageBox(kFlatTerrainQuestion, "Kem",
                        wxOK | wxCANCEL | wxICON_QUESTION | wxCANCEL_DEFAULT, frame) == wxOK;
  }
  if (go) {
    WxHost host(frame);
    GenerateTerrain(settings, host);
  }
  if (m_form) {
    m_form->generate->Enable();
  }
}

void CKemView::OnHelpRequest(wxHelpEvent& event) {
  if (CKemApp* app = CKemApp::Get()) {
    if (!app->Help().ShowControl(event.GetId())) {
      app->Help().ShowContents();
    }
  }
}

void CKemView::OnContextMenu(wxContextMenuEvent& event) {
  auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
  // Text boxes keep their own menu (cut, copy, paste).
  if (dynamic_cast<wxTextCtrl*>(window)) {
    event.Skip();
    return;
  }
  const int controlId = window ? window->GetId() : wxID_ANY;
  wxMenu menu;
  menu.Append(kIdWhatsThis, "What's This?");
  if (m_form->GetPopupMenuSelectionFromUser(menu) != kIdWhatsThis) {
    return;
  }
  if (CKemApp* app = CKemApp::Get()) {
    if (!app->Help().ShowControl(controlId)) {
      app->Help().ShowContents();
    }
  }
}

}  // namespace kem::app
