// The Convert command of the main frame.
#include "app/dem_import_command.h"

#include <optional>

#include <wx/filedlg.h>
#include <wx/frame.h>

#include "app/dem_import_dlg.h"
#include "app/ui_hooks.h"

namespace kem::app {

namespace {

// Keeps the main window disabled for the length of a conversion and gives it
// back, then destroys the importer window, however the conversion ends.
class ConversionScope {
 public:
  ConversionScope(wxFrame* mainFrame, CDemImportDlg* dialog)
      : m_mainFrame(mainFrame), m_dialog(dialog) {
    if (m_mainFrame != nullptr) {
      m_mainFrame->Disable();
    }
  }
  ~ConversionScope() {
    if (m_mainFrame != nullptr) {
      m_mainFrame->Enable();
    }
    if (m_dialog->GetHandle() != nullptr) {
      m_dialog->Destroy();
    } else {
      delete m_dialog;
    }
  }
  ConversionScope(const ConversionScope&) = delete;
  ConversionScope& operator=(const ConversionScope&) = delete;

 private:
  wxFrame* m_mainFrame;
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

}  // namespace

void RunDemImportCommand(wxFrame* mainFrame) {
  const std::optional<wxString> path = ShowFileDialog(
      mainFrame,
      {wxS("Open"), wxString::FromUTF8(kDemFileFilter), wxFD_OPEN | wxFD_FILE_MUST_EXIST});
  if (!path) {
    return;
  }
  RunDemImport(mainFrame, *path);
}

kem::ConvertResult RunDemImport(wxFrame* mainFrame, const wxString& path,
                                const std::function<void(CDemImportDlg&)>& onShown) {
  auto* dialog = new CDemImportDlg();
  const ConversionScope scope(mainFrame, dialog);
  if (!dialog->Create(nullptr)) {
    return kem::ConvertResult::kFailed;
  }
  CentreOver(dialog, mainFrame);
  dialog->Show();
  dialog->Raise();
  if (onShown) {
    onShown(*dialog);
  }
  return dialog->convertdem(path);
}

}  // namespace kem::app
