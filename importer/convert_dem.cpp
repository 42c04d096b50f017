// The DEM conversion: scan the points of the file, place them in the height
// grid, fill in coarse grids, and write the height map, keeping the hosting
// window alive and cancellable between units of work.
#include "importer/convert_dem.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <new>
#include <string>
#include <system_error>
#include <vector>

#include "core/blocking_call.h"
#include "core/file_ptr.h"
#include "core/open_file.h"
#include "core/replacing_file.h"
#include "importer/dem_grid.h"
#include "importer/height_map_writer.h"
#include "importer/import_limits.h"
#include "importer/import_messages.h"
#include "importer/xyz_columns.h"
#include "importer/xyz_reader.h"
#include "importer/xyz_scan.h"

namespace kem {
namespace {

constexpr char kNotANumber[] = "Error: the DEM file holds text that is not a number.";
constexpr char kNoPoints[] = "Error: the DEM file holds no points.";
constexpr char kCannotOpen[] = "Error: the DEM file could not be opened.";
constexpr char kAroundNeedsSystem[] =
    "Error: --around needs data that knows its coordinate system; XYZ text does not say, so "
    "give the area with --area in the data's coordinates.";
constexpr char kFinerThanAUnit[] =
    "Error: the DEM's point spacing is less than one unit; use projected coordinates in metres.";

// The side of a pixel in coordinate units.
constexpr double kCellUnits = 10.0;

// Bytes of the file looked at for its column names.
constexpr std::size_t kOpeningBytes = 256 * 1024;

// Points or cells between two progress updates.
constexpr std::uint64_t kProgressInterval = 25000;

// One run of the conversion. Whatever it holds is released when it goes,
// whichever step it stopped at.
class Conversion {
 public:
  Conversion(const std::vector<std::string>& paths, ImportHost& host,
             const OutputFileFactory& createOutput, const ConvertOptions& options,
             ConvertReport& report)
      : paths_(paths),
        host_(host),
        createOutput_(createOutput),
        options_(options),
        report_(report) {}

  RunOutcome Run() {
    host_.Repaint();
    if (options_.around) {
      return Fail(kAroundNeedsSystem);
    }
    // An area says the grid's size before anything is read.
    if (options_.area) {
      const double cols = std::floor((options_.area->xMax - options_.area->xMin) / 10) + 1;
      const double rows = std::floor((options_.area->yMax - options_.area->yMin) / 10) + 1;
      if (!(cols <= static_cast<double>(kMaxGridSide) &&
            rows <= static_cast<double>(kMaxGridSide))) {
        return Fail(kImportTooLarge);
      }
      if (cols * rows > static_cast<double>(kMaxImportCells)) {
        return Fail(ImportGridTooLargeMessage(static_cast<std::int64_t>(cols),
                                              static_cast<std::int64_t>(rows)));
      }
    }
    if (!Scan()) {
      return result_;
    }
    if (points_.Count() == 0) {
      return Fail(kNoPoints);
    }
    if (impossibleHeights_ > 0) {
      return Fail("Error: the DEM file holds heights that are not finite or lie beyond " +
                  std::to_string(static_cast<int>(kMaxGroundMetres)) + " m up or down (" +
                  std::to_string(impossibleHeights_) + " of " + std::to_string(points_.Count()) +
                  " points).");
    }
    if (!ComputeGridSize(extents_, size_)) {
      return Fail(kImportTooLarge);
    }
    if (!TakeRowSpacing()) {
      return Fail(kFinerThanAUnit);
    }
    if (options_.area && !AreaInsideData()) {
      return result_;
    }
    if (size_.cols * size_.rows > kMaxImportCells) {
      return Fail(ImportGridTooLargeMessage(size_.cols, size_.rows));
    }
    if (static_cast<double>(GridStep(spacing_)) > kMaxUpsampling) {
      return Fail(ImportTooCoarseMessage(static_cast<double>(GridStep(spacing_))));
    }
    window_ = WholeGrid(size_.cols, size_.rows);
    if (options_.fitBoards && !FitWholeBoards(size_.cols, size_.rows, window_)) {
      return Fail(kSmallerThanABoard);
    }
    n_ = GridStep(spacing_);
    d_ = n_ == 1 ? 2 : 4;
    // With interpolation only the cells that it does not overwrite are kept.
    if (!grid_.Allocate(size_, n_)) {
      return Fail(kImportOutOfMemory);
    }
    if (!Place()) {
      return RunOutcome::kCancelled;
    }
    // Every point is in the grid now; the rest needs only the grid.
    points_.Release();
    if (n_ >= 2 && !Interpolate()) {
      return RunOutcome::kCancelled;
    }
    host_.DisableCancel();
    return Write();
  }

