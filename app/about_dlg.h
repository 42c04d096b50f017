// CAboutDlg: the About box, with the program's picture, its version and
// notices, and an OK button.
#pragma once

#include <wx/dialog.h>

namespace kem::app {

class CAboutDlg : public wxDialog {
 public:
  explicit CAboutDlg(wxWindow* parent);
};

}  // namespace kem::app
