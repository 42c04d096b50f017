// The order of the columns of XYZ text, read from the line of column names
// before its first number: "Y X Z", "lat lon h", "northing easting height"
// and the like name the columns in another order than x, y, z.
#pragma once

#include <string>
#include <string_view>

namespace kem {

struct XyzColumns {
  // Where, among the three numbers of a point, its x (east), y (north) and z
  // (height) stand.
  int x = 0;
  int y = 1;
  int z = 2;
  // The first point's line separates its numbers with semicolons: commas
  // are decimal points ("0,5;1;100").
  bool decimalComma = false;
};

// Reads the column order from `opening`, the first bytes of the text: the
// last line of names before the first number that names a column (x/y/z,
// east/north, easting/northing, lon/lat, long/lat, h/height/elevation, in any
// order, any case, quoted or not) decides. Lines of other words, and text
// without names, keep x, y, z. Returns false, with the refusal's text in
// `error`, when a line names columns but no order of the three (two
// columns, one named twice, a fourth). Also tells decimal commas.
bool ReadXyzColumns(std::string_view opening, XyzColumns& columns, std::string& error);

}  // namespace kem
