// The Convert command of the main frame.
#include "app/dem_import_command.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <wx/docview.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>

#include "app/dem_import_dlg.h"
#include "app/kem_view.h"
#include "app/main_frame.h"
#include "app/status_texts.h"
#include "app/ui_hooks.h"

namespace kem::app {

namespace {

// Destroys the importer window however the conversion ends.
class DialogOwner {
 public:
  explicit DialogOwner(CDemImportDlg* dialog) : m_dialog(dialog) {}
  ~DialogOwner() {
    if (m_dialog->GetHandle() != nullptr) {
      m_dialog->Destroy();
    } else {
      delete m_dialog;
    }
  }
  DialogOwner(const DialogOwner&) = delete;
  DialogOwner& operator=(const DialogOwner&) = delete;

 private:
  CDemImportDlg* m_dialog;
};

void CentreOver(wxTopLevelWindow* window, const wxFrame* mainFrame) {
  if (mainFrame == nullptr) {
    window->CentreOnScreen();
    return;
  }
  const wxRect over = mainFrame->GetScreenRect();
  const wxSize size = window->GetSize();
  window->Move(over.x + (over.width - size.x) / 2, over.y + (over.height - size.y) / 2);
}

// A file dialog owned by `mainFrame` with `filter`, starting in the folder of
// the last file converted, then RunDemImport; a written height map is named
// in the status bar and offered as the project's height map.
void PickAndConvert(CMainFrame* mainFrame, const char* filter) {
  static wxString lastFolder;
  kem::ConvertOptions options;
  std::vector<wxString> tiles;
  const std::optional<wxString> path = ShowFileDialog(
      mainFrame, {wxS("Open"), wxString::FromUTF8(filter), wxFD_OPEN | wxFD_FILE_MUST_EXIST,
                  &options.fitBoards, lastFolder, &tiles});
  if (!path) {
    return;
  }
  lastFolder = wxFileName(*path).GetPath();
  // Several tiles make one height map, named after their folder.
  tiles.insert(tiles.begin(), *path);
  if (tiles.size() > 1) {
    options.outputPath = kem::DemOutputPath(std::string(lastFolder.utf8_str()));
  }
  if (RunDemImport(mainFrame, tiles, {}, options) != kem::RunOutcome::kWritten ||
      mainFrame == nullptr) {
    return;
  }
  const std::string output = OutputPathFor(std::string(path->utf8_str()), options);
  std::error_code error;
  const auto bytes = std::filesystem::file_size(output, error);
  mainFrame->ShowResult(wxString::FromUTF8(WrittenHeightMapText(output, error ? 0 : bytes)));
  const wxString question = wxString::FromUTF8(
      "Use " + std::filesystem::path(output).filename().string() +
      " as the height map?\nThe 24-bit height coding and its range are chosen with it.");
  if (ShowMessageBox(question, "Kem", wxYES_NO | wxICON_QUESTION, mainFrame) != wxYES) {
    return;
  }
  if (auto* view = dynamic_cast<CKemView*>(wxDocManager::GetDocumentManager()->GetCurrentView())) {
    view->UseHeightMap(wxString::FromUTF8(output));
  }
}

}  // namespace

void RunDemImportCommand(CMainFrame* mainFrame) {
  PickAndConvert(mainFrame, kDemFileFilter);
}

void RunRasterImportCommand(CMainFrame* mainFrame) {
  PickAndConvert(mainFrame, kRasterFileFilter);
}

kem::RunOutcome RunDemImport(CMainFrame* mainFrame, const wxString& path,
                             const std::function<void(CDemImportDlg&)>& onShown,
                             const kem::ConvertOptions& options) {
  return RunDemImport(mainFrame, std::vector<wxString>{path}, onShown, options);
}

kem::RunOutcome RunDemImport(CMainFrame* mainFrame, const std::vector<wxString>& paths,
                             const std::function<void(CDemImportDlg&)>& onShown,
                             const kem::ConvertOptions& options) {
  auto* dialog = new CDemImportDlg();
  const DialogOwner owner(dialog);
  // The main window takes input again before the importer window goes.
  const CMainFrame::RunScope scope(mainFrame);
  if (!dialog->Create(nullptr)) {
    return kem::RunOutcome::kFailed;
  }
  CentreOver(dialog, mainFrame);
  dialog->Show();
  dialog->Raise();
  if (onShown) {
    onShown(*dialog);
  }
  return dialog->convertdem(paths, options);
}

}  // namespace kem::app
