// Elevation rasters: the kem-gdal module brings the heights onto the grid of
// 10 m cells; the conversion crops it and writes it as every height map is
// written.
#include "importer/raster_import.h"

#include <filesystem>
#include <memory>
#include <new>
#include <system_error>
#include <vector>

#include "core/float_conversion.h"
#include "core/open_file.h"
#include "generated/version.h"
#include "importer/gdal_raster.h"
#include "importer/import_messages.h"
#include "importer/program_module.h"

namespace kem {
namespace {

// Progress of the writing step: the module takes the bar up to 75.
constexpr double kWriteFrom = 75.0;
constexpr double kWriteSpan = 25.0;

// The module's entry, looked up once; null when this program has no module.
GdalRasterEntry ModuleEntry() {
#if defined(KEM_GDAL_MODULE) && defined(KEM_MODULE_FOLDER)
  static const auto entry = reinterpret_cast<GdalRasterEntry>(
      LoadModuleFunction(KEM_GDAL_MODULE, KEM_MODULE_FOLDER, kGdalRasterEntry));
  return entry;
#else
  return nullptr;
#endif
}

RunOutcome Fail(ImportHost& host, const char* text) {
  host.ShowError(kImportCaption, text);
  return RunOutcome::kFailed;
}

RunOutcome Convert(GdalRasterReader& reader, const std::vector<std::string>& paths,
                   ImportHost& host, const OutputFileFactory& createOutput,
                   const ConvertOptions& options, RasterReport& report) {
  host.Repaint();
  GridSize size;
  if (!reader.OpenSet(paths, options, host, size, report)) {
    return RunOutcome::kFailed;
  }
  HeightMapWindow window = WholeGrid(size.cols, size.rows);
  if (options.fitBoards && !FitWholeBoards(size.cols, size.rows, window)) {
    return Fail(host, kSmallerThanABoard);
  }
  const std::string& path = paths.front();
  std::vector<float> cells;
  const RunOutcome read = reader.Read(host, cells, report);
  if (read != RunOutcome::kWritten) {
    return read;
  }
  host.DisableCancel();
  // The module's corner is the grid's; the window may start further in.
  GridGeoreference georeference = report.georeference;
  if (georeference.crsWkt.empty()) {
    georeference.crsWkt = options.crsWkt;
  }
  georeference.west += static_cast<double>(window.col) * georeference.pixelSize;
  georeference.north -= static_cast<double>(window.row) * georeference.pixelSize;
  georeference.width = static_cast<int>(window.cols);
  georeference.height = static_cast<int>(window.rows);
  report.georeference = georeference;
  if (options.georeference != nullptr) {
    *options.georeference = georeference;
  }
  return WriteHeightMap(OutputPathFor(path, options), createOutput, window.cols, window.rows,
                        georeference, host, [&](HeightMapPixelWriter& writer) {
                          int shown = -1;
                          for (std::int64_t r = 0; r < window.rows; ++r) {
                            writer.Write(cells.data() + (window.row + r) * size.cols + window.col,
                                         static_cast<std::size_t>(window.cols));
                            const double percent =
                                kWriteFrom + kWriteSpan * static_cast<double>(r + 1) /
                                                 static_cast<double>(window.rows);
                            if (TruncateToInt32(percent) != shown) {
                              shown = TruncateToInt32(percent);
                              host.SetProgress(kImportWriteText, static_cast<float>(percent));
                            }
                          }
                        });
}

}  // namespace

std::unique_ptr<GdalRasterReader> NewGdalRasterReader() {
  const GdalRasterEntry entry = ModuleEntry();
  return std::unique_ptr<GdalRasterReader>(entry != nullptr ? entry(kVersion, kGdalRasterRevision)
                                                            : nullptr);
}

bool ReadsGdalRasters() {
  return NewGdalRasterReader() != nullptr;
}

bool IsGdalRaster(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(FileSystemPath(path), error)) {
    return false;  // a pipe must reach the XYZ reader unread
  }
  const std::unique_ptr<GdalRasterReader> reader = NewGdalRasterReader();
  return reader != nullptr && reader->Recognises(path);
}

RunOutcome ConvertRaster(const std::string& path, ImportHost& host,
                         const OutputFileFactory& createOutput, const ConvertOptions& options,
                         RasterReport& report) {
  return ConvertRaster(std::vector<std::string>{path}, host, createOutput, options, report);
}

RunOutcome ConvertRaster(const std::vector<std::string>& paths, ImportHost& host,
                         const OutputFileFactory& createOutput, const ConvertOptions& options,
                         RasterReport& report) {
  report = RasterReport();
  try {
    const std::unique_ptr<GdalRasterReader> reader = NewGdalRasterReader();
    if (!reader) {
      return Fail(host, kImportNeedsGdal);
    }
    return Convert(*reader, paths, host, createOutput, options, report);
  } catch (const std::bad_alloc&) {
    return Fail(host, kImportOutOfMemory);
  }
}

}  // namespace kem
