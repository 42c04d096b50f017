#include "cli/project_io.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "cli/terminal.h"
#include "core/project_file.h"

namespace kem::cli {

bool LoadProject(const std::string& path, ProjectSettings& settings) {
  if (LoadProjectFile(path, settings)) {
    return true;
  }
  std::error_code error;
  if (std::filesystem::is_directory(path, error) || !std::ifstream(path, std::ios::binary)) {
    WriteMessageLine("Error: project file " + path + " not found or failed to open.");
  } else {
    WriteMessageLine("Error: " + path + " is not a complete project file.");
  }
  return false;
}

}  // namespace kem::cli
