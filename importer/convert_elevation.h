// The importer's front door: an elevation file of any format this build reads
// (XYZ text always; rasters through GDAL in builds with it) into a 24-bit
// Targa height map, the reader chosen by the file's content.
#pragma once

#include <string>

#include "importer/convert_dem.h"
#include "importer/import_host.h"
#include "importer/raster_import.h"

namespace kem {

// True when this build reads rasters through GDAL.
bool ReadsGdalRasters();

// Converts the elevation file at `path` as `options` say: a raster that GDAL
// recognises through ConvertRaster (filling `report`), anything else as XYZ
// text through convertdem. A build without GDAL refuses a file that is plainly
// not text, saying that other formats need a build with GDAL.
RunOutcome ConvertElevation(const std::string& path, ImportHost& host,
                            const ConvertOptions& options, RasterReport& report);

}  // namespace kem