 private:
  RunOutcome Fail(const std::string& text) {
    host_.ShowError(kImportCaption, text);
    result_ = RunOutcome::kFailed;
    return result_;
  }

  // Reads every point, keeping the extents and the spacing (the first change
  // of y). Returns false when the conversion stops.
  bool Scan() {
    std::vector<std::uint64_t> lengths;
    for (const std::string& path : paths_) {
      std::error_code error;
      const std::uintmax_t length = std::filesystem::file_size(FileSystemPath(path), error);
      lengths.push_back(error ? 0 : length);
      totalBytes_ += lengths.back();
    }
    for (std::size_t i = 0; i < paths_.size(); ++i) {
      scanText_ = paths_.size() == 1 ? std::string(kImportScanText)
                                     : "Reading tile " + std::to_string(i + 1) + " of " +
                                           std::to_string(paths_.size());
      if (!ScanFile(paths_[i], lengths[i])) {
        return false;
      }
      bytesBefore_ += lengths[i];
    }
    return true;
  }

  // Reads the points of one file, whose columns its opening names.
  bool ScanFile(const std::string& path, std::uint64_t known) {
    FilePtr file(OpenFileOrPipe(path));
    if (!file) {
      Fail(kCannotOpen);
      return false;
    }
    std::string opening(kOpeningBytes, '\0');
    {
      // The text may come through a pipe whose writer keeps it waiting.
      const BlockingCall waiting;
      opening.resize(std::fread(opening.data(), 1, opening.size(), file.get()));
    }
    std::string refusal;
    if (!ReadXyzColumns(opening, columns_, refusal)) {
      Fail(refusal);
      return false;
    }
    if (ScansInParallel(options_.threads, known, options_.scanBlockBytes) &&
        std::fseek(file.get(), 0, SEEK_SET) == 0) {
      XyzScan numbers(file.get(), options_.threads, options_.scanBlockBytes, columns_.decimalComma);
      return ScanPoints(numbers);
    }
    // A pipe cannot go back: the opening is read from what was read.
    XyzNumberReader numbers(file.get(), XyzNumberReader::kDefaultBlockSize, opening,
                            XyzReadStart());
    if (columns_.decimalComma) {
      numbers.UseDecimalCommas();
    }
    return ScanPoints(numbers);
  }

  // The area asked for must lie inside the data; the points outside it were
  // dropped while scanning.
  bool AreaInsideData() {
    if (!anyPoint_) {
      Fail(kNoPoints);
      return false;
    }
    // Each point stands for the cell around it, half a spacing each way.
    const double half = std::fabs(static_cast<double>(spacing_)) / 2;
    const double minX = static_cast<double>(data_.minX) - half;
    const double minY = static_cast<double>(data_.minY) - half;
    const double maxX = static_cast<double>(data_.maxX) + half;
    const double maxY = static_cast<double>(data_.maxY) + half;
    const ConvertArea& area = *options_.area;
    const double beyond =
        std::max({minX - area.xMin, area.xMax - maxX, minY - area.yMin, area.yMax - maxY});
    if (beyond > 0 || !(area.xMin < area.xMax && area.yMin < area.yMax)) {
      Fail(AreaOutsideDataMessage(beyond, minX, minY, maxX, maxY));
      return false;
    }
    return true;
  }

  // Scan() with the numbers from `numbers` (an XyzNumberReader or an
  // XyzScan).
  template <typename Numbers>
  bool ScanPoints(Numbers& numbers) {
    using Result = XyzNumberReader::Result;
    for (;;) {
      float number[3];
      int got = 0;
      Result read = Result::kNumber;
      while (got < 3 && (read = numbers.Next(number[got])) == Result::kNumber) {
        ++got;
      }
      if (got < 3) {
        if (read == Result::kEnd && got == 0) {
          return true;
        }
        // A token that is not a number, or a last point cut short.
        Fail(read == Result::kReadError ? kCannotOpen : kNotANumber);
        return false;
      }
      const DemPoint point{number[columns_.x], number[columns_.y], number[columns_.z]};
      if (options_.area) {
        data_.Include(point, !anyPoint_);
        anyPoint_ = true;
        if (!InArea(point)) {
          continue;
        }
      }
      const bool first = points_.Count() == 0;
      if (!IsGroundHeight(point.z)) {
        ++impossibleHeights_;
      }
      if (first || point.y != rowRuns_.back().y) {
        rowRuns_.push_back({point.y, 1});
      } else {
        ++rowRuns_.back().points;
      }
      extents_.Include(point, first);
      if (!points_.Append(point)) {
        Fail(kImportOutOfMemory);
        return false;
      }
      if (first) {
        firstY_ = point.y;
      } else if (spacing_ == 0) {
        spacing_ = SpacingOf(point.y, firstY_);
        // A first change of y under one unit: degrees, or a grid finer than
        // the height map could ever show.
        if (spacing_ == 0 && point.y != firstY_) {
          Fail(kFinerThanAUnit);
          return false;
        }
      }
      if (points_.Count() % kProgressInterval == 0) {
        host_.SetProgress(scanText_, ScanPercent(bytesBefore_ + numbers.Position(), totalBytes_));
        if (host_.IsCancelled()) {
          result_ = RunOutcome::kCancelled;
          return false;
        }
      }
      host_.PumpMessages();
    }
  }

