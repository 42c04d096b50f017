#include "app/kem_doc.h"

#include <utility>

#include <wx/filedlg.h>
#include <wx/filename.h>

#include "app/kem_view.h"
#include "app/ui_hooks.h"
#include "core/project_file.h"
#include "core/project_rules.h"

namespace kem::app {

wxIMPLEMENT_DYNAMIC_CLASS(CKemDoc, wxDocument);

bool CKemDoc::OnNewDocument() {
  if (!wxDocument::OnNewDocument()) {
    return false;
  }
  m_settings = ProjectSettings{};
  UpdateAllViews();
  return true;
}

bool CKemDoc::OnOpenDocument(const wxString& filename) {
  if (!DoOpenDocument(filename)) {
    return false;
  }
  SetTitle(wxFileName(filename).GetFullName());
  SetFilename(filename, true);
  SetDocumentSaved(true);
  Modify(false);
  UpdateAllViews();
  return true;
}

bool CKemDoc::OnSaveModified() {
  if (!IsModified()) {
    return true;
  }
  switch (ShowSaveQuestion(GetUserReadableName(), GetDocumentWindow())) {
    case wxYES:
      return Save();
    case wxNO:
      Modify(false);
      return true;
    default:
      return false;
  }
}

std::string CKemDoc::Folder() const {
  if (!GetDocumentSaved() || GetFilename().empty()) {
    return {};
  }
  return std::string(wxFileName(GetFilename()).GetPath().utf8_str());
}

bool CKemDoc::TakeForm() {
  // Text still being typed into a height box is taken now, or stops the save.
  auto* view = dynamic_cast<CKemView*>(GetFirstView());
  return !(view && view->ReadFromForm());
}

bool CKemDoc::Save() {
  if (!TakeForm()) {
    return false;
  }
  if (!GetDocumentSaved() || GetFilename().empty()) {
    return SaveAs();
  }
  if (!OnSaveDocument(GetFilename())) {
    return false;
  }
  GetDocumentManager()->AddFileToHistory(GetFilename());
  return true;
}

bool CKemDoc::SaveAs() {
  if (!TakeForm()) {
    return false;
  }
  FileDialogRequest request;
  request.message = "Save As";
  request.wildcard = kProjectFileWildcard;
  request.style = wxFD_SAVE | wxFD_OVERWRITE_PROMPT;
  const auto path = ShowFileDialog(GetDocumentWindow(), request);
  if (!path) {
    return false;
  }
  if (!OnSaveDocument(*path)) {
    return false;
  }
  SetTitle(wxFileName(*path).GetFullName());
  SetFilename(*path, true);
  GetDocumentManager()->AddFileToHistory(*path);
  return true;
}

bool CKemDoc::DoSaveDocument(const wxString& file) {
  if (SaveProjectFile(std::string(file.utf8_str()), m_settings)) {
    return true;
  }
  ShowMessageBox(wxString::Format("Failed to save document %s.", file), "Kem",
                 wxOK | wxICON_EXCLAMATION, GetDocumentWindow());
  return false;
}

bool CKemDoc::DoOpenDocument(const wxString& file) {
  ProjectSettings read;
  if (LoadProjectFile(std::string(file.utf8_str()), read)) {
    if (HasFiniteHeights(read)) {
      m_settings = std::move(read);
      return true;
    }
    ShowMessageBox(wxString::Format("Failed to open document %s: its base or maximum height is "
                                    "not a finite number.",
                                    file),
                   "Kem", wxOK | wxICON_EXCLAMATION, GetDocumentWindow());
    return false;
  }
  ShowMessageBox(wxString::Format("Failed to open document %s.", file), "Kem",
                 wxOK | wxICON_EXCLAMATION, GetDocumentWindow());
  return false;
}

}  // namespace kem::app
