#include "app/main_frame.h"

#include <algorithm>

#include <wx/accel.h>
#include <wx/cshelp.h>
#include <wx/eventfilter.h>
#include <wx/menu.h>
#include <wx/statusbr.h>

#include "app/about_dlg.h"
#include "app/command_ids.h"
#include "app/dem_import_command.h"
#include "app/file_drop.h"
#include "app/kem_app.h"
#include "app/problem_list.h"
#include "app/progress_bar.h"
#include "app/progress_placement.h"
#include "app/resources.h"

namespace kem::app {
namespace {

constexpr char kHelpModeText[] = "Select an object on which to get Help";
constexpr long kFrameStyle =
    wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX | wxCLIP_CHILDREN | wxRESIZE_BORDER | wxMAXIMIZE_BOX;
// Widths of the preview beside the form: at start-up and at the least.
constexpr int kPreviewWidth = 440;
constexpr int kMinPreviewWidth = 220;
constexpr int kStatusBarMinHeight = 26;  // in pixels at 96 dots per inch

}  // namespace

// Swallows keyboard and mouse input meant for the main window and its
// children while a run is under way, except a click on the run's Cancel
// button and Escape, which cancels the run.
class CMainFrame::InputBlocker : public wxEventFilter {
 public:
  InputBlocker(CMainFrame* frame, RunHost* run, wxWindow* cancelButton)
      : m_frame(frame), m_run(run), m_cancelButton(cancelButton) {
    wxEvtHandler::AddFilter(this);
  }
  ~InputBlocker() override { wxEvtHandler::RemoveFilter(this); }

  int FilterEvent(wxEvent& event) override {
    if (event.GetEventCategory() != wxEVT_CATEGORY_USER_INPUT) {
      return Event_Skip;
    }
    auto* window = dynamic_cast<wxWindow*>(event.GetEventObject());
    if (!window || wxGetTopLevelParent(window) != m_frame) {
      return Event_Skip;
    }
    const wxEventType type = event.GetEventType();
    // Escape arrives as a char hook first, and as a key press when that is
    // not taken.
    if (m_run && (type == wxEVT_CHAR_HOOK || type == wxEVT_KEY_DOWN) &&
        static_cast<wxKeyEvent&>(event).GetKeyCode() == WXK_ESCAPE) {
      m_run->RequestCancel();
      return Event_Processed;
    }
    if (m_cancelButton && window == m_cancelButton.get()) {
      return Event_Skip;
    }
    return Event_Processed;
  }

