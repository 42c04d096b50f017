#include "app/resources.h"

#include <wx/icon.h>

namespace {
#include "app/res/about.xpm"
#include "app/res/icon_elevation.xpm"
#include "app/res/icon_filter.xpm"
#include "app/res/icon_minimap.xpm"
#include "app/res/icon_output.xpm"
#include "app/res/icon_texturing.xpm"
#include "app/res/kem_16.xpm"
#include "app/res/kem_32.xpm"
#include "app/res/kem_48.xpm"
}  // namespace

namespace kem::app {

wxIconBundle AppIcons() {
  wxIconBundle icons;
  icons.AddIcon(wxIcon(kem_16));
  icons.AddIcon(wxIcon(kem_32));
  icons.AddIcon(wxIcon(kem_48));
  return icons;
}

wxBitmap FormIcon(int resource) {
  switch (resource) {
    case 132:
      return wxBitmap(icon_elevation);
    case 133:
      return wxBitmap(icon_minimap);
    case 134:
      return wxBitmap(icon_texturing);
    case 135:
      return wxBitmap(icon_output);
    case 136:
      return wxBitmap(icon_filter);
    default:
      return wxBitmap();
  }
}

wxBitmap AboutPicture() {
  return wxBitmap(about);
}

}  // namespace kem::app
