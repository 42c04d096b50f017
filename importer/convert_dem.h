// Conversion of an ASCII XYZ elevation model into a 24-bit Targa height map
// (one pixel per 10 units, coarser grids filled in by linear interpolation).
#pragma once

#include <cstddef>
#include <string>

#include "core/output_file.h"
#include "core/run_host.h"
#include "importer/grid_georeference.h"
#include "importer/import_host.h"

namespace kem {

// Output path of a conversion: the input path with ".tga" appended.
std::string DemOutputPath(const std::string& inputPath);

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
};

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

}  // namespace kem
