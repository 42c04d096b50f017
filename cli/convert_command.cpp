// `kem-cli convert FILE`: the elevation conversion with a terminal standing in
// for the importer dialog. Ctrl+C plays the part of the Cancel button.
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_host.h"
#include "importer/convert_elevation.h"
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

}  // namespace

int RunConvert(const std::string& path, const ConvertOptions& givenOptions,
               const std::string& crsDefinition) {
  ConvertOptions options = givenOptions;
  if (!crsDefinition.empty()) {
    std::string error;
    if (!ResolveCrsDefinition(crsDefinition, options.crsWkt, error)) {
      WriteMessageLine(error);
      return kExitFailed;
    }
  }
  GridGeoreference georeference;
  options.georeference = &georeference;
  // Every Ctrl+C only sets the cancel flag: once the conversion writes, the
  // height map must be finished, not left half-written.
  InterruptCatcher interrupts(SecondInterrupt::kIsCaught);
  TerminalImportHost host;
  RasterReport report;
  switch (ConvertElevation(path, host, options, report)) {
    case RunOutcome::kWritten:
      PrintRasterReport(report);
      for (const std::string& line : RouteAreaLines(DescribeRouteArea(georeference))) {
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
