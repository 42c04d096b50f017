// Where a converted height map lies on Earth: the grid's coordinate system and
// the position of its top-left pixel. Every file written on the route's grid
// (height map, guides, graded map) carries it in a GDAL ".aux.xml" sidecar.
#pragma once

#include <string>

namespace kem {

struct GridGeoreference {
  // The coordinate system as WKT, empty when the data did not say (XYZ text
  // without --crs): then only the geotransform is known.
  std::string crsWkt;
  // Coordinates of the top-left corner of the top-left pixel (not its
  // centre), in the coordinate system's units; north up.
  double west = 0.0;
  double north = 0.0;
  // Pixel size in the same units: the converter's grid is 10 m.
  double pixelSize = 10.0;
  int width = 0;   // pixels
  int height = 0;  // pixels
};

}  // namespace kem
