// The Convert command of the main frame.
#include "app/dem_import_command.h"

#include <optional>

#include <wx/filedlg.h>
#include <wx/frame.h>

#include "app/dem_import_dlg.h"
#include "app/main_frame.h"
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

// A file dialog owned by `mainFrame` with `filter`, then RunDemImport.
void PickAndConvert(CMainFrame* mainFrame, const char* filter) {
  kem::ConvertOptions options;
  const std::optional<wxString> path =
      ShowFileDialog(mainFrame, {wxS("Open"), wxString::FromUTF8(filter),
                                 wxFD_OPEN | wxFD_FILE_MUST_EXIST, &options.fitBoards});
  if (!path) {
    return;
  }
  RunDemImport(mainFrame, *path, {}, options);
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
  return dialog->convertdem(path, options);
}

}  // namespace kem::app
