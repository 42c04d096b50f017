#include "app/file_drop.h"

#include <wx/filename.h>

namespace kem::app {

bool IsElevationFileName(const wxString& path) {
  const wxString ext = wxFileName(path).GetExt().Lower();
  for (const char* known : {"xyz", "tif", "tiff", "asc", "hgt", "img"}) {
    if (ext == known) {
      return true;
    }
  }
  return false;
}

}  // namespace kem::app
