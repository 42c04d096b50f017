// `kem-cli generate`: one generation run, like the application's Generate
// command.
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "cli/commands.h"
#include "cli/job_options.h"
#include "cli/project_io.h"
#include "cli/terminal.h"
#include "cli/terminal_host.h"
#include "core/generate_terrain.h"
#include "core/layout_output.h"
#include "core/terrain_job.h"

namespace kem::cli {

namespace {

constexpr const char* kFlatTerrainQuestion =
    "The defined height range will result in absolutely flat terrain. Are you sure it's OK?";

// Sizes that give the number of boards from a layout file's size.
constexpr std::uintmax_t kLayoutFixedBytes = 3776;
constexpr std::uintmax_t kLayoutBytesPerBoard = 123334;

// Equal heights give flat terrain; a height that is not a number counts as
// equal too, since no range can be made of it.
bool HeightRangeIsFlat(const TerrainJob& job) {
  return job.baseHeight == job.maxHeight || std::isnan(job.baseHeight) || std::isnan(job.maxHeight);
}

// The flat-terrain question: answered OK by --yes, asked on a terminal, and
// otherwise not confirmed (it is then shown, so the reason is on record).
bool ConfirmFlatTerrain(bool yes) {
  if (yes) {
    return true;
  }
  if (isatty(STDIN_FILENO) != 1 || !StderrIsTerminal()) {
    WriteMessageLine(kFlatTerrainQuestion);
    return false;
  }
  std::cerr << kFlatTerrainQuestion << " [y/N] " << std::flush;
  std::string answer;
  if (!std::getline(std::cin, answer)) {
    std::cerr << '\n';
    return false;
  }
  std::transform(answer.begin(), answer.end(), answer.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return answer == "y" || answer == "yes";
}

}  // namespace

int RunGenerate(const std::optional<std::string>& projectPath, const JobOptions& options) {
  TerrainJob job;
  SetNewProjectDefaults(job);
  if (projectPath && !LoadProject(*projectPath, job)) {
    return kExitFailed;
  }
  ApplyJobOptions(options, job);

  if (HeightRangeIsFlat(job) && !ConfirmFlatTerrain(options.yes)) {
    return kExitNotConfirmed;
  }

  TerminalHost host;
  // On Ctrl+C the unfinished layout file is discarded; the file at the output
  // path, if any, stays as it was.
  host.SetInterruptAction([&job] { job.output.reset(); });
  InterruptCatcher interrupts(SecondInterrupt::kEndsProcess);
  if (!GenerateTerrain(job, host)) {
    return kExitFailed;
  }

  std::error_code error;
  const std::uintmax_t bytes = std::filesystem::file_size(job.outputPath, error);
  if (error) {
    std::cout << "Wrote " << job.outputPath << '\n';
  } else {
    const std::uintmax_t boards =
        bytes > kLayoutFixedBytes ? (bytes - kLayoutFixedBytes) / kLayoutBytesPerBoard : 0;
    std::cout << "Wrote " << job.outputPath << ": " << boards
              << (boards == 1 ? " board, " : " boards, ") << bytes << " bytes\n";
  }
  return kExitOk;
}

}  // namespace kem::cli
