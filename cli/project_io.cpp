#include "cli/project_io.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/project_file.h"

namespace kem::cli {

bool LoadProject(const std::string& path, TerrainJob& job) {
  if (LoadProjectFile(path, job)) {
    return true;
  }
  std::error_code error;
  if (std::filesystem::is_directory(path, error) || !std::ifstream(path, std::ios::binary)) {
    ReportError("Error: project file " + path + " not found or failed to open.");
  } else {
    ReportError("Error: " + path + " is not a complete project file.");
  }
  return false;
}

void ReportError(const std::string& text) {
  std::fputs((text + "\n").c_str(), stderr);
  std::fflush(stderr);
}

}  // namespace kem::cli
