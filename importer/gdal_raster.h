// What the kem-gdal module offers the importer: the GDAL side of converting an
// elevation raster. The module is a shared library of its own that the
// importer loads only when a raster is converted, so that no program pays at
// start-up for GDAL and the hundred libraries it brings.
#pragma once

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
  // format other than XYZ text.
  virtual bool Recognises(const std::string& path) = 0;

  // Opens the raster at `path` and plans the north-up grid of 10 m cells its
  // heights go onto: its size in `size` and, for a raster in degrees, the UTM
  // zone in `report`. Shows a refusal through `host` and returns false when
  // the raster cannot be read or placed.
  virtual bool Open(const std::string& path, ImportHost& host, GridSize& size,
                    RasterReport& report) = 0;

  // Brings band 1 of the open raster onto the grid, in metres: `cells`
  // becomes size.cols x size.rows heights, row by row from the north, with
  // the cells without data filled from their neighbours and counted in
  // `report`. Shows progress (0 to 75) through `host` and stops when it is
  // cancelled; shows a failure and returns kFailed. Throws std::bad_alloc
  // when the grid does not fit in memory.
  virtual RunOutcome Read(ImportHost& host, std::vector<float>& cells, RasterReport& report) = 0;
};

// Revision of the interface above; the module and the program must agree on
// it and on Kem's version.
inline constexpr int kGdalRasterRevision = 1;

// The module's one exported function, looked up by this name: a new reader
// (which the caller deletes), or null when the module was built for another
// `version` of Kem or another `revision` of the interface.
inline constexpr char kGdalRasterEntry[] = "KemNewGdalRasterReader";
using GdalRasterEntry = GdalRasterReader* (*)(const char* version, int revision);

}  // namespace kem
