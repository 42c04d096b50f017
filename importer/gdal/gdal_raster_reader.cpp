// The kem-gdal module: elevation rasters through GDAL. Opens a raster, brings
// its heights onto a north-up grid of 10 m cells in memory (read as they are
// when they already lie so, warped otherwise) and fills the cells without
// data; the importer writes them with the height coding of the XYZ
// conversion.
#include <cpl_conv.h>
#include <cpl_error.h>
#include <cpl_string.h>
#include <gdal.h>
#include <gdal_alg.h>
#include <gdal_utils.h>
#include <gdalwarper.h>
#include <ogr_spatialref.h>
#include <ogr_srs_api.h>
#include <strings.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <limits>
#include <memory>
#include <mutex>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

#include "core/float_conversion.h"
#include "generated/version.h"
#include "importer/dem_grid.h"
#include "importer/gdal_raster.h"
#include "importer/import_limits.h"
#include "importer/import_messages.h"

#if defined(_WIN32)
#define KEM_MODULE_EXPORT __declspec(dllexport)
#else
#define KEM_MODULE_EXPORT __attribute__((visibility("default")))
#endif

namespace kem {
namespace {

constexpr char kCannotRead[] = "Error: the elevation raster could not be read.";
constexpr char kNoCellSize[] =
    "Error: the elevation raster does not say where its cells lie or how large they are.";
constexpr char kCannotReproject[] =
    "Error: the elevation raster could not be reprojected to UTM coordinates in metres.";
constexpr char kCannotPlacePoint[] =
    "Error: the point given with --around could not be placed in the elevation data's "
    "coordinate system.";
constexpr char kAllNoData[] =
    "Error: the elevation raster holds no heights: every cell is "
    "marked as having no data.";

// The board's grid: one pixel per 10 m.
constexpr double kCellMetres = 10.0;
constexpr double kFootMetres = 0.3048;
constexpr double kUsSurveyFootMetres = 1200.0 / 3937.0;
// How far a pixel size may stray from 10 m and still be read as it is.
constexpr double kSameSize = 1e-9;
// How far over a whole number of cells an extent may reach before another
// cell is added for it.
constexpr double kWholeCells = 1e-6;
// How far, in cells, the filling from neighbours looks for data; cells
// further away are filled first from a pyramid of the data, in time that does
// not grow with the distance.
constexpr double kFillReach = 100;
// Rows of the grid whose cells without data GDAL fills at a time.
constexpr std::int64_t kFillBandRows = 1024;
constexpr int kUtmNorthEpsg = 32600;
constexpr int kUtmSouthEpsg = 32700;

// Progress steps: reading or warping, filling, writing.
constexpr double kReadFrom = 0.0;
constexpr double kFillFrom = 50.0;
constexpr double kWriteFrom = 75.0;
constexpr double kPhaseSpan = 25.0;

// The formats Kem reads heights from. Others are not tried: among them VRT,
// whose text can point a band at any file or web address, and the drivers
// that fetch from servers.
constexpr const char* kReadDrivers[] = {"GTiff",   "AAIGrid", "GRASSASCIIGrid", "SRTMHGT", "HFA",
                                        "USGSDEM", "DTED",    "EHdr",           "BT",      "GSAG",
                                        "GSBG",    "GS7BG",   nullptr};
// The same with VRT, for a user who allows it.
constexpr const char* kReadDriversAndVrt[] = {
    "GTiff", "AAIGrid", "GRASSASCIIGrid", "SRTMHGT", "HFA",   "USGSDEM", "DTED",
    "EHdr",  "BT",      "GSAG",           "GSBG",    "GS7BG", "VRT",     nullptr};

char** DriverList(const char* const* names) {
  return const_cast<char**>(names);
}

// GDAL's own paths start so; /vsimem/ is memory of this process alone.
bool IsVirtualPath(const std::string& path) {
  return path.rfind("/vsi", 0) == 0 && path.rfind("/vsimem/", 0) != 0;
}

// Keeps GDAL off the network: no web file system opens a name, and PROJ
// fetches no grids. Set again for each raster, as the options are the
// process's.
void KeepOffTheNetwork() {
  CPLSetConfigOption("CPL_VSIL_CURL_ALLOWED_FILENAME", "/kem/no-network");
  CPLSetConfigOption("GDAL_HTTP_MAX_RETRY", "0");
  OSRSetPROJEnableNetwork(FALSE);
}

struct DatasetCloser {
  void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, DatasetCloser>;

struct SrsReleaser {
  void operator()(OGRSpatialReferenceH srs) const { OSRRelease(srs); }
};
using Srs = std::unique_ptr<std::remove_pointer_t<OGRSpatialReferenceH>, SrsReleaser>;

// Reads a coordinate system's definition held in the text itself or in
// PROJ's database: no file is opened and no web address reached for it.
bool ReadCrs(OGRSpatialReferenceH srs, const std::string& definition) {
  return OGRSpatialReference::FromHandle(srs)->SetFromUserInput(
             definition.c_str(), OGRSpatialReference::SET_FROM_USER_INPUT_LIMITATIONS_get()) ==
         OGRERR_NONE;
}

// Keeps GDAL's own messages off the screen while it lives: the conversion
// shows its own.
class QuietGdal {
 public:
  QuietGdal() { CPLPushErrorHandler(CPLQuietErrorHandler); }
  ~QuietGdal() { CPLPopErrorHandler(); }
  QuietGdal(const QuietGdal&) = delete;
  QuietGdal& operator=(const QuietGdal&) = delete;
};

void RegisterGdal() {
  static std::once_flag once;
  std::call_once(once, [] { GDALAllRegister(); });
}

// GDAL's progress callback in front of the host: shows `text` with GDAL's
// fraction mapped onto [from, from + span], and stops GDAL when the user
// cancels. The host hears of each whole percent once.
class ProgressBridge {
 public:
  ProgressBridge(ImportHost& host, const char* text, double from, double span)
      : host_(host), text_(text), from_(from), span_(span) {}