  // The first change of y fixes the spacing in a file listed row by row. In
  // points listed in any other order it can span many rows: the smallest
  // step between the rows (the y values that hold two points or more; a
  // stray point off the grid is no row) is taken where it is clearly (more
  // than a unit, beyond the rounding of large coordinates) smaller. False
  // when that step is under one unit.
  bool TakeRowSpacing() {
    std::sort(rowRuns_.begin(), rowRuns_.end(),
              [](const RowRun& a, const RowRun& b) { return a.y < b.y; });
    double smallest = INFINITY;
    float lastRow = NAN;
    for (std::size_t i = 0; i < rowRuns_.size();) {
      std::uint64_t points = 0;
      const float y = rowRuns_[i].y;
      for (; i < rowRuns_.size() && rowRuns_[i].y == y; ++i) {
        points += rowRuns_[i].points;
      }
      if (points >= 2) {
        smallest = std::min(smallest, static_cast<double>(y) - static_cast<double>(lastRow));
        lastRow = y;
      }
    }
    rowRuns_ = {};
    const double first = std::fabs(static_cast<double>(spacing_));
    if (!(smallest < first - 1)) {
      return true;
    }
    spacing_ = SpacingOf(static_cast<float>(smallest), 0.0f);
    return spacing_ != 0;
  }

  bool InArea(const DemPoint& point) const {
    const ConvertArea& area = *options_.area;
    return point.x >= area.xMin && point.x <= area.xMax && point.y >= area.yMin &&
           point.y <= area.yMax;
  }

  static float ScanPercent(std::uint64_t position, std::uintmax_t length) {
    if (length == 0) {
      return 0.0f;
    }
    const auto done = static_cast<double>(std::min<std::uintmax_t>(position, length));
    return static_cast<float>(50.0 * done / static_cast<double>(length));
  }

  // Stores every point in its cell, in file order. Returns false when
  // cancelled.
  bool Place() {
    const double scale = static_cast<double>(points_.Count()) * d_;
    std::uint64_t j = 0;
    std::vector<std::uint32_t> counts;
    if (options_.average && grid_.Step() == 1) {
      counts.assign(grid_.CellCount(), 0);
    }
    for (const DemPoint& point : points_) {
      if (counts.empty()) {
        grid_.Place(point, extents_);
      } else {
        grid_.PlaceMean(point, extents_, counts.data());
      }
      if ((j + 1) % kProgressInterval == 0) {
        host_.SetProgress(kImportPlaceText,
                          static_cast<float>(50.0 + 50.0 * static_cast<double>(j) / scale));
      }
      if (host_.IsCancelled()) {
        return false;
      }
      host_.PumpMessages();
      ++j;
    }
    return true;
  }

  // Fills the cells between sample rows and columns. Returns false when
  // cancelled.
  bool Interpolate() {
    const double cols = static_cast<double>(size_.cols);
    const double rows = static_cast<double>(size_.rows);
    const double scale = cols * rows * d_;
    const bool rowsDone = grid_.InterpolateRows(n_, [&](std::int64_t sr, std::int64_t scEnd) {
      const double done = static_cast<double>(sr) * cols + static_cast<double>(scEnd);
      host_.SetProgress(kImportFillText, static_cast<float>(62.5 + 50.0 * done / scale));
      return Continue();
    });
    if (!rowsDone) {
      return false;
    }
    return grid_.InterpolateColumns(n_, [&](std::int64_t col, std::int64_t srEnd) {
      const double done = static_cast<double>(col) * rows + static_cast<double>(srEnd);
      host_.SetProgress(kImportFillText, static_cast<float>(75.0 + 50.0 * done / scale));
      return Continue();
    });
  }

  // The cancel test and the message pump between two units of work.
  bool Continue() {
    if (host_.IsCancelled()) {
      return false;
    }
    host_.PumpMessages();
    return true;
  }

