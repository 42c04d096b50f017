// Conversion of an elevation raster in any format the GDAL library reads
// (GeoTIFF, ESRI ASCII grid, SRTM .hgt, Erdas .img, ...) into the same 24-bit
// Targa height map as the XYZ conversion: 10 m pixels, north up, heights in
// metres, coded exactly as XYZ heights are. GDAL is reached through the
// kem-gdal module (builds with KEM_WITH_GDAL), loaded the first time it is
// asked for.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "importer/convert_dem.h"
#include "importer/grid_georeference.h"
#include "importer/height_map_writer.h"
#include "importer/import_host.h"

namespace kem {

// What a raster conversion did to the heights besides resampling them.
using RasterReport = ConvertReport;

// True when the kem-gdal module is there and loads: this program reads
// rasters through GDAL.
bool ReadsGdalRasters();

// True when `path` is a regular file that GDAL recognises as a raster in a
// format other than XYZ text (which the XYZ conversion reads itself); false
// when ReadsGdalRasters() is.
bool IsGdalRaster(const std::string& path);

// Converts band 1 of the raster at `path` into the height map that `options`
// name, written through `createOutput`, reporting progress and failures
// through `host` as the XYZ conversion does (GDAL's progress feeds the same
// texts, and Cancel stops it). The heights are taken in metres, or in feet when
// the raster says so. A raster in a projected or in no coordinate system
// (taken as metres) is resampled bilinearly to 10 m pixels, north up; one in
// degrees is reprojected to the UTM zone of its centre, reported in `report`.
// Cells without data are filled from their neighbours and counted in
// `report`; a raster with no data at all is refused. On failure or cancel no
// output file is left behind. Needs ReadsGdalRasters().
RunOutcome ConvertRaster(const std::string& path, ImportHost& host,
                         const OutputFileFactory& createOutput, const ConvertOptions& options,
                         RasterReport& report);

// The same for the tiles at `paths`, one mosaic in one coordinate system,
// written at OutputPathFor(paths[0], options); `options` may choose an area
// and averaging.
RunOutcome ConvertRaster(const std::vector<std::string>& paths, ImportHost& host,
                         const OutputFileFactory& createOutput, const ConvertOptions& options,
                         RasterReport& report);

}  // namespace kem
