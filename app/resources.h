// The application's pictures: the main icon, the form's icons and the About
// box picture, compiled into the program.
#pragma once

#include <wx/bitmap.h>
#include <wx/iconbndl.h>

namespace kem::app {

// The main window's icon in 16, 32 and 48 pixels.
wxIconBundle AppIcons();

// A form picture by its resource number: 132 elevation data, 133 minimap,
// 134 texturing guide, 135 output, 136 filtering guide. An unknown number
// gives an empty bitmap.
wxBitmap FormIcon(int resource);

// The picture at the left of the About box (60 by 150 pixels).
wxBitmap AboutPicture();

}  // namespace kem::app
