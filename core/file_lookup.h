// Where a run finds the files a project names, wherever the program was
// started from.
//
// A relative image or output path is read against the current folder first
// and, when nothing is found there, against the project file's folder. The
// template tile_blank.dat and the texture list textures.txt are looked for in
// the current folder, then the project's folder, then the user's settings
// folder. Both front ends use the same order.
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
// with the user's settings folder.
FileLookup LookupForProject(const std::string& projectPath);

// The folders searched for a relative `path`, in order, as `path` joined to
// each ("" for the current folder): for an image or output only the current
// and project folders, for tile_blank.dat and textures.txt the settings folder
// too. An absolute or empty path is searched only as given.
std::vector<std::string> SearchPlaces(const std::string& path, const FileLookup& lookup,
                                      bool withSettingsFolder);

// The first of SearchPlaces(path, lookup, false) where a file exists; `path`
// unchanged when none has it, so that messages about it stay as they were.
std::string FindProjectFile(const std::string& path, const FileLookup& lookup);

// Where an output named `path` goes: where it already exists (current folder
// first), else the first place whose folder exists, else `path` unchanged.
std::string FindOutputPlace(const std::string& path, const FileLookup& lookup);

// The first of SearchPlaces(name, lookup, true) where a file exists; `name`
// unchanged when none has it.
std::string FindDataFile(const std::string& name, const FileLookup& lookup);

// `settings` with its image and output paths as a run finds them through
// `lookup` (FindProjectFile for the images, FindOutputPlace for the output).
ProjectSettings ResolveProjectPaths(const ProjectSettings& settings, const FileLookup& lookup);

}  // namespace kem
