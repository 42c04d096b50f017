#include "app/kem_doc.h"

#include <utility>

#include <wx/app.h>
#include <wx/filedlg.h>
#include <wx/filehistory.h>
#include <wx/filename.h>
#include <wx/stdpaths.h>

#include "app/doc_manager.h"
#include "app/kem_view.h"
#include "app/main_frame.h"
#include "app/status_texts.h"
#include "app/ui_hooks.h"
#include "core/file_system.h"
#include "core/project_file.h"
#include "core/project_relocation.h"
#include "core/project_rules.h"

namespace kem::app {

namespace {

// Projects are kept by their full path: a relative one would name another
// file once the current folder changes.
wxString AbsolutePath(const wxString& path) {
  wxFileName name(path);
  name.MakeAbsolute();
  return name.GetFullPath();
}

}  // namespace

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
  SetFilename(AbsolutePath(filename), true);
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

FileLookup CKemDoc::Lookup() const {
  FileLookup lookup;
  lookup.projectFolder = Folder();
  if (lookup.projectFolder.empty()) {
    const wxFileHistory* history =
        GetDocumentManager() ? GetDocumentManager()->GetFileHistory() : nullptr;
    const wxString folder = history && history->GetCount() > 0
                                ? wxFileName(history->GetHistoryFile(0)).GetPath()
                                : wxStandardPaths::Get().GetDocumentsDir();
    lookup.projectFolder = std::string(folder.utf8_str());
  }
  lookup.settingsFolder = UserSettingsFolder();
  return lookup;
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
  // It starts where the project is (or was last saved) and offers its name.
  if (auto* manager = dynamic_cast<CKemDocManager*>(GetDocumentManager())) {
    request.directory = manager->ProjectFolderToOffer();
  }
  if (GetDocumentSaved()) {
    request.fileName = wxFileName(GetFilename()).GetFullName();
  }
  const auto chosen = ShowFileDialog(GetDocumentWindow(), request);
  if (!chosen) {
    return false;
  }
  const wxString path = AbsolutePath(*chosen);
  const std::string newFolder(wxFileName(path).GetPath().utf8_str());
  const FileLookup lookup = Lookup();
  const bool moving = !Folder().empty() && Folder() != newFolder;
  const ProjectSettings before = m_settings;
  const RelocatedProject moved = RelocateProject(m_settings, lookup, newFolder);
  m_settings = moved.settings;
  if (!OnSaveDocument(path)) {
    m_settings = before;
    return false;
  }
  SetTitle(wxFileName(path).GetFullName());
  SetFilename(path, true);
  GetDocumentManager()->AddFileToHistory(path);
  if (auto* view = dynamic_cast<CKemView*>(GetFirstView()); view && moved.rewritten > 0) {
    view->WriteToForm();
  }
  if (auto* frame = dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow());
      frame && (moving || moved.rewritten > 0)) {
    frame->ShowResult(
        wxString::FromUTF8(SavedElsewhereText(std::string(path.utf8_str()), moved.rewritten)));
  }
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
