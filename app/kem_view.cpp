#include "app/kem_view.h"

#include <vector>

#include <wx/cmdproc.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/menu.h>

#include "app/command_ids.h"
#include "app/file_drop.h"
#include "app/form_command.h"
#include "app/kem_app.h"
#include "app/kem_doc.h"
#include "app/main_frame.h"
#include "app/status_texts.h"
#include "app/ui_hooks.h"
#include "app/wx_host.h"
#include "core/file_lookup.h"
#include "core/file_problems.h"
#include "core/file_system.h"
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

// The folder a picker starts in: that of the field's current file, found as
// a run would find it, else the project's folder, else the toolkit's choice.
wxString StartFolder(const std::string& current, const std::string& projectFolder) {
  if (!current.empty()) {
    const std::string found = FindOutputPlace(current, FileLookup{projectFolder, {}});
    wxFileName name(wxString::FromUTF8(found));
    name.MakeAbsolute();
    if (wxFileName::DirExists(name.GetPath())) {
      return name.GetPath();
    }
  }
  return wxString::FromUTF8(projectFolder);
}

// The output picker is a Save dialog that may name a new file: a name without
// extension gets ".gnd", a file that does not exist yet is created only after
// a question, an existing one raises no question.
std::optional<wxString> PickOutputFile(wxWindow* owner, const wxString& folder,
                                       const wxString& name) {
  FileDialogRequest request;
  request.message = "Save Layout As";
  request.wildcard = kLayoutWildcard;
  request.style = wxFD_SAVE;
  request.directory = folder;
  request.fileName = name;
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

std::optional<wxString> PickImageFile(wxWindow* owner, const wxString& folder,
                                      const wxString& name) {
  FileDialogRequest request;
  request.message = "Open";
  request.wildcard = kTargaWildcard;
  request.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
  request.directory = folder;
  request.fileName = name;
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
  m_generateLabel = m_form->generate->GetLabel();
  Bindings();
  frame->ShowProjectForm(m_form.get());
  m_preview = new PreviewPane(frame);
  m_preview->Bind(wxEVT_HELP, &CKemView::OnHelpRequest, this);
  m_preview->Bind(wxEVT_CONTEXT_MENU, &CKemView::OnContextMenu, this);
  frame->SetPreview(m_preview.get());
  Activate(true);
  return true;
}

void CKemView::Bindings() {
  ProjectForm* form = m_form.get();
  for (int id : {kIdHeightMapPath, kIdMinimapPath, kIdOutputPath, kIdTexturingGuidePath,
                 kIdFilterGuidePath}) {
    form->Bind(wxEVT_TEXT, &CKemView::OnPathChanged, this, id);
    // A file dropped on a path box becomes its path, as if typed.
    if (auto* box = dynamic_cast<wxTextCtrl*>(form->FindWindow(id))) {
      box->SetDropTarget(new FileDrop([box](const wxString& path) {
        box->SetValue(path);
        return true;
      }));
    }
  }
  form->Bind(wxEVT_TEXT, &CKemView::OnHeightChanged, this, kIdBaseHeight);
  form->Bind(wxEVT_TEXT, &CKemView::OnHeightChanged, this, kIdMaxHeight);
  for (wxTextCtrl* box : {form->baseHeight, form->maxHeight}) {
    box->Bind(wxEVT_KILL_FOCUS, &CKemView::OnHeightLeft, this);
  }
  form->Bind(wxEVT_CHECKBOX, &CKemView::OnCheckClicked, this, kIdRandomize);
  form->Bind(wxEVT_CHECKBOX, &CKemView::OnCheckClicked, this, kIdInterpolate);
  form->Bind(wxEVT_CHOICE, &CKemView::OnFormatChanged, this, kIdDataFormat);
  form->Bind(wxEVT_SLIDER, &CKemView::OnSliderMoved, this, kIdFilterRadius);
  form->baseHeightSpin->SetDeltaHandler(
      [this](int delta) { OnSpin(&ProjectSettings::baseHeight, delta); });
  form->maxHeightSpin->SetDeltaHandler(
      [this](int delta) { OnSpin(&ProjectSettings::maxHeight, delta); });
  for (const Picker& picker : kPickers) {
    form->Bind(wxEVT_BUTTON, &CKemView::OnPick, this, picker.button);
  }
  form->Bind(wxEVT_BUTTON, &CKemView::OnGenerateButton, this, kIdGenerate);
  Bind(wxEVT_MENU, &CKemView::OnGenerateCommand, this, kIdGenerate);
  Bind(wxEVT_MENU, &CKemView::OnRefreshCommand, this, kIdRefreshPreview);
  Bind(wxEVT_MENU, &CKemView::OnZoomCommand, this, kIdZoomIn, kIdZoomFit);
  Bind(wxEVT_MENU, &CKemView::OnOpenFolder, this, kIdOpenFolder);
  Bind(wxEVT_UPDATE_UI, &CKemView::OnUpdateOpenFolder, this, kIdOpenFolder);
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
    frame->SetLabel("Kem - " + GetDocument()->GetUserReadableName() +
                    (GetDocument()->IsModified() ? "*" : ""));
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
  ShowHeightProblems();
  // Another project: the changes of the last one cannot be taken back into it.
  if (wxCommandProcessor* processor = GetDocument()->GetCommandProcessor()) {
    processor->ClearCommands();
    if (auto* frame = dynamic_cast<CMainFrame*>(GetFrame())) {
      processor->SetEditMenu(frame->EditMenu());
    }
    processor->SetMenuStrings();
  }
  OnChangeFilename();
}

void CKemView::ApplyEdit(const ProjectSettings& settings) {
  if (!GetDocument()) {
    return;
  }
  GetDocument()->Settings() = settings;
  GetDocument()->Modify(true);
  // The processor moves to the change undone or redone only after this
  // returns; whether that is the state last saved is known then.
  CallAfter([this] {
    if (CKemDoc* doc = GetDocument(); doc && doc->GetCommandProcessor()) {
      doc->Modify(doc->GetCommandProcessor()->IsDirty());
    }
  });
  WriteToForm();
  UpdateControls();
  ShowHeightProblems();
}

void CKemView::RecordEdit(const ProjectSettings& before, bool extends) {
  CKemDoc* doc = GetDocument();
  if (!doc || doc->Settings() == before) {
    return;
  }
  doc->Modify(true);
  if (wxCommandProcessor* processor = doc->GetCommandProcessor()) {
    RecordFormEdit(*processor, this, ChangeName(before, doc->Settings()), before, doc->Settings(),
                   extends);
  }
}

void CKemView::ShowHeightProblems() {
  if (!m_form) {
    return;
  }
  std::vector<wxString> problems;
  const wxWindow* focus = wxWindow::FindFocus();
  for (auto [box, label] : {std::pair{m_form->baseHeight, "Base height"},
                            std::pair{m_form->maxHeight, "Max. height"}}) {
    const auto problem =
        HeightBoxProblem(label, std::string(box->GetValue().utf8_str()), box == focus);
    // The box is marked in the colours of an error until its text is a number.
    const wxColour colour = problem ? wxColour(255, 214, 214) : wxNullColour;
    if (box->GetBackgroundColour() != (problem ? colour : box->GetDefaultAttributes().colBg)) {
      box->SetBackgroundColour(colour);
      box->Refresh();
    }
    box->SetToolTip(problem ? wxString::FromUTF8(*problem) : wxString());
    if (problem) {
      problems.push_back(wxString::FromUTF8(*problem));
    }
  }
  if (m_preview) {
    m_preview->Problems()->SetFormProblems(problems);
  }
}

std::optional<FormField> CKemView::ReadFromForm(ReadMode mode, bool extends) {
  if (!m_form || !GetDocument()) {
    return std::nullopt;
  }
  m_exchanging = true;
  ProjectSettings& settings = GetDocument()->Settings();
  const ProjectSettings before = settings;
  auto bad = ReadForm(m_form->GetValues(), settings, mode);
  RecordEdit(before, extends);
  ShowHeightProblems();
  if (bad && mode == ReadMode::kComplete) {
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
    m_preview->Request(GetDocument()->Settings(), GetDocument()->Lookup());
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
  ReadFromForm(ReadMode::kWhileTyping);
  UpdateControls();
}

void CKemView::OnHeightChanged(wxCommandEvent&) {
  if (!m_exchanging) {
    ReadFromForm(ReadMode::kWhileTyping);
  }
}

void CKemView::OnHeightLeft(wxFocusEvent& event) {
  event.Skip();
  // Checked once the focus has settled: a box left half-typed is marked and
  // listed, without a message box in the way of where the user went.
  CallAfter([this] {
    if (!m_exchanging && m_form && !m_running) {
      ShowHeightProblems();
    }
  });
}

void CKemView::OnCheckClicked(wxCommandEvent&) {
  if (!m_exchanging) {
    ReadFromForm(ReadMode::kWhileTyping, false);
  }
}

void CKemView::OnFormatChanged(wxCommandEvent&) {
  if (m_exchanging || !GetDocument()) {
    return;
  }
  // The format and the range it presets are one change, taken back at once.
  const ProjectSettings before = GetDocument()->Settings();
  m_exchanging = true;
  ReadForm(m_form->GetValues(), GetDocument()->Settings(), ReadMode::kWhileTyping);
  m_exchanging = false;
  if (ApplyFormatPreset(GetDocument()->Settings())) {
    WriteToForm();
  }
  RecordEdit(before, false);
  UpdateControls();
  ShowHeightProblems();
  RefreshPreview();
}

void CKemView::OnSliderMoved(wxCommandEvent& event) {
  event.Skip();
  if (!m_exchanging) {
    ReadFromForm(ReadMode::kWhileTyping);
  }
}

void CKemView::OnRefreshCommand(wxCommandEvent&) {
  if (m_preview && GetDocument()) {
    m_preview->Resurvey();
  }
}

void CKemView::OnZoomCommand(wxCommandEvent& event) {
  if (!m_preview) {
    return;
  }
  switch (event.GetId()) {
    case kIdZoomIn:
      m_preview->ZoomIn();
      break;
    case kIdZoomOut:
      m_preview->ZoomOut();
      break;
    default:
      m_preview->ZoomToFit();
  }
}

void CKemView::OnSpin(float ProjectSettings::*height, int delta) {
  if (m_exchanging || !GetDocument()) {
    return;
  }
  const ProjectSettings before = GetDocument()->Settings();
  ApplySpinDelta(GetDocument()->Settings().*height, delta);
  RecordEdit(before, true);
  WriteToForm();
  ShowHeightProblems();
}

void CKemView::OnPick(wxCommandEvent& event) {
  ProjectSettings& settings = GetDocument()->Settings();
  for (const Picker& picker : kPickers) {
    if (picker.button != event.GetId()) {
      continue;
    }
    const wxString folder =
        StartFolder(settings.*picker.field, GetDocument()->Lookup().projectFolder);
    // The field's file is offered again; a new layout is named after the project.
    wxString name = wxFileName(wxString::FromUTF8(settings.*picker.field)).GetFullName();
    if (name.empty() && picker.button == kIdPickOutput) {
      name = wxFileName(GetDocument()->GetUserReadableName()).GetName() + ".gnd";
    }
    const auto path = picker.button == kIdPickOutput ? PickOutputFile(GetFrame(), folder, name)
                                                     : PickImageFile(GetFrame(), folder, name);
    if (path && settings.*picker.field != std::string(path->utf8_str())) {
      const ProjectSettings before = settings;
      settings.*picker.field = std::string(path->utf8_str());
      RecordEdit(before, false);
      UpdateControls();
    }
    WriteToForm();
    return;
  }
}

void CKemView::UseHeightMap(const wxString& path) {
  if (!GetDocument()) {
    return;
  }
  ProjectSettings& settings = GetDocument()->Settings();
  const ProjectSettings before = settings;
  settings.heightMapPath = std::string(path.utf8_str());
  settings.dataFormat = k24BitHeightCoding;
  ApplyFormatPreset(settings);
  RecordEdit(before, false);
  WriteToForm();
  UpdateControls();
}

void CKemView::OnGenerateButton(wxCommandEvent&) {
  // During a run the button is the run's Cancel button.
  if (m_running) {
    m_running->RequestCancel();
    return;
  }
  OnGenerate();
}

void CKemView::OnGenerateCommand(wxCommandEvent&) {
  OnGenerate();
}

void CKemView::OnGenerate() {
  if (!m_form || !GetDocument() || m_running) {
    return;
  }
  // A height box without a number stops the command at its message.
  if (ReadFromForm()) {
    return;
  }
  auto* frame = dynamic_cast<CMainFrame*>(GetFrame());
  if (frame) {
    frame->ClearResult();
  }
  const ProjectSettings settings = GetDocument()->Settings();
  const FileLookup lookup = GetDocument()->Lookup();
  WxHost host(frame);
  GenerateResult result;
  {
    // Until the run ends, the Generate button is its Cancel button; it and
    // Escape are all the window takes.
    m_form->generate->Disable();
    const CMainFrame::RunScope scope(frame, &host, m_form->generate);
    bool go = true;
    if (IsFlatTerrain(settings)) {
      go = ShowMessageBox(kFlatTerrainQuestion, "Kem",
                          wxOK | wxCANCEL | wxICON_QUESTION | wxCANCEL_DEFAULT, frame) == wxOK;
    }
    if (go) {
      m_running = &host;
      m_form->generate->SetLabel("Cancel");
      m_form->generate->Enable();
      // A click on the button left the focus on it while it was disabled,
      // where GTK drops it, and a window without a focus gets no keys:
      // Escape would not reach the run. The Cancel button takes it.
      m_form->generate->SetFocus();
      result = GenerateTerrain(
          settings, host,
          GenerateOptions{.threads = 0,
                          .lookup = lookup,
                          .projectPath = std::string(GetDocument()->GetFilename().utf8_str())});
      m_running = nullptr;
      if (m_form) {
        m_form->generate->SetLabel(m_generateLabel);
      }
    }
  }
  // The button follows the fields again, also after a cancelled question.
  UpdateControls();
  if (frame && result.outcome == RunOutcome::kWritten) {
    m_lastLayout = ShownPath(FindOutputPlace(settings.outputPath, lookup));
    frame->ShowResult(
        wxString::FromUTF8(WrittenLayoutText(m_lastLayout, result.boards, result.bytes)));
  } else if (frame && result.outcome == RunOutcome::kCancelled) {
    frame->ShowResult(kCancelledRunText);
  }
}

void CKemView::OnOpenFolder(wxCommandEvent&) {
  if (!m_lastLayout.empty()) {
    ShowFolder(wxFileName(wxString::FromUTF8(m_lastLayout)).GetPath());
  }
}

void CKemView::OnUpdateOpenFolder(wxUpdateUIEvent& event) {
  event.Enable(!m_lastLayout.empty() && !m_running);
}

void CKemView::OnHelpRequest(wxHelpEvent& event) {
  if (CKemApp* app = CKemApp::Get()) {
    const auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
    if (!app->Help().ShowControl(event.GetId()) && !app->Help().ShowWindow(window)) {
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
  wxMenu menu;
  menu.Append(kIdWhatsThis, "What's This?");
  wxWindow* host = window ? window : m_form.get();
  if (!host || host->GetPopupMenuSelectionFromUser(menu) != kIdWhatsThis) {
    return;
  }
  if (CKemApp* app = CKemApp::Get()) {
    if (!app->Help().ShowWindow(window)) {
      app->Help().ShowContents();
    }
  }
}

}  // namespace kem::app
