// Conversion of an ASCII XYZ elevation model into a 24-bit Targa height map
// (one pixel per 10 units, coarser grids filled in by linear interpolation).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/output_file.h"
#include "core/run_host.h"
#include "importer/grid_georeference.h"
#include "importer/import_host.h"

namespace kem {

// Output path of a conversion: the input path with ".tga" appended.
std::string DemOutputPath(const std::string& inputPath);

// A rectangle in the coordinates of the height map's grid: the data's own
// projected system, or the UTM zone that data in degrees is reprojected to.
struct ConvertArea {
  double xMin = 0;
  double yMin = 0;
  double xMax = 0;
  double yMax = 0;
};

// An area of whole boards centred on a point given in degrees (WGS 84).
struct ConvertAround {
  double latitude = 0;
  double longitude = 0;
  int boardCols = 1;
  int boardRows = 1;
};

// Choices of a conversion beyond its input.
struct ConvertOptions {
  std::string outputPath;  // the height map; empty for DemOutputPath(input)
  bool fitBoards = false;  // crop to whole boards (FitWholeBoards)
  // Threads that read XYZ text (0: one per core), and the bytes of text each
  // reads at a time (0: XyzScan's default). The height map, the messages and
  // the progress are the same for any of them.
  int threads = 0;
  std::size_t scanBlockBytes = 0;
  // Lets GDAL open VRT files and its virtual paths (/vsizip/, /vsicurl/, ...):
  // such a file can make GDAL read any other file, so only a user's
  // deliberate choice allows it. GDAL reaches no network even then.
  bool allowVirtual = false;
  // The coordinate system of XYZ text (which names none) as WKT, empty when
  // not known; a raster's own system comes first. Written to the sidecar.
  std::string crsWkt;
  // Filled by a conversion that wrote: where the height map lies.
  GridGeoreference* georeference = nullptr;
  // Each pixel the mean of the points or cells that fall into it rather than
  // the last point (XYZ) or a bilinear sample (rasters): for data finer than
  // the 10 m pixels, whose detail would otherwise alias.
  bool average = false;
  // Only this part of the data; refused when it reaches outside the data.
  std::optional<ConvertArea> area;
  // Only the boards around a point; needs data that knows its coordinate
  // system (a raster), as the point is in degrees.
  std::optional<ConvertAround> around;
};

// What a conversion did besides writing the height map.
struct ConvertReport {
  int utmZone = 0;                // 1 to 60 when reprojected from degrees, else 0
  bool utmNorth = true;           // the zone's hemisphere
  int epsg = 0;                   // the zone's EPSG code, when reprojected
  std::uint64_t filledCells = 0;  // pixels without data, filled from their neighbours
  // Of those, the cells whose heights were not finite or lay on no ground.
  std::uint64_t impossibleCells = 0;
  // Where the height map written lies (its coordinate system is empty for
  // XYZ text, which does not say).
  GridGeoreference georeference;
};

// The pixels of `boards` (columns x rows) whole boards, each side 72n + 4.
inline std::int64_t BoardPixels(int boards) {
  return std::int64_t{72} * boards + 4;
}

// The output path that `options` give for `inputPath`.
std::string OutputPathFor(const std::string& inputPath, const ConvertOptions& options);

// The message of a conversion asked to fit whole boards into a height map
// smaller than one board.
extern const char kSmallerThanABoard[];

// Converts the DEM at `path` into DemOutputPath(path) (a ReplacingFile),
// reporting progress and failures through `host`: it repaints the host, shows progress, tests the
// cancel flag and runs the message pump between units of work, and disables
// Cancel before it writes. On failure or cancel no output file is left behind
// and an existing file of that name is untouched.
RunOutcome convertdem(const std::string& path, ImportHost& host);

// The same, writing through the output that `createOutput` makes for
// DemOutputPath(path).
RunOutcome convertdem(const std::string& path, ImportHost& host,
                      const OutputFileFactory& createOutput);

// The same, with the output path and cropping that `options` give.
RunOutcome convertdem(const std::string& path, ImportHost& host,
                      const OutputFileFactory& createOutput, const ConvertOptions& options);

// The XYZ files at `paths` (tiles of one model) as one height map, exactly
// as one file that concatenates them in this order would convert; written
// at OutputPathFor(paths[0], options). Fills `report`'s georeference.
RunOutcome convertdem(const std::vector<std::string>& paths, ImportHost& host,
                      const OutputFileFactory& createOutput, const ConvertOptions& options,
                      ConvertReport& report);

}  // namespace kem
