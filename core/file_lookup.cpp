#include "core/file_lookup.h"

#include <filesystem>
#include <system_error>

#include "core/file_system.h"
#include "core/open_file.h"

namespace kem {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(FileSystemPath(path), error);
}

bool FolderExists(const std::string& path) {
  std::error_code error;
  const fs::path folder = FileSystemPath(path).parent_path();
  return folder.empty() || fs::is_directory(folder, error);
}

std::string Joined(const std::string& folder, const std::string& path) {
  return PathText(FileSystemPath(folder) / FileSystemPath(path));
}

// The file a place names, whatever the current folder: two places are the
// same when these are.
fs::path Where(const std::string& place) {
  std::error_code error;
  const fs::path absolute = fs::absolute(FileSystemPath(place), error);
  return (error ? FileSystemPath(place) : absolute).lexically_normal();
}

}  // namespace

FileLookup LookupForProject(const std::string& projectPath) {
  FileLookup lookup;
  if (!projectPath.empty()) {
    std::error_code error;
    fs::path folder = FileSystemPath(projectPath).parent_path();
    const fs::path absolute = fs::absolute(folder.empty() ? fs::path(".") : folder, error);
    if (!error) {
      folder = absolute.lexically_normal();
      // "/route/." normalises to "/route/"; the folder is "/route".
      if (!folder.has_filename() && folder.has_relative_path()) {
        folder = folder.parent_path();
      }
    }
    lookup.projectFolder = PathText(folder);
  }
  lookup.settingsFolder = UserSettingsFolder();
  return lookup;
}

std::vector<std::string> SearchPlaces(const std::string& path, const FileLookup& lookup,
                                      bool withSettingsFolder) {
  if (path.empty() || FileSystemPath(path).is_absolute()) {
    return {path};
  }
  std::vector<std::string> places;
  auto add = [&places](const std::string& place) {
    for (const std::string& earlier : places) {
      if (Where(earlier) == Where(place)) {
        return;
      }
    }
    places.push_back(place);
  };
  if (!lookup.projectFolder.empty()) {
    add(Joined(lookup.projectFolder, path));
  }
  add(path);
  if (withSettingsFolder && !lookup.settingsFolder.empty()) {
    add(Joined(lookup.settingsFolder, path));
  }
  return places;
}

std::vector<std::string> PlacesHolding(const std::string& path, const FileLookup& lookup,
                                       bool withSettingsFolder) {
  std::vector<std::string> holding;
  if (path.empty()) {
    return holding;
  }
  for (const std::string& place : SearchPlaces(path, lookup, withSettingsFolder)) {
    if (Exists(place)) {
      holding.push_back(place);
    }
  }
  return holding;
}

std::string FindProjectFile(const std::string& path, const FileLookup& lookup) {
  const std::vector<std::string> holding = PlacesHolding(path, lookup, false);
  return holding.empty() ? path : holding.front();
}

std::string FindOutputPlace(const std::string& path, const FileLookup& lookup) {
  const std::vector<std::string> places = SearchPlaces(path, lookup, false);
  for (const std::string& place : places) {
    if (FolderExists(place)) {
      return place;
    }
  }
  return places.front();
}

std::string FindDataFile(const std::string& name, const FileLookup& lookup) {
  const std::vector<std::string> holding = PlacesHolding(name, lookup, true);
  return holding.empty() ? name : holding.front();
}

ProjectSettings ResolveProjectPaths(const ProjectSettings& settings, const FileLookup& lookup) {
  ProjectSettings resolved = settings;
  for (const ImageField& field : kImageFields) {
    resolved.*field.path = FindProjectFile(settings.*field.path, lookup);
  }
  resolved.outputPath = FindOutputPlace(settings.outputPath, lookup);
  return resolved;
}

}  // namespace kem
