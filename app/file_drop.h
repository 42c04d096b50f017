// Files dropped on a window from a file manager: the first of them is given
// to a handler, which says whether it took it.
#pragma once

#include <functional>

#include <wx/dnd.h>

namespace kem::app {

class FileDrop : public wxFileDropTarget {
 public:
  using Handler = std::function<bool(const wxString& path)>;
  explicit FileDrop(Handler handler) : m_handler(std::move(handler)) {}

  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    return !files.empty() && m_handler && m_handler(files[0]);
  }

 private:
  Handler m_handler;
};

// True when `path` names an elevation file the converter reads by its
// extension (XYZ text, GeoTIFF, ASCII grid, HGT, Erdas image).
bool IsElevationFileName(const wxString& path);

}  // namespace kem::app
