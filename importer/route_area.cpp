// The route's area, in the units of its coordinate system and in degrees.
#include "importer/route_area.h"

#include <cstdio>
#include <memory>

#include "core/board_selection.h"
#include "importer/gdal_raster.h"
#include "importer/grid_sidecar.h"

namespace kem {
namespace {

std::string Fixed(double value, int decimals) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", decimals, value);
  return text;
}

// Coordinates in a system's units to the centimetre; degrees to about a
// centimetre too.
std::string Coordinate(double value) {
  return Fixed(value, 2);
}
std::string Degrees(double value) {
  return Fixed(value, 7);
}

std::string JsonText(const std::string& text) {
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", static_cast<unsigned>(c));
      out += escaped;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

}  // namespace

RouteArea DescribeRouteArea(const GridGeoreference& georeference, int anchorCol, int anchorRow) {
  RouteArea area;
  area.georeference = georeference;
  const GridGeoreference& g = georeference;
  const BoardGrid grid = BoardGridOf(g.width, g.height);
  if (grid.FitsImage(g.width, g.height)) {
    area.boardCols = grid.cols;
    area.boardRows = grid.rows;
  }
  area.east = g.west + g.width * g.pixelSize;
  area.south = g.north - g.height * g.pixelSize;
  if (g.crsWkt.empty()) {
    return area;
  }
  const std::unique_ptr<GdalRasterReader> gdal = NewGdalRasterReader();
  if (!gdal) {
    return area;
  }
  std::string wkt;
  gdal->DescribeCrs(g.crsWkt, wkt, area.crsName);
  // The anchor board's south-west corner: boards advance 72 pixels from the
  // top-left pixel.
  if (anchorCol < 0 || anchorRow < 0) {
    anchorCol = area.boardCols > 0 ? area.boardCols - 1 : 0;
    anchorRow = area.boardRows > 0 ? area.boardRows - 1 : 0;
  }
  const int anchorBottom = area.boardRows > 0 ? (anchorRow + 1) * kBoardSide : g.height;
  double x[2] = {(g.west + area.east) / 2, g.west + anchorCol * kBoardSide * g.pixelSize};
  double y[2] = {(g.north + area.south) / 2, g.north - anchorBottom * g.pixelSize};
  if (gdal->ToLongitudeLatitude(g.crsWkt, 2, x, y)) {
    area.hasDegrees = true;
    area.centreLongitude = x[0];
    area.centreLatitude = y[0];
    area.anchorLongitude = x[1];
    area.anchorLatitude = y[1];
  }
  return area;
}

bool ReadRouteArea(const std::string& mapPath, int width, int height, int anchorCol, int anchorRow,
                   RouteArea& area) {
  GridGeoreference georeference;
  if (!ReadGridSidecar(mapPath, georeference)) {
    return false;
  }
  georeference.width = width;
  georeference.height = height;
  area = DescribeRouteArea(georeference, anchorCol, anchorRow);
  return true;
}

std::vector<std::string> RouteAreaLines(const RouteArea& area) {
  const GridGeoreference& g = area.georeference;
  std::vector<std::string> lines;
  std::string size =
      "Area: " + std::to_string(g.width) + " x " + std::to_string(g.height) + " pixels, ";
  size += area.boardCols > 0
              ? std::to_string(area.boardCols) + " x " + std::to_string(area.boardRows) + " boards"
              : "less than one board";
  lines.push_back(size);
  lines.push_back(
      "Coordinate system: " +
      (g.crsWkt.empty()
           ? std::string("not known (only the position is kept; give it with --crs)")
           : (area.crsName.empty() ? std::string("given (see the sidecar)") : area.crsName)));
  lines.push_back("Corners: west " + Coordinate(g.west) + ", north " + Coordinate(g.north) +
                  ", east " + Coordinate(area.east) + ", south " + Coordinate(area.south));
  if (area.hasDegrees) {
    lines.push_back("Centre: latitude " + Degrees(area.centreLatitude) + ", longitude " +
                    Degrees(area.centreLongitude));
    lines.push_back("Anchor board's south-west corner: latitude " + Degrees(area.anchorLatitude) +
                    ", longitude " + Degrees(area.anchorLongitude));
  }
  return lines;
}

std::string RouteAreaJson(const RouteArea& area) {
  const GridGeoreference& g = area.georeference;
  std::string json = "{\"width\": " + std::to_string(g.width) +
                     ", \"height\": " + std::to_string(g.height) +
                     ", \"pixelSize\": " + Fixed(g.pixelSize, 6) +
                     ", \"boardColumns\": " + std::to_string(area.boardCols) +
                     ", \"boardRows\": " + std::to_string(area.boardRows) + ", \"crs\": ";
  json += g.crsWkt.empty() ? "null" : JsonText(area.crsName);
  json += ", \"west\": " + Coordinate(g.west) + ", \"north\": " + Coordinate(g.north) +
          ", \"east\": " + Coordinate(area.east) + ", \"south\": " + Coordinate(area.south);
  if (area.hasDegrees) {
    json += ", \"centre\": {\"latitude\": " + Degrees(area.centreLatitude) +
            ", \"longitude\": " + Degrees(area.centreLongitude) +
            "}, \"anchorCorner\": {\"latitude\": " + Degrees(area.anchorLatitude) +
            ", \"longitude\": " + Degrees(area.anchorLongitude) + "}";
  } else {
    json += ", \"centre\": null, \"anchorCorner\": null";
  }
  return json + "}";
}

bool ResolveCrsDefinition(const std::string& definition, std::string& wkt, std::string& error) {
  const std::unique_ptr<GdalRasterReader> gdal = NewGdalRasterReader();
  if (!gdal) {
    error = "Error: a coordinate system (--crs) needs a build of Kem with GDAL.";
    return false;
  }
  std::string name;
  if (!gdal->DescribeCrs(definition, wkt, name)) {
    error = "Error: the coordinate system \"" + definition + "\" is not known.";
    return false;
  }
  return true;
}

}  // namespace kem
