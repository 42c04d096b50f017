// The importer's front door: an elevation file of any format this program
// reads (XYZ text always; rasters where the kem-gdal module is there) into a
// 24-bit Targa height map, the reader chosen by the file's content.
#pragma once

#include <string>
#include <vector>

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

// Converts the tiles at `paths` into one height map at
// OutputPathFor(paths[0], options): XYZ text together (as one file that
// concatenates them), rasters together (as one mosaic). One path converts as
// ConvertElevation does. A set that mixes XYZ text and rasters is refused.
RunOutcome ConvertElevationSet(const std::vector<std::string>& paths, ImportHost& host,
                               const ConvertOptions& options, RasterReport& report);

// The elevation files in the folder at `path`, by name: the files whose
// extension is one of the formats Kem reads. Empty when there are none or it
// is no folder.
std::vector<std::string> ElevationFilesIn(const std::string& path);

}  // namespace kem
