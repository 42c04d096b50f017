// Dialog units as the form's layout is given in: a quarter of the font's
// average letter width across, an eighth of its height down. The average is
// taken over the 52 letters A-Z and a-z, so that labels sized in dialog
// units hold their text in any font.
#pragma once

#include <wx/gdicmn.h>

class wxWindow;

namespace kem::app {

// `units` dialog units in pixels for a base unit of `baseUnit` pixels and a
// divisor of 4 (across) or 8 (down), rounded to the nearest pixel.
int DialogUnitsToPixels(int units, int baseUnit, int divisor);

// Base unit across from the pixel width of the 52 letters: half of
// (width / 26 + 1), in integers.
int HorizontalBaseUnit(int lettersWidth);

class DialogUnits {
 public:
  // Measures `window`'s font.
  explicit DialogUnits(const wxWindow* window);

  wxPoint Point(int x, int y) const;
  wxSize Size(int width, int height) const;
  wxRect Rect(int x, int y, int width, int height) const;

 private:
  int m_baseX;
  int m_baseY;
};

}  // namespace kem::app