  static int CPL_STDCALL Report(double complete, const char*, void* data) {
    auto* self = static_cast<ProgressBridge*>(data);
    const double percent = self->from_ + self->span_ * std::clamp(complete, 0.0, 1.0);
    if (TruncateToInt32(percent) != self->shown_) {
      self->shown_ = TruncateToInt32(percent);
      self->host_.SetProgress(self->text_, static_cast<float>(percent));
    }
    if (self->host_.IsCancelled()) {
      self->cancelled_ = true;
      return FALSE;
    }
    self->host_.PumpMessages();
    return TRUE;
  }

  bool Cancelled() const { return cancelled_; }

 private:
  ImportHost& host_;
  const char* text_;
  double from_;
  double span_;
  int shown_ = -1;
  bool cancelled_ = false;
};

// Metres per unit of the heights, from the unit the band declares.
double HeightUnitMetres(GDALRasterBandH band) {
  const char* unit = GDALGetRasterUnitType(band);
  if (unit == nullptr) {
    return 1.0;
  }
  for (const char* name : {"us-ft", "ftUS", "US survey foot", "US foot", "foot_us"}) {
    if (strcasecmp(unit, name) == 0) {
      return kUsSurveyFootMetres;
    }
  }
  for (const char* name : {"ft", "foot", "feet", "international foot"}) {
    if (strcasecmp(unit, name) == 0) {
      return kFootMetres;
    }
  }
  return 1.0;
}

// Cells that cover `extent` units at `size` units each (at least one); -1
// when more than a height map holds or not a number.
std::int64_t CellsOver(double extent, double size) {
  const double cells = std::ceil(extent / size - kWholeCells);
  if (!(cells <= static_cast<double>(kMaxGridSide))) {
    return -1;
  }
  return cells < 1 ? 1 : TruncateToInt64(cells);
}

// The north-up grid of 10 m cells the heights are brought onto.
struct TargetGrid {
  std::int64_t cols = 0;
  std::int64_t rows = 0;
  double geoTransform[6] = {0, 1, 0, 0, 0, -1};
  Srs srs;              // null: the source's own system, or none
  bool direct = false;  // the source's cells are the grid's: read, not warped
};

class Reader : public GdalRasterReader {
 public:
  ~Reader() override {
    QuietGdal quiet;
    source_.reset();
    tiles_.clear();
  }

  bool Recognises(const std::string& path) override {
    QuietGdal quiet;
    RegisterGdal();
    KeepOffTheNetwork();
    // Identifying reads only the file's opening, VRT's included.
    return GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, DriverList(kReadDriversAndVrt),
                                nullptr) != nullptr;
  }

  bool Open(const std::string& path, bool allowVirtual, ImportHost& host, GridSize& size,
            RasterReport& report) override {
    ConvertOptions options;
    options.allowVirtual = allowVirtual;
    return OpenSet({path}, options, host, size, report);
  }

  bool OpenSet(const std::vector<std::string>& paths, const ConvertOptions& options,
               ImportHost& host, GridSize& size, RasterReport& report) override {
    QuietGdal quiet;
    host_ = &host;
    report_ = &report;
    options_ = options;
    RegisterGdal();
    KeepOffTheNetwork();
    const char* const* drivers = options.allowVirtual ? kReadDriversAndVrt : kReadDrivers;
    for (const std::string& path : paths) {
      if (!options.allowVirtual && (IsVirtualPath(path) || IsVrt(path))) {
        Fail(kImportVirtualRefused);
        return false;
      }
      Dataset tile(GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, DriverList(drivers),
                              nullptr, nullptr));
      if (!tile || GDALGetRasterCount(tile.get()) < 1) {
        Fail(paths.size() == 1 ? std::string(kCannotRead) : CannotReadTile(path));
        return false;
      }
      tiles_.push_back(std::move(tile));
    }
    std::string problem;
    if (tiles_.size() == 1) {
      source_ = std::move(tiles_.front());
      tiles_.clear();
    } else {
      problem = Mosaic(paths);
    }
    if (problem.empty()) {
      band_ = GDALGetRasterBand(source_.get(), 1);
      problem = GDALGetGeoTransform(source_.get(), sourceTransform_) != CE_None ? kNoCellSize
                                                                                : PlanGrid();
    }
    if (problem.empty() && grid_.cols * grid_.rows > kMaxImportCells) {
      problem = ImportGridTooLargeMessage(grid_.cols, grid_.rows);
    }
    if (!problem.empty()) {
      Fail(problem);
      return false;
    }
    size = {grid_.cols, grid_.rows};
    Georeference();
    return true;
  }

  bool DescribeCrs(const std::string& definition, std::string& wkt, std::string& name) override {
    QuietGdal quiet;
    KeepOffTheNetwork();
    Srs srs(OSRNewSpatialReference(nullptr));
    if (definition.empty() || !ReadCrs(srs.get(), definition) ||
        !(OSRIsProjected(srs.get()) || OSRIsGeographic(srs.get()))) {
      return false;
    }
    char* text = nullptr;
    if (OSRExportToWkt(srs.get(), &text) != OGRERR_NONE || text == nullptr) {
      CPLFree(text);
      return false;
    }
    wkt = text;
    CPLFree(text);
    const char* own = OSRGetName(srs.get());
    name = own != nullptr ? own : "";
    OSRAutoIdentifyEPSG(srs.get());
    const char* authority = OSRGetAuthorityName(srs.get(), nullptr);
    const char* code = OSRGetAuthorityCode(srs.get(), nullptr);
    if (authority != nullptr && code != nullptr && strcasecmp(authority, "EPSG") == 0) {
      name += std::string(name.empty() ? "" : " ") + "(EPSG:" + code + ")";
    }
    return true;
  }

