// The Convert command of the main frame.
#include "app/dem_import_command.h"

#include <filesystem>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include <utility>

#include <wx/config.h>
#include <wx/docview.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/frame.h>

#include "app/dem_import_dlg.h"
#include "app/kem_view.h"
#include "app/main_frame.h"
#include "app/status_texts.h"
#include "app/ui_hooks.h"
#include "core/targa_source.h"
#include "importer/raster_import.h"

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

// Where the settings keep the importer's choices between sessions.
constexpr char kLastFolderKey[] = "Importer/Last Folder";
constexpr char kCropKey[] = "Importer/Crop To Whole Boards";

// The size of the height map at `path` in pixels, or 0 x 0 when it cannot
// be read.
std::pair<int, int> HeightMapSize(const std::string& path) {
  int code = 0;
  const auto source = kem::OpenTargaSource(path, code);
  if (!source) {
    return {0, 0};
  }
  return {source->header.width, source->header.height};
}

// A file dialog owned by `mainFrame` with `filter`, starting in the folder of
// the last file converted and with the crop choice made then, then
// RunDemImport; a written height map is named in the status bar and offered
// as the project's height map.
void PickAndConvert(CMainFrame* mainFrame, const wxString& filter) {
  wxConfigBase* config = wxConfigBase::Get();
  kem::ConvertOptions options;
  wxString lastFolder;
  if (config != nullptr) {
    lastFolder = config->Read(kLastFolderKey, wxString());
    options.fitBoards = config->ReadBool(kCropKey, false);
  }
  std::vector<wxString> tiles;
  const std::optional<wxString> path =
      ShowFileDialog(mainFrame, {wxS("Open"), filter, wxFD_OPEN | wxFD_FILE_MUST_EXIST,
                                 &options.fitBoards, lastFolder, wxString(), &tiles});
  if (!path) {
    return;
  }
  if (config != nullptr) {
    config->Write(kLastFolderKey, wxFileName(*path).GetPath());
    config->Write(kCropKey, options.fitBoards);
  }
  // Several tiles make one height map, named after their folder.
  tiles.insert(tiles.begin(), *path);
  if (tiles.size() > 1) {
    options.outputPath = kem::DemOutputPath(std::string(wxFileName(*path).GetPath().utf8_str()));
  }
  ConvertAndOffer(mainFrame, tiles, options);
}

}  // namespace

void ConvertAndOffer(CMainFrame* mainFrame, const wxString& path,
                     const kem::ConvertOptions& options) {
  ConvertAndOffer(mainFrame, std::vector<wxString>{path}, options);
}

void ConvertAndOffer(CMainFrame* mainFrame, const std::vector<wxString>& paths,
                     const kem::ConvertOptions& givenOptions) {
  kem::ConvertOptions options = givenOptions;
  kem::GridGeoreference georeference;
  options.georeference = &georeference;
  if (RunDemImport(mainFrame, paths, {}, options) != kem::RunOutcome::kWritten ||
      mainFrame == nullptr) {
    return;
  }
  const std::string output = OutputPathFor(std::string(paths.front().utf8_str()), options);
  std::error_code error;
  const auto bytes = std::filesystem::file_size(output, error);
  const auto [width, height] = HeightMapSize(output);
  mainFrame->ShowResult(
      wxString::FromUTF8(WrittenHeightMapText(output, width, height, error ? 0 : bytes)));
  const wxString question = wxString::FromUTF8(
      "Use " + std::filesystem::path(output).filename().string() +
      " as the height map?\nThe 24-bit height coding and its range are chosen with it.\n\n" +
      HeightMapAreaText(georeference));
  if (ShowMessageBox(question, "Kem", wxYES_NO | wxICON_QUESTION, mainFrame) != wxYES) {
    return;
  }
  if (auto* view = dynamic_cast<CKemView*>(wxDocManager::GetDocumentManager()->GetCurrentView())) {
    view->UseHeightMap(wxString::FromUTF8(output));
  }
}

wxString ElevationFileFilter(bool rasters, bool rastersFirst) {
  const wxString dem = kDemFileFilter;
  const wxString demEntry = dem.BeforeLast('|').BeforeLast('|');
  if (!rasters) {
    return dem;
  }
  const wxString raster = kRasterFileFilter;
  const wxString rasterEntry = raster.BeforeLast('|').BeforeLast('|');
  const wxString all =
      "All elevation files|" + demEntry.AfterFirst('|') + ";" + rasterEntry.AfterFirst('|');
  const wxString own = rastersFirst ? rasterEntry : demEntry;
  const wxString other = rastersFirst ? demEntry : rasterEntry;
  return all + "|" + own + "|" + other + "|All Files|*.*";
}

void ConvertDroppedFile(CMainFrame* mainFrame, const wxString& path) {
  kem::ConvertOptions options;
  if (const wxConfigBase* config = wxConfigBase::Get()) {
    options.fitBoards = config->ReadBool(kCropKey, false);
  }
  ConvertAndOffer(mainFrame, path, options);
}

void RunDemImportCommand(CMainFrame* mainFrame) {
  PickAndConvert(mainFrame, ElevationFileFilter(kem::ReadsGdalRasters(), false));
}

void RunRasterImportCommand(CMainFrame* mainFrame) {
  PickAndConvert(mainFrame, ElevationFileFilter(kem::ReadsGdalRasters(), true));
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
