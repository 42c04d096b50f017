// The GDAL auxiliary file ("NAME.aux.xml") that keeps a height map's place
// on Earth beside it: GDAL's Targa driver, and so QGIS, read the coordinate
// system and the geotransform from it. Writing and reading it needs no GDAL:
// it is a small XML file of GDAL's persistent auxiliary format.
#pragma once

#include <string>

#include "importer/grid_georeference.h"

namespace kem {

// The sidecar of the file at `mapPath`: the path with ".aux.xml" appended.
std::string GridSidecarPath(const std::string& mapPath);

// The sidecar's text: the coordinate system (left out when not known) and the
// geotransform of a north-up grid whose top-left pixel has its top-left
// corner at (west, north).
std::string GridSidecarXml(const GridGeoreference& georeference);

// Reads the coordinate system and the geotransform back from a sidecar's
// text (width and height are left as they are). False when it holds no
// north-up geotransform with square pixels.
bool ParseGridSidecar(const std::string& xml, GridGeoreference& georeference);

// Reads the sidecar of the file at `mapPath`, when there is one (at most a
// few megabytes are looked at). False when there is none or it does not
// parse.
bool ReadGridSidecar(const std::string& mapPath, GridGeoreference& georeference);

}  // namespace kem
