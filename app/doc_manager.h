// CKemDocManager: the document manager of a single-document program.
//
// New, Open and the recent files reuse the one project document instead of
// replacing it, so a file that cannot be opened leaves the current project,
// its title and the form exactly as they were. New projects are called
// "Untitled", and the recent-file list holds four files, shown in the File
// menu where its "Recent File" placeholder stands.
#pragma once

#include <wx/confbase.h>
#include <wx/docview.h>
#include <wx/filehistory.h>
#include <wx/menu.h>

namespace kem::app {

inline constexpr int kRecentFileCount = 4;

// Where the settings keep the recent-file list: this key, with values "File1"
// (the newest) to "File4", as Windows programs of this kind name them. On
// Windows the settings are the registry key the application names; elsewhere
// a settings file with the same layout.
inline constexpr char kRecentFileKey[] = "Recent File List";

// Writes the list under kRecentFileKey, replacing what was there.
void SaveRecentFiles(const wxFileHistory& history, wxConfigBase& config);

// Adds the files listed under kRecentFileKey to `history`, the newest on top.
void LoadRecentFiles(wxFileHistory& history, const wxConfigBase& config);

class CKemDocManager : public wxDocManager {
 public:
  CKemDocManager();

  // The first call creates the document and its view; later calls with
  // wxDOC_NEW reset it, and with a path (or none: ask for one) open into it.
  // After every successful New and Open the view re-initialises the form.
  wxDocument* CreateDocument(const wxString& path, long flags = 0) override;

  wxString MakeNewDocumentName() override { return "Untitled"; }
  wxFileHistory* OnCreateFileHistory() override;
  void AddFileToHistory(const wxString& file) override;
  void RemoveFileFromHistory(size_t i) override;
  void FileHistoryLoad(const wxConfigBase& config) override;
  void FileHistorySave(wxConfigBase& config) override;

  // The folder Open and Save As start in: the project's, else that of the
  // project opened or saved last, else the toolkit's choice (empty).
  wxString ProjectFolderToOffer();

  // The File menu whose "Recent File" placeholder the recent files replace.
  void SetRecentFileMenu(wxMenu* fileMenu);

 private:
  void RefreshRecentFileMenu();

  wxMenu* m_fileMenu = nullptr;
};

}  // namespace kem::app
