#include "core/file_lookup.h"

#include <filesystem>
#include <system_error>

#include "core/file_system.h"

namespace kem {

namespace {

namespace fs = std::filesystem;

bool Exists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::path(path), error);
}

bool FolderExists(const std::string& path) {
  std::error_code error;
  fs::path folder = fs::path(path).parent_path();
  return folder.empty() || fs::is_directory(folder, error);
}

}  // namespace

FileLookup LookupForProject(const std::string& projectPath) {
  FileLookup lookup;
  if (!projectPath.empty()) {
    lookup.projectFolder = fs::path(projectPath).parent_path().string();
  }
  lookup.settingsFolder = UserSettingsFolder();
  return lookup;
}

std::vector<std::string> SearchPlaces(const std::string& path, const FileLookup& lookup,
                                      bool withSettingsFolder) {
  std::vector<std::string> places{path};
  if (path.empty() || fs::path(path).is_absolute()) {
    return places;
  }
  for (const std::string* folder :
       {&lookup.projectFolder, withSettingsFolder ? &lookup.settingsFolder : nullptr}) {
    if (folder != nullptr && !folder->empty()) {
      const std::string place = (fs::path(*folder) / path).string();
      if (place != places.front()) {
        places.push_back(place);
      }
    }
  }
  return places;
}

std::string FindProjectFile(const std::string& path, const FileLookup& lookup) {
  for (const std::string& place : SearchPlaces(path, lookup, false)) {
    if (Exists(place)) {
      return place;
    }
  }
  return path;
}

std::string FindOutputPlace(const std::string& path, const FileLookup& lookup) {
  const std::vector<std::string> places = SearchPlaces(path, lookup, false);
  for (const std::string& place : places) {
    if (Exists(place)) {
      return place;
    }
  }
  for (const std::string& place : places) {
    if (FolderExists(place)) {
      return place;
    }
  }
  return path;
}

std::string FindDataFile(const std::string& name, const FileLookup& lookup) {
  for (const std::string& place : SearchPlaces(name, lookup, true)) {
    if (Exists(place)) {
      return place;
    }
  }
  return name;
}

ProjectSettings ResolveProjectPaths(const ProjectSettings& settings, const FileLookup& lookup) {
  ProjectSettings resolved = settings;
  for (std::string ProjectSettings::*path :
       {&ProjectSettings::heightMapPath, &ProjectSettings::minimapPath,
        &ProjectSettings::texturingGuidePath, &ProjectSettings::filterGuidePath}) {
    resolved.*path = FindProjectFile(settings.*path, lookup);
  }
  resolved.outputPath = FindOutputPlace(settings.outputPath, lookup);
  return resolved;
}

}  // namespace kem