 private:
  CMainFrame* m_frame;
  RunHost* m_run;
  wxWeakRef<wxWindow> m_cancelButton;
};

CMainFrame::~CMainFrame() = default;

void CMainFrame::EnableMenus(bool enable) {
  if (wxMenuBar* bar = GetMenuBar()) {
    for (size_t i = 0; i < bar->GetMenuCount(); ++i) {
      bar->EnableTop(i, enable);
    }
  }
}

CMainFrame::CMainFrame(wxDocManager* manager) {
  SetExtraStyle(wxFRAME_EX_CONTEXTHELP);
  Create(manager, nullptr, wxID_ANY, "Kem", wxDefaultPosition, wxSize(900, 1000), kFrameStyle);
  SetIcons(AppIcons());
  BuildMenu();
  BuildAccelerators();
  wxStatusBar* status = CreateStatusBar(
      1, wxSTB_SHOW_TIPS | wxSTB_ELLIPSIZE_END | wxFULL_REPAINT_ON_RESIZE, kIdViewStatusBar);
  status->SetStatusText(kIdlePaneText);
  // Tall enough for a progress bar that reads at a glance, at any scaling.
  status->SetMinHeight(FromDIP(kStatusBarMinHeight));

  SetDropTarget(MakeDropTarget());
  Bind(wxEVT_CLOSE_WINDOW, &CMainFrame::OnClose, this);
  Bind(wxEVT_SIZE, &CMainFrame::OnSize, this);
  Bind(wxEVT_MENU, &CMainFrame::OnAbout, this, wxID_ABOUT);
  Bind(wxEVT_MENU, &CMainFrame::OnConvert, this, kIdConvert);
  Bind(wxEVT_MENU, &CMainFrame::OnConvertRaster, this, kIdConvertRaster);
  Bind(wxEVT_MENU, &CMainFrame::OnHelpContents, this, wxID_HELP_CONTENTS);
  Bind(wxEVT_MENU, &CMainFrame::OnHelpContents, this, kIdDefaultHelp);
  Bind(wxEVT_MENU, &CMainFrame::OnHelp, this, wxID_HELP);
  Bind(wxEVT_MENU, &CMainFrame::OnContextHelp, this, wxID_HELP_CONTEXT);
  Bind(wxEVT_MENU, &CMainFrame::OnToggleStatusBar, this, kIdViewStatusBar);
  Bind(wxEVT_UPDATE_UI, &CMainFrame::OnUpdateStatusBar, this, kIdViewStatusBar);
  // Cut, paste and the pane keys have no command behind them: they are
  // taken and do nothing, also while a text box of the form has the focus.
  for (int id :
       {static_cast<int>(wxID_CUT), static_cast<int>(wxID_PASTE), kIdNextPane, kIdPrevPane}) {
    Bind(wxEVT_MENU, &CMainFrame::OnNothing, this, id);
  }
  // Copy has one: the problems selected in the list under the preview.
  Bind(wxEVT_MENU, &CMainFrame::OnCopy, this, wxID_COPY);
}

void CMainFrame::BuildMenu() {
  m_fileMenu = new wxMenu;
  m_fileMenu->Append(wxID_NEW, "&New\tCtrl+N", "Create a new document");
  m_fileMenu->Append(wxID_OPEN, "&Open...\tCtrl+O", "Open an existing document");
  m_fileMenu->Append(wxID_SAVE, "&Save\tCtrl+S", "Save the active document");
  m_fileMenu->Append(wxID_SAVEAS, "Save &As...", "Save the active document with a new name");
  m_fileMenu->AppendSeparator();
  m_fileMenu->Append(wxID_FILE1, "Recent File", "Open this document");
  m_fileMenu->Enable(wxID_FILE1, false);
  m_fileMenu->AppendSeparator();
  m_fileMenu->Append(kIdGenerate, "&Generate .gnd File\tCtrl+G",
                     "Generate Trainz .gnd file from supplied data");
  m_fileMenu->Append(kIdOpenFolder, "Open &Folder",
                     "Open the folder of the layout file last written");
  m_fileMenu->AppendSeparator();
  m_fileMenu->Append(wxID_EXIT, "E&xit", "Quit the application; prompts to save documents");

  // Undo and Redo go to the project's command processor through the
  // document manager, which also names the change they take back.
  auto* edit = new wxMenu;
  edit->Append(wxID_UNDO, "&Undo\tCtrl+Z", "Take back the last change to the project");
  edit->Append(wxID_REDO, "&Redo\tCtrl+Y", "Make the change taken back again");
  m_editMenu = edit;

  auto* convert = new wxMenu;
  convert->Append(kIdConvert, "ASCII .XYZ DEM to 24-bit height map...");
  convert->Append(kIdConvertRaster,
                  wxString::FromUTF8("Elevation raster (GeoTIFF, ASCII grid, HGT\u2026) to 24-bit "
                                     "height map..."));
  auto* tools = new wxMenu;
  tools->AppendSubMenu(convert, "Convert");

  auto* view = new wxMenu;
  view->Append(kIdRefreshPreview, "&Refresh\tF5",
               "Survey the project's files again and redraw the preview");
  view->AppendSeparator();
  view->Append(kIdZoomIn, "Zoom &In\tCtrl++", "Enlarge the preview about its middle");
  view->Append(kIdZoomOut, "Zoom &Out\tCtrl+-", "Shrink the preview about its middle");
  view->Append(kIdZoomFit, "Zoom to &Fit\tCtrl+0", "Show the whole map in the preview");
  view->AppendSeparator();
  view->AppendCheckItem(kIdViewStatusBar, "&Status Bar", "Show or hide the status bar");

  auto* help = new wxMenu;
  help->Append(wxID_HELP_CONTENTS, "&Help Topics", "List Help topics");
  help->AppendSeparator();
  help->Append(wxID_ABOUT, "&About Kem...",
               "Display program information, version number and copyright");

  auto* bar = new wxMenuBar;
  bar->Append(m_fileMenu, "&File");
  bar->Append(edit, "&Edit");
  bar->Append(tools, "&Tools");
  bar->Append(view, "&View");
  bar->Append(help, "&Help");
  SetMenuBar(bar);
}

void CMainFrame::BuildAccelerators() {
  const wxAcceleratorEntry entries[] = {
      {wxACCEL_CTRL, 'C', wxID_COPY},
      {wxACCEL_CTRL, 'G', kIdGenerate},
      {wxACCEL_CTRL, 'N', wxID_NEW},
      {wxACCEL_CTRL, 'O', wxID_OPEN},
      {wxACCEL_CTRL, 'S', wxID_SAVE},
      {wxACCEL_CTRL, 'V', wxID_PASTE},
      {wxACCEL_ALT, WXK_BACK, wxID_UNDO},
      {wxACCEL_SHIFT, WXK_DELETE, wxID_CUT},
      {wxACCEL_NORMAL, WXK_F1, wxID_HELP},
      {wxACCEL_SHIFT, WXK_F1, wxID_HELP_CONTEXT},
      {wxACCEL_NORMAL, WXK_F6, kIdNextPane},
      {wxACCEL_SHIFT, WXK_F6, kIdPrevPane},
      {wxACCEL_CTRL, WXK_INSERT, wxID_COPY},
      {wxACCEL_SHIFT, WXK_INSERT, wxID_PASTE},
      {wxACCEL_CTRL, 'X', wxID_CUT},
      {wxACCEL_CTRL, 'Z', wxID_UNDO},
      {wxACCEL_CTRL, 'Y', wxID_REDO},
      {wxACCEL_NORMAL, WXK_F5, kIdRefreshPreview},
      // Ctrl+= too: on most keyboards + is the shifted =.
      {wxACCEL_CTRL, '+', kIdZoomIn},
      {wxACCEL_CTRL, '=', kIdZoomIn},
      {wxACCEL_CTRL, WXK_NUMPAD_ADD, kIdZoomIn},
      {wxACCEL_CTRL, '-', kIdZoomOut},
      {wxACCEL_CTRL, WXK_NUMPAD_SUBTRACT, kIdZoomOut},
      {wxACCEL_CTRL, '0', kIdZoomFit},
  };
  SetAcceleratorTable(wxAcceleratorTable(static_cast<int>(std::size(entries)), entries));
}

wxDropTarget* CMainFrame::MakeDropTarget() {
  return new FileDrop([this](const wxString& path) { return OpenDroppedFile(path); });
}

bool CMainFrame::OpenDroppedFile(const wxString& path) {
  if (m_runs > 0) {
    return false;
  }
  ClearResult();
  // Let the drag end before a question or a conversion window comes up.
  CallAfter([this, path] {
    if (IsElevationFileName(path)) {
      ConvertDroppedFile(this, path);
    } else if (wxDocManager* manager = GetDocumentManager()) {
      manager->CreateDocument(path, wxDOC_SILENT);
    }
  });
  return true;
}

void CMainFrame::ShowProjectForm(wxWindow* form) {
  m_form = form;
  form->SetDropTarget(MakeDropTarget());
  FitToForm();
}

void CMainFrame::SetPreview(wxWindow* preview) {
  m_preview = preview;
  preview->SetDropTarget(MakeDropTarget());
  FitToForm();
}

void CMainFrame::FitToForm() {
  if (!m_form) {
    return;
  }
  // Sized once: New and Open keep the size the user gave the window.
  if (m_fitted) {
    LayOutPanes();
    return;
  }
  const wxSize formSize = m_form->GetMinSize();
  const int previewWidth = m_preview ? kPreviewWidth : 0;
  // Let the window manager size the frame freely, then hold its least size.
  SetSizeHints(wxDefaultSize, wxDefaultSize);
  SetClientSize(formSize.x + (m_preview ? kMinPreviewWidth : 0), formSize.y);
  SetSizeHints(GetSize());
  SetClientSize(formSize.x + previewWidth, formSize.y);
  m_fitted = m_preview != nullptr;
  LayOutPanes();
}

void CMainFrame::OnSize(wxSizeEvent& event) {
  event.Skip();
  LayOutPanes();
}

void CMainFrame::LayOutPanes() {
  if (!m_form) {
    return;
  }
  // Width beyond the form and the preview's first width is shared between
  // them, so that long paths get room in a wide window.
  const wxSize client = GetClientSize();
  const wxSize formSize = m_form->GetMinSize();
  const int spare = std::max(0, client.x - formSize.x - kPreviewWidth);
  const int formWidth = m_preview ? formSize.x + spare / 2 : client.x;
  m_form->SetSize(0, 0, formWidth, client.y);
  if (m_preview) {
    m_preview->SetSize(formWidth, 0, std::max(0, client.x - formWidth), client.y);
  }
}

CMainFrame::RunScope::RunScope(CMainFrame* frame, RunHost* run, wxWindow* cancelButton)
    : m_frame(frame) {
  if (m_frame) {
    m_frame->BeginRun(run, cancelButton);
  }
}

CMainFrame::RunScope::~RunScope() {
  if (m_frame) {
    m_frame->EndRun();
  }
}

void CMainFrame::BeginRun(RunHost* run, wxWindow* cancelButton) {
  if (m_runs++ > 0) {
    return;
  }
  // Input is swallowed rather than the frame disabled: a disabled window
  // on Windows would take the Cancel button and Escape away too.
  m_blocker = std::make_unique<InputBlocker>(this, run, cancelButton);
  EnableMenus(false);
}

void CMainFrame::EndRun() {
  if (m_runs == 0 || --m_runs > 0) {
    return;
  }
  m_blocker.reset();
  EnableMenus(true);
  if (m_closePending) {
    CallAfter([this] { Close(); });
  }
}

void CMainFrame::OnClose(wxCloseEvent& event) {
  if (m_runs > 0 && event.CanVeto()) {
    m_closePending = true;
    event.Veto();
    return;
  }
  m_closePending = false;
  event.Skip();
}

void CMainFrame::ShowResult(const wxString& text) {
  if (wxStatusBar* status = GetStatusBar()) {
    status->SetStatusText(text);
    m_showsResult = true;
  }
}

void CMainFrame::ClearResult() {
  if (m_showsResult) {
    m_showsResult = false;
    if (wxStatusBar* status = GetStatusBar()) {
      status->SetStatusText(kIdlePaneText);
      // Tall enough for a progress bar that reads at a glance, at any scaling.
      status->SetMinHeight(FromDIP(kStatusBarMinHeight));
    }
  }
}

bool CMainFrame::TryBefore(wxEvent& event) {
  // Every menu command and accelerator ends the display of the last result.
  if (event.GetEventType() == wxEVT_MENU && event.GetId() != kIdViewStatusBar) {
    // Accelerators still reach the frame on Windows while its menus are
    // disabled: no command starts inside a run.
    if (m_runs > 0) {
      return true;
    }
    ClearResult();
  }
  return wxDocParentFrame::TryBefore(event);
}

void CMainFrame::OnAbout(wxCommandEvent&) {
  CAboutDlg dialog(this);
  dialog.ShowModal();
}

void CMainFrame::OnConvert(wxCommandEvent&) {
  RunDemImportCommand(this);
}

void CMainFrame::OnConvertRaster(wxCommandEvent&) {
  RunRasterImportCommand(this);
}

void CMainFrame::OnHelpContents(wxCommandEvent&) {
  if (CKemApp* app = CKemApp::Get()) {
    app->Help().ShowContents();
  }
}

void CMainFrame::OnHelp(wxCommandEvent&) {
  if (CKemApp* app = CKemApp::Get()) {
    if (!app->Help().ShowWindow(FindFocus())) {
      app->Help().ShowContents();
    }
  }
}

void CMainFrame::OnContextHelp(wxCommandEvent&) {
  SetStatusText(kHelpModeText);
  // Runs until the next click, which sends a help request to what it hits.
  wxContextHelp help(this);
  SetStatusText(kIdlePaneText);
}

void CMainFrame::OnToggleStatusBar(wxCommandEvent&) {
  if (wxStatusBar* status = GetStatusBar()) {
    status->Show(!status->IsShown());
    SendSizeEvent();
  }
}

void CMainFrame::OnUpdateStatusBar(wxUpdateUIEvent& event) {
  event.Check(GetStatusBar() && GetStatusBar()->IsShown());
}

void CMainFrame::OnNothing(wxCommandEvent&) {}

void CMainFrame::OnCopy(wxCommandEvent&) {
  if (auto* list = dynamic_cast<ProblemList*>(FindFocus())) {
    list->CopySelection();
  }
}

}  // namespace kem::app
