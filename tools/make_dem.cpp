// Writes a synthetic ASCII XYZ elevation model for the benchmarks: a regular
// grid listed row by row from north to south, each row from west to east, one
// "x y z" line per point (the layout GIS tools export and GDAL's XYZ reader
// takes).
//
//   kem-make-dem --points COLSxROWS --spacing UNITS --out FILE
//
// Coordinates are whole units from an easting of 400000 and a northing of
// 5600000; heights have two decimals and roll between about 100 and 900.
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr long kEasting = 400000;
constexpr long kNorthing = 5600000;

double Terrain(double u, double v) {
  return 500 + 250 * std::sin(2 * kPi * (1.3 * u + 0.2)) * std::cos(2 * kPi * 0.9 * v) +
         120 * std::sin(2 * kPi * (3.1 * u + 2.3 * v)) + 25 * std::cos(2 * kPi * 17.0 * v);
}

int Usage() {
  std::fprintf(stderr, "usage: kem-make-dem --points COLSxROWS --spacing UNITS --out FILE\n");
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  long cols = 0;
  long rows = 0;
  long spacing = 0;
  std::string out;
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--points") == 0) {
      if (std::sscanf(argv[i + 1], "%ldx%ld", &cols, &rows) != 2) {
        return Usage();
      }
    } else if (std::strcmp(argv[i], "--spacing") == 0) {
      spacing = std::strtol(argv[i + 1], nullptr, 10);
    } else if (std::strcmp(argv[i], "--out") == 0) {
      out = argv[i + 1];
    } else {
      return Usage();
    }
  }
  if (cols <= 0 || rows <= 0 || spacing <= 0 || out.empty()) {
    return Usage();
  }
  std::FILE* file = std::fopen(out.c_str(), "wb");
  if (file == nullptr) {
    std::perror(out.c_str());
    return 1;
  }
  std::vector<char> line(64);
  std::string block;
  block.reserve(1 << 20);
  for (long row = rows - 1; row >= 0; --row) {
    for (long col = 0; col < cols; ++col) {
      const double z = Terrain(static_cast<double>(col) / cols, static_cast<double>(row) / rows);
      char* p = line.data();
      char* end = line.data() + line.size();
      p = std::to_chars(p, end, kEasting + col * spacing).ptr;
      *p++ = ' ';
      p = std::to_chars(p, end, kNorthing + row * spacing).ptr;
      *p++ = ' ';
      p = std::to_chars(p, end, z, std::chars_format::fixed, 2).ptr;
      *p++ = '\n';
      block.append(line.data(), p);
    }
    if (block.size() > (1u << 19)) {
      std::fwrite(block.data(), 1, block.size(), file);
      block.clear();
    }
  }
  std::fwrite(block.data(), 1, block.size(), file);
  if (std::fclose(file) != 0) {
    std::perror(out.c_str());
    return 1;
  }
  return 0;
}
