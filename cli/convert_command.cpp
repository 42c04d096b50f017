// `kem-cli convert FILE`: the elevation conversion with a terminal standing in
// for the importer dialog. Ctrl+C plays the part of the Cancel button.
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_host.h"
#include "core/open_file.h"
#include "importer/convert_elevation.h"
#include "importer/dem_grid.h"
#include "importer/import_limits.h"
#include "importer/route_area.h"

namespace kem::cli {
namespace {

// What a raster conversion did to the heights, on standard output.
void PrintRasterReport(const RasterReport& report) {
  if (report.utmZone != 0) {
    std::cout << "Reprojected to UTM zone " << report.utmZone << (report.utmNorth ? 'N' : 'S')
              << " (EPSG:" << report.epsg << ").\n";
  }
  if (report.impossibleCells != 0) {
    std::cout << "Took " << report.impossibleCells
              << " cells whose heights are not finite or lie beyond " << kMaxGroundMetres
              << " m up or down as cells without data.\n";
  }
  if (report.filledCells != 0) {
    std::cout << "Filled " << report.filledCells << " cells without data from their neighbours.\n";
  }
  std::cout << std::flush;
}

// The numbers of `text` between `separator`s, each whole text a number.
bool ParseNumbers(const std::string& text, char separator, std::vector<double>& numbers) {
  numbers.clear();
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    const std::string part = text.substr(start, end == std::string::npos ? end : end - start);
    char* stop = nullptr;
    const double number = std::strtod(part.c_str(), &stop);
    if (part.empty() || stop != part.c_str() + part.size() || !std::isfinite(number)) {
      return false;
    }
    numbers.push_back(number);
    if (end == std::string::npos) {
      return true;
    }
    start = end + 1;
  }
}

}  // namespace

bool ParseConvertPlace(const std::string& area, const std::string& around,
                       const std::string& boards, ConvertOptions& options) {
  std::vector<double> numbers;
  if (!area.empty()) {
    if (!ParseNumbers(area, ',', numbers) || numbers.size() != 4 || numbers[0] >= numbers[2] ||
        numbers[1] >= numbers[3]) {
      std::cerr << "Error: --area takes XMIN,YMIN,XMAX,YMAX with XMIN < XMAX and YMIN < YMAX.\n";
      return false;
    }
    options.area = ConvertArea{numbers[0], numbers[1], numbers[2], numbers[3]};
  }
  if (around.empty()) {
    return true;
  }
  if (options.area) {
    std::cerr << "Error: give either --area or --around.\n";
    return false;
  }
  if (!ParseNumbers(around, ',', numbers) || numbers.size() != 2 || std::fabs(numbers[0]) > 90 ||
      std::fabs(numbers[1]) > 180) {
    std::cerr << "Error: --around takes LAT,LON in degrees.\n";
    return false;
  }
  ConvertAround place{numbers[0], numbers[1], 1, 1};
  if (!ParseNumbers(boards, 'x', numbers) || numbers.size() != 2 || numbers[0] < 1 ||
      numbers[1] < 1 || numbers[0] > kMaxGridSide / 72 || numbers[1] > kMaxGridSide / 72 ||
      numbers[0] != std::floor(numbers[0]) || numbers[1] != std::floor(numbers[1])) {
    std::cerr << "Error: --boards takes COLSxROWS, whole numbers of boards from 1 to "
              << kMaxGridSide / 72 << ".\n";
    return false;
  }
  place.boardCols = static_cast<int>(numbers[0]);
  place.boardRows = static_cast<int>(numbers[1]);
  options.around = place;
  return true;
}

int RunConvert(const std::string& path, const ConvertOptions& options) {
  return RunConvert(std::vector<std::string>{path}, options);
}

int RunConvert(const std::vector<std::string>& paths, const ConvertOptions& options,
               const std::string& crsDefinition) {
  // A folder stands for every elevation file in it, in the order of their
  // names.
  std::vector<std::string> files;
  ConvertOptions setOptions = options;
  if (!crsDefinition.empty()) {
    std::string error;
    if (!ResolveCrsDefinition(crsDefinition, setOptions.crsWkt, error)) {
      WriteMessageLine(error);
      return kExitFailed;
    }
  }
  for (const std::string& path : paths) {
    std::error_code error;
    if (!std::filesystem::is_directory(FileSystemPath(path), error)) {
      files.push_back(path);
      continue;
    }
    const std::vector<std::string> inFolder = ElevationFilesIn(path);
    if (inFolder.empty()) {
      std::cerr << "Error: the folder " << path << " holds no elevation files.\n";
      return kExitFailed;
    }
    files.insert(files.end(), inFolder.begin(), inFolder.end());
    if (paths.size() == 1 && setOptions.outputPath.empty()) {
      std::string folder = path;
      while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\')) {
        folder.pop_back();
      }
      setOptions.outputPath = DemOutputPath(folder);
    }
  }
  if (files.size() > 1 && setOptions.outputPath.empty()) {
    std::cerr << "Error: several elevation files make one height map; name it with --output.\n";
    return kExitUsage;
  }
  // Every Ctrl+C only sets the cancel flag: once the conversion writes, the
  // height map must be finished, not left half-written.
  InterruptCatcher interrupts(SecondInterrupt::kIsCaught);
  TerminalImportHost host;
  RasterReport report;
  switch (ConvertElevationSet(files, host, setOptions, report)) {
    case RunOutcome::kWritten:
      PrintRasterReport(report);
      for (const std::string& line : RouteAreaLines(DescribeRouteArea(report.georeference))) {
        std::cout << line << "\n";
      }
      std::cout << std::flush;
      return kExitOk;
    case RunOutcome::kCancelled:
      return InterruptedExitStatus();
    case RunOutcome::kFailed:
      break;
  }
  return kExitFailed;
}

}  // namespace kem::cli
