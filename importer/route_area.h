// Where the route is: the area of a height map told in the numbers a route
// builder needs (its size in pixels and boards, the coordinate system, the
// corners, and where the system is known the latitude and longitude of its
// centre and of the anchor board's corner, for the simulator's geographic
// settings). The names and the degrees come from the kem-gdal module, which
// is loaded only for a height map whose coordinate system is known.
#pragma once

#include <string>
#include <vector>

#include "importer/grid_georeference.h"

namespace kem {

struct RouteArea {
  GridGeoreference georeference;
  int boardCols = 0;  // whole boards in the map (0 when under one board)
  int boardRows = 0;
  std::string crsName;  // empty when the system is not known or GDAL cannot name it
  // Corners of the map, in the system's units.
  double east = 0.0;
  double south = 0.0;
  // WGS 84 degrees, when the system is known and GDAL is there.
  bool hasDegrees = false;
  double centreLatitude = 0.0;
  double centreLongitude = 0.0;
  // The south-west corner of the anchor board: the last board of the grid
  // (its bottom-right board) when every board is generated.
  double anchorLatitude = 0.0;
  double anchorLongitude = 0.0;
};

// Works out the area of a height map that lies where `georeference` says,
// with the anchor board at (anchorCol, anchorRow) of the board grid; -1 for
// the last board of the grid.
RouteArea DescribeRouteArea(const GridGeoreference& georeference, int anchorCol = -1,
                            int anchorRow = -1);

// The area of the width x height height map at `mapPath`, when it has a
// sidecar (grid_sidecar.h); the anchor board as DescribeRouteArea takes it.
// False when it has none, or one that does not read.
bool ReadRouteArea(const std::string& mapPath, int width, int height, int anchorCol, int anchorRow,
                   RouteArea& area);

// The area as lines of text, for a conversion's result and a project's
// survey.
std::vector<std::string> RouteAreaLines(const RouteArea& area);

// The area as one JSON object.
std::string RouteAreaJson(const RouteArea& area);

// Turns a coordinate system's definition (--crs: "EPSG:25832", WKT, ...) into
// its WKT through the kem-gdal module. False, with the refusal's text in
// `error`, when the module is not there or does not know the definition.
bool ResolveCrsDefinition(const std::string& definition, std::string& wkt, std::string& error);

}  // namespace kem