  // Where the height map lies. A pixel takes the points from its first one
  // on for 10 units, each point standing for the cell of the spacing around
  // it: the pixel reaches half a spacing (at most half a pixel, so a 10-unit
  // grid's points are the centres of their pixels) before it.
  GridGeoreference Georeference() const {
    GridGeoreference where;
    const double half = std::min(std::fabs(static_cast<double>(spacing_)), kCellUnits) / 2;
    where.crsWkt = options_.crsWkt;
    where.pixelSize = kCellUnits;
    where.west =
        static_cast<double>(extents_.minX) - half + kCellUnits * static_cast<double>(window_.col);
    where.north =
        static_cast<double>(extents_.maxY) + half - kCellUnits * static_cast<double>(window_.row);
    where.width = static_cast<int>(window_.cols);
    where.height = static_cast<int>(window_.rows);
    return where;
  }

  RunOutcome Write() {
    const GridGeoreference georeference = Georeference();
    report_.georeference = georeference;
    if (options_.georeference != nullptr) {
      *options_.georeference = georeference;
    }
    return WriteHeightMap(
        OutputPathFor(paths_[0], options_), createOutput_, window_.cols, window_.rows, georeference,
        host_, [this](HeightMapPixelWriter& writer) {
          const auto cols = static_cast<std::size_t>(window_.cols);
          const std::size_t cellCount = cols * static_cast<std::size_t>(window_.rows);
          const double base = 50.0 + 50.0 * (d_ - 1) / d_;
          const double scale = static_cast<double>(cellCount) * d_;
          HeightRowReader reader(grid_);
          std::size_t j = 0;  // cells coded
          for (std::int64_t row = window_.row; row < window_.row + window_.rows; ++row) {
            const float* cells = reader.Row(row) + window_.col;
            for (std::size_t col = 0; col < cols;) {
              // Up to the next progress update or the end of the row.
              const std::size_t run = std::min(
                  cols - col, static_cast<std::size_t>(kProgressInterval - j % kProgressInterval));
              writer.Write(cells + col, run);
              col += run;
              j += run;
              if (j % kProgressInterval == 0) {
                const auto last = static_cast<double>(j - 1);
                host_.SetProgress(kImportWriteText, static_cast<float>(base + 50.0 * last / scale));
              }
            }
          }
        });
  }

  const std::vector<std::string>& paths_;
  ImportHost& host_;
  const OutputFileFactory& createOutput_;
  const ConvertOptions& options_;
  ConvertReport& report_;
  RunOutcome result_ = RunOutcome::kFailed;

  XyzColumns columns_;
  // The scan over every file: its text, and the bytes of the files before
  // the one read and of them all.
  std::string scanText_;
  std::uint64_t bytesBefore_ = 0;
  std::uint64_t totalBytes_ = 0;
  float firstY_ = 0.0f;
  // With an area: the extents of every point, in it or not.
  DemExtents data_;
  bool anyPoint_ = false;

  DemPointArray points_;
  DemExtents extents_;
  std::int32_t spacing_ = 0;
  // Runs of points with the same y, in file order.
  struct RowRun {
    float y;
    std::uint32_t points;
  };
  std::vector<RowRun> rowRuns_;
  std::uint64_t impossibleHeights_ = 0;
  GridSize size_;
  HeightMapWindow window_;
  std::int64_t n_ = 0;
  int d_ = 4;
  HeightGrid grid_;
};

}  // namespace

const char kSmallerThanABoard[] =
    "Error: the height map is smaller than one board (76 x 76 pixels); it cannot be cut to whole "
    "boards.";

std::string DemOutputPath(const std::string& inputPath) {
  return inputPath + ".tga";
}

std::string OutputPathFor(const std::string& inputPath, const ConvertOptions& options) {
  return options.outputPath.empty() ? DemOutputPath(inputPath) : options.outputPath;
}

RunOutcome convertdem(const std::string& path, ImportHost& host) {
  return convertdem(path, host, CreateHeightMapOutput);
}

RunOutcome convertdem(const std::string& path, ImportHost& host,
                      const OutputFileFactory& createOutput) {
  return convertdem(path, host, createOutput, ConvertOptions());
}

RunOutcome convertdem(const std::string& path, ImportHost& host,
                      const OutputFileFactory& createOutput, const ConvertOptions& options) {
  ConvertReport report;
  return convertdem(std::vector<std::string>{path}, host, createOutput, options, report);
}

RunOutcome convertdem(const std::vector<std::string>& paths, ImportHost& host,
                      const OutputFileFactory& createOutput, const ConvertOptions& options,
                      ConvertReport& report) {
  report = ConvertReport();
  try {
    Conversion conversion(paths, host, createOutput, options, report);
    return conversion.Run();
  } catch (const std::bad_alloc&) {
    // A working buffer could not be had; what was taken is already freed.
    host.ShowError(kImportCaption, kImportOutOfMemory);
    return RunOutcome::kFailed;
  }
}

}  // namespace kem
