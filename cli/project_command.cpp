// `kem-cli project new` and `kem-cli project show`.
#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>

#include "cli/commands.h"
#include "cli/job_options.h"
#include "cli/project_io.h"
#include "cli/terminal.h"
#include "core/project_file.h"
#include "core/terrain_job.h"

namespace kem::cli {

int RunProjectNew(const std::string& path, const JobOptions& options) {
  TerrainJob job;
  SetNewProjectDefaults(job);
  ApplyJobOptions(options, job);
  if (!SaveProjectFile(path, job)) {
    WriteMessageLine("Error: project file " + path + " could not be written.");
    return kExitFailed;
  }
  return kExitOk;
}

int RunProjectShow(const std::string& path) {
  TerrainJob job;
  SetNewProjectDefaults(job);
  if (!LoadProject(path, job)) {
    return kExitFailed;
  }
  std::cout << DescribeProject(job) << std::flush;
  return kExitOk;
}

}  // namespace kem::cli
