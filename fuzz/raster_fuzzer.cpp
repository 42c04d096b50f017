// Elevation rasters through the kem-gdal module, in GDAL's memory files: the
// input's first byte picks the format (GeoTIFF bytes, ESRI ASCII grid text, or
// SRTM heights), the rest is the file. Whatever the bytes, the module refuses
// with one message or plans a grid within the limits and, when the grid is
// small, reads it into heights that all lie on the ground; nothing is read or
// written out of bounds. Large grids are only planned, so that runs stay quick.
#include <cpl_vsi.h>
#include <gdal.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "importer/gdal_raster.h"
#include "importer/import_limits.h"

namespace {

// Cells of the largest grid read: enough for warping and filling, small
// enough for many runs a second.
constexpr std::int64_t kMaxFuzzCells = 1 << 14;

// An SRTM tile of 3 arc-seconds: 1201 x 1201 big-endian 16-bit heights. Its
// grid is never small: only the opening and the planning are tried.
constexpr std::size_t kHgtSide = 1201;

// Writes `bytes` to the memory file `path`, replacing it.
void WriteMemoryFile(const char* path, const std::vector<std::uint8_t>& bytes) {
  VSILFILE* file = VSIFOpenL(path, "wb");
  kem::fuzz::Require(file != nullptr, "a memory file cannot be made");
  kem::fuzz::Require(VSIFWriteL(bytes.data(), 1, bytes.size(), file) == bytes.size(),
                     "a memory file cannot be written");
  VSIFCloseL(file);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kem;
  static const std::unique_ptr<GdalRasterReader> probe = [] {
    // GDAL keeps 5 % of the memory for blocks read: too much beside the
    // fuzzer's limit, and runs read only small rasters.
    GDALSetCacheMax64(std::int64_t{32} << 20);
    return NewGdalRasterReader();
  }();
  fuzz::Require(probe != nullptr, "the kem-gdal module does not load");
  if (size == 0) {
    return 0;
  }
  std::vector<std::uint8_t> bytes(data + 1, data + size);
  const char* path = "/vsimem/kem_fuzz/dem.tif";
  switch (data[0] % 3) {
    case 0:
      break;
    case 1:
      path = "/vsimem/kem_fuzz/dem.asc";
      break;
    default:
      // The tile's first heights, the rest without data (-32768).
      path = "/vsimem/kem_fuzz/N47E011.hgt";
      bytes.resize(std::min(bytes.size(), kHgtSide * kHgtSide * 2));
      bytes.reserve(kHgtSide * kHgtSide * 2);
      while (bytes.size() < kHgtSide * kHgtSide * 2) {
        bytes.push_back(bytes.size() % 2 == 0 ? 0x80 : 0x00);
      }
      break;
  }
  WriteMemoryFile(path, bytes);

  const std::unique_ptr<GdalRasterReader> reader = NewGdalRasterReader();
  fuzz::QuietImportHost host;
  GridSize grid;
  RasterReport report;
  if (!reader->Recognises(path)) {
    VSIUnlink(path);
    return 0;
  }
  const bool opened = reader->Open(path, false, host, grid, report);
  fuzz::Require(opened == (host.errors == 0), "an opening failed without a message, or after one");
  if (opened) {
    fuzz::Require(grid.cols >= 1 && grid.rows >= 1 && grid.cols * grid.rows <= kMaxImportCells,
                  "a planned grid is empty or beyond the limit");
  }
  if (opened && grid.cols * grid.rows <= kMaxFuzzCells) {
    std::vector<float> cells;
    const RunOutcome read = reader->Read(host, cells, report);
    fuzz::Require(read != RunOutcome::kCancelled, "a reading nobody cancelled was cancelled");
    fuzz::Require((read == RunOutcome::kWritten) == (host.errors == 0),
                  "a reading failed without a message, or went on after one");
    if (read == RunOutcome::kWritten) {
      fuzz::Require(cells.size() == static_cast<std::size_t>(grid.cols * grid.rows),
                    "the heights do not fill the planned grid");
      fuzz::Require(
          std::all_of(cells.begin(), cells.end(), [](float cell) { return IsGroundHeight(cell); }),
          "a height read is not on the ground");
      fuzz::Require(report.impossibleCells <= report.filledCells,
                    "more impossible cells than cells filled");
    }
  }
  VSIUnlink(path);
  return 0;
}
