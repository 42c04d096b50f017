#include "app/about_dlg.h"

#include <wx/button.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/resources.h"
#include "generated/version.h"

namespace kem::app {
namespace {

constexpr char kNotices[] =
    "\n\nTerrain generator for Trainz layouts.\n"
    "Copyright (C) 2026 the Kem developers.\n"
    "Free software under the MIT licence.";

}  // namespace

// 200 by 91 dialog units with a modal frame and no caption; OK or Escape
// closes it.
CAboutDlg::CAboutDlg(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, "About Kem", wxDefaultPosition, wxDefaultSize, wxBORDER_RAISED) {
  auto dlu = [this](int x, int y) { return ConvertDialogToPixels(wxPoint(x, y)); };
  auto dluSize = [this](int w, int h) { return ConvertDialogToPixels(wxSize(w, h)); };
  SetClientSize(dluSize(200, 91));
  new wxStaticBitmap(this, wxID_ANY, AboutPicture(), dlu(0, 0));
  new wxStaticText(this, wxID_ANY, wxString(kVersionLine) + kNotices, dlu(58, 7), dluSize(135, 63),
                   wxST_NO_AUTORESIZE);
  auto* ok = new wxButton(this, wxID_OK, "OK", dlu(143, 72), dluSize(50, 14));
  ok->SetDefault();
  ok->SetFocus();
  SetEscapeId(wxID_OK);
  CentreOnParent();
}

}  // namespace kem::app
