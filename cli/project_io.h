// Reading project files for the commands, with the message shown when one
// cannot be read.
#pragma once

#include <string>

#include "core/project_settings.h"

namespace kem::cli {

// Reads the project at `path` into `settings`. When it cannot be read, writes
// why to standard error and returns false with the settings unchanged.
bool LoadProject(const std::string& path, ProjectSettings& settings);

}  // namespace kem::cli
