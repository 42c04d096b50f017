#include "app/wx_host.h"

#include <wx/app.h>
#include <wx/evtloop.h>

#include "app/main_frame.h"
#include "app/progress_bar.h"
#include "app/ui_hooks.h"

namespace kem::app {

void WxHost::ShowMessage(const std::string& text) {
  ShowMessageBox(wxString::FromUTF8(text), "Kem", wxOK | wxICON_EXCLAMATION, m_owner);
}

void WxHost::ShowInformation(const std::string& caption, const std::string& text) {
  ShowMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | wxICON_INFORMATION,
                 m_owner);
}

std::unique_ptr<ProgressBar> WxHost::CreateProgressBar(const std::string& message, int size,
                                                       int maximum, bool smooth, int pane) {
  return MakeStatusProgressBar(message, size, maximum, smooth, pane);
}

bool WxHost::PumpMessages() {
  return PumpPendingEvents();
}

bool PumpPendingEvents() {
  if (wxEventLoopBase* loop = wxEventLoopBase::GetActive()) {
    // onlyIfNeeded: a pump reached from inside another yield does nothing.
    loop->Yield(true);
  }
  auto* frame = wxTheApp ? dynamic_cast<CMainFrame*>(wxTheApp->GetTopWindow()) : nullptr;
  return !(frame && frame->IsClosePending());
}

}  // namespace kem::app
