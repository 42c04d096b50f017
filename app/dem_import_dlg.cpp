// The importer's progress dialog, laid out in dialog units like the other
// windows of the program.
#include "app/dem_import_dlg.h"

#include <chrono>
#include <cmath>
#include <string>
#include <vector>

#include <wx/app.h>
#include <wx/artprov.h>
#include <wx/button.h>
#include <wx/gauge.h>
#include <wx/statbmp.h>
#include <wx/stattext.h>

#include "app/progress_bar.h"
#include "app/resources.h"
#include "app/ui_hooks.h"
#include "app/wx_host.h"
#include "importer/import_limits.h"

namespace kem::app {

namespace {

constexpr int kGaugeRange = 100;
constexpr int kElevationPicture = 132;

// Pending events wait at most this long during a conversion.
constexpr std::chrono::milliseconds kPumpInterval{10};

const char kDescription[] =
    "The data converter will analyze the file you've selected, and produce 24-bit .tga image you "
    "can use as elevation source for terrain generator.";
const char kTemplateStatus[] = "Scanning source file";

struct DialogItem {
  int x, y, width, height;
};

// Template 102, in dialog units.
constexpr DialogItem kClientArea{0, 0, 223, 71};
constexpr DialogItem kCancelItem{166, 43, 50, 14};
constexpr DialogItem kIconItem{7, 7, 20, 20};
constexpr DialogItem kTextItem{36, 7, 180, 26};
constexpr DialogItem kProgressItem{7, 46, 130, 11};
constexpr DialogItem kPercentItem{140, 47, 20, 8};
constexpr DialogItem kStatusItem{7, 36, 151, 8};

// The picture beside the description: the form's elevation-data picture, a
// height map being what the dialog makes.
wxBitmap DialogPicture(const wxSize& box) {
  const wxBitmap picture = FormIcon(kElevationPicture);
  if (picture.IsOk()) {
    return picture;
  }
  return wxArtProvider::GetBitmap(wxART_INFORMATION, wxART_MESSAGE_BOX, box);
}

}  // namespace

int ImporterGaugePosition(float percent) {
  if (std::isnan(percent) || percent <= 0.0F) {
    return 0;
  }
  if (percent >= static_cast<float>(kGaugeRange)) {
    return kGaugeRange;
  }
  return static_cast<int>(percent);
}

CDemImportDlg::CDemImportDlg() = default;

CDemImportDlg::CDemImportDlg(wxWindow* parent) {
  Create(parent);
}

bool CDemImportDlg::Create(wxWindow* parent) {
  if (!wxDialog::Create(parent, wxID_ANY, wxString::FromUTF8(kImporterCaption), wxDefaultPosition,
                        wxDefaultSize, wxCAPTION | wxSYSTEM_MENU | wxCLOSE_BOX)) {
    return false;
  }
  const auto position = [this](const DialogItem& item) {
    return ConvertDialogToPixels(wxPoint(item.x, item.y));
  };
  const auto size = [this](const DialogItem& item) {
    return ConvertDialogToPixels(wxSize(item.width, item.height));
  };

  // Created in tab order: Cancel first, then the static items.
  m_cancelButton = new wxButton(this, kIdImporterCancel, wxS("Cancel"), position(kCancelItem),
                                size(kCancelItem));
  new wxStaticBitmap(this, wxID_ANY, DialogPicture(size(kIconItem)), position(kIconItem),
                     size(kIconItem));
  auto* text = new wxStaticText(this, kIdImporterText, wxString::FromUTF8(kDescription),
                                position(kTextItem), size(kTextItem), wxST_NO_AUTORESIZE);
  text->Wrap(size(kTextItem).x);
  m_progress = new FullHeightGauge(this, kIdImporterProgress, kGaugeRange, position(kProgressItem),
                                   size(kProgressItem));
  m_percentLabel = new wxStaticText(this, wxID_ANY, "0 %", position(kPercentItem),
                                    size(kPercentItem), wxALIGN_RIGHT | wxST_NO_AUTORESIZE);
  m_statusLabel = new wxStaticText(this, kIdImporterStatus, wxString::FromUTF8(kTemplateStatus),
                                   position(kStatusItem), size(kStatusItem), wxST_NO_AUTORESIZE);
  SetClientSize(size(kClientArea));

  Bind(wxEVT_INIT_DIALOG, &CDemImportDlg::OnInitDialog, this);
  Bind(wxEVT_BUTTON, &CDemImportDlg::OnCancelButton, this, kIdImporterCancel);
  Bind(wxEVT_CLOSE_WINDOW, &CDemImportDlg::OnClose, this);
  return true;
}

kem::RunOutcome CDemImportDlg::convertdem(const wxString& path,
                                          const kem::ConvertOptions& options) {
  return convertdem(std::vector<wxString>{path}, options);
}

kem::RunOutcome CDemImportDlg::convertdem(const std::vector<wxString>& paths,
                                          const kem::ConvertOptions& options) {
  std::vector<std::string> files;
  for (const wxString& path : paths) {
    files.emplace_back(path.mb_str(*wxConvFileName));
  }
  kem::RasterReport report;
  const kem::RunOutcome result = kem::ConvertElevationSet(files, *this, options, report);
  if (result == kem::RunOutcome::kWritten && (report.utmZone != 0 || report.filledCells != 0)) {
    ShowMessageBox(DescribeRasterReport(report), wxS("Elevation raster"), wxOK | wxICON_INFORMATION,
                   this);
  }
  return result;
}

wxString DescribeRasterReport(const kem::RasterReport& report) {
  wxString text;
  if (report.utmZone != 0) {
    text << "Reprojected to UTM zone " << report.utmZone << (report.utmNorth ? "N" : "S")
         << " (EPSG:" << report.epsg << ").";
  }
  if (report.impossibleCells != 0) {
    text << (text.empty() ? "" : "\n") << "Took "
         << wxString::Format("%llu", static_cast<unsigned long long>(report.impossibleCells))
         << " cells whose heights are not finite or lie beyond "
         << static_cast<int>(kem::kMaxGroundMetres) << " m up or down as cells without data.";
  }
  if (report.filledCells != 0) {
    text << (text.empty() ? "" : "\n") << "Filled "
         << wxString::Format("%llu", static_cast<unsigned long long>(report.filledCells))
         << " cells without data from their neighbours.";
  }
  return text;
}

void CDemImportDlg::Repaint() {
  Refresh();
  Update();
}

void CDemImportDlg::SetProgress(const std::string& text, float percent) {
  m_statusText = wxString::FromUTF8(text);
  const int position = ImporterGaugePosition(percent);
  if (m_progress != nullptr) {
    m_progress->SetValue(position);
  }
  if (m_percentLabel != nullptr) {
    const wxString shown = wxString::Format("%d %%", position);
    if (m_percentLabel->GetLabel() != shown) {
      m_percentLabel->SetLabel(shown);
    }
  }
  TransferDataToWindow();
}

wxString CDemImportDlg::GetPercentText() const {
  return m_percentLabel != nullptr ? m_percentLabel->GetLabel() : wxString();
}

void CDemImportDlg::DisableCancel() {
  if (m_cancelButton != nullptr) {
    m_cancelButton->Disable();
  }
}

void CDemImportDlg::ShowError(const std::string& caption, const std::string& text) {
  ShowMessageBox(wxString::FromUTF8(text), wxString::FromUTF8(caption), wxOK | wxICON_ERROR, this);
}

// The program's one message pump, shared with the generator: a close of the
// main window asked for meanwhile takes effect after the conversion. The
// conversion asks once per point; looking at the queue costs a system call
// here, so it is looked at no more often than a person could notice.
bool CDemImportDlg::PumpMessages() {
  const auto now = std::chrono::steady_clock::now();
  if (m_pumpedOnce && now - m_lastPump < kPumpInterval) {
    return m_lastPumpResult;
  }
  m_pumpedOnce = true;
  m_lastPump = now;
  m_lastPumpResult = PumpPendingEvents();
  return m_lastPumpResult;
}

bool CDemImportDlg::TransferDataToWindow() {
  if (m_statusLabel != nullptr) {
    m_statusLabel->SetLabel(m_statusText);
  }
  return true;
}

void CDemImportDlg::OnCancel() {
  DisableCancel();
  RequestCancel();
}

void CDemImportDlg::OnInitDialog(wxInitDialogEvent& /*event*/) {
  TransferDataToWindow();
  if (m_progress != nullptr) {
    m_progress->SetRange(kGaugeRange);
  }
  // The program's own icon, as the main window shows it.
  SetIcons(AppIcons());
}

void CDemImportDlg::OnCancelButton(wxCommandEvent& /*event*/) {
  OnCancel();
}

void CDemImportDlg::OnClose(wxCloseEvent& event) {
  // The close box cancels like the button; the command closes the window
  // once the conversion has stopped.
  OnCancel();
  if (event.CanVeto()) {
    event.Veto();
  }
}

}  // namespace kem::app
