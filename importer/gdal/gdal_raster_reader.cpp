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
#include <gdalwarper.h>
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
#include <type_traits>
#include <vector>

#include "core/float_conversion.h"
#include "generated/version.h"
#include "importer/dem_grid.h"
#include "importer/gdal_raster.h"
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
// How far, in cells, one pass of the filling looks for data.
constexpr double kFillReach = 100;
constexpr int kUtmNorthEpsg = 32600;
constexpr int kUtmSouthEpsg = 32700;

// Progress steps: reading or warping, filling, writing.
constexpr double kReadFrom = 0.0;
constexpr double kFillFrom = 50.0;
constexpr double kWriteFrom = 75.0;
constexpr double kPhaseSpan = 25.0;

struct DatasetCloser {
  void operator()(GDALDatasetH dataset) const { GDALClose(dataset); }
};
using Dataset = std::unique_ptr<std::remove_pointer_t<GDALDatasetH>, DatasetCloser>;

struct SrsReleaser {
  void operator()(OGRSpatialReferenceH srs) const { OSRRelease(srs); }
};
using Srs = std::unique_ptr<std::remove_pointer_t<OGRSpatialReferenceH>, SrsReleaser>;

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
  }

  bool Recognises(const std::string& path) override {
    QuietGdal quiet;
    RegisterGdal();
    GDALDriverH driver = GDALIdentifyDriverEx(path.c_str(), GDAL_OF_RASTER, nullptr, nullptr);
    return driver != nullptr && strcasecmp(GDALGetDriverShortName(driver), "XYZ") != 0;
  }

  bool Open(const std::string& path, ImportHost& host, GridSize& size,
            RasterReport& report) override {
    QuietGdal quiet;
    host_ = &host;
    report_ = &report;
    RegisterGdal();
    source_.reset(
        GDALOpenEx(path.c_str(), GDAL_OF_RASTER | GDAL_OF_READONLY, nullptr, nullptr, nullptr));
    const char* problem = kCannotRead;
    if (source_ && GDALGetRasterCount(source_.get()) >= 1) {
      band_ = GDALGetRasterBand(source_.get(), 1);
      problem = GDALGetGeoTransform(source_.get(), sourceTransform_) != CE_None ? kNoCellSize
                                                                                : PlanGrid();
    }
    if (problem != nullptr) {
      Fail(problem);
      return false;
    }
    size = {grid_.cols, grid_.rows};
    return true;
  }

  RunOutcome Read(ImportHost& host, std::vector<float>& cells, RasterReport& report) override {
    QuietGdal quiet;
    host_ = &host;
    report_ = &report;
    cells_ = &cells;
    cells.assign(static_cast<std::size_t>(grid_.cols * grid_.rows),
                 std::numeric_limits<float>::quiet_NaN());
    const RunOutcome read = grid_.direct ? ReadDirect() : Warp();
    if (read != RunOutcome::kWritten) {
      return read;
    }
    ToMetres();
    return FillNoData();
  }

 private:
  RunOutcome Fail(const char* text) {
    host_->ShowError(kImportCaption, text);
    return RunOutcome::kFailed;
  }

  // Chooses the grid of 10 m cells. Returns the message of a refusal, or null.
  const char* PlanGrid() {
    const OGRSpatialReferenceH srs = GDALGetSpatialRef(source_.get());
    if (srs != nullptr && OSRIsGeographic(srs)) {
      return PlanUtmGrid(srs);
    }
    // Projected, or no system at all (taken as metres, as XYZ text is).
    const double unitMetres = srs != nullptr ? OSRGetLinearUnits(srs, nullptr) : 1.0;
    if (!(unitMetres > 0)) {
      return kNoCellSize;
    }
    const double size = kCellMetres / unitMetres;  // a cell in the system's units
    const double* t = sourceTransform_;
    const auto width = GDALGetRasterXSize(source_.get());
    const auto height = GDALGetRasterYSize(source_.get());
    if (t[2] == 0 && t[4] == 0 && std::fabs(t[1] - size) <= kSameSize * size &&
        std::fabs(t[5] + size) <= kSameSize * size) {
      grid_.direct = true;
      grid_.cols = width;
      grid_.rows = height;
      std::copy(t, t + 6, grid_.geoTransform);
      return grid_.cols > kMaxGridSide || grid_.rows > kMaxGridSide ? kImportTooLarge : nullptr;
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
    return SetGrid(minX, maxX, minY, maxY, size);
  }

  // A raster in degrees goes to the UTM zone of its centre.
  const char* PlanUtmGrid(OGRSpatialReferenceH srs) {
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
    return SetGrid(extent[0], extent[2], extent[1], extent[3], kCellMetres);
  }

  const char* SetGrid(double minX, double maxX, double minY, double maxY, double size) {
    grid_.cols = CellsOver(maxX - minX, size);
    grid_.rows = CellsOver(maxY - minY, size);
    if (grid_.cols < 0 || grid_.rows < 0) {
      return kImportTooLarge;
    }
    const double transform[6] = {minX, size, 0, maxY, 0, -size};
    std::copy(transform, transform + 6, grid_.geoTransform);
    return nullptr;
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
  Dataset CellsDataset() {
    GDALDriverH memory = GDALGetDriverByName("MEM");
    if (memory == nullptr) {
      return nullptr;
    }
    Dataset dataset(GDALCreate(memory, "", static_cast<int>(grid_.cols),
                               static_cast<int>(grid_.rows), 0, GDT_Float32, nullptr));
    if (!dataset) {
      return nullptr;
    }
    char pointer[64];
    std::snprintf(pointer, sizeof pointer, "%p", static_cast<void*>(cells_->data()));
    char** bandOptions = CSLSetNameValue(nullptr, "DATAPOINTER", pointer);
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
    warp->eResampleAlg = GRA_Bilinear;
    warp->pfnTransformer = GDALGenImgProjTransform;
    warp->pTransformerArg = transformer;
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
    GDALWarpOperationH operation = GDALCreateWarpOperation(warp);
    CPLErr error = CE_Failure;
    if (operation != nullptr) {
      error = GDALChunkAndWarpImage(operation, 0, 0, static_cast<int>(grid_.cols),
                                    static_cast<int>(grid_.rows));
      GDALDestroyWarpOperation(operation);
    }
    GDALDestroyWarpOptions(warp);
    GDALDestroyGenImgProjTransformer(transformer);
    if (error != CE_None) {
      return progress.Cancelled() ? RunOutcome::kCancelled : Fail(kCannotReproject);
    }
    return RunOutcome::kWritten;
  }

  // Scale, offset and feet into metres, where the band declares them.
  void ToMetres() {
    int hasScale = 0;
    int hasOffset = 0;
    const double scale = GDALGetRasterScale(band_, &hasScale);
    const double offset = GDALGetRasterOffset(band_, &hasOffset);
    const double unit = HeightUnitMetres(band_);
    if (scale == 1 && offset == 0 && unit == 1) {
      return;
    }
    for (float& cell : *cells_) {
      cell = static_cast<float>((static_cast<double>(cell) * scale + offset) * unit);
    }
  }

  RunOutcome FillNoData() {
    const auto missing =
        std::count_if(cells_->begin(), cells_->end(), [](float cell) { return std::isnan(cell); });
    report_->filledCells = static_cast<std::uint64_t>(missing);
    if (missing == 0) {
      return RunOutcome::kWritten;
    }
    if (static_cast<std::size_t>(missing) == cells_->size()) {
      return Fail(kAllNoData);
    }
    Dataset cells = CellsDataset();
    if (!cells) {
      return Fail(kImportOutOfMemory);
    }
    // Each pass reaches kFillReach cells further from the data, which keeps
    // a pass quick where a raster reprojected from degrees leaves wide corners
    // outside its footprint. Each pass takes half the rest of the bar.
    double from = kFillFrom;
    double span = kPhaseSpan / 2;
    for (auto left = missing; left > 0; span /= 2) {
      ProgressBridge progress(*host_, kImportFillText, from, span);
      if (GDALFillNodata(GDALGetRasterBand(cells.get(), 1), nullptr, kFillReach, 0, 0, nullptr,
                         ProgressBridge::Report, &progress) != CE_None) {
        return progress.Cancelled() ? RunOutcome::kCancelled : Fail(kCannotRead);
      }
      from += span;
      const auto before = left;
      left = std::count_if(cells_->begin(), cells_->end(),
                           [](float cell) { return std::isnan(cell); });
      if (left == before) {
        break;  // nothing more within reach; cannot happen while any cell has data
      }
    }
    return RunOutcome::kWritten;
  }

  ImportHost* host_ = nullptr;
  RasterReport* report_ = nullptr;
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
