// `kem-cli generate`: one generation run, like the application's Generate
// command.
#include <algorithm>
#include <cctype>
#include <iostream>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "cli/job_options.h"
#include "cli/project_io.h"
#include "cli/terminal.h"
#include "cli/terminal_host.h"
#include "core/generate_terrain.h"
#include "core/generator_messages.h"
#include "core/project_rules.h"
#include "core/project_settings.h"

namespace kem::cli {

namespace {

// The flat-terrain question: answered OK by --yes, asked on a terminal, and
// otherwise not confirmed (it is then shown, so the reason is on record).
bool ConfirmFlatTerrain(bool yes) {
  if (yes) {
    return true;
  }
  if (!StdinIsTerminal() || !StderrIsTerminal()) {
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

// The layouts of an all-zero tile_blank.dat do not load in the simulator:
// said before the run, which goes on all the same.
void WarnOfPlaceholderTemplate(const FileLookup& lookup) {
  std::vector<std::uint8_t> buffer;
  if (LoadTemplate(buffer, FindDataFile(kTileTemplateFile, lookup)) == TemplateLoad::kLoaded &&
      IsPlaceholderTemplate(buffer)) {
    WriteMessageLine(kPlaceholderTemplateMessage);
  }
}

}  // namespace

int RunGenerate(const std::optional<std::string>& projectPath, const JobOptions& options,
                const GenerateOptions& runOptions) {
  ProjectSettings settings;
  if (projectPath && !LoadProject(*projectPath, settings)) {
    return kExitFailed;
  }
  ApplyJobOptions(options, settings);

  if (IsFlatTerrain(settings) && !ConfirmFlatTerrain(options.yes)) {
    return kExitNotConfirmed;
  }

  TerminalHost host;
  // Ctrl+C cancels the run, which discards the unfinished layout file; the
  // file at the output path, if any, stays as it was.
  InterruptCatcher interrupts(SecondInterrupt::kEndsProcess);
  GenerateOptions withLookup = runOptions;
  withLookup.lookup = LookupForProject(projectPath.value_or(""));
  WarnOfPlaceholderTemplate(withLookup.lookup);
  withLookup.projectPath = projectPath.value_or("");
  const GenerateResult result = GenerateTerrain(settings, host, withLookup);
  switch (result.outcome) {
    case RunOutcome::kWritten:
      break;
    case RunOutcome::kCancelled:
      return InterruptedExitStatus();
    case RunOutcome::kFailed:
      return kExitFailed;
  }
  std::cout << "Wrote " << FindOutputPlace(settings.outputPath, withLookup.lookup) << ": "
            << result.boards << (result.boards == 1 ? " board, " : " boards, ") << result.bytes
            << " bytes\n";
  return kExitOk;
}

}  // namespace kem::cli
