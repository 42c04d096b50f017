// The importer's front door: an elevation file of any format this program
// reads (XYZ text always; rasters where the kem-gdal module is there) into a
// 24-bit Targa height map, the reader chosen by the file's content.
#pragma once

#include <string>

#include "importer/convert_dem.h"
#include "importer/import_host.h"
#include "importer/raster_import.h"

namespace kem {

// Converts the elevation file at `path` as `options` say: a raster that GDAL
// recognises through ConvertRaster (filling `report`), anything else as XYZ
// text through convertdem. Without the module it refuses a file that is
// plainly not text, or an ESRI ASCII grid, saying that other formats need a
// build with GDAL. A path that starts with /vsi, GDAL's virtual file systems,
// goes to GDAL when `options` allow virtual rasters and is refused otherwise.
RunOutcome ConvertElevation(const std::string& path, ImportHost& host,
                            const ConvertOptions& options, RasterReport& report);

}  // namespace kem
