// Column names: a line of names is split at white space, commas and
// semicolons, as the numbers are.
#include "importer/xyz_columns.h"

#include <cctype>
#include <vector>

#include "importer/xyz_reader.h"

namespace kem {
namespace {

enum Axis { kNone = -1, kX = 0, kY = 1, kZ = 2 };

bool IsNameSeparator(char c) {
  return c == ' ' || c == '\t' || c == '\v' || c == '\f' || c == ',' || c == ';';
}

Axis AxisOf(std::string name) {
  for (char& c : name) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  for (const char* x : {"x", "east", "easting", "e", "lon", "long", "longitude", "rechtswert"}) {
    if (name == x) {
      return kX;
    }
  }
  for (const char* y : {"y", "north", "northing", "n", "lat", "latitude", "hochwert"}) {
    if (name == y) {
      return kY;
    }
  }
  for (const char* z : {"z", "h", "height", "elevation", "elev", "alt", "altitude", "hoehe",
                        "h\xC3\xB6he", "\xC3\xB6he"}) {
    if (name == z) {
      return kZ;
    }
  }
  return kNone;
}

// The names of a line, quotes taken off.
std::vector<std::string> NamesOf(std::string_view line) {
  std::vector<std::string> names;
  std::string name;
  for (std::size_t i = 0; i <= line.size(); ++i) {
    if (i == line.size() || IsNameSeparator(line[i])) {
      if (!name.empty()) {
        names.push_back(name);
        name.clear();
      }
    } else if (line[i] != '"' && line[i] != '\'') {
      name += line[i];
    }
  }
  return names;
}

bool HoldsNumber(const std::vector<std::string>& names) {
  float value = 0.0f;
  for (const std::string& name : names) {
    if (ParseXyzNumber(name, value)) {
      return true;
    }
  }
  return false;
}

}  // namespace

bool ReadXyzColumns(std::string_view opening, XyzColumns& columns, std::string& error) {
  if (opening.substr(0, 3) == "\xEF\xBB\xBF") {
    opening.remove_prefix(3);
  }
  columns = XyzColumns();
  std::size_t start = 0;
  while (start < opening.size()) {
    std::size_t end = opening.find_first_of("\r\n", start);
    if (end == std::string_view::npos) {
      end = opening.size();
    }
    const std::string_view line = opening.substr(start, end - start);
    start = end + 1;
    const std::vector<std::string> names = NamesOf(line);
    if (names.empty() || names.front().front() == '#') {
      continue;
    }
    if (HoldsNumber(names)) {
      // The first point: no names after it.
      columns.decimalComma = line.find(';') != std::string_view::npos;
      break;
    }
    int named = 0;
    int place[3] = {-1, -1, -1};
    bool usable = names.size() == 3;
    for (std::size_t i = 0; i < names.size(); ++i) {
      const Axis axis = AxisOf(names[i]);
      if (axis == kNone) {
        usable = false;
        continue;
      }
      ++named;
      if (place[axis] >= 0) {
        usable = false;
      }
      place[axis] = static_cast<int>(i);
    }
    if (named == 0) {
      continue;  // other words: a title, names in another language
    }
    if (!usable) {
      error = "Error: the DEM file's column names \"" + std::string(line) +
              "\" name no order of the east, north and height columns.";
      return false;
    }
    columns = {place[kX], place[kY], place[kZ]};
  }
  return true;
}

}  // namespace kem
