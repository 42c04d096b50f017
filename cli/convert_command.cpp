// `kem-cli convert FILE`: the elevation conversion with a terminal standing in
// for the importer dialog. Ctrl+C plays the part of the Cancel button.
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "importer/convert_elevation.h"
#include "importer/import_host.h"

namespace kem::cli {
namespace {

// Progress as one line "<text> NN%" redrawn in place when standard error is
// a terminal; messages as their text and a newline on standard error. Ctrl+C,
// caught by the InterruptCatcher around the conversion, is the cancel flag.
class TerminalImportHost : public ImportHost {
 public:
  void Repaint() override {}

  void SetProgress(const std::string& text, float percent) override {
    progress_.Draw(text + " " + std::to_string(static_cast<int>(percent)) + "%");
  }

  bool IsCancelled() const override { return Interrupted(); }

  // Writing is not cancellable; a Ctrl+C from here on is ignored.
  void DisableCancel() override {}

  void ShowError(const std::string&, const std::string& text) override {
    progress_.Clear();
    WriteMessageLine(text);
  }

  bool PumpMessages() override { return true; }

 private:
  ProgressLine progress_;
};

// What a raster conversion did to the heights, on standard output.
void PrintRasterReport(const RasterReport& report) {
  if (report.utmZone != 0) {
    std::cout << "Reprojected to UTM zone " << report.utmZone << (report.utmNorth ? 'N' : 'S')
              << " (EPSG:" << report.epsg << ").\n";
  }
  if (report.filledCells != 0) {
    std::cout << "Filled " << report.filledCells << " cells without data from their neighbours.\n";
  }
  std::cout << std::flush;
}

}  // namespace

int RunConvert(const std::string& path, const std::string& outputPath, bool fitBoards) {
  // Every Ctrl+C only sets the cancel flag: once the conversion writes, the
  // height map must be finished, not left half-written.
  InterruptCatcher interrupts(SecondInterrupt::kIsCaught);
  TerminalImportHost host;
  RasterReport report;
  const ConvertOptions options{outputPath, fitBoards};
  switch (ConvertElevation(path, host, options, report)) {
    case ConvertResult::kWritten:
      PrintRasterReport(report);
      return kExitOk;
    case ConvertResult::kCancelled:
      return kExitCancelled;
    case ConvertResult::kFailed:
      break;
  }
  return kExitFailed;
}

}  // namespace kem::cli