  bool ToLongitudeLatitude(const std::string& wkt, int count, double* x, double* y) override {
    QuietGdal quiet;
    KeepOffTheNetwork();
    Srs from(OSRNewSpatialReference(nullptr));
    if (!ReadCrs(from.get(), wkt)) {
      return false;
    }
    OSRSetAxisMappingStrategy(from.get(), OAMS_TRADITIONAL_GIS_ORDER);
    Srs wgs84(OSRNewSpatialReference(nullptr));
    OSRSetWellKnownGeogCS(wgs84.get(), "WGS84");
    OSRSetAxisMappingStrategy(wgs84.get(), OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH transform =
        OCTNewCoordinateTransformation(from.get(), wgs84.get());
    const bool done = transform != nullptr && OCTTransform(transform, count, x, y, nullptr);
    OCTDestroyCoordinateTransformation(transform);
    return done && std::all_of(x, x + count, [](double v) { return std::isfinite(v); }) &&
           std::all_of(y, y + count, [](double v) { return std::isfinite(v); });
  }

  RunOutcome Read(ImportHost& host, std::vector<float>& cells, RasterReport& report) override {
    QuietGdal quiet;
    host_ = &host;
    report_ = &report;
    cells_ = &cells;
    cells.assign(static_cast<std::size_t>(grid_.cols * grid_.rows),
                 std::numeric_limits<float>::quiet_NaN());
    const RunOutcome read = grid_.direct && !options_.area ? ReadDirect() : Warp();
    if (read != RunOutcome::kWritten) {
      return read;
    }
    ToMetres();
    return FillNoData();
  }

 private:
  RunOutcome Fail(const std::string& text) {
    host_->ShowError(kImportCaption, text);
    return RunOutcome::kFailed;
  }

  static bool IsVrt(const std::string& path) {
    constexpr const char* kVrt[] = {"VRT", nullptr};
    return GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, DriverList(kVrt), nullptr) != nullptr;
  }

  // Chooses the grid of 10 m cells. Returns the message of a refusal, or an
  // empty one.
  std::string PlanGrid() {
    const OGRSpatialReferenceH srs = GDALGetSpatialRef(source_.get());
    if (srs != nullptr && OSRIsGeographic(srs)) {
      return PlanUtmGrid(srs);
    }
    // Projected, or no system at all (taken as metres, as XYZ text is).
    const double unitMetres = srs != nullptr ? OSRGetLinearUnits(srs, nullptr) : 1.0;
    if (!(unitMetres > 0)) {
      return kNoCellSize;
    }
    // The longer side of a source cell, however the raster is turned.
    const double* c = sourceTransform_;
    const double cellMetres = std::max(std::hypot(c[1], c[4]), std::hypot(c[2], c[5])) * unitMetres;
    if (!std::isfinite(cellMetres)) {
      return kNoCellSize;
    }
    if (cellMetres > kCellMetres * kMaxUpsampling) {
      return ImportTooCoarseMessage(cellMetres / kCellMetres);
    }
    const double size = kCellMetres / unitMetres;  // a cell in the system's units
    const double* t = sourceTransform_;
    const auto width = GDALGetRasterXSize(source_.get());
    const auto height = GDALGetRasterYSize(source_.get());
    if (!options_.area && !options_.around && t[2] == 0 && t[4] == 0 &&
        std::fabs(t[1] - size) <= kSameSize * size && std::fabs(t[5] + size) <= kSameSize * size) {
      grid_.direct = true;
      grid_.cols = width;
      grid_.rows = height;
      std::copy(t, t + 6, grid_.geoTransform);
      return grid_.cols > kMaxGridSide || grid_.rows > kMaxGridSide ? kImportTooLarge : "";
    }
    // The bounds of the four corners, whatever way the raster is turned.
    double minX = std::numeric_limits<double>::infinity();
    double maxX = -minX;
    double minY = minX;
    double maxY = -minX;
    for (const auto& [px, py] :
         {std::pair<double, double>{0, 0}, {width, 0}, {0, height}, {width, height}}) {
      const double x = t[0] + px * t[1] + py * t[2];
      const double y = t[3] + px * t[4] + py * t[5];
      minX = std::min(minX, x);
      maxX = std::max(maxX, x);
      minY = std::min(minY, y);
      maxY = std::max(maxY, y);
    }
    return ChooseGrid(minX, maxX, minY, maxY, size);
  }

