#include "app/kem_app.h"

#include <wx/config.h>
#include <wx/docview.h>
#include <wx/persist/toplevel.h>

#include "app/doc_manager.h"
#include "app/kem_doc.h"
#include "app/kem_view.h"
#include "app/main_frame.h"

namespace kem::app {

CKemApp::CKemApp() = default;
CKemApp::~CKemApp() = default;

CKemApp* CKemApp::Get() {
  return dynamic_cast<CKemApp*>(wxTheApp);
}

bool CKemApp::OnInit() {
  SetVendorName(kSettingsVendor);
  SetAppName(kAppName);
  SetAppDisplayName(kAppName);
  wxConfigBase::Set(new wxConfig(kAppName, kSettingsVendor));

  m_docManager = std::make_unique<CKemDocManager>();
  // No filter and no extension of our own: project files are any files.
  new wxDocTemplate(m_docManager.get(), "All Files", "*", wxString(), wxString(), "Kem.Document",
                    "Kem Document", wxCLASSINFO(CKemDoc), wxCLASSINFO(CKemView));
  m_docManager->FileHistoryLoad(*wxConfigBase::Get());

  m_frame = new CMainFrame(m_docManager.get());
  SetTopWindow(m_frame);
  m_docManager->SetRecentFileMenu(m_frame->FileMenu());

  wxDocument* doc = nullptr;
  if (argc > 1) {
    doc = m_docManager->CreateDocument(argv[1], wxDOC_SILENT);
  } else {
    doc = m_docManager->CreateDocument(wxString(), wxDOC_NEW);
  }
  if (!doc) {
    m_frame->Destroy();
    m_frame = nullptr;
    m_docManager->FileHistorySave(*wxConfigBase::Get());
    return false;
  }
  // The window comes back where and as large as the user left it.
  wxPersistentRegisterAndRestore(m_frame, "MainFrame");
  m_frame->Show();
  m_frame->Update();
  return true;
}

int CKemApp::OnExit() {
  if (m_docManager) {
    m_docManager->FileHistorySave(*wxConfigBase::Get());
    wxConfigBase::Get()->Flush();
  }
  m_docManager.reset();
  delete wxConfigBase::Set(nullptr);
  return wxApp::OnExit();
}

}  // namespace kem::app
