// Entry point of the GUI tests: the real application object with its main
// window and a new project, an active event loop for the tests to pump, and
// every test run against it. Needs an X server (run_gui_tests.sh starts one).
#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/evtloop.h>
#include <wx/init.h>
#include <wx/log.h>

#include "app/kem_app.h"
#include "app/main_frame.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  wxApp::SetInstance(new kem::app::CKemApp);
  // The application sees no project on its command line.
  int appArgc = 1;
  if (!wxEntryStart(appArgc, argv)) {
    std::fprintf(stderr, "cannot start wxWidgets (no display?)\n");
    return 1;
  }
  // Log messages go to standard error instead of modal boxes.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  int result = 1;
  if (wxTheApp->CallOnInit()) {
    wxEventLoop loop;
    wxEventLoopActivator active(&loop);
    wxTheApp->Yield();
    result = RUN_ALL_TESTS();
    if (wxWindow* top = wxTheApp->GetTopWindow()) {
      top->Close(true);
    }
    wxTheApp->ProcessPendingEvents();
    wxTheApp->OnExit();
  }
  wxEntryCleanup();
  return result;
}
