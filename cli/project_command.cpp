// `kem-cli project new` and `kem-cli project show`.
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/job_options.h"
#include "cli/project_io.h"
#include "cli/terminal.h"
#include "core/project_file.h"
#include "core/project_settings.h"

namespace kem::cli {

int RunProjectNew(const std::string& path, const JobOptions& options) {
  ProjectSettings settings;
  ApplyJobOptions(options, settings);
  if (!SaveProjectFile(path, settings)) {
    WriteMessageLine("Error: project file " + path + " could not be written.");
    return kExitFailed;
  }
  return kExitOk;
}

int RunProjectShow(const std::string& path) {
  ProjectSettings settings;
  if (!LoadProject(path, settings)) {
    return kExitFailed;
  }
  std::cout << DescribeProject(settings) << std::flush;
  return kExitOk;
}

}  // namespace kem::cli
