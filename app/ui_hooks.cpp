#include "app/ui_hooks.h"

#include <utility>

#include <wx/checkbox.h>
#include <wx/filedlg.h>
#include <wx/msgdlg.h>
#include <wx/panel.h>
#include <wx/sizer.h>
#include <wx/utils.h>

namespace kem::app {
namespace {

MessageBoxAnswer& MessageAnswer() {
  static MessageBoxAnswer answer;
  return answer;
}

ShowFolderAnswer& FolderAnswer() {
  static ShowFolderAnswer answer;
  return answer;
}

FileDialogAnswer& FileAnswer() {
  static FileDialogAnswer answer;
  return answer;
}

constexpr int kIdFitBoards = 1101;

// The extra control of a file dialog that offers cropping to whole boards.
wxWindow* CreateFitBoardsControl(wxWindow* parent) {
  auto* panel = new wxPanel(parent);
  auto* sizer = new wxBoxSizer(wxHORIZONTAL);
  sizer->Add(new wxCheckBox(panel, kIdFitBoards, wxString::FromUTF8(kFitBoardsLabel)), 0,
             wxALL | wxALIGN_CENTER_VERTICAL, 4);
  panel->SetSizerAndFit(sizer);
  return panel;
}

}  // namespace

int ShowMessageBox(const wxString& text, const wxString& caption, long style, wxWindow* parent) {
  if (MessageAnswer()) {
    return MessageAnswer()(text, caption, style);
  }
  return wxMessageBox(text, caption, style, parent);
}

int ShowSaveQuestion(const wxString& name, wxWindow* parent) {
  const wxString text = wxString::Format("Save changes to %s?", name);
  constexpr long kStyle = wxYES_NO | wxCANCEL | wxICON_QUESTION;
  if (MessageAnswer()) {
    return MessageAnswer()(text, "Kem", kStyle);
  }
  wxMessageDialog dialog(parent, text, "Kem", kStyle);
  dialog.SetYesNoCancelLabels("&Save", "Do&n't Save", "Cancel");
  switch (dialog.ShowModal()) {
    case wxID_YES:
      return wxYES;
    case wxID_NO:
      return wxNO;
    default:
      return wxCANCEL;
  }
}

void SetMessageBoxAnswer(MessageBoxAnswer answer) {
  MessageAnswer() = std::move(answer);
}

std::optional<wxString> ShowFileDialog(wxWindow* parent, const FileDialogRequest& request) {
  if (FileAnswer()) {
    return FileAnswer()(request);
  }
  wxFileDialog dialog(parent, request.message, request.directory, request.fileName,
                      request.wildcard,
                      request.style | (request.morePaths != nullptr ? wxFD_MULTIPLE : 0));
  if (request.fitBoards != nullptr) {
    dialog.SetExtraControlCreator(CreateFitBoardsControl);
  }
  if (dialog.ShowModal() != wxID_OK) {
    return std::nullopt;
  }
  if (request.fitBoards != nullptr && dialog.GetExtraControl() != nullptr) {
    if (auto* box = wxDynamicCast(dialog.GetExtraControl()->FindWindow(kIdFitBoards), wxCheckBox)) {
      *request.fitBoards = box->GetValue();
    }
  }
  if (request.morePaths != nullptr) {
    wxArrayString paths;
    dialog.GetPaths(paths);
    if (paths.size() > 1) {
      request.morePaths->assign(paths.begin() + 1, paths.end());
      return paths[0];
    }
  }
  return dialog.GetPath();
}

void SetFileDialogAnswer(FileDialogAnswer answer) {
  FileAnswer() = std::move(answer);
}

bool ShowFolder(const wxString& folder) {
  if (FolderAnswer()) {
    return FolderAnswer()(folder);
  }
  return wxLaunchDefaultApplication(folder);
}

void SetShowFolderAnswer(ShowFolderAnswer answer) {
  FolderAnswer() = std::move(answer);
}

}  // namespace kem::app
