// Reading project files for the commands, with the message shown when one
// cannot be read.
#pragma once

#include <string>

#include "core/terrain_job.h"

namespace kem::cli {

// Reads the project at `path` into `job`. When it cannot be read, writes why
// to standard error and returns false with the job unchanged.
bool LoadProject(const std::string& path, TerrainJob& job);

}  // namespace kem::cli