  // A raster in degrees goes to the UTM zone of its centre.
  std::string PlanUtmGrid(OGRSpatialReferenceH srs) {
    const double* t = sourceTransform_;
    const double px = GDALGetRasterXSize(source_.get()) / 2.0;
    const double py = GDALGetRasterYSize(source_.get()) / 2.0;
    double x = t[0] + px * t[1] + py * t[2];
    double y = t[3] + px * t[4] + py * t[5];
    Srs wgs84(OSRNewSpatialReference(nullptr));
    OSRSetWellKnownGeogCS(wgs84.get(), "WGS84");
    OSRSetAxisMappingStrategy(wgs84.get(), OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH toLonLat = OCTNewCoordinateTransformation(srs, wgs84.get());
    const bool centred = toLonLat != nullptr && OCTTransform(toLonLat, 1, &x, &y, nullptr);
    OCTDestroyCoordinateTransformation(toLonLat);
    if (!centred || !std::isfinite(x) || !std::isfinite(y)) {
      return kCannotReproject;
    }
    const double lon = std::remainder(x, 360.0);  // -180 to 180
    report_->utmZone = std::clamp(TruncateToInt32(std::floor((lon + 180.0) / 6.0)) + 1, 1, 60);
    report_->utmNorth = y >= 0;
    report_->epsg = (report_->utmNorth ? kUtmNorthEpsg : kUtmSouthEpsg) + report_->utmZone;
    grid_.srs.reset(OSRNewSpatialReference(nullptr));
    if (OSRImportFromEPSG(grid_.srs.get(), report_->epsg) != OGRERR_NONE) {
      return kCannotReproject;
    }
    OSRSetAxisMappingStrategy(grid_.srs.get(), OAMS_TRADITIONAL_GIS_ORDER);
    char* wkt = nullptr;
    OSRExportToWkt(grid_.srs.get(), &wkt);
    char** transformerOptions = CSLSetNameValue(nullptr, "DST_SRS", wkt);
    CPLFree(wkt);
    void* transformer =
        GDALCreateGenImgProjTransformer2(source_.get(), nullptr, transformerOptions);
    CSLDestroy(transformerOptions);
    if (transformer == nullptr) {
      return kCannotReproject;
    }
    double suggested[6];
    int pixels = 0;
    int lines = 0;
    double extent[4];
    const CPLErr error = GDALSuggestedWarpOutput2(
        source_.get(), GDALGenImgProjTransform, transformer, suggested, &pixels, &lines, extent, 0);
    GDALDestroyGenImgProjTransformer(transformer);
    if (error != CE_None) {
      return kCannotReproject;
    }
    // GDAL suggests the source's own resolution in metres.
    const double cellMetres = std::max(std::fabs(suggested[1]), std::fabs(suggested[5]));
    if (!std::isfinite(cellMetres)) {
      return kNoCellSize;
    }
    if (cellMetres > kCellMetres * kMaxUpsampling) {
      return ImportTooCoarseMessage(cellMetres / kCellMetres);
    }
    // Only where the data is: the corners of the UTM rectangle around the
    // footprint hold no data, and filling them would invent ground.
    double inside[4];
    if (!InscribedRectangle(inside)) {
      return kCannotReproject;
    }
    const double minX = std::ceil(inside[0] / kCellMetres) * kCellMetres;
    const double minY = std::ceil(inside[1] / kCellMetres) * kCellMetres;
    const double maxX = std::floor(inside[2] / kCellMetres) * kCellMetres;
    const double maxY = std::floor(inside[3] / kCellMetres) * kCellMetres;
    if (!(minX < maxX && minY < maxY)) {
      return kCannotReproject;
    }
    return ChooseGrid(minX, maxX, minY, maxY, kCellMetres);
  }

  // The largest north-up rectangle (minX, minY, maxX, maxY) in grid_.srs
  // inside the source's footprint. The footprint's outline is followed at
  // many points of each side; on each of many levels across it the outline
  // gives the span inside, and the best pair of levels bounds the rectangle.
  // The footprint is convex (a rectangle of degrees bends only slightly), so
  // its span between two levels is narrowest at one of them.
  bool InscribedRectangle(double inside[4]) const {
    char* wkt = nullptr;
    OSRExportToWkt(grid_.srs.get(), &wkt);
    char** transformerOptions = CSLSetNameValue(nullptr, "DST_SRS", wkt);
    CPLFree(wkt);
    void* transformer =
        GDALCreateGenImgProjTransformer2(source_.get(), nullptr, transformerOptions);
    CSLDestroy(transformerOptions);
    if (transformer == nullptr) {
      return false;
    }
    constexpr int kPerSide = 128;
    const double width = GDALGetRasterXSize(source_.get());
    const double height = GDALGetRasterYSize(source_.get());
    std::vector<double> xs;
    std::vector<double> ys;
    for (int side = 0; side < 4; ++side) {
      for (int k = 0; k < kPerSide; ++k) {
        const double f = static_cast<double>(k) / kPerSide;
        const double along[4][2] = {
            {f * width, 0}, {width, f * height}, {(1 - f) * width, height}, {0, (1 - f) * height}};
        xs.push_back(along[side][0]);
        ys.push_back(along[side][1]);
      }
    }
    std::vector<double> zs(xs.size(), 0.0);
    std::vector<int> placed(xs.size(), 0);
    GDALGenImgProjTransform(transformer, FALSE, static_cast<int>(xs.size()), xs.data(), ys.data(),
                            zs.data(), placed.data());
    GDALDestroyGenImgProjTransformer(transformer);
    if (std::find(placed.begin(), placed.end(), 0) != placed.end()) {
      return false;
    }
    const auto [lowest, highest] = std::minmax_element(ys.begin(), ys.end());
    constexpr int kLevels = 256;
    std::vector<double> level(kLevels);
    std::vector<double> left(kLevels, std::numeric_limits<double>::infinity());
    std::vector<double> right(kLevels, -std::numeric_limits<double>::infinity());
    const std::size_t n = xs.size();
    for (int k = 0; k < kLevels; ++k) {
      const double y = *lowest + (*highest - *lowest) * k / (kLevels - 1);
      level[k] = y;
      for (std::size_t i = 0; i < n; ++i) {
        const std::size_t j = (i + 1) % n;
        if ((ys[i] - y) * (ys[j] - y) > 0 || ys[i] == ys[j]) {
          continue;
        }
        const double x = xs[i] + (y - ys[i]) * (xs[j] - xs[i]) / (ys[j] - ys[i]);
        left[k] = std::min(left[k], x);
        right[k] = std::max(right[k], x);
      }
    }
    double best = 0;
    for (int i = 0; i < kLevels; ++i) {
      double l = left[i];
      double r = right[i];
      for (int j = i + 1; j < kLevels; ++j) {
        l = std::max(l, left[j]);
        r = std::min(r, right[j]);
        const double area = (r - l) * (level[j] - level[i]);
        if (r > l && area > best) {
          best = area;
          inside[0] = l;
          inside[1] = level[i];
          inside[2] = r;
          inside[3] = level[j];
        }
      }
    }
    return best > 0;
  }

  // The grid over the data's rectangle (minX, minY)-(maxX, maxY), or over
  // the area asked for, which must lie inside it.
  std::string ChooseGrid(double minX, double maxX, double minY, double maxY, double size) {
    if (!options_.area && !options_.around) {
      return SetGrid(minX, maxX, minY, maxY, size);
    }
    ConvertArea area;
    if (options_.around) {
      double x = 0;
      double y = 0;
      if (!ProjectPoint(options_.around->latitude, options_.around->longitude, x, y)) {
        return kCannotPlacePoint;
      }
      const double halfWidth =
          static_cast<double>(BoardPixels(options_.around->boardCols)) * size / 2;
      const double halfHeight =
          static_cast<double>(BoardPixels(options_.around->boardRows)) * size / 2;
      area = {x - halfWidth, y - halfHeight, x + halfWidth, y + halfHeight};
    } else {
      area = *options_.area;
    }
    const double beyond =
        std::max({minX - area.xMin, area.xMax - maxX, minY - area.yMin, area.yMax - maxY});
    if (!(area.xMin < area.xMax && area.yMin < area.yMax) || beyond > kWholeCells * size) {
      return AreaOutsideDataMessage(beyond, minX, minY, maxX, maxY);
    }
    return SetGrid(area.xMin, area.xMax, area.yMin, area.yMax, size);
  }

  // The point at `latitude`, `longitude` (WGS 84) in the grid's coordinates.
  bool ProjectPoint(double latitude, double longitude, double& x, double& y) const {
    const OGRSpatialReferenceH target =
        grid_.srs ? grid_.srs.get() : GDALGetSpatialRef(source_.get());
    if (target == nullptr) {
      return false;
    }
    Srs wgs84(OSRNewSpatialReference(nullptr));
    OSRSetWellKnownGeogCS(wgs84.get(), "WGS84");
    OSRSetAxisMappingStrategy(wgs84.get(), OAMS_TRADITIONAL_GIS_ORDER);
    Srs targetCopy(OSRClone(target));
    OSRSetAxisMappingStrategy(targetCopy.get(), OAMS_TRADITIONAL_GIS_ORDER);
    OGRCoordinateTransformationH toGrid =
        OCTNewCoordinateTransformation(wgs84.get(), targetCopy.get());
    x = longitude;
    y = latitude;
    const bool placed = toGrid != nullptr && OCTTransform(toGrid, 1, &x, &y, nullptr);
    OCTDestroyCoordinateTransformation(toGrid);
    return placed && std::isfinite(x) && std::isfinite(y);
  }

  // Reads the tiles as one raster. Returns the message of a refusal, or an
  // empty one.
  std::string Mosaic(const std::vector<std::string>& paths) {
    const OGRSpatialReferenceH first = GDALGetSpatialRef(tiles_.front().get());
    for (std::size_t i = 1; i < tiles_.size(); ++i) {
      const OGRSpatialReferenceH other = GDALGetSpatialRef(tiles_[i].get());
      const bool same = first == nullptr ? other == nullptr
                                         : other != nullptr && OSRIsSame(first, other) != FALSE;
      if (!same) {
        return "Error: the tiles lie in different coordinate systems: " + paths.front() + " in " +
               SystemName(first) + ", " + paths[i] + " in " + SystemName(other) +
               "; reproject them to one before converting them together.";
      }
    }
    char** arguments = CSLAddString(nullptr, "-b");
    arguments = CSLAddString(arguments, "1");
    // Between tiles that leave a gap the mosaic holds no data, to be filled
    // as a raster's own voids are.
    const GDALRasterBandH band = GDALGetRasterBand(tiles_.front().get(), 1);
    int hasNoData = 0;
    GDALGetRasterNoDataValue(band, &hasNoData);
    if (hasNoData == 0) {
      arguments = CSLAddString(arguments, "-vrtnodata");
      arguments = CSLAddString(arguments, GapMarker(GDALGetRasterDataType(band)));
    }
    GDALBuildVRTOptions* options = GDALBuildVRTOptionsNew(arguments, nullptr);
    CSLDestroy(arguments);
    std::vector<GDALDatasetH> handles;
    for (const Dataset& tile : tiles_) {
      handles.push_back(tile.get());
    }
    int usageError = 0;
    source_.reset(GDALBuildVRT("", static_cast<int>(handles.size()), handles.data(), nullptr,
                               options, &usageError));
    GDALBuildVRTOptionsFree(options);
    return source_ ? "" : kCannotRead;
  }

  static std::string SystemName(OGRSpatialReferenceH srs) {
    const char* name = srs != nullptr ? OSRGetName(srs) : nullptr;
    return name != nullptr ? name : "no coordinate system";
  }

  // A value no height takes, for the cells of a mosaic that no tile covers.
  static const char* GapMarker(GDALDataType type) {
    switch (type) {
      case GDT_Byte:
        return "255";
      case GDT_UInt16:
        return "65535";
      case GDT_Int16:
        return "-32768";
      case GDT_UInt32:
        return "4294967295";
      case GDT_Int32:
        return "-2147483648";
      default:
        return "nan";
    }
  }

  static std::string CannotReadTile(const std::string& path) {
    return "Error: the elevation raster " + path + " could not be read.";
  }

  // Where the grid lies, for the report.
  void Georeference() const {
    GridGeoreference& where = report_->georeference;
    const OGRSpatialReferenceH srs = grid_.srs ? grid_.srs.get() : GDALGetSpatialRef(source_.get());
    where.crsWkt.clear();
    if (srs != nullptr) {
      char* wkt = nullptr;
      if (OSRExportToWkt(srs, &wkt) == OGRERR_NONE && wkt != nullptr) {
        where.crsWkt = wkt;
      }
      CPLFree(wkt);
    }
    where.west = grid_.geoTransform[0];
    where.north = grid_.geoTransform[3];
    where.pixelSize = grid_.geoTransform[1];
    where.width = static_cast<int>(grid_.cols);
    where.height = static_cast<int>(grid_.rows);
  }

  std::string SetGrid(double minX, double maxX, double minY, double maxY, double size) {
    grid_.cols = CellsOver(maxX - minX, size);
    grid_.rows = CellsOver(maxY - minY, size);
    if (grid_.cols < 0 || grid_.rows < 0) {
      return kImportTooLarge;
    }
    const double transform[6] = {minX, size, 0, maxY, 0, -size};
    std::copy(transform, transform + 6, grid_.geoTransform);
    return "";
  }

  // The source's value for cells without data, when it has one.
  bool SourceNoData(double& value) const {
    int has = 0;
    value = GDALGetRasterNoDataValue(band_, &has);
    return has != 0;
  }

  RunOutcome ReadDirect() {
    ProgressBridge progress(*host_, kImportScanText, kReadFrom, kFillFrom - kReadFrom);
    GDALRasterIOExtraArg extra;
    INIT_RASTERIO_EXTRA_ARG(extra);
    extra.pfnProgress = ProgressBridge::Report;
    extra.pProgressData = &progress;
    const int cols = static_cast<int>(grid_.cols);
    const int rows = static_cast<int>(grid_.rows);
    if (GDALRasterIOEx(band_, GF_Read, 0, 0, cols, rows, cells_->data(), cols, rows, GDT_Float32, 0,
                       0, &extra) != CE_None) {
      return progress.Cancelled() ? RunOutcome::kCancelled : Fail(kCannotRead);
    }
    double noData = 0;
    if (SourceNoData(noData)) {
      const auto marker = static_cast<float>(noData);
      std::replace(cells_->begin(), cells_->end(), marker, std::numeric_limits<float>::quiet_NaN());
    }
    return RunOutcome::kWritten;
  }

  // An in-memory raster over cells_, on the target grid, with NaN for "no data".
  // With a window: the cols x rows cells from (col, row), in place.
  Dataset CellsDataset(std::int64_t col = 0, std::int64_t row = 0, std::int64_t cols = -1,
                       std::int64_t rows = -1) {
    GDALDriverH memory = GDALGetDriverByName("MEM");
    if (memory == nullptr) {
      return nullptr;
    }
    cols = cols < 0 ? grid_.cols : cols;
    rows = rows < 0 ? grid_.rows : rows;
    Dataset dataset(GDALCreate(memory, "", static_cast<int>(cols), static_cast<int>(rows), 0,
                               GDT_Float32, nullptr));
    if (!dataset) {
      return nullptr;
    }
    char pointer[64];
    std::snprintf(pointer, sizeof pointer, "%p",
                  static_cast<void*>(cells_->data() + row * grid_.cols + col));
    char** bandOptions = CSLSetNameValue(nullptr, "DATAPOINTER", pointer);
    char lineOffset[32];
    std::snprintf(lineOffset, sizeof lineOffset, "%lld",
                  static_cast<long long>(grid_.cols * static_cast<std::int64_t>(sizeof(float))));
    bandOptions = CSLSetNameValue(bandOptions, "LINEOFFSET", lineOffset);
    const CPLErr added = GDALAddBand(dataset.get(), GDT_Float32, bandOptions);
    CSLDestroy(bandOptions);
    if (added != CE_None) {
      return nullptr;
    }
    GDALSetGeoTransform(dataset.get(), grid_.geoTransform);
    const OGRSpatialReferenceH srs = grid_.srs ? grid_.srs.get() : GDALGetSpatialRef(source_.get());
    if (srs != nullptr) {
      GDALSetSpatialRef(dataset.get(), srs);
    }
    GDALSetRasterNoDataValue(GDALGetRasterBand(dataset.get(), 1),
                             std::numeric_limits<double>::quiet_NaN());
    return dataset;
  }

  RunOutcome Warp() {
    Dataset target = CellsDataset();
    if (!target) {
      return Fail(kImportOutOfMemory);
    }
    void* transformer = GDALCreateGenImgProjTransformer2(source_.get(), target.get(), nullptr);
    if (transformer == nullptr) {
      return Fail(kCannotReproject);
    }
    ProgressBridge progress(*host_, kImportScanText, kReadFrom, kFillFrom - kReadFrom);
    GDALWarpOptions* warp = GDALCreateWarpOptions();
    warp->hSrcDS = source_.get();
    warp->hDstDS = target.get();
    warp->nBandCount = 1;
    warp->panSrcBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    warp->panSrcBands[0] = 1;
    warp->panDstBands = static_cast<int*>(CPLMalloc(sizeof(int)));
    warp->panDstBands[0] = 1;
    warp->eResampleAlg = options_.average ? GRA_Average : GRA_Bilinear;
    // As gdalwarp does: the exact projection at the ends and middle of each
    // run of cells, lines between, within an eighth of a cell.
    void* approximate = GDALCreateApproxTransformer(GDALGenImgProjTransform, transformer, 0.125);
    if (approximate == nullptr) {
      GDALDestroyGenImgProjTransformer(transformer);
      return Fail(kCannotReproject);
    }
    warp->pfnTransformer = GDALApproxTransform;
    warp->pTransformerArg = approximate;
    warp->pfnProgress = ProgressBridge::Report;
    warp->pProgressArg = &progress;
    // Cells without data take no part in the weighting.
    double noData = 0;
    if (SourceNoData(noData)) {
      warp->padfSrcNoDataReal = static_cast<double*>(CPLMalloc(sizeof(double)));
      warp->padfSrcNoDataReal[0] = noData;
    }
    // Cells that nothing reaches, outside the source or among cells without
    // data, stay NaN for the filling; with no "no data" value for the target
    // GDAL need not track which cells it wrote, which halves the time.
    warp->papszWarpOptions = CSLSetNameValue(warp->papszWarpOptions, "INIT_DEST", "nan");
    // Both cores; the result is the same on any number.
    warp->papszWarpOptions = CSLSetNameValue(warp->papszWarpOptions, "NUM_THREADS", "ALL_CPUS");
    GDALWarpOperationH operation = GDALCreateWarpOperation(warp);
    CPLErr error = CE_Failure;
    if (operation != nullptr) {
      error = GDALChunkAndWarpImage(operation, 0, 0, static_cast<int>(grid_.cols),
                                    static_cast<int>(grid_.rows));
      GDALDestroyWarpOperation(operation);
    }
    GDALDestroyWarpOptions(warp);
    GDALDestroyApproxTransformer(approximate);
    GDALDestroyGenImgProjTransformer(transformer);
    if (error != CE_None) {
      return progress.Cancelled() ? RunOutcome::kCancelled : Fail(kCannotReproject);
    }
    return RunOutcome::kWritten;
  }

  // Scale, offset and feet into metres, where the band declares them. A
  // height that is not finite or lies on no ground becomes a cell without
  // data, and is counted.
  void ToMetres() {
    int hasScale = 0;
    int hasOffset = 0;
    const double scale = GDALGetRasterScale(band_, &hasScale);
    const double offset = GDALGetRasterOffset(band_, &hasOffset);
    const double unit = HeightUnitMetres(band_);
    const bool plain = scale == 1 && offset == 0 && unit == 1;
    std::uint64_t impossible = 0;
    for (float& cell : *cells_) {
      if (std::isnan(cell)) {
        continue;
      }
      const double metres =
          plain ? static_cast<double>(cell) : (static_cast<double>(cell) * scale + offset) * unit;
      if (IsGroundHeight(metres)) {
        cell = static_cast<float>(metres);
      } else {
        cell = std::numeric_limits<float>::quiet_NaN();
        ++impossible;
      }
    }
    report_->impossibleCells = impossible;
  }

  RunOutcome FillNoData() {
    const auto missing =
        std::count_if(cells_->begin(), cells_->end(), [](float cell) { return std::isnan(cell); });
    report_->filledCells = static_cast<std::uint64_t>(missing);
    if (missing == 0) {
      return RunOutcome::kWritten;
    }
    const auto total = static_cast<std::int64_t>(cells_->size());
    if (missing == total) {
      return Fail(kAllNoData);
    }
    if (static_cast<double>(total - missing) < kMinDataShare * static_cast<double>(total)) {
      return Fail(ImportTooLittleDataMessage(total - missing, total));
    }
    // Cells beyond the neighbours' reach first take the heights of the data
    // around them at every scale; the rest are filled from their neighbours,
    // as near the data as GDAL's filling looks. Ordinary holes lie within
    // reach and are filled by GDAL alone.
    const std::vector<bool> far = BeyondReach();
    if (std::find(far.begin(), far.end(), true) != far.end() &&
        !FillFromPyramid(far, kFillFrom, kPhaseSpan / 2)) {
      return RunOutcome::kCancelled;
    }
    // GDAL's filling works on whole rasters, with buffers of their size: it
    // is given, band by band of rows, only the window around the cells
    // without data there, so that a few voids in a large tile cost little.
    const std::int64_t bands = (grid_.rows + kFillBandRows - 1) / kFillBandRows;
    for (std::int64_t band = 0; band < bands; ++band) {
      std::int64_t left = grid_.cols;
      std::int64_t right = -1;
      std::int64_t top = -1;
      std::int64_t bottom = -1;
      const std::int64_t end = std::min(grid_.rows, (band + 1) * kFillBandRows);
      for (std::int64_t r = band * kFillBandRows; r < end; ++r) {
        const float* row = cells_->data() + r * grid_.cols;
        for (std::int64_t c = 0; c < grid_.cols; ++c) {
          if (std::isnan(row[c])) {
            left = std::min(left, c);
            right = std::max(right, c);
            top = top < 0 ? r : top;
            bottom = r;
          }
        }
      }
      if (right < 0) {
        continue;
      }
      const auto reach = static_cast<std::int64_t>(kFillReach) + 1;
      left = std::max<std::int64_t>(0, left - reach);
      top = std::max<std::int64_t>(0, top - reach);
      right = std::min(grid_.cols - 1, right + reach);
      bottom = std::min(grid_.rows - 1, bottom + reach);
      Dataset cells = CellsDataset(left, top, right - left + 1, bottom - top + 1);
      if (!cells) {
        return Fail(kImportOutOfMemory);
      }
      ProgressBridge progress(
          *host_, kImportFillText,
          kFillFrom + kPhaseSpan / 2 + kPhaseSpan / 4 * static_cast<double>(band) / bands,
          kPhaseSpan / 4 / static_cast<double>(bands));
      if (GDALFillNodata(GDALGetRasterBand(cells.get(), 1), nullptr, kFillReach, 0, 0, nullptr,
                         ProgressBridge::Report, &progress) != CE_None) {
        return progress.Cancelled() ? RunOutcome::kCancelled : Fail(kCannotRead);
      }
    }
    // Cells GDAL's search missed near the edge of its reach.
    if (std::any_of(cells_->begin(), cells_->end(), [](float cell) { return std::isnan(cell); }) &&
        !FillFromPyramid({}, kFillFrom + kPhaseSpan * 3 / 4, kPhaseSpan / 4)) {
      return RunOutcome::kCancelled;
    }
    return RunOutcome::kWritten;
  }

  // The cells without data more than kFillReach cells from any cell with
  // data, by a two-pass chamfer distance (steps of 3 along a row or column, 4
  // along a diagonal), which stays within 6 % of the straight distance.
  std::vector<bool> BeyondReach() const {
    const auto cols = static_cast<std::size_t>(grid_.cols);
    const auto rows = static_cast<std::size_t>(grid_.rows);
    const std::vector<float>& cells = *cells_;
    constexpr std::uint16_t kFar = 0xFFFF;
    std::vector<std::uint16_t> distance(cells.size());
    const auto step = [&](std::size_t at, std::size_t from, int cost) {
      const int reached = distance[from] + cost;
      if (reached < distance[at]) {
        distance[at] = static_cast<std::uint16_t>(reached);
      }
    };
    for (std::size_t r = 0; r < rows; ++r) {
      for (std::size_t c = 0; c < cols; ++c) {
        const std::size_t at = r * cols + c;
        distance[at] = std::isnan(cells[at]) ? kFar : 0;
        if (c > 0)
          step(at, at - 1, 3);
        if (r > 0) {
          step(at, at - cols, 3);
          if (c > 0)
            step(at, at - cols - 1, 4);
          if (c + 1 < cols)
            step(at, at - cols + 1, 4);
        }
      }
    }
    std::vector<bool> far(cells.size());
    for (std::size_t r = rows; r-- > 0;) {
      for (std::size_t c = cols; c-- > 0;) {
        const std::size_t at = r * cols + c;
        if (c + 1 < cols)
          step(at, at + 1, 3);
        if (r + 1 < rows) {
          step(at, at + cols, 3);
          if (c + 1 < cols)
            step(at, at + cols + 1, 4);
          if (c > 0)
            step(at, at + cols - 1, 4);
        }
        far[at] = distance[at] > 3 * kFillReach;
      }
    }
    return far;
  }

  // Fills the cells without data that `only` marks (every one when it is
  // empty) from a pyramid of the grid: each level halves the one below,
  // a cell the mean of the heights among its four; going down again, a cell
  // without data takes the bilinear blend of the level above. The work is a
  // third more than one look at each cell, however far the data lies. Shows
  // progress over [from, from + span]; false when cancelled.
  bool FillFromPyramid(const std::vector<bool>& only, double from, double span) {
    struct Level {
      std::size_t cols;
      std::size_t rows;
      std::vector<float> cells;
    };
    ProgressBridge progress(*host_, kImportFillText, from, span);
    std::vector<Level> levels;
    std::size_t cols = static_cast<std::size_t>(grid_.cols);
    std::size_t rows = static_cast<std::size_t>(grid_.rows);
    const float* below = cells_->data();
    while (cols > 1 || rows > 1) {
      Level level{(cols + 1) / 2, (rows + 1) / 2, {}};
      level.cells.resize(level.cols * level.rows);
      for (std::size_t r = 0; r < level.rows; ++r) {
        for (std::size_t c = 0; c < level.cols; ++c) {
          double sum = 0;
          int count = 0;
          for (std::size_t y = 2 * r; y < std::min(2 * r + 2, rows); ++y) {
            for (std::size_t x = 2 * c; x < std::min(2 * c + 2, cols); ++x) {
              const float height = below[y * cols + x];
              if (!std::isnan(height)) {
                sum += height;
                ++count;
              }
            }
          }
          level.cells[r * level.cols + c] =
              count > 0 ? static_cast<float>(sum / count) : std::numeric_limits<float>::quiet_NaN();
        }
      }
      levels.push_back(std::move(level));
      below = levels.back().cells.data();
      cols = levels.back().cols;
      rows = levels.back().rows;
    }
    if (!ProgressBridge::Report(0.5, nullptr, &progress)) {
      return false;
    }
    // Down again: every level above the grid is filled whole.
    for (std::size_t k = levels.size(); k-- > 0;) {
      float* target = k == 0 ? cells_->data() : levels[k - 1].cells.data();
      const std::size_t targetCols =
          k == 0 ? static_cast<std::size_t>(grid_.cols) : levels[k - 1].cols;
      const std::size_t targetRows =
          k == 0 ? static_cast<std::size_t>(grid_.rows) : levels[k - 1].rows;
      const Level& above = levels[k];
      for (std::size_t r = 0; r < targetRows; ++r) {
        // Where the cell's centre lies among the centres of the level above.
        const double y = std::clamp((static_cast<double>(r) + 0.5) / 2 - 0.5, 0.0,
                                    static_cast<double>(above.rows - 1));
        const auto y0 = static_cast<std::size_t>(y);
        const std::size_t y1 = std::min(y0 + 1, above.rows - 1);
        const double fy = y - static_cast<double>(y0);
        for (std::size_t c = 0; c < targetCols; ++c) {
          const std::size_t at = r * targetCols + c;
          if (!std::isnan(target[at]) || (k == 0 && !only.empty() && !only[at])) {
            continue;
          }
          const double x = std::clamp((static_cast<double>(c) + 0.5) / 2 - 0.5, 0.0,
                                      static_cast<double>(above.cols - 1));
          const auto x0 = static_cast<std::size_t>(x);
          const std::size_t x1 = std::min(x0 + 1, above.cols - 1);
          const double fx = x - static_cast<double>(x0);
          const float* a = above.cells.data();
          const double top = a[y0 * above.cols + x0] * (1 - fx) + a[y0 * above.cols + x1] * fx;
          const double bottom = a[y1 * above.cols + x0] * (1 - fx) + a[y1 * above.cols + x1] * fx;
          target[at] = static_cast<float>(top * (1 - fy) + bottom * fy);
        }
      }
      if (!ProgressBridge::Report(
              1.0 - 0.5 * static_cast<double>(k) / static_cast<double>(levels.size()), nullptr,
              &progress)) {
        return false;
      }
    }
    return true;
  }

  ImportHost* host_ = nullptr;
  RasterReport* report_ = nullptr;
  ConvertOptions options_;
  std::vector<Dataset> tiles_;           // a mosaic's tiles, open while it reads them
  std::vector<float>* cells_ = nullptr;  // the grid being read

  Dataset source_;
  GDALRasterBandH band_ = nullptr;
  double sourceTransform_[6] = {0, 1, 0, 0, 0, 1};
  TargetGrid grid_;
};

}  // namespace

extern "C" KEM_MODULE_EXPORT GdalRasterReader* KemNewGdalRasterReader(const char* version,
                                                                      int revision) {
  if (std::strcmp(version, kVersion) != 0 || revision != kGdalRasterRevision) {
    return nullptr;
  }
  return new (std::nothrow) Reader();
}

}  // namespace kem
