// The importer's progress dialog: a small modeless window that shows what the
// DEM conversion is doing, a progress bar as tall as its text with the
// percentage beside it and a Cancel button, and hosts the conversion itself.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include <wx/dialog.h>
#include <wx/string.h>

#include "importer/convert_dem.h"
#include "importer/convert_elevation.h"
#include "importer/import_host.h"

class wxButton;
class wxCloseEvent;
class wxCommandEvent;
class wxGauge;
class wxInitDialogEvent;
class wxStaticText;

namespace kem::app {

// Controls of the importer dialog. Cancel is the toolkit's own cancel
// button, so Escape and the close box reach it as they do in any dialog.
inline constexpr int kIdImporterCancel = wxID_CANCEL;
inline constexpr int kIdImporterText = 1013;
inline constexpr int kIdImporterProgress = 1014;
inline constexpr int kIdImporterStatus = 1015;

inline constexpr char kImporterCaption[] = "vindle :: dem data importer";

// Position of the dialog's progress bar for `percent`: truncated toward zero
// and kept within 0 to 100 (a value that is not a number gives 0).
int ImporterGaugePosition(float percent);

// What a raster conversion did beyond resampling, as the information box
// after it says it: the UTM zone and the count of filled cells.
wxString DescribeRasterReport(const kem::RasterReport& report);

class CDemImportDlg : public wxDialog, public kem::ImportHost {
 public:
  // No window yet; Create makes it.
  CDemImportDlg();
  // Makes the (hidden) window at once.
  explicit CDemImportDlg(wxWindow* parent);

  // Makes the hidden window with its controls, laid out in dialog units.
  // `parent` may be null: the Convert command gives none.
  bool Create(wxWindow* parent);

  // Converts the elevation file at `path` (XYZ text, or a raster in builds
  // with GDAL) into `path` + ".tga", or as `options` say, while this dialog
  // shows the progress; returns when it is written, cancelled or failed. After
  // a raster that was reprojected or had cells without data, an information
  // box says so.
  kem::RunOutcome convertdem(const wxString& path, const kem::ConvertOptions& options = {});

  // The same for tiles of one model, into one height map (ConvertElevationSet).
  kem::RunOutcome convertdem(const std::vector<wxString>& paths,
                             const kem::ConvertOptions& options = {});

  // What the conversion uses of its window.
  void Repaint() override;
  void SetProgress(const std::string& text, float percent) override;
  void DisableCancel() override;
  void ShowError(const std::string& caption, const std::string& text) override;
  bool PumpMessages() override;

  // Shows the status text in its control.
  bool TransferDataToWindow() override;

  // Every way of cancelling ends here: the Cancel button is disabled and the
  // cancel flag set; the window stays until the conversion has stopped.
  void OnCancel();

  // For tests: the controls and the shown status text.
  wxButton* GetCancelButton() const { return m_cancelButton; }
  wxGauge* GetProgressGauge() const { return m_progress; }
  // "42 %" beside the bar.
  wxString GetPercentText() const;
  const wxString& GetStatusText() const { return m_statusText; }

 private:
  void OnInitDialog(wxInitDialogEvent& event);
  void OnCancelButton(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);

  wxButton* m_cancelButton = nullptr;
  wxGauge* m_progress = nullptr;
  wxString m_statusText;
  wxStaticText* m_statusLabel = nullptr;
  wxStaticText* m_percentLabel = nullptr;
  bool m_pumpedOnce = false;
  std::chrono::steady_clock::time_point m_lastPump;
  bool m_lastPumpResult = true;
};

}  // namespace kem::app
