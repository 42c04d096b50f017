#include "core/project_relocation.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "core/open_file.h"

namespace kem {

namespace {

namespace fs = std::filesystem;

fs::path Absolute(const std::string& path) {
  std::error_code error;
  const fs::path absolute = fs::absolute(FileSystemPath(path), error);
  return (error ? FileSystemPath(path) : absolute).lexically_normal();
}

// `path` as read from `newFolder`, naming the file at `target`.
std::string RelativeFrom(const fs::path& target, const fs::path& newFolder) {
  const fs::path relative = target.lexically_relative(newFolder);
  return PathText(relative.empty() ? target : relative);
}

}  // namespace

RelocatedProject RelocateProject(const ProjectSettings& settings, const FileLookup& from,
                                 const std::string& newFolder) {
  RelocatedProject moved{settings, 0};
  const fs::path folder = Absolute(newFolder);
  const std::string oldFolder = from.projectFolder.empty() ? "." : from.projectFolder;
  if (Absolute(oldFolder) == folder) {
    return moved;
  }
  auto relocate = [&](std::string& path, const std::string& found) {
    if (path.empty() || FileSystemPath(path).is_absolute()) {
      return;
    }
    const std::string rewritten = RelativeFrom(Absolute(found), folder);
    if (FileSystemPath(rewritten) != FileSystemPath(path)) {
      path = rewritten;
      ++moved.rewritten;
    }
  };
  for (std::string ProjectSettings::*field :
       {kImageFields[0].path, kImageFields[1].path, kImageFields[2].path, kImageFields[3].path,
        &ProjectSettings::outputPath}) {
    const std::vector<std::string> holding = PlacesHolding(settings.*field, from, false);
    if (!holding.empty()) {
      relocate(moved.settings.*field, holding.front());
    }
  }
  return moved;
}

}  // namespace kem
