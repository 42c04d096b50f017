#include "app/doc_manager.h"

#include <wx/filedlg.h>
#include <wx/filehistory.h>
#include <wx/filename.h>

#include "app/kem_doc.h"
#include "app/kem_view.h"
#include "app/ui_hooks.h"

namespace kem::app {
namespace {

void InitialUpdate(wxDocument* doc) {
  if (auto* view = dynamic_cast<CKemView*>(doc->GetFirstView())) {
    view->OnInitialUpdate();
  }
}

wxString RecentFileLabel(size_t index, const wxString& path) {
  wxString shown(path);
  shown.Replace("&", "&&");
  return wxString::Format("&%zu %s", index + 1, shown);
}

}  // namespace

namespace {

wxString RecentFileValue(size_t index) {
  return wxString::Format("%s/File%zu", kRecentFileKey, index + 1);
}

}  // namespace

void SaveRecentFiles(const wxFileHistory& history, wxConfigBase& config) {
  config.DeleteGroup(kRecentFileKey);
  for (size_t i = 0; i < history.GetCount(); ++i) {
    config.Write(RecentFileValue(i), history.GetHistoryFile(i));
  }
}

void LoadRecentFiles(wxFileHistory& history, const wxConfigBase& config) {
  for (size_t i = static_cast<size_t>(kRecentFileCount); i-- > 0;) {
    wxString file;
    if (config.Read(RecentFileValue(i), &file) && !file.empty()) {
      history.AddFileToHistory(file);
    }
  }
}

CKemDocManager::CKemDocManager() : wxDocManager(0, false) {
  // Initialize here rather than in the base constructor, so that our history
  // of four is the one created.
  Initialize();
  SetMaxDocsOpen(1);
  // Save writes the project whether or not it was modified.
  Bind(
      wxEVT_UPDATE_UI, [this](wxUpdateUIEvent& event) { event.Enable(GetCurrentDocument()); },
      wxID_SAVE);
}

wxFileHistory* CKemDocManager::OnCreateFileHistory() {
  return new wxFileHistory(kRecentFileCount);
}

wxDocument* CKemDocManager::CreateDocument(const wxString& path, long flags) {
  wxDocument* doc =
      GetDocuments().empty() ? nullptr : static_cast<wxDocument*>(GetDocuments().front());
  if (!doc) {
    doc = wxDocManager::CreateDocument(path, flags);
    if (doc) {
      InitialUpdate(doc);
    }
    return doc;
  }
  // Unsaved edits are saved or dropped first, or the command is cancelled.
  if (!doc->OnSaveModified()) {
    return nullptr;
  }
  if (flags & wxDOC_NEW) {
    if (!doc->OnNewDocument()) {
      return nullptr;
    }
    InitialUpdate(doc);
    return doc;
  }
  wxString file = path;
  if (file.empty()) {
    FileDialogRequest request;
    request.message = "Open";
    request.wildcard = kProjectFileWildcard;
    request.style = wxFD_OPEN | wxFD_FILE_MUST_EXIST;
    request.directory = ProjectFolderToOffer();
    const auto chosen = ShowFileDialog(doc->GetDocumentWindow(), request);
    if (!chosen) {
      return nullptr;
    }
    file = *chosen;
  }
  if (!doc->OnOpenDocument(file)) {
    return nullptr;
  }
  AddFileToHistory(file);
  InitialUpdate(doc);
  return doc;
}

void CKemDocManager::AddFileToHistory(const wxString& file) {
  // Kept by full path, so that the entry still opens when the program is
  // started from another folder.
  wxFileName name(file);
  name.MakeAbsolute();
  wxDocManager::AddFileToHistory(name.GetFullPath());
  RefreshRecentFileMenu();
}

void CKemDocManager::RemoveFileFromHistory(size_t i) {
  wxDocManager::RemoveFileFromHistory(i);
  RefreshRecentFileMenu();
}

void CKemDocManager::FileHistoryLoad(const wxConfigBase& config) {
  if (GetFileHistory()) {
    LoadRecentFiles(*GetFileHistory(), config);
  }
  RefreshRecentFileMenu();
}

void CKemDocManager::FileHistorySave(wxConfigBase& config) {
  if (GetFileHistory()) {
    SaveRecentFiles(*GetFileHistory(), config);
  }
}

void CKemDocManager::SetRecentFileMenu(wxMenu* fileMenu) {
  m_fileMenu = fileMenu;
  RefreshRecentFileMenu();
}

void CKemDocManager::RefreshRecentFileMenu() {
  if (!m_fileMenu) {
    return;
  }
  // The entries sit where the first one is; drop them all and put back the
  // current list (or the greyed placeholder) in the same place.
  size_t position = 0;
  if (!m_fileMenu->FindChildItem(wxID_FILE1, &position)) {
    return;
  }
  for (int id = wxID_FILE1; id <= wxID_FILE9; ++id) {
    if (m_fileMenu->FindItem(id)) {
      m_fileMenu->Destroy(id);
    }
  }
  const size_t count = GetHistoryFilesCount();
  if (count == 0) {
    m_fileMenu->Insert(position, wxID_FILE1, "Recent File", "Open this document");
    m_fileMenu->Enable(wxID_FILE1, false);
    return;
  }
  for (size_t i = 0; i < count; ++i) {
    m_fileMenu->Insert(position + i, wxID_FILE1 + static_cast<int>(i),
                       RecentFileLabel(i, GetHistoryFile(i)), "Open this document");
  }
}

wxString CKemDocManager::ProjectFolderToOffer() {
  if (wxDocument* doc = GetCurrentDocument(); doc && doc->GetDocumentSaved()) {
    const wxString folder = wxFileName(doc->GetFilename()).GetPath();
    if (!folder.empty()) {
      return folder;
    }
  }
  return GetHistoryFilesCount() > 0 ? wxFileName(GetHistoryFile(0)).GetPath() : wxString();
}

}  // namespace kem::app
