// CKemApp: the application object. Sets up the settings ("Local
// AppWizard-Generated Applications" / "Kem"), the recent-file list of four,
// the document manager with its one template, the main window, and opens the
// project named on the command line or starts a new one. The main window's
// place and size are kept in the settings from one session to the next.
#pragma once

#include <memory>

#include <wx/app.h>

#include "app/help_topics.h"

namespace kem::app {

class CKemDocManager;
class CMainFrame;

inline constexpr char kSettingsVendor[] = "Local AppWizard-Generated Applications";
inline constexpr char kAppName[] = "Kem";

class CKemApp : public wxApp {
 public:
  CKemApp();
  ~CKemApp() override;

  // No argument: a new project. A path: that project; when it cannot be
  // opened the program ends after the message.
  bool OnInit() override;
  // Writes the recent-file list back to the settings.
  int OnExit() override;

  CKemDocManager* DocManager() const { return m_docManager.get(); }
  CMainFrame* MainFrame() const { return m_frame; }
  HelpViewer& Help() { return m_help; }

  // The running CKemApp, or null.
  static CKemApp* Get();

 private:
  std::unique_ptr<CKemDocManager> m_docManager;
  CMainFrame* m_frame = nullptr;
  HelpViewer m_help;
};

}  // namespace kem::app
