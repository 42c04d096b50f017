// `kem-cli convert FILE.xyz`: the DEM conversion with a terminal standing in
// for the importer dialog. Ctrl+C plays the part of the Cancel button.
#include <string>

#include "cli/commands.h"
#include "cli/terminal.h"
#include "cli/terminal_host.h"
#include "importer/convert_dem.h"

namespace kem::cli {

int RunConvert(const std::string& path) {
  // Every Ctrl+C only sets the cancel flag: once the conversion writes, the
  // height map must be finished, not left half-written.
  InterruptCatcher interrupts(SecondInterrupt::kIsCaught);
  TerminalImportHost host;
  switch (convertdem(path, host)) {
    case RunOutcome::kWritten:
      return kExitOk;
    case RunOutcome::kCancelled:
      return InterruptedExitStatus();
    case RunOutcome::kFailed:
      break;
  }
  return kExitFailed;
}

}  // namespace kem::cli
