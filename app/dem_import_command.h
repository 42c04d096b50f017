// The main frame's Convert command: Tools > Convert > "ASCII .XYZ DEM to
// 24-bit height map...". Picks a DEM file and converts it under the importer
// dialog while the main window takes no input.
#pragma once

#include <functional>

#include <wx/string.h>

#include "importer/convert_dem.h"

namespace kem::app {

class CDemImportDlg;
class CMainFrame;

// Filter pairs of the command's file dialog. GTK matches patterns case by
// case, so the DEM entry lists the lower-case spelling too.
inline constexpr char kDemFileFilter[] = "ASCII .XYZ DEM Files (*.XYZ)|*.XYZ;*.xyz|All Files|*.*";

// The whole command: a file dialog owned by `mainFrame` for an existing file,
// starting in the folder of the last one; when the user confirms one,
// RunDemImport on it. A written height map is named in the status bar, and
// the user is offered to make it the project's height map. Cancelling the
// file dialog ends the command with no importer window.
void RunDemImportCommand(CMainFrame* mainFrame);

// The command after the file is chosen: holds a run scope on `mainFrame` (may
// be null), shows the modeless importer dialog (no parent), converts `path`,
// destroys the dialog and ends the scope whatever the outcome. `onShown`, when given,
// runs with the shown dialog just before the conversion starts.
kem::RunOutcome RunDemImport(CMainFrame* mainFrame, const wxString& path,
                             const std::function<void(CDemImportDlg&)>& onShown = {});

}  // namespace kem::app
