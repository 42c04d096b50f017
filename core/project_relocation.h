// A project saved into another folder keeps naming the same files.
//
// Relative paths in a project are read against the project's folder first
// (file_lookup.h), so a project saved elsewhere with its paths unchanged would
// look for its images and write its layout in the wrong place. Relocating
// rewrites each relative path so that, read from the new folder, it names the
// file it named before.
#pragma once

#include <string>

#include "core/file_lookup.h"
#include "core/project_settings.h"

namespace kem {

struct RelocatedProject {
  ProjectSettings settings;
  int rewritten = 0;  // paths that read differently now
};

// `settings` as they must read in a project file in `newFolder`, having been
// read through `from` until now. Every relative path (images and output) that
// names a file through `from` becomes the relative path from `newFolder` to
// that file, or its absolute path when there is none (another drive). A path
// that names no file yet (a layout still to be written) is read from the new
// folder as typed. Empty and absolute paths stay as they are; nothing changes
// when `newFolder` is the folder `from` reads against.
RelocatedProject RelocateProject(const ProjectSettings& settings, const FileLookup& from,
                                 const std::string& newFolder);

}  // namespace kem
