// Where a run finds the files a project names, wherever the program was
// started from.
//
// The project's folder is the anchor: a relative image or output path is read
// against the project file's folder first and, for a project whose paths were
// made relative to some other start folder, against the current folder next.
// The template tile_blank.dat and the texture list textures.txt are looked for
// in the project's folder, then the current folder, then the user's settings
// folder. A lookup without a project folder reads relative paths against the
// current folder only. Both front ends use the same order.
#pragma once

#include <string>
#include <vector>

#include "core/project_settings.h"

namespace kem {

// The folders a run may look in besides the current one; empty when unknown.
struct FileLookup {
  std::string projectFolder;   // the folder of the project file, if it has one
  std::string settingsFolder;  // the user's settings folder
};

// The lookup for a project saved at `projectPath` (empty for an unsaved one),
// with the user's settings folder. The project's folder is made absolute, so
// that the lookup stays right when the current folder changes.
FileLookup LookupForProject(const std::string& projectPath);

// The places searched for a relative `path`, in order: `path` joined to the
// project folder, `path` as given (the current folder), and, with
// `withSettingsFolder`, `path` joined to the settings folder; a place naming
// the same file as an earlier one is left out. An absolute or empty path is
// searched only as given.
std::vector<std::string> SearchPlaces(const std::string& path, const FileLookup& lookup,
                                      bool withSettingsFolder);

// The places of SearchPlaces that hold something, in the same order. More
// than one means the name is ambiguous and the first is the one used.
std::vector<std::string> PlacesHolding(const std::string& path, const FileLookup& lookup,
                                       bool withSettingsFolder);

// The first of SearchPlaces(path, lookup, false) where a file exists; `path`
// unchanged when none has it.
std::string FindProjectFile(const std::string& path, const FileLookup& lookup);

// Where an output named `path` goes: beside the project when the folder it
// names exists there, else in the current folder when it exists there, else
// beside the project all the same (the run then says the folder is missing).
// Without a project folder, `path` unchanged.
std::string FindOutputPlace(const std::string& path, const FileLookup& lookup);

// The first of SearchPlaces(name, lookup, true) where a file exists; `name`
// unchanged when none has it.
std::string FindDataFile(const std::string& name, const FileLookup& lookup);

// `settings` with its image and output paths as a run finds them through
// `lookup` (FindProjectFile for the images, FindOutputPlace for the output).
ProjectSettings ResolveProjectPaths(const ProjectSettings& settings, const FileLookup& lookup);

// The image fields of a project, with the words a message uses for each.
struct ImageField {
  std::string ProjectSettings::*path;
  const char* role;  // "height map", "minimap", "texturing guide", "filter guide"
};
inline constexpr ImageField kImageFields[] = {
    {&ProjectSettings::heightMapPath, "height map"},
    {&ProjectSettings::minimapPath, "minimap"},
    {&ProjectSettings::texturingGuidePath, "texturing guide"},
    {&ProjectSettings::filterGuidePath, "filter guide"},
};

}  // namespace kem
