// The main frame's Convert commands: Tools > Convert > "ASCII .XYZ DEM to
// 24-bit height map..." and "Elevation raster (GeoTIFF, ASCII grid, HGT...) to
// 24-bit height map...". Each picks a file and converts it under the importer
// dialog while the main window takes no input; the reader is chosen by the
// file's content.
#pragma once

#include <functional>
#include <vector>

#include <wx/string.h>

#include "importer/convert_dem.h"

namespace kem::app {

class CDemImportDlg;
class CMainFrame;

// Filter pairs of the command's file dialog. GTK matches patterns case by
// case, so the DEM entry lists the lower-case spelling too.
inline constexpr char kDemFileFilter[] = "ASCII .XYZ DEM Files (*.XYZ)|*.XYZ;*.xyz|All Files|*.*";
inline constexpr char kRasterFileFilter[] =
    "Elevation rasters (*.tif;*.asc;*.hgt;*.img)|*.tif;*.TIF;*.tiff;*.TIFF;*.asc;*.ASC;*.hgt;"
    "*.HGT;*.img;*.IMG|All Files|*.*";

// The file filter of the commands' file dialog. A build that reads rasters
// (`rasters`) lists all elevation files first, then the command's own
// formats (the rasters' for `rastersFirst`), the other ones and All Files;
// one that does not lists the XYZ files and All Files.
wxString ElevationFileFilter(bool rasters, bool rastersFirst);

// The whole command: a file dialog owned by `mainFrame` for an existing file,
// starting in the folder of the last one, with the checkbox that crops the
// height map to whole boards as it was left (both kept in the settings);
// when the user confirms one, RunDemImport on it.
// A written height map is named in the status bar, and the user is offered
// to make it the project's height map. Cancelling the file dialog ends the
// command with no importer window.
void RunDemImportCommand(CMainFrame* mainFrame);

// The same for an elevation raster, with the raster formats' file filter.
void RunRasterImportCommand(CMainFrame* mainFrame);

// Converts `path` (RunDemImport), names the height map written in the status
// bar and offers it as the project's height map.
void ConvertAndOffer(CMainFrame* mainFrame, const wxString& path,
                     const kem::ConvertOptions& options);

// The same for tiles of one model, converted into one height map.
void ConvertAndOffer(CMainFrame* mainFrame, const std::vector<wxString>& paths,
                     const kem::ConvertOptions& options);

// An elevation file dropped on the main window: ConvertAndOffer with the
// crop choice of the last conversion.
void ConvertDroppedFile(CMainFrame* mainFrame, const wxString& path);

// The command after the file is chosen: holds a run scope on `mainFrame` (may
// be null), shows the modeless importer dialog (no parent), converts `path`,
// destroys the dialog and ends the scope whatever the outcome. `onShown`, when given,
// runs with the shown dialog just before the conversion starts; `options`
// crop the height map to whole boards when asked.
kem::RunOutcome RunDemImport(CMainFrame* mainFrame, const wxString& path,
                             const std::function<void(CDemImportDlg&)>& onShown = {},
                             const kem::ConvertOptions& options = {});

// The same for tiles of one model, converted into one height map.
kem::RunOutcome RunDemImport(CMainFrame* mainFrame, const std::vector<wxString>& paths,
                             const std::function<void(CDemImportDlg&)>& onShown = {},
                             const kem::ConvertOptions& options = {});

}  // namespace kem::app
