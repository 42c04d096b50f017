// How large and how coarse an elevation model the importer takes, shared by
// the XYZ conversion and the kem-gdal module (which links none of the
// importer's code: everything here is inline). Both are checked before the
// grid is allocated, so that a file of a few bytes cannot ask for gigabytes.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>

#include "core/layout_file.h"
#include "core/targa_source.h"

namespace kem {

// The most pixels any layout reads: each of its boards reads one 76 x 76
// window of the height map. A larger map holds pixels no layout can use.
inline constexpr std::int64_t kMaxImportCells =
    std::int64_t{kMaxLayoutBoards} * kWindowPixels;  // 100571712

// The coarsest cells taken, as a multiple of the height map's 10 m: cells of
// a kilometre and more are no terrain model for a route, and filling them in
// only multiplies the pixels.
inline constexpr double kMaxUpsampling = 100;

// Heights beyond this many metres, up or down, lie on no ground on Earth:
// they are markers or damage, and are taken as cells without data.
inline constexpr double kMaxGroundMetres = 20000;

// True when `height` (in metres) can be a height on the ground.
inline bool IsGroundHeight(double height) {
  return height >= -kMaxGroundMetres && height <= kMaxGroundMetres;
}

// The least share of a raster's grid that its data must cover: the rest is
// filled from it, and a few cells spread over a whole map are no terrain.
inline constexpr double kMinDataShare = 0.01;

inline std::string ImportGridTooLargeMessage(std::int64_t cols, std::int64_t rows) {
  return "Error: the DEM would make a height map of " + std::to_string(cols) + " x " +
         std::to_string(rows) + " pixels (" + std::to_string(cols * rows) + "), more than the " +
         std::to_string(kMaxImportCells) + " that the largest layout (" +
         std::to_string(kMaxLayoutBoards) + " boards of 76 x 76 pixels) reads.";
}

// `factor`: the DEM's cell size divided by the height map's 10 m.
inline std::string ImportTooCoarseMessage(double factor) {
  const auto whole = [](double value) {
    char text[400];  // the widest double printed whole
    std::snprintf(text, sizeof text, "%.0f", std::trunc(value));
    return std::string(text);
  };
  return "Error: the DEM's cells are " + whole(factor * 10) + " m across, " + whole(factor) +
         " times the height map's 10 m; cells more than " + whole(kMaxUpsampling * 10) +
         " m across (" + whole(kMaxUpsampling) + " times) are too coarse for a route.";
}

// `covered` of `cells` hold data, less than kMinDataShare of them.
inline std::string ImportTooLittleDataMessage(std::int64_t covered, std::int64_t cells) {
  const double percent = 100.0 * static_cast<double>(covered) / static_cast<double>(cells);
  char share[32];
  std::snprintf(share, sizeof share, "%.3g%%", percent);
  return "Error: the elevation raster's data covers only " + std::string(share) + " of its area (" +
         std::to_string(covered) + " of " + std::to_string(cells) + " cells); at least " +
         std::to_string(static_cast<int>(kMinDataShare * 100)) +
         "% must hold heights for the rest to be filled from them.";
}

// The area asked for reaches `beyond` units outside the data's rectangle
// (minX, minY)-(maxX, maxY), or is empty (`beyond` not over 0).
inline std::string AreaOutsideDataMessage(double beyond, double minX, double minY, double maxX,
                                          double maxY) {
  char text[600];
  if (beyond > 0) {
    std::snprintf(text, sizeof text,
                  "Error: the area asked for reaches %.1f m outside the data, which covers "
                  "%.1f,%.1f to %.1f,%.1f.",
                  beyond, minX, minY, maxX, maxY);
  } else {
    std::snprintf(text, sizeof text,
                  "Error: the area asked for is empty; give XMIN,YMIN,XMAX,YMAX with XMIN < XMAX "
                  "and YMIN < YMAX.");
  }
  return text;
}

}  // namespace kem
