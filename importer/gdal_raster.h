// What the kem-gdal module offers the importer: the GDAL side of converting an
// elevation raster. The module is a shared library of its own that the
// importer loads only when a raster is converted, so that no program pays at
// start-up for GDAL and the hundred libraries it brings.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/run_host.h"
#include "importer/dem_grid.h"
#include "importer/import_host.h"
#include "importer/raster_import.h"

namespace kem {

class GdalRasterReader {
 public:
  virtual ~GdalRasterReader() = default;

  // True when GDAL recognises the regular file at `path` as a raster in a
  // format other than XYZ text: one of the formats Kem reads, or a VRT file
  // (which Open refuses unless allowed).
  virtual bool Recognises(const std::string& path) = 0;

  // Opens the raster at `path` and plans the north-up grid of 10 m cells its
  // heights go onto: its size in `size` and, for a raster in degrees, the UTM
  // zone in `report`. Only the formats Kem reads are tried, and GDAL reaches
  // no network; VRT files and GDAL's virtual paths (/vsi..., but for the
  // in-memory /vsimem/) are refused unless `allowVirtual`. Shows a refusal
  // through `host` and returns false when the raster cannot be read or
  // placed, or its grid would be too large or too coarse (import_limits.h).
  virtual bool Open(const std::string& path, bool allowVirtual, ImportHost& host, GridSize& size,
                    RasterReport& report) = 0;

  // The same for the tiles at `paths`, read as one mosaic (their own
  // coordinate system must be the same, else they are refused, named), with
  // `options`' area, boards around a point and resampling. Data in degrees
  // goes onto the largest north-up rectangle of its UTM zone inside its
  // footprint. Fills report.georeference for the whole grid.
  virtual bool OpenSet(const std::vector<std::string>& paths, const ConvertOptions& options,
                       ImportHost& host, GridSize& size, RasterReport& report) = 0;

  // Brings band 1 of the open raster onto the grid, in metres: `cells`
  // becomes size.cols x size.rows heights, row by row from the north, with
  // the cells without data filled from their neighbours and counted in
  // `report`; heights that are not finite or lie on no ground (import_limits.h)
  // are cells without data too, and counted apart. A raster whose data covers
  // less than kMinDataShare of the grid is refused. Shows progress (0 to 75) through `host` and
  // stops when it is cancelled; shows a failure and returns kFailed. Throws std::bad_alloc when the
  // grid does not fit in memory.
  virtual RunOutcome Read(ImportHost& host, std::vector<float>& cells, RasterReport& report) = 0;

  // Reads a coordinate system's definition, anything GDAL's SetFromUserInput
  // takes ("EPSG:25832", WKT, a PROJ string; no file or network is looked
  // at): its WKT in `wkt` and its name (with its EPSG code when it has one)
  // in `name`. False when GDAL does not know it, or it is no coordinate
  // system of the Earth's surface.
  virtual bool DescribeCrs(const std::string& definition, std::string& wkt, std::string& name) = 0;

  // Turns `count` points of the system `wkt`, x[i] east and y[i] north, into
  // WGS 84 longitudes (in x) and latitudes (in y), in degrees. False when
  // the system cannot be brought there.
  virtual bool ToLongitudeLatitude(const std::string& wkt, int count, double* x, double* y) = 0;
};

// Revision of the interface above; the module and the program must agree on
// it and on Kem's version.
inline constexpr int kGdalRasterRevision = 3;

// The module's one exported function, looked up by this name: a new reader
// (which the caller deletes), or null when the module was built for another
// `version` of Kem or another `revision` of the interface.
inline constexpr char kGdalRasterEntry[] = "KemNewGdalRasterReader";
using GdalRasterEntry = GdalRasterReader* (*)(const char* version, int revision);

// A new reader from the module, which is loaded the first time; null when
// this program has none (the programs' side, in raster_import.cpp).
std::unique_ptr<GdalRasterReader> NewGdalRasterReader();

}  // namespace kem
