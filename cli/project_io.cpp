#include "cli/project_io.h"

#include <filesystem>
#include <system_error>
#include <utility>

#include "cli/terminal.h"
#include "core/file_ptr.h"
#include "core/open_file.h"
#include "core/project_file.h"
#include "core/project_rules.h"

namespace kem::cli {

bool LoadProject(const std::string& path, ProjectSettings& settings) {
  ProjectSettings read;
  if (LoadProjectFile(path, read)) {
    if (!HasFiniteHeights(read)) {
      WriteMessageLine("Error: " + path +
                       " gives a base or maximum height that is not a finite number.");
      return false;
    }
    settings = std::move(read);
    return true;
  }
  std::error_code error;
  const FilePtr file(OpenFile(path, "rb"));
  if (std::filesystem::is_directory(FileSystemPath(path), error) || !file) {
    WriteMessageLine("Error: project file " + path + " not found or failed to open.");
  } else {
    WriteMessageLine("Error: " + path + " is not a complete project file.");
  }
  return false;
}

}  // namespace kem::cli
