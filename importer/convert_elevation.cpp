// Choosing the reader of an elevation file by what it holds.
#include "importer/convert_elevation.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>

namespace kem {
namespace {

#ifndef KEM_WITH_GDAL
constexpr char kCaption[] = "RezozorUduzuvur.convertdem";
constexpr char kNeedsGdal[] =
    "Error: this build of Kem reads only XYZ text; other elevation formats (GeoTIFF, ASCII grid, "
    "HGT, ...) need a build with GDAL.";

// Bytes looked at to tell text from a raster.
constexpr std::size_t kSniffBytes = 4096;

// A regular file whose first bytes hold a NUL (binary rasters: GeoTIFF,
// .hgt, .img) or that starts as an ESRI ASCII grid does.
bool IsPlainlyRaster(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return false;
  }
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.c_str(), "rb"), std::fclose);
  if (!file) {
    return false;
  }
  char head[kSniffBytes];
  const std::size_t got = std::fread(head, 1, sizeof head, file.get());
  constexpr char kAsciiGrid[] = "ncols";
  const std::size_t gridTag = sizeof kAsciiGrid - 1;
  if (got >= gridTag) {
    bool grid = true;
    for (std::size_t i = 0; i < gridTag; ++i) {
      grid = grid && (head[i] | 0x20) == kAsciiGrid[i];
    }
    if (grid) {
      return true;
    }
  }
  return std::memchr(head, 0, got) != nullptr;
}
#endif

}  // namespace

bool ReadsGdalRasters() {
#ifdef KEM_WITH_GDAL
  return true;
#else
  return false;
#endif
}

ConvertResult ConvertElevation(const std::string& path, ImportHost& host,
                               const ConvertOptions& options, RasterReport& report) {
  report = RasterReport();
#ifdef KEM_WITH_GDAL
  if (IsGdalRaster(path)) {
    return ConvertRaster(path, host, CreateHeightMapOutput, options, report);
  }
#else
  if (IsPlainlyRaster(path)) {
    host.ShowError(kCaption, kNeedsGdal);
    return ConvertResult::kFailed;
  }
#endif
  return convertdem(path, host, CreateHeightMapOutput, options);
}

}  // namespace kem
