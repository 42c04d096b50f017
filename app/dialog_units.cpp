#include "app/dialog_units.h"

#include <wx/window.h>

namespace kem::app {

int DialogUnitsToPixels(int units, int baseUnit, int divisor) {
  const long long product = static_cast<long long>(units) * baseUnit;
  const long long half = divisor / 2;
  return static_cast<int>(product >= 0 ? (product + half) / divisor : (product - half) / divisor);
}

int HorizontalBaseUnit(int lettersWidth) {
  return (lettersWidth / 26 + 1) / 2;
}

DialogUnits::DialogUnits(const wxWindow* window) {
  int width = 0;
  int height = 0;
  window->GetTextExtent("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", &width, &height);
  m_baseX = HorizontalBaseUnit(width);
  m_baseY = window->GetCharHeight();
#ifdef __WXGTK__
  // GTK's controls carry more padding than the controls the layouts were
  // drawn for; one pixel more across keeps every text whole.
  m_baseX += 1;
#endif
  if (m_baseX <= 0 || m_baseY <= 0) {
    m_baseX = 6;
    m_baseY = 13;
  }
}

wxPoint DialogUnits::Point(int x, int y) const {
  return wxPoint(DialogUnitsToPixels(x, m_baseX, 4), DialogUnitsToPixels(y, m_baseY, 8));
}

wxSize DialogUnits::Size(int width, int height) const {
  return wxSize(DialogUnitsToPixels(width, m_baseX, 4), DialogUnitsToPixels(height, m_baseY, 8));
}

wxRect DialogUnits::Rect(int x, int y, int width, int height) const {
  return wxRect(Point(x, y), Size(width, height));
}

}  // namespace kem::app
